// The token stream's writer: the compressed form both packing tools write
// and read. The layout of its groups and tokens is in token_layout.h.
#pragma once

#include "byte_io.h"
#include "token_layout.h"

#include <cstdint>

namespace codec {

// What went wrong in an encoding; every encoder returns one, NONE when the
// stream is whole. The codec reports and its callers decide: it never ends
// the process.
enum class EncodeError {
    NONE,
    NO_MEMORY,          // the encoder's tables cannot be had
    SHORT_WRITE,        // the sink took less than a whole group
    UNENCODABLE_MATCH,  // a match the format cannot hold: a caller's bug, never the encoders'
};

// Builds the stream group by group and hands each full group to `sink` at
// once. The first failure is kept in `error`; from then on nothing more
// reaches the sink, so the encoder runs on to its end without checking
// after every token.
struct TokenWriter {
    std::uint8_t group[GROUP_BUFFER_SIZE];  // flag byte, then token bytes
    unsigned fill;                          // next free byte of group; 1 when empty
    unsigned bit;                           // tokens already in the group, 0-7
    std::int64_t bytes_written;             // set by the tool to its header size first
    ByteSink sink;
    EncodeError error;
    int bad_length;  // the first unencodable match, for the message
    int bad_distance;
};

// A writer for `sink` whose count starts at `header_size`, reset and ready.
TokenWriter make_token_writer(ByteSink sink, std::int64_t header_size);

void reset(TokenWriter& writer);
void put_literal(TokenWriter& writer, std::uint8_t byte);
void put_match(TokenWriter& writer, int length, int distance);
// Appends the end mark and writes the last group. Nothing may follow.
// Returns the writer's error: NONE when the whole stream reached the sink.
EncodeError finish(TokenWriter& writer);

// Whether the format can hold a match of `length` at `distance` at all;
// put_match records one it cannot as UNENCODABLE_MATCH.
bool holds_match(int length, int distance);

// The class that holds a match of `length` at `distance`, one holds_match
// accepts.
TokenClass classify_match(int length, int distance);

}  // namespace codec
