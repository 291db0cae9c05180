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
//     the run's length from the top bits of the bytes and the flag bits, and
//     does so at every step, whether the run is empty or not;
//   - finds where the next token starts from that same word, so that one
//     load, a few logical operations and an add lie between one step and the
//     next;
//   - copies a match of up to 32 bytes from 16 or more behind with two
//     16-byte copies, and only nearer or longer ones apart;
//   - may write up to 31 bytes past the end of a copy, which the room allows
//     and the next token overwrites;
//   - copies a group of eight literals (its flag byte equals its bytes' top
//     bits) whole and moves 9 bytes on, with no step at all: this pays on
//     incompressible stretches and costs one load and compare per group
//     elsewhere.
// Its speed is bound by that chain from step to step (about 13 cycles) and
// by the mispredicted leaving of a group whose steps vary in number, not by
// the copies. Both loops report the same errors at the same tokens. Work is
// linear in the output size.
#include "decoder.h"

#include "token_layout.h"
#include "words.h"

#include <array>
#include <bit>
#include <cstring>
#include <limits>
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
// Eight longest matches, and what a copy may write past its end: a match
// copy writes 32 bytes from its start.
constexpr std::size_t GROUP_OUTPUT_ROOM = TOKENS_PER_GROUP * MAX_MATCH_LENGTH + 32;

// A group's flag bits still to use, the next token's lowest, under one
// 1-bit that marks the group's end: 1 alone when the group is done.
constexpr unsigned GROUP_END_BIT = 1u << TOKENS_PER_GROUP;
constexpr std::uint64_t TOP_BIT_OF_EACH_BYTE = LOW_BIT_OF_EACH_BYTE << LITERAL_BIT;

// For the flag bits left of a group (under their end bit): byte i holds
// token i's flag bit where a literal has its tag bit, and bytes at and past
// the group's end hold a tag bit that no byte can match, as past_end.
struct LiteralMask {
    std::uint64_t flags;
    std::uint64_t past_end;
};

constexpr std::array<LiteralMask, 2 * GROUP_END_BIT> make_literal_masks()
{
    std::array<LiteralMask, 2 * GROUP_END_BIT> table{};
    for (unsigned pending = 1; pending < 2 * GROUP_END_BIT; ++pending) {
        unsigned left = static_cast<unsigned>(std::bit_width(pending)) - 1;
        for (unsigned i = 0; i < WORD; ++i) {
            std::uint64_t tag_bit = std::uint64_t{1} << (8 * i + LITERAL_BIT);
            if (i >= left)
                table[pending].past_end |= tag_bit;
            else if ((pending >> i & 1) != 0)
                table[pending].flags |= tag_bit;
        }
    }
    return table;
}
constexpr std::array<LiteralMask, 2 * GROUP_END_BIT> LITERAL_MASKS = make_literal_masks();

// Where the literals that open the word at the next token end, stopping at
// the group's end: 8 * run + LITERAL_BIT, where the bytes whose tag bit
// equals their flag bit give out, or 64 when all eight are literals.
unsigned literal_stop(std::uint64_t word, const LiteralMask& mask)
{
    std::uint64_t stops = ((word ^ mask.flags) | mask.past_end) & TOP_BIT_OF_EACH_BYTE;
    return static_cast<unsigned>(std::countr_zero(stops));
}

// A match takes MATCH_BYTES, a MATCH_FAR one more: under flag bit 1, a lead
// byte whose top two bits are 0. Returns, at each byte's tag bit, whether a
// MATCH_FAR would start there.
constexpr unsigned MATCH_BYTES = 2;
std::uint64_t far_leads(std::uint64_t word, const LiteralMask& mask)
{
    return ~word & ~(word << 1) & mask.flags;
}

constexpr bool match_sizes_follow_the_top_bits()
{
    for (unsigned lead = 0; lead < 256; ++lead) {
        for (unsigned flag = 0; flag < 2; ++flag) {
            TokenClass token = class_of(flag, lead);
            bool far = flag == 1 && (lead >> (LITERAL_BIT - 1)) == 0;
            if (token != END_MARK && token_table[token].max_distance != 0 &&
                token_table[token].bytes != MATCH_BYTES + (far ? 1u : 0u))
                return false;
        }
    }
    return LITERAL_BIT == std::numeric_limits<std::uint8_t>::digits - 1;  // each byte's top bit
}
static_assert(match_sizes_follow_the_top_bits(), "a match's size must follow its flag bit and top two bits");

void count(DecodeStats* stats, TokenClass token, unsigned length, std::size_t distance)
{
    if (stats == nullptr)
        return;
    stats->tokens[token] += 1;
    stats->bytes[token] += length;
    stats->distance_sum += distance;
}

// COUNTS leaves the counting out of the group loop that does not need it.
template <bool COUNTS> void count_literals(DecodeStats* stats, unsigned run, unsigned flags)
{
    if (!COUNTS || stats == nullptr)
        return;
    unsigned high = static_cast<unsigned>(std::popcount(flags & ((1u << run) - 1)));
    stats->tokens[LITERAL_HIGH] += high;
    stats->bytes[LITERAL_HIGH] += high;
    stats->tokens[LITERAL_LOW] += run - high;
    stats->bytes[LITERAL_LOW] += run - high;
}

constexpr std::size_t WIDE = 16;

void copy_wide(std::uint8_t* to, const std::uint8_t* from)
{
    std::uint8_t chunk[WIDE];
    std::memcpy(chunk, from, WIDE);
    std::memcpy(to, chunk, WIDE);
}

// Copies a match that is longer than 2 * WIDE or nearer than WIDE, with at
// least WIDE bytes of room past its end.
void copy_match_apart(std::uint8_t* out, std::size_t distance, unsigned length)
{
    const std::uint8_t* from = out - distance;
    if (distance >= WIDE) {
        // Chunk by chunk in order: each chunk's source lies before it.
        for (unsigned i = 0; i < length; i += WIDE)
            copy_wide(out + i, from + i);
    } else if (distance >= WORD) {
        for (unsigned i = 0; i < length; i += WORD)
            std::memcpy(out + i, from + i, WORD);
    } else if (distance == 1) {
        std::memset(out, *from, length);
    } else {
        // Each byte comes from `distance` behind it, so the pattern repeats.
        for (unsigned i = 0; i < length; ++i)
            out[i] = from[i];
    }
}

// A group of eight literals holds its flag byte in its bytes' tag bits: it
// is copied whole, and the next group lies 9 bytes on, with no step to find.
// Needs the group loop's room; returns whether the group at `in` was one.
template <bool COUNTS>
bool copy_literal_group(const std::uint8_t*& in, std::uint8_t*& out, DecodeStats* stats)
{
    std::uint64_t word = load_word(in + 1);
    if (((word ^ LITERAL_MASKS[GROUP_END_BIT | *in].flags) & TOP_BIT_OF_EACH_BYTE) != 0)
        return false;
    std::memcpy(out, in + 1, WORD);
    count_literals<COUNTS>(stats, TOKENS_PER_GROUP, *in);
    in += 1 + TOKENS_PER_GROUP;
    out += TOKENS_PER_GROUP;
    return true;
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
//
// Each step copies the run of literals that starts the rest of the group (8
// bytes, whatever its length, even none: no branch on it), then the match
// that ends the run unless the group ended first. COUNTS leaves the
// counting out of the loop that does not need it.
template <bool COUNTS> std::optional<DecodeResult> decode_groups(Cursor& cursor, DecodeStats* stats)
{
    const std::uint8_t* in = cursor.in;
    std::uint8_t* out = cursor.out;
    std::uint8_t* const start = cursor.start;
    while (static_cast<std::size_t>(cursor.in_end - in) >= GROUP_SOURCE_ROOM &&
           static_cast<std::size_t>(cursor.out_end - out) >= GROUP_OUTPUT_ROOM) {
        if (copy_literal_group<COUNTS>(in, out, stats))
            continue;
        unsigned pending = GROUP_END_BIT | *in++;
        for (;;) {
            // The next token's place in the source is the loop's one chain
            // from step to step: it is found from the word alone.
            std::uint64_t word = load_word(in);
            const LiteralMask& mask = LITERAL_MASKS[pending];
            unsigned stop = literal_stop(word, mask);
            unsigned run = stop / 8;
            std::memcpy(out, in, WORD);
            count_literals<COUNTS>(stats, run, pending);
            const std::uint8_t* token = in + run;
            out += run;
            pending >>= run;
            if (pending == 1) {
                in = token;
                break;
            }
            // A match or the end mark, read without branching on its
            // class: the room allows reading all three bytes.
            in = token + MATCH_BYTES + ((far_leads(word, mask) >> stop) & 1);
            const LeadInfo& info = lead_info(pending & 1, token[0]);
            unsigned length = info.length + (token[2] & info.far);
            std::size_t distance = (info.high_d | token[1]) + 1u;
            pending >>= 1;
            if (length == 0) [[unlikely]] {
                count(stats, END_MARK, 0, 0);
                return DecodeResult{DecodeError::NONE, static_cast<std::size_t>(out - start)};
            }
            DECODE_GUARD(distance <= static_cast<std::size_t>(out - start), DecodeError::UNDER_RUN);
            if (distance >= WIDE && length <= 2 * WIDE) [[likely]] {
                // The second chunk may read what the first wrote.
                copy_wide(out, out - distance);
                copy_wide(out + WIDE, out + WIDE - distance);
            } else
                copy_match_apart(out, distance, length);
            out += length;
            if constexpr (COUNTS)
                count(stats, info.token, length, distance);
            if (pending == 1)
                break;
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
    std::optional<DecodeResult> result =
        stats != nullptr ? decode_groups<true>(cursor, stats) : decode_groups<false>(cursor, stats);
    if (result)
        return *result;
    return decode_guarded(cursor, stats);
}

}  // namespace codec
