#pragma once
// One fuzz input through the reader of stored grids (text or binary form):
// malformed input must end in the reader's own error, and a form that loads
// must write back to text that loads to the same text again.

#include <cstddef>
#include <cstdint>

namespace quillary::fuzz {

void RunFormInput(const std::uint8_t* data, std::size_t size);

} // namespace quillary::fuzz
