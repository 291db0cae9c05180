// The LZ77 encoder that feeds the token stream.
#pragma once

#include "token_stream.h"

#include <cstdio>

namespace codec {

// Compresses everything from `input`'s current position to its end into
// `writer`, then finishes the stream. Reads in blocks of 16644 and then
// 16384 bytes and never seeks; a short read is the end of the input. Errors
// on the output side end the process (see TokenWriter).
void encode_stream(std::FILE* input, TokenWriter& writer);

}  // namespace codec
