// The reference decoder: the first, plain reading of a token stream, one
// token and one byte at a time, every bound checked where it is met.
#pragma once

#include "codec/decoder.h"

#include <cstddef>
#include <cstdint>

namespace reference {

// Same contract and same outcomes as codec::decode_tokens_checked: the
// error, the bytes produced up to it, those bytes, and the counts.
codec::DecodeResult plain_decode_tokens(const std::uint8_t* source, std::size_t source_size,
                                        std::uint8_t* destination, std::size_t capacity,
                                        codec::DecodeStats* stats = nullptr);

}  // namespace reference
