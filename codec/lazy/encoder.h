// The LZ77 encoder that feeds the token stream.
#pragma once

#include "codec/byte_io.h"
#include "codec/token_stream.h"

namespace codec {

// Compresses everything `input` hands out into `writer`, then finishes the
// stream. Pulls blocks of 16644 and then 16384 bytes; a short read is the
// end of the input. Holds about 1.0 MB whatever the input's length. Returns
// NO_MEMORY (before writing anything) when that cannot be had, else the
// writer's error (see TokenWriter).
EncodeError encode_stream(ByteReader input, TokenWriter& writer);

// How the encoder finds its matches. Every mode writes the same stream; they
// differ only in speed. The tools use AUTOMATIC; tests and benchmarks force
// the others from the first byte.
enum class SearchMode {
    AUTOMATIC,      // plain chains, prefix chains while walks run long
    PLAIN_CHAINS,   // walk the three-byte chains only
    PREFIX_CHAINS,  // keep the longer-prefix chains for the whole input
};

EncodeError encode_stream_with(ByteReader input, TokenWriter& writer, SearchMode mode);

}  // namespace codec
