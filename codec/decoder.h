// Decoding a whole token stream held in memory into a buffer of known size.
//
// The decoder never reads outside [source, source + source_size) and never
// writes outside [destination, destination + capacity), whatever the stream
// holds. Its last groups are decoded one token at a time, each bound checked
// through one guard; before them, whole groups are decoded only while both
// buffers have room for the largest group, which leaves one bound to check
// per token (a match reaching before the start of the output).
#pragma once

#include "token_layout.h"

#include <cstddef>
#include <cstdint>

namespace codec {

enum class DecodeError {
    NONE,
    UNDER_RUN,  // a match reaches back before the start of the output
    OVER_RUN,   // a literal or match would pass `capacity`
    TRUNCATED,  // the source ends before the end mark, or inside a token
};

struct DecodeResult {
    DecodeError error;
    std::size_t produced;  // bytes written to destination before the end or the error
};

// What a stream is made of, counted during decoding.
struct DecodeStats {
    std::uint64_t tokens[TOKEN_CLASSES];  // per TokenClass (END_MARK counts the end mark)
    std::uint64_t bytes[TOKEN_CLASSES];   // output bytes each class produced
    std::uint64_t distance_sum;           // over all matches
};

// The decoder: reports what went wrong and how far it got, and leaves what
// to make of it to the caller (the packers' messages are in liblzs/). With
// `stats`, it also counts the tokens it decodes (into a zeroed DecodeStats).
DecodeResult decode_tokens_checked(const std::uint8_t* source, std::size_t source_size,
                                   std::uint8_t* destination, std::size_t capacity,
                                   DecodeStats* stats = nullptr);

}  // namespace codec
