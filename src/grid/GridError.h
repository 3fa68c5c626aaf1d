#pragma once
// The base of the grid's errors, apart from the grid's types: the form
// reader raises errors of this family without knowing the grid.

#include "platform/Exception.h"

namespace quillary {

// Base of the errors raised by the grid, its lists and its forms; carries
// the message.
class EGridException : public Exception {
public:
    using Exception::Exception;
};

} // namespace quillary
