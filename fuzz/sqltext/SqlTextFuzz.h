#pragma once
// One fuzz input through every function of the SQL text unit. Aborts with a
// report when a result differs from the literal model or breaks a bound.
//
// Input layout: byte 0 chooses the end character, the keyword list and the
// flags, byte 1 the start position (and, when odd, that groups are answered
// by the scanners' tables at once); the rest is UTF-8 text, cut at U+001F
// into the text itself and up to two extra texts (a phrase or keyword, a
// replacement, carried brackets).

#include <cstddef>
#include <cstdint>

namespace quillary::fuzz {

void RunSqlTextInput(const std::uint8_t* data, std::size_t size);

} // namespace quillary::fuzz
