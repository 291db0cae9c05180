// The one-line compression report of the packers.
#pragma once

#include <cstdint>
#include <string>

namespace packing {

// "%12s: %8d --> %8d  [%2d.%02d%%]\n": the written size as a percentage of
// the original, with two truncated (not rounded) decimals. Computed in 64
// bits, so it is right for every size a tool accepts; an empty original
// prints "[--.--%]" instead of dividing by zero.
std::string format_ratio(const char* name, std::int64_t original, std::int64_t written);

// Writes format_ratio() to stdout.
void print_ratio(const char* name, std::int64_t original, std::int64_t written);

}  // namespace packing
