# cmake -DINPUT=file -DOUTPUT=file.cpp -DSYMBOL=name -P EmbedText.cmake
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hexlen)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
math(EXPR size "${hexlen} / 2")
file(WRITE "${OUTPUT}" "// Generated from ${INPUT}\n#include <cstddef>\nextern const char* const ${SYMBOL};\nextern const std::size_t ${SYMBOL}_size;\nconst unsigned char ${SYMBOL}_bytes[] = {\n${bytes}0x00};\nconst char* const ${SYMBOL} = reinterpret_cast<const char*>(${SYMBOL}_bytes);\nconst std::size_t ${SYMBOL}_size = ${size};\n")
