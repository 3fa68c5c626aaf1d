// A library that says when it has been loaded: its constructor writes the
// file named by QUILLARY_MARKER_FILE. Tests name it where a driver would be
// and look for the file.
#include <cstdio>
#include <cstdlib>

namespace {

__attribute__((constructor)) void LeaveMarker() {
    const char* path = std::getenv("QUILLARY_MARKER_FILE");
    if (!path || !*path) return;
    if (FILE* file = std::fopen(path, "w")) {
        std::fputs("loaded\n", file);
        std::fclose(file);
    }
}

} // namespace
