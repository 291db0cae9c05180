// The token stream decoder.
//
// Two loops share one format. The checked loop decodes one token at a time
// and routes every read and write through DECODE_CHECK. The group loop runs
// only while a whole group, and then some, fits on both sides: at least
// GROUP_SOURCE_ROOM bytes of source and GROUP_OUTPUT_ROOM bytes of room are
// left, so it needs no check but the one against reaching before the start
// of the output. It is faster than the checked loop because it
//   - copies a run of literal tokens with one 8-byte load and store, finding
//     the run's length from the top bits of the bytes and the flag bits;
//   - copies a match 8 bytes at a time when its distance is at least 8, and
//     by memset when the distance is 1;
//   - may write up to 7 bytes past the end of a copy, which the room allows
//     and the next token overwrites.
// Both loops report the same errors at the same tokens. Work is linear in
// the output size.
#include "decoder.h"

#include "token_stream.h"
#include "toolrt/exit_status.h"
#include "toolrt/fail.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace codec {
namespace {

constexpr std::size_t WORD = 8;
// A flag byte, eight 3-byte tokens, and the word a literal run loads.
constexpr std::size_t GROUP_SOURCE_ROOM = 1 + TOKENS_PER_GROUP * MAX_TOKEN_BYTES + WORD;
// Eight longest matches, and the two words a short copy always writes.
constexpr std::size_t GROUP_OUTPUT_ROOM = TOKENS_PER_GROUP * MAX_MATCH_LENGTH + 2 * WORD;

// Byte i holds bit i of the index: a group's flag bits, one per byte.
constexpr std::array<std::uint64_t, 256> make_spread_flags()
{
    std::array<std::uint64_t, 256> table{};
    for (unsigned flags = 0; flags < 256; ++flags)
        for (unsigned i = 0; i < 8; ++i)
            table[flags] |= std::uint64_t{(flags >> i) & 1} << (8 * i);
    return table;
}
constexpr std::array<std::uint64_t, 256> SPREAD_FLAGS = make_spread_flags();

std::uint64_t load_word(const std::uint8_t* at)
{
    std::uint64_t word;
    std::memcpy(&word, at, WORD);
    return word;
}

void count(DecodeStats* stats, TokenClass token, unsigned length, std::size_t distance)
{
    if (stats == nullptr)
        return;
    stats->tokens[token] += 1;
    stats->bytes[token] += length;
    stats->distance_sum += distance;
}

void count_literals(DecodeStats* stats, unsigned run, unsigned flags)
{
    if (stats == nullptr)
        return;
    unsigned high = static_cast<unsigned>(std::popcount(flags & ((1u << run) - 1)));
    stats->tokens[LITERAL_HIGH] += high;
    stats->bytes[LITERAL_HIGH] += high;
    stats->tokens[LITERAL_LOW] += run - high;
    stats->bytes[LITERAL_LOW] += run - high;
}

// Copies a match whose end lies at least 2 * WORD bytes before the room's
// end. Most matches are 16 bytes or shorter: two words, no loop.
void copy_match(std::uint8_t* out, std::size_t distance, unsigned length)
{
    const std::uint8_t* from = out - distance;
    if (distance >= WORD) {
        // Word by word in order: each word's source lies before it.
        std::memcpy(out, from, WORD);
        std::memcpy(out + WORD, from + WORD, WORD);
        for (unsigned i = 2 * WORD; i < length; i += WORD)
            std::memcpy(out + i, from + i, WORD);
    } else if (distance == 1) {
        std::memset(out, *from, length);
    } else {
        // Each byte comes from `distance` behind it, so the pattern repeats.
        for (unsigned i = 0; i < length; ++i)
            out[i] = from[i];
    }
}

// A token that is not a literal, as its lead byte and flag bit say.
struct Token {
    TokenClass token;
    unsigned length;
    unsigned d;  // distance - 1
};

// Reads a match token, or the end mark; `in` points past the lead byte and
// has the token's remaining bytes behind it.
Token read_match(unsigned lead, bool flag, const std::uint8_t*& in)
{
    if (flag) {
        if (lead >= 0x40)
            return {MATCH_4, 4, (lead & 0x3Fu) << 8 | *in++};
        Token far = {MATCH_FAR, in[1] + 5u, lead << 8 | in[0]};
        in += 2;
        return far;
    }
    if (lead == END_MARK_BYTE)
        return {END_MARK, 0, 0};
    if (lead < 0xC0)
        return {MATCH_3, 3, (lead & 0x3Fu) << 8 | *in++};
    // Low bits 7 decode as length 12, which is never written.
    return {MATCH_NEAR, (lead & 7) + 5, (lead & 0x38u) << 5 | *in++};
}

// How the group loop reads the token under a flag bit and lead byte, for
// tokens that are not literals: d = high_d | the next byte; the length is
// `length`, plus the byte after that for MATCH_FAR (whose `length` is 5).
struct TokenLayout {
    std::uint16_t high_d;
    std::uint16_t length;  // 0 for the end mark
    std::uint8_t bytes;    // with the lead byte
    std::uint8_t far;      // 0xFF for MATCH_FAR, else 0: masks the length byte
    TokenClass token;
};

constexpr std::array<TokenLayout, 512> make_layouts()
{
    std::array<TokenLayout, 512> table{};
    for (unsigned flag = 0; flag < 2; ++flag) {
        for (unsigned lead = 0; lead < 256; ++lead) {
            TokenLayout& layout = table[flag << 8 | lead];
            if ((lead >> 7) == flag)
                layout = {0, 1, 1, 0, flag ? LITERAL_HIGH : LITERAL_LOW};  // never read: a literal run
            else if (flag && lead >= 0x40)
                layout = {static_cast<std::uint16_t>((lead & 0x3F) << 8), 4, 2, 0, MATCH_4};
            else if (flag)
                layout = {static_cast<std::uint16_t>(lead << 8), 5, 3, 0xFF, MATCH_FAR};
            else if (lead == END_MARK_BYTE)
                layout = {0, 0, 1, 0, END_MARK};
            else if (lead < 0xC0)
                layout = {static_cast<std::uint16_t>((lead & 0x3F) << 8), 3, 2, 0, MATCH_3};
            else  // low bits 7 decode as length 12, which is never written
                layout = {static_cast<std::uint16_t>((lead & 0x38) << 5), static_cast<std::uint16_t>((lead & 7) + 5), 2,
                          0, MATCH_NEAR};
        }
    }
    return table;
}
constexpr std::array<TokenLayout, 512> TOKEN_LAYOUT = make_layouts();

// The bytes a match token takes after its lead byte.
unsigned match_tail_bytes(unsigned lead, bool flag) { return flag && lead < 0x40 ? 2 : 1; }

}  // namespace

// Every bound of the decoder goes through this guard.
#define DECODE_CHECK(condition, failure)                          \
    do {                                                          \
        if (!(condition))                                         \
            return DecodeResult{(failure), static_cast<std::size_t>(out - destination)}; \
    } while (0)

DecodeResult decode_tokens_checked(const std::uint8_t* source, std::size_t source_size,
                                   std::uint8_t* destination, std::size_t capacity,
                                   DecodeStats* stats)
{
    const std::uint8_t* in = source;
    const std::uint8_t* const in_end = source + source_size;
    std::uint8_t* out = destination;
    std::uint8_t* const out_end = destination + capacity;

    // Flag register: the group's flag byte under eight 1-bits that count
    // its tokens; a new flag byte is due when they have all shifted out.
    unsigned flags = 0;
    for (;;) {
        flags >>= 1;
        if ((flags & 0x100) == 0) {
            // The group loop: whole groups while the room allows.
            while (static_cast<std::size_t>(in_end - in) >= GROUP_SOURCE_ROOM &&
                   static_cast<std::size_t>(out_end - out) >= GROUP_OUTPUT_ROOM) {
                unsigned group_flags = *in++;
                unsigned tokens = 0;
                while (tokens < TOKENS_PER_GROUP) {
                    // A literal is a byte whose top bit equals its flag bit.
                    unsigned pending = group_flags >> tokens;
                    std::uint64_t differ = ((load_word(in) >> 7) & 0x0101010101010101u) ^ SPREAD_FLAGS[pending];
                    unsigned run = std::min(static_cast<unsigned>(std::countr_zero(differ)) / 8,
                                            TOKENS_PER_GROUP - tokens);
                    if (run > 0) {
                        std::memcpy(out, in, WORD);
                        in += run;
                        out += run;
                        tokens += run;
                        count_literals(stats, run, pending);
                        continue;
                    }
                    // A match or the end mark, read without branching on its
                    // class: the room allows reading all three bytes.
                    const TokenLayout& layout = TOKEN_LAYOUT[(pending & 1) << 8 | in[0]];
                    unsigned length = layout.length + (in[2] & layout.far);
                    std::size_t distance = (layout.high_d | in[1]) + 1u;
                    in += layout.bytes;
                    tokens += 1;
                    if (length == 0) {
                        count(stats, END_MARK, 0, 0);
                        return DecodeResult{DecodeError::NONE, static_cast<std::size_t>(out - destination)};
                    }
                    DECODE_CHECK(distance <= static_cast<std::size_t>(out - destination), DecodeError::UNDER_RUN);
                    copy_match(out, distance, length);
                    out += length;
                    count(stats, layout.token, length, distance);
                }
            }
            DECODE_CHECK(in_end - in >= 1, DecodeError::TRUNCATED);
            flags = 0xFF00u | *in++;
        }
        DECODE_CHECK(in_end - in >= 1, DecodeError::TRUNCATED);
        unsigned lead = *in++;
        bool flag = (flags & 1) != 0;

        if ((lead >> 7) == (flags & 1)) {
            DECODE_CHECK(out < out_end, DecodeError::OVER_RUN);
            *out++ = static_cast<std::uint8_t>(lead);
            count(stats, flag ? LITERAL_HIGH : LITERAL_LOW, 1, 0);
            continue;
        }
        if (!flag && lead == END_MARK_BYTE) {
            count(stats, END_MARK, 0, 0);
            return DecodeResult{DecodeError::NONE, static_cast<std::size_t>(out - destination)};
        }
        DECODE_CHECK(static_cast<std::size_t>(in_end - in) >= match_tail_bytes(lead, flag), DecodeError::TRUNCATED);
        Token match = read_match(lead, flag, in);

        std::size_t distance = match.d + 1;
        DECODE_CHECK(distance <= static_cast<std::size_t>(out - destination), DecodeError::UNDER_RUN);
        DECODE_CHECK(match.length <= static_cast<std::size_t>(out_end - out), DecodeError::OVER_RUN);
        // Byte by byte: a match may overlap the bytes it produces.
        const std::uint8_t* from = out - distance;
        for (unsigned i = 0; i < match.length; ++i)
            out[i] = from[i];
        out += match.length;
        count(stats, match.token, match.length, distance);
    }
}

#undef DECODE_CHECK

const char* decode_error_message(DecodeError error)
{
    switch (error) {
    case DecodeError::UNDER_RUN:
        return toolrt::MSG_DECODE_UNDER_RUN;
    case DecodeError::OVER_RUN:
        return toolrt::MSG_DECODE_OVER_RUN;
    case DecodeError::TRUNCATED:
        return toolrt::MSG_DECODE_TRUNCATED;
    case DecodeError::NONE:
        break;
    }
    return "";
}

std::size_t decode_tokens(const std::uint8_t* source, std::size_t source_size,
                          std::uint8_t* destination, std::size_t capacity)
{
    DecodeResult result = decode_tokens_checked(source, source_size, destination, capacity);
    if (result.error != DecodeError::NONE)
        toolrt::fail(toolrt::EXIT_DATA, "%s", decode_error_message(result.error));
    return result.produced;
}

}  // namespace codec
