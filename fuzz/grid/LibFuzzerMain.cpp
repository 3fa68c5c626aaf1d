// libFuzzer entry for the stored-grid reader.
#include "FormsFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    quillary::fuzz::RunFormInput(data, size);
    return 0;
}
