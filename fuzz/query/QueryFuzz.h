#pragma once
// One fuzz input through the query layer's readers of outside text: the
// designer state text and the rebuild from SQL text. Aborts with a report
// when a design read from text does not keep its state text: writing it,
// reading that into an empty design and writing again must give the same
// lines.
//
// Input layout: byte 0 chooses the reader (even: state text, odd: SQL text)
// and, in its upper bits, the data source kind; the rest is UTF-8 text, cut
// into lines at line feeds for the state text.

#include <cstddef>
#include <cstdint>

namespace quillary::fuzz {

void RunQueryInput(const std::uint8_t* data, std::size_t size);

} // namespace quillary::fuzz
