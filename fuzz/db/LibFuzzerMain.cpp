// libFuzzer entry for the connection-string and text readers.
#include "ConnectionFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    quillary::fuzz::RunConnectionInput(data, size);
    return 0;
}
