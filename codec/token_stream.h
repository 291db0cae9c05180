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

// The most bytes one group takes: its flag byte and eight of the longest
// tokens.
inline constexpr unsigned MAX_GROUP_BYTES = 1 + TOKENS_PER_GROUP * MAX_TOKEN_BYTES;
// Finished groups gather here and reach the sink together: handing the sink
// each group on its own cost a call through it (and, for the programs, a
// stdio call) per 9 to 25 bytes.
inline constexpr unsigned PENDING_BYTES = 8192;

// Builds the stream group by group, in place at the end of `pending`, and
// hands the finished groups to `sink` whenever another group might not fit,
// and at `finish`. The first failure is kept in `error`; from then on
// nothing more reaches the sink, so the encoder runs on to its end without
// checking after every token.
struct TokenWriter {
    std::uint8_t pending[PENDING_BYTES];  // finished groups, then the open one
    unsigned group_start;                 // where the open group's flag byte is
    unsigned fill;                        // next free byte of pending
    unsigned bit;                         // tokens already in the open group, 0-7
    std::int64_t bytes_written;           // set by the tool to its header size first
    ByteSink sink;
    EncodeError error;
    int bad_length;  // the first unencodable match, for the message
    int bad_distance;
};

// A writer for `sink` whose count starts at `header_size`, reset and ready.
TokenWriter make_token_writer(ByteSink sink, std::int64_t header_size);

// Empties the open group; the finished ones stay.
void reset(TokenWriter& writer);
void put_match(TokenWriter& writer, int length, int distance);
// Appends the end mark and hands every byte still pending to the sink.
// Nothing may follow. Returns the writer's error: NONE when the whole stream
// reached the sink.
EncodeError finish(TokenWriter& writer);

// Closes the full group and opens the next; out of line, it runs once per
// eight tokens.
void end_group(TokenWriter& writer);

// Inline: on input that does not compress it runs for every byte.
inline void put_literal(TokenWriter& writer, std::uint8_t byte)
{
    // A literal's flag bit is its top bit.
    writer.pending[writer.group_start] =
        static_cast<std::uint8_t>(writer.pending[writer.group_start] | (byte >> LITERAL_BIT) << writer.bit);
    writer.pending[writer.fill++] = byte;
    if (++writer.bit == TOKENS_PER_GROUP)
        end_group(writer);
}

// Whether the format can hold a match of `length` at `distance` at all;
// put_match records one it cannot as UNENCODABLE_MATCH.
bool holds_match(int length, int distance);

// The class that holds a match of `length` at `distance`, one holds_match
// accepts.
TokenClass classify_match(int length, int distance);

}  // namespace codec
