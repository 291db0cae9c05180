// The reference for the smallest stream: a plain exhaustive search, kept
// simple enough to be checked by reading, for small inputs only.
#pragma once

#include <cstdint>
#include <vector>

namespace reference {

// The size of the smallest token stream for `input`, flag bytes and end mark
// included: a shortest path over (position, tokens in the current group)
// that tries every match of every length at every distance.
std::uint64_t smallest_stream_size(const std::vector<std::uint8_t>& input);

}  // namespace reference
