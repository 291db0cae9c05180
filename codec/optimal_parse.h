// The smallest token stream for an input (lzspack --best, apppack --best).
//
// Where encode_stream makes one fixed choice per position, this writes the
// stream whose total size, flag bytes and end mark included, is the least of
// all the streams the decoder reads back as the input.
#pragma once

#include "progress.h"
#include "token_stream.h"

#include <cstdint>
#include <cstdio>
#include <span>

namespace codec {

// Writes the smallest stream for `input` through `writer` and finishes it.
// Throws std::bad_alloc when its tables (about 15 bytes per input byte)
// cannot be had.
void encode_smallest(std::span<const std::uint8_t> input, TokenWriter& writer,
                     const Progress* progress = nullptr);

// The size of that stream (flag bytes and end mark included) without
// writing it. Throws std::bad_alloc as encode_smallest does.
std::uint64_t smallest_stream_size(std::span<const std::uint8_t> input);

// encode_stream's contract with the smallest stream: reads `input` from its
// current position to its end (a short read is the end), then writes. Holds
// the whole input and the tables in memory; a failed allocation throws
// std::bad_alloc, which the tools' new-handler turns into EXIT_MEMORY.
void encode_stream_smallest(std::FILE* input, TokenWriter& writer);

// encode_stream_smallest, telling `progress` how far its passes have come.
void encode_stream_smallest_reporting(std::FILE* input, TokenWriter& writer, const Progress& progress);

}  // namespace codec
