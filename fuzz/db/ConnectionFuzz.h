#pragma once
// One fuzz input through the readers of connection strings and text files:
// the connection-string parser (whose output must read back to the same
// items), the property look-ups of a connection, and the text decoder.

#include <cstddef>
#include <cstdint>

namespace quillary::fuzz {

void RunConnectionInput(const std::uint8_t* data, std::size_t size);

} // namespace quillary::fuzz
