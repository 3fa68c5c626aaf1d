// libFuzzer entry for the query layer (clang, -fsanitize=fuzzer).
#include "QueryFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    quillary::fuzz::RunQueryInput(data, size);
    return 0;
}
