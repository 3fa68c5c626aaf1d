#pragma once

namespace quillary {

// The designer program; returns the exit code.
int RunDesigner(int argc, char* argv[]);

} // namespace quillary
