#include "token_stream.h"

#include "toolrt/exit_status.h"
#include "toolrt/fail.h"

#include <cstring>

namespace codec {
namespace {

constexpr char MSG_ENCODE_ERROR[] = "Encode Error!!\n  len = %d off = %d\n";

void write_group(TokenWriter& writer)
{
    // The process has one thread: the stream's lock is pure overhead.
    std::size_t written = fwrite_unlocked(writer.group, 1, writer.fill, writer.out);
    writer.bytes_written += static_cast<std::int64_t>(written);
    if (written != writer.fill)
        toolrt::fail(toolrt::EXIT_DATA, toolrt::MSG_SHORT_WRITE);
}

// Sets the token's flag bit and, once the eighth token is in, writes the group.
void add_flag(TokenWriter& writer, TokenClass token)
{
    writer.group[0] = static_cast<std::uint8_t>(writer.group[0] | token_table[token].flag_bit << writer.bit);
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

TokenWriter make_token_writer(std::FILE* out, std::int64_t header_size)
{
    TokenWriter writer;
    writer.out = out;
    writer.bytes_written = header_size;
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
    add_flag(writer, (byte >> LITERAL_BIT) != 0 ? LITERAL_HIGH : LITERAL_LOW);
    append(writer, byte);
    write_group_if_full(writer);
}

void put_match(TokenWriter& writer, int length, int distance)
{
    TokenClass token = classify_match(length, distance);
    const TokenKind& kind = token_table[token];
    unsigned d = static_cast<unsigned>(distance - 1);
    unsigned length_field = static_cast<unsigned>(length) - kind.min_length;
    add_flag(writer, token);
    append(writer, kind.lead_bits | (d >> 8) << kind.high_d_shift | (length_field & kind.length_mask));
    append(writer, d);
    if (kind.length_byte)
        append(writer, length_field);
    write_group_if_full(writer);
}

void finish(TokenWriter& writer)
{
    add_flag(writer, END_MARK);
    append(writer, END_MARK_BYTE);
    write_group(writer);
    reset(writer);
}

TokenClass classify_match(int length, int distance)
{
    if (distance < 1 || distance > MAX_DISTANCE || length < MIN_MATCH_LENGTH || length > MAX_MATCH_LENGTH)
        toolrt::fail(toolrt::EXIT_DATA, MSG_ENCODE_ERROR, length, distance);
    // The shortest token that holds the match.
    for (TokenClass token : {MATCH_3, MATCH_4, MATCH_NEAR}) {
        const TokenKind& kind = token_table[token];
        if (length >= kind.min_length && length <= kind.max_length && distance <= kind.max_distance)
            return token;
    }
    return MATCH_FAR;
}

}  // namespace codec
