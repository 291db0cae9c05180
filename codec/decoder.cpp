// The token stream decoder.
//
// Two loops read the one layout of token_layout.h, one after the other. The
// group loop runs first, while a whole group, and then some, fits on both
// sides: at least GROUP_SOURCE_ROOM bytes of source and GROUP_OUTPUT_ROOM
// bytes of room are left, so it needs no check but the one against reaching
// before the start of the output. The guarded loop then decodes the last
// groups one token at a time and checks every bound. Both go through one
// guard, DECODE_GUARD. The group loop is faster because it
//   - copies a run of literal tokens with one 8-byte load and store, finding
//     the run's length from the top bits of the bytes and the flag bits;
//   - copies a match 8 bytes at a time when its distance is at least 8, and
//     by memset when the distance is 1;
//   - may write up to 7 bytes past the end of a copy, which the room allows
//     and the next token overwrites.
// Both loops report the same errors at the same tokens. Work is linear in
// the output size.
#include "decoder.h"

#include "token_layout.h"
#include "words.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <optional>

namespace codec {
namespace {

constexpr std::size_t WORD = 8;
constexpr std::uint64_t LOW_BIT_OF_EACH_BYTE = 0x0101010101010101u;
// The flag register: the group's flag byte under TOKENS_PER_GROUP 1-bits
// that count its tokens; a new flag byte is due when they have all shifted
// out.
constexpr unsigned GROUP_COUNTER = ((1u << TOKENS_PER_GROUP) - 1) << TOKENS_PER_GROUP;
constexpr unsigned FLAGS_LEFT = 1u << TOKENS_PER_GROUP;
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

// Where a decoding stands: what is left of the source, and the output so far.
struct Cursor {
    const std::uint8_t* in;
    const std::uint8_t* const in_end;
    std::uint8_t* out;
    std::uint8_t* const start;
    std::uint8_t* const out_end;
};

// The guard every bound of the decoder goes through: when `condition` does
// not hold, decoding stops with `failure` and the bytes produced so far.
#define DECODE_GUARD(condition, failure)                                           \
    do {                                                                           \
        if (!(condition)) [[unlikely]]                                             \
            return DecodeResult{(failure), static_cast<std::size_t>(out - start)}; \
    } while (0)

// The group loop: decodes whole groups while at least GROUP_SOURCE_ROOM
// bytes of source and GROUP_OUTPUT_ROOM bytes of room are left, which no
// group can exhaust, so the only bound left to check is a match reaching
// before the start. Returns the result when the stream ends (or fails)
// within those groups; nothing when the room runs out, at a group's start.
std::optional<DecodeResult> decode_groups(Cursor& cursor, DecodeStats* stats)
{
    const std::uint8_t* in = cursor.in;
    std::uint8_t* out = cursor.out;
    std::uint8_t* const start = cursor.start;
    while (static_cast<std::size_t>(cursor.in_end - in) >= GROUP_SOURCE_ROOM &&
           static_cast<std::size_t>(cursor.out_end - out) >= GROUP_OUTPUT_ROOM) {
        unsigned group_flags = *in++;
        unsigned tokens = 0;
        while (tokens < TOKENS_PER_GROUP) {
            // A literal is a byte whose top bit equals its flag bit.
            unsigned pending = group_flags >> tokens;
            std::uint64_t differ =
                ((load_word(in) >> LITERAL_BIT) & LOW_BIT_OF_EACH_BYTE) ^ SPREAD_FLAGS[pending];
            unsigned run =
                std::min(static_cast<unsigned>(std::countr_zero(differ)) / 8, TOKENS_PER_GROUP - tokens);
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
            const LeadInfo& info = lead_info(pending & 1, in[0]);
            unsigned length = info.length + (in[2] & info.far);
            std::size_t distance = (info.high_d | in[1]) + 1u;
            in += info.bytes;
            tokens += 1;
            if (length == 0) {
                count(stats, END_MARK, 0, 0);
                return DecodeResult{DecodeError::NONE, static_cast<std::size_t>(out - start)};
            }
            DECODE_GUARD(distance <= static_cast<std::size_t>(out - start), DecodeError::UNDER_RUN);
            copy_match(out, distance, length);
            out += length;
            count(stats, info.token, length, distance);
        }
    }
    cursor.in = in;
    cursor.out = out;
    return std::nullopt;
}

// The guarded loop: one token at a time, from a group's start to the end
// mark, for the last groups of any stream. Its bounds, each checked before
// the byte it protects is read or written:
//   - a flag byte, a lead byte and a token's remaining bytes lie in the
//     source (else TRUNCATED);
//   - a match starts no earlier than the output's start (else UNDER_RUN);
//   - a literal's byte and a match's last byte lie within `capacity` (else
//     OVER_RUN).
DecodeResult decode_guarded(Cursor& cursor, DecodeStats* stats)
{
    const std::uint8_t* in = cursor.in;
    const std::uint8_t* const in_end = cursor.in_end;
    std::uint8_t* out = cursor.out;
    std::uint8_t* const start = cursor.start;
    std::uint8_t* const out_end = cursor.out_end;

    unsigned flags = 0;
    for (;;) {
        flags >>= 1;
        if ((flags & FLAGS_LEFT) == 0) {
            DECODE_GUARD(in < in_end, DecodeError::TRUNCATED);
            flags = GROUP_COUNTER | *in++;
        }
        DECODE_GUARD(in < in_end, DecodeError::TRUNCATED);
        unsigned lead = *in;
        const LeadInfo& info = lead_info(flags & 1, lead);
        DECODE_GUARD(static_cast<std::size_t>(in_end - in) >= info.bytes, DecodeError::TRUNCATED);
        if (info.token == LITERAL_LOW || info.token == LITERAL_HIGH) {
            DECODE_GUARD(out < out_end, DecodeError::OVER_RUN);
            *out++ = static_cast<std::uint8_t>(lead);
            in += 1;
            count(stats, info.token, 1, 0);
            continue;
        }
        if (info.token == END_MARK) {
            count(stats, END_MARK, 0, 0);
            return DecodeResult{DecodeError::NONE, static_cast<std::size_t>(out - start)};
        }
        unsigned length = info.length + (info.far != 0 ? in[2] : 0u);
        std::size_t distance = (info.high_d | in[1]) + 1u;
        in += info.bytes;
        DECODE_GUARD(distance <= static_cast<std::size_t>(out - start), DecodeError::UNDER_RUN);
        DECODE_GUARD(length <= static_cast<std::size_t>(out_end - out), DecodeError::OVER_RUN);
        // Byte by byte: a match may overlap the bytes it produces.
        const std::uint8_t* from = out - distance;
        for (unsigned i = 0; i < length; ++i)
            out[i] = from[i];
        out += length;
        count(stats, info.token, length, distance);
    }
}

#undef DECODE_GUARD

}  // namespace

DecodeResult decode_tokens_checked(const std::uint8_t* source, std::size_t source_size,
                                   std::uint8_t* destination, std::size_t capacity, DecodeStats* stats)
{
    Cursor cursor{source, source + source_size, destination, destination, destination + capacity};
    if (std::optional<DecodeResult> result = decode_groups(cursor, stats))
        return *result;
    return decode_guarded(cursor, stats);
}

}  // namespace codec
