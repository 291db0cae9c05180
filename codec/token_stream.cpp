// The token stream's writer: groups built in place, the finished ones
// handed to the sink together.
#include "token_stream.h"

#include <cstring>

namespace codec {
namespace {

static_assert(PENDING_BYTES >= MAX_GROUP_BYTES);

// Hands everything before the open group to the sink and moves the open
// group to the front.
void write_pending(TokenWriter& writer)
{
    const unsigned finished = writer.group_start;
    if (writer.error == EncodeError::NONE && finished != 0) {
        std::size_t written = writer.sink.write(writer.sink.context, writer.pending, finished);
        writer.bytes_written += static_cast<std::int64_t>(written);
        if (written != finished)
            writer.error = EncodeError::SHORT_WRITE;
    }
    std::memmove(writer.pending, writer.pending + finished, writer.fill - finished);
    writer.fill -= finished;
    writer.group_start = 0;
}

// Sets the token's flag bit and counts the token.
void add_flag(TokenWriter& writer, unsigned flag_bit)
{
    writer.pending[writer.group_start] =
        static_cast<std::uint8_t>(writer.pending[writer.group_start] | flag_bit << writer.bit);
    writer.bit += 1;
}

void end_group_if_full(TokenWriter& writer)
{
    if (writer.bit == TOKENS_PER_GROUP)
        end_group(writer);
}

void append(TokenWriter& writer, unsigned byte)
{
    writer.pending[writer.fill++] = static_cast<std::uint8_t>(byte);
}

}  // namespace

TokenWriter make_token_writer(ByteSink sink, std::int64_t header_size)
{
    TokenWriter writer;
    writer.group_start = 0;
    writer.fill = 0;
    writer.sink = sink;
    writer.bytes_written = header_size;
    writer.error = EncodeError::NONE;
    writer.bad_length = 0;
    writer.bad_distance = 0;
    reset(writer);
    return writer;
}

void reset(TokenWriter& writer)
{
    writer.pending[writer.group_start] = 0;
    writer.fill = writer.group_start + 1;
    writer.bit = 0;
}

void end_group(TokenWriter& writer)
{
    writer.group_start = writer.fill;
    if (writer.group_start + MAX_GROUP_BYTES > PENDING_BYTES)
        write_pending(writer);
    reset(writer);
}

namespace {

// The bytes of a match of class Token, from its row of the table.
template <TokenClass Token> void append_match(TokenWriter& writer, unsigned length, unsigned d)
{
    constexpr TokenKind kind = token_table[Token];
    unsigned length_field = length - kind.min_length;
    add_flag(writer, kind.flag_bit);
    append(writer, kind.lead_bits | (d >> 8) << kind.high_d_shift | (length_field & kind.length_mask));
    append(writer, d);
    if constexpr (kind.length_byte)
        append(writer, length_field);
}

}  // namespace

void put_match(TokenWriter& writer, int length, int distance)
{
    if (!holds_match(length, distance)) [[unlikely]] {
        if (writer.error == EncodeError::NONE) {
            writer.error = EncodeError::UNENCODABLE_MATCH;
            writer.bad_length = length;
            writer.bad_distance = distance;
        }
        return;
    }
    TokenClass token = classify_match(length, distance);
    unsigned d = static_cast<unsigned>(distance - 1);
    unsigned n = static_cast<unsigned>(length);
    switch (token) {
    case MATCH_3:
        append_match<MATCH_3>(writer, n, d);
        break;
    case MATCH_4:
        append_match<MATCH_4>(writer, n, d);
        break;
    case MATCH_NEAR:
        append_match<MATCH_NEAR>(writer, n, d);
        break;
    default:
        append_match<MATCH_FAR>(writer, n, d);
        break;
    }
    end_group_if_full(writer);
}

EncodeError finish(TokenWriter& writer)
{
    add_flag(writer, token_table[END_MARK].flag_bit);
    append(writer, END_MARK_BYTE);
    // The last group, full or not, goes with the rest.
    writer.group_start = writer.fill;
    write_pending(writer);
    reset(writer);
    return writer.error;
}

bool holds_match(int length, int distance)
{
    return distance >= 1 && distance <= MAX_DISTANCE && length >= MIN_MATCH_LENGTH &&
           length <= MAX_MATCH_LENGTH;
}

TokenClass classify_match(int length, int distance)
{
    // The shortest token that holds the match.
    if (length == token_table[MATCH_3].max_length)
        return MATCH_3;
    if (length == token_table[MATCH_4].max_length)
        return MATCH_4;
    if (length <= MAX_NEAR_LENGTH && distance <= MAX_NEAR_DISTANCE)
        return MATCH_NEAR;
    return MATCH_FAR;
}

}  // namespace codec
