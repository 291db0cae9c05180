// How the packers end a run on what the codec reports: the codec returns
// its errors, the packers print the system's message for each and exit
// with its status.
#pragma once

#include "codec/token_stream.h"

#include <cstddef>
#include <cstdint>

namespace packing {

// Ends the run if `error` is not NONE: "Encode Error!!" with the match
// `writer` kept, a short write, or memory.
void fail_on_encode_error(const codec::TokenWriter& writer, codec::EncodeError error);

// Returns the number of bytes decoded up to the end mark, or ends the run
// with EXIT_DATA and the decode error's message.
std::size_t decode_tokens(const std::uint8_t* source, std::size_t source_size, std::uint8_t* destination,
                          std::size_t capacity);

}  // namespace packing
