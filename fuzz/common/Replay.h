#pragma once
#include <cstddef>
#include <cstdint>

namespace quillary::fuzz {

using TFuzzEntry = void (*)(const std::uint8_t* data, std::size_t size);

// Runs every file of the folders or files named on the command line through
// `entry`; returns the exit code.
int ReplayCorpus(int argc, char** argv, TFuzzEntry entry);

} // namespace quillary::fuzz
