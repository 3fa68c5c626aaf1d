// libFuzzer entry for the SQL text unit (clang, -fsanitize=fuzzer).
#include "SqlTextFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    quillary::fuzz::RunSqlTextInput(data, size);
    return 0;
}
