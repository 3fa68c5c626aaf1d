#pragma once
#include "platform/Exception.h"

namespace quillary {

// A database operation failed. The message is the database's own text where
// there is one, otherwise a sentence of ours that names what went wrong.
class EDatabaseError : public Exception {
public:
    using Exception::Exception;
};

} // namespace quillary
