// The token stream's writer: groups built in place, handed to the sink
// whole.
#include "token_stream.h"

#include <cstring>

namespace codec {
namespace {

void write_group(TokenWriter& writer)
{
    if (writer.error != EncodeError::NONE)
        return;
    std::size_t written = writer.sink.write(writer.sink.context, writer.group, writer.fill);
    writer.bytes_written += static_cast<std::int64_t>(written);
    if (written != writer.fill)
        writer.error = EncodeError::SHORT_WRITE;
}

// Sets the token's flag bit and counts the token.
void add_flag(TokenWriter& writer, unsigned flag_bit)
{
    writer.group[0] = static_cast<std::uint8_t>(writer.group[0] | flag_bit << writer.bit);
    writer.bit = (writer.bit + 1) % TOKENS_PER_GROUP;
}

void write_group_if_full(TokenWriter& writer)
{
    if (writer.bit == 0) {
        write_group(writer);
        reset(writer);
    }
}

void append(TokenWriter& writer, unsigned byte)
{
    writer.group[writer.fill++] = static_cast<std::uint8_t>(byte);
}

}  // namespace

TokenWriter make_token_writer(ByteSink sink, std::int64_t header_size)
{
    TokenWriter writer;
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
    std::memset(writer.group, 0, sizeof writer.group);
    writer.fill = 1;
    writer.bit = 0;
}

void put_literal(TokenWriter& writer, std::uint8_t byte)
{
    add_flag(writer, byte >> LITERAL_BIT);  // a literal's flag bit is its top bit
    append(writer, byte);
    write_group_if_full(writer);
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
    write_group_if_full(writer);
}

EncodeError finish(TokenWriter& writer)
{
    add_flag(writer, token_table[END_MARK].flag_bit);
    append(writer, END_MARK_BYTE);
    write_group(writer);
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
