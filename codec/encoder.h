// The LZ77 encoder that feeds the token stream.
#pragma once

#include "progress.h"
#include "token_stream.h"

#include <cstdio>

namespace codec {

// Compresses everything from `input`'s current position to its end into
// `writer`, then finishes the stream. Reads in blocks of 16644 and then
// 16384 bytes and never seeks; a short read is the end of the input. Errors
// on the output side end the process (see TokenWriter).
void encode_stream(std::FILE* input, TokenWriter& writer);

// encode_stream, telling `progress` of each block read.
void encode_stream_reporting(std::FILE* input, TokenWriter& writer, const Progress& progress);

// How the encoder finds its matches. Every mode writes the same stream; they
// differ only in speed. The tools use AUTOMATIC; tests and benchmarks force
// the others from the first byte.
enum class SearchMode {
    AUTOMATIC,      // plain chains, prefix chains while walks run long
    PLAIN_CHAINS,   // walk the three-byte chains only
    PREFIX_CHAINS,  // keep the longer-prefix chains for the whole input
};

void encode_stream_with(std::FILE* input, TokenWriter& writer, SearchMode mode,
                        const Progress* progress = nullptr);

}  // namespace codec
