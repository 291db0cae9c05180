// The two longest earlier copies of every position, for the optimal parse.
//
// Only two numbers per position decide which matches a stream can use there:
// the longest match within MAX_NEAR_DISTANCE and the longest within
// MAX_DISTANCE. Every shorter length at the same distance is a match too, so
// these two (with their distances) stand for all the others.
#pragma once

#include "codec/progress.h"

#include <cstdint>
#include <span>

namespace codec {

struct LongestMatches {
    std::uint16_t near_length;  // longest within MAX_NEAR_DISTANCE; below 3: none
    std::uint16_t near_distance;
    std::uint16_t far_length;  // longest within MAX_DISTANCE, so never below near_length
    std::uint16_t far_distance;
};

// Fills `found[i]` for every position i of `input` (the spans have the same
// size). Lengths are capped at MAX_MATCH_LENGTH and at the input's end; a
// match never starts before the input's first byte. Among copies of the
// same length the nearest is given.
// `progress`, if given, hears of every PROGRESS_STEP positions, as the first
// half of 2 * input.size().
void find_longest_matches(std::span<const std::uint8_t> input, std::span<LongestMatches> found,
                          const Progress* progress = nullptr);

}  // namespace codec
