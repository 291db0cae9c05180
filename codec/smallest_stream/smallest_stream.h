// The smallest token stream for an input (lzspack --best, apppack --best).
//
// Where encode_stream makes one fixed choice per position, this writes the
// stream whose total size, flag bytes and end mark included, is the least of
// all the streams the decoder reads back as the input.
#pragma once

#include "codec/progress.h"
#include "codec/token_stream.h"

#include <cstdint>
#include <span>

namespace codec {

// Writes the smallest stream for `input` through `writer` and finishes it.
// Its tables take about 15 bytes per input byte: NO_MEMORY (before anything
// is written) when they cannot be had, else the writer's error.
// `progress`, if given, hears of both passes over the input (see progress.h).
EncodeError encode_smallest(std::span<const std::uint8_t> input, TokenWriter& writer,
                            const Progress* progress = nullptr);

// The size of that stream (flag bytes and end mark included) without
// writing it; 0, which no stream is, when the tables cannot be had.
std::uint64_t smallest_stream_size(std::span<const std::uint8_t> input);

}  // namespace codec
