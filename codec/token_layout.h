// The layout of the token stream's tokens: one table that the writer, the
// decoder's two loops and every stream reader take their bytes from.
//
// A stream is a sequence of groups. A group is one flag byte followed by the
// bytes of up to eight tokens; bit i of the flag byte (bit 0 first) belongs
// to the group's i-th token. Every group but the last holds eight tokens; the
// last one ends with the end mark. The stream carries no header, length or
// checksum: the containers around it hold the length.
//
// A token is known by its flag bit together with the tag bits of its lead
// byte (the bits under `lead_mask`). A match stores d = distance - 1: its
// bits 8 and up sit in the lead byte, its low byte follows the lead byte.
// MATCH_NEAR also keeps length - 5 in the lead byte's low bits; MATCH_FAR
// keeps it in a third byte. The lead byte of the end mark under flag bit 0
// is never a MATCH_NEAR: a MATCH_NEAR's length bits are at most 6.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

namespace codec {

enum TokenClass : std::uint8_t {
    LITERAL_LOW = 0,
    MATCH_3 = 1,
    MATCH_NEAR = 2,
    END_MARK = 3,
    LITERAL_HIGH = 4,
    MATCH_4 = 5,
    MATCH_FAR = 6,
};
inline constexpr unsigned TOKEN_CLASSES = 7;

struct TokenKind {
    std::uint8_t flag_bit;
    std::uint8_t lead_bits;     // the lead byte's tag; a literal is the byte itself
    std::uint8_t lead_mask;     // which bits of the lead byte are the tag
    std::uint8_t bytes;         // with the lead byte
    std::uint8_t high_d_mask;   // the lead byte's bits that hold d >> 8
    std::uint8_t high_d_shift;  // where bit 8 of d sits in the lead byte
    std::uint8_t length_mask;   // the lead byte's bits that hold length - min_length
    bool length_byte;           // a third byte holds length - min_length
    std::uint16_t min_length;
    std::uint16_t max_length;
    std::uint16_t max_distance;  // 0 for tokens that are not matches
};

// Indexed by TokenClass.
//   flag lead  mask  bytes  d>>8 at     length          distance
inline constexpr TokenKind token_table[TOKEN_CLASSES] = {
    {0, 0x00, 0x80, 1, 0x00, 0, 0x00, false, 1, 1, 0},       // LITERAL_LOW: the byte, 0x00-0x7F
    {0, 0x80, 0xC0, 2, 0x3F, 0, 0x00, false, 3, 3, 16384},   // MATCH_3
    {0, 0xC0, 0xC0, 2, 0x38, 3, 0x07, false, 5, 11, 2048},   // MATCH_NEAR
    {0, 0xFF, 0xFF, 1, 0x00, 0, 0x00, false, 0, 0, 0},       // END_MARK
    {1, 0x80, 0x80, 1, 0x00, 0, 0x00, false, 1, 1, 0},       // LITERAL_HIGH: the byte, 0x80-0xFF
    {1, 0x40, 0xC0, 2, 0x3F, 0, 0x00, false, 4, 4, 16384},   // MATCH_4
    {1, 0x00, 0xC0, 3, 0x3F, 0, 0x00, true, 5, 260, 16384},  // MATCH_FAR
};

inline constexpr int MIN_MATCH_LENGTH = token_table[MATCH_3].min_length;
inline constexpr int MAX_MATCH_LENGTH = token_table[MATCH_FAR].max_length;
inline constexpr int MAX_DISTANCE = token_table[MATCH_FAR].max_distance;
inline constexpr int MAX_NEAR_DISTANCE = token_table[MATCH_NEAR].max_distance;
inline constexpr int MIN_NEAR_LENGTH = token_table[MATCH_NEAR].min_length;
inline constexpr int MAX_NEAR_LENGTH = token_table[MATCH_NEAR].max_length;
inline constexpr std::uint8_t END_MARK_BYTE = token_table[END_MARK].lead_bits;
// The lead byte's bit that tells a literal: it equals the token's flag bit.
inline constexpr unsigned LITERAL_BIT = std::countr_zero(token_table[LITERAL_HIGH].lead_bits);

inline constexpr unsigned TOKENS_PER_GROUP = 8;  // one flag byte's bits
inline constexpr unsigned MAX_TOKEN_BYTES = token_table[MATCH_FAR].bytes;
inline constexpr unsigned GROUP_BUFFER_SIZE = 33;
static_assert(1 + TOKENS_PER_GROUP * MAX_TOKEN_BYTES <= GROUP_BUFFER_SIZE,
              "a full group must fit the group buffer");

// What the format promises, checked here so that a change to the table
// cannot break it quietly.
constexpr bool literals_follow_their_flag_bit()
{
    const TokenKind& low = token_table[LITERAL_LOW];
    const TokenKind& high = token_table[LITERAL_HIGH];
    return low.flag_bit == 0 && high.flag_bit == 1 && low.lead_mask == high.lead_mask &&
           high.lead_bits == high.lead_mask && low.lead_bits == 0 && std::popcount(high.lead_mask) == 1;
}
static_assert(literals_follow_their_flag_bit(), "a literal is a byte whose top bit is its flag bit");

constexpr bool matches_fit_their_fields()
{
    for (TokenClass c : {MATCH_3, MATCH_NEAR, MATCH_4, MATCH_FAR}) {
        const TokenKind& kind = token_table[c];
        unsigned high_d = (kind.max_distance - 1u) >> 8;
        if ((high_d << kind.high_d_shift & ~unsigned{kind.high_d_mask}) != 0 ||
            (kind.high_d_mask & kind.lead_mask) != 0 || (kind.length_mask & kind.lead_mask) != 0)
            return false;
        unsigned spread = kind.max_length - kind.min_length;
        if (kind.length_byte ? spread > 0xFFu : (spread & ~unsigned{kind.length_mask}) != 0)
            return false;
    }
    // The end mark is never read as a MATCH_NEAR's longest length.
    const TokenKind& near = token_table[MATCH_NEAR];
    return (near.lead_bits | (near.max_length - near.min_length)) < END_MARK_BYTE;
}
static_assert(matches_fit_their_fields(), "every match's fields must fit the token's bits");
// classify_match relies on this order: one length each for the 2-byte
// MATCH_3 and MATCH_4, then MATCH_NEAR, then MATCH_FAR for the rest.
static_assert(token_table[MATCH_3].min_length == token_table[MATCH_3].max_length &&
                  token_table[MATCH_4].min_length == token_table[MATCH_3].max_length + 1 &&
                  token_table[MATCH_NEAR].min_length == token_table[MATCH_4].max_length + 1 &&
                  token_table[MATCH_FAR].min_length == token_table[MATCH_NEAR].min_length &&
                  token_table[MATCH_FAR].max_distance == token_table[MATCH_3].max_distance &&
                  token_table[MATCH_FAR].max_distance == token_table[MATCH_4].max_distance,
              "match classes must cover every length and distance in this order");

// The class of the token under flag bit `flag` with lead byte `lead`: the
// row whose tag matches, the most specific tag winning (the end mark over
// MATCH_NEAR).
constexpr TokenClass class_of(unsigned flag, unsigned lead)
{
    TokenClass found = END_MARK;
    int found_bits = -1;
    for (unsigned c = 0; c < TOKEN_CLASSES; ++c) {
        const TokenKind& kind = token_table[c];
        if (kind.flag_bit == flag && (lead & kind.lead_mask) == kind.lead_bits &&
            std::popcount(kind.lead_mask) > found_bits) {
            found = static_cast<TokenClass>(c);
            found_bits = std::popcount(kind.lead_mask);
        }
    }
    return found;
}

// What a reader needs of a token, per flag bit and lead byte, so that it
// reads any token without branching on its class: d = high_d | the byte
// after the lead byte; length = `length` + (the byte after that & far).
struct LeadInfo {
    std::uint16_t high_d;
    std::uint16_t length;  // 0 for the end mark, 1 for a literal
    std::uint8_t bytes;    // with the lead byte
    std::uint8_t far;      // 0xFF when a length byte follows, else 0
    TokenClass token;
};

constexpr std::array<LeadInfo, 512> make_lead_table()
{
    std::array<LeadInfo, 512> table{};
    for (unsigned flag = 0; flag < 2; ++flag) {
        for (unsigned lead = 0; lead < 256; ++lead) {
            TokenClass token = class_of(flag, lead);
            const TokenKind& kind = token_table[token];
            table[flag << 8 | lead] = {
                static_cast<std::uint16_t>(((lead & kind.high_d_mask) >> kind.high_d_shift) << 8),
                static_cast<std::uint16_t>(kind.min_length + (lead & kind.length_mask)),
                kind.bytes,
                static_cast<std::uint8_t>(kind.length_byte ? 0xFF : 0),
                token,
            };
        }
    }
    return table;
}
// Indexed by flag bit << 8 | lead byte.
inline constexpr std::array<LeadInfo, 512> LEAD_TABLE = make_lead_table();

inline const LeadInfo& lead_info(unsigned flag, unsigned lead) { return LEAD_TABLE[flag << 8 | lead]; }

// One token as a stream reader sees it.
struct Token {
    TokenClass token;
    std::uint8_t literal;  // for the literal classes
    unsigned length;       // bytes it produces; 0 for the end mark
    unsigned distance;     // for matches
};

// Calls visit(const Token&) for each token of the stream in [data, data +
// size), the end mark last, as long as visit returns true. Returns the
// stream's size up to and with its end mark, or 0 when visit stopped it or
// the stream ends before its end mark or inside a token.
template <class Visit> std::size_t for_each_token(const std::uint8_t* data, std::size_t size, Visit visit)
{
    std::size_t at = 0;
    while (at < size) {
        unsigned flags = data[at++];
        for (unsigned i = 0; i < TOKENS_PER_GROUP; ++i) {
            if (at >= size)
                return 0;
            unsigned lead = data[at];
            const LeadInfo& info = lead_info(flags >> i & 1, lead);
            if (size - at < info.bytes)
                return 0;
            Token token{info.token, static_cast<std::uint8_t>(lead), info.length, 0};
            if (token_table[info.token].max_distance != 0) {
                token.distance = (info.high_d | data[at + 1]) + 1u;
                if (info.far != 0)
                    token.length += data[at + 2];
            }
            at += info.bytes;
            if (!visit(token))
                return 0;
            if (info.token == END_MARK)
                return at;
        }
    }
    return 0;
}

}  // namespace codec
