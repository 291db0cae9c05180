// The token stream's writer: the compressed form both packing tools write
// and read. The layout of its groups and tokens is in token_layout.h.
#pragma once

#include "token_layout.h"

#include <cstdint>
#include <cstdio>

namespace codec {

// Builds the stream group by group and writes each full group to `out` at
// once. A short write ends the process with EXIT_DATA.
struct TokenWriter {
    std::uint8_t group[GROUP_BUFFER_SIZE];  // flag byte, then token bytes
    unsigned fill;                          // next free byte of group; 1 when empty
    unsigned bit;                           // tokens already in the group, 0-7
    std::int64_t bytes_written;             // set by the tool to its header size first
    std::FILE* out;
};

// A writer for `out` whose count starts at `header_size`, reset and ready.
TokenWriter make_token_writer(std::FILE* out, std::int64_t header_size);

void reset(TokenWriter& writer);
void put_literal(TokenWriter& writer, std::uint8_t byte);
void put_match(TokenWriter& writer, int length, int distance);
// Appends the end mark and writes the last group. Nothing may follow.
void finish(TokenWriter& writer);

// The class that holds a match of `length` at `distance`. Anything the format
// cannot hold is reported as "Encode Error!!" and ends the process with
// EXIT_DATA; the encoder never produces one.
TokenClass classify_match(int length, int distance);

}  // namespace codec
