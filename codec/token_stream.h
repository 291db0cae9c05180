// The token stream: the compressed form both packing tools write and read.
//
// A stream is a sequence of groups. A group is one flag byte followed by the
// bytes of up to eight tokens; bit i of the flag byte (bit 0 first) belongs
// to the group's i-th token. Every group but the last holds eight tokens; the
// last one ends with the end mark 0xFF. The stream carries no header, length
// or checksum: the containers around it hold the length.
//
// A token is known by its flag bit together with the top bits of its lead
// byte. With d = distance - 1:
//
//   class         flag  lead  bytes  layout                          covers
//   LITERAL_LOW     0   0x00    1    the byte (0x00-0x7F)            literal < 0x80
//   MATCH_3         0   0x80    2    0x80|d>>8, d&0xFF               length 3, distance 1-16384
//   MATCH_NEAR      0   0xC0    2    0xC0|(d>>8)<<3|(len-5), d&0xFF  length 5-11, distance 1-2048
//   END_MARK        0   0xFF    1    0xFF                            end of stream
//   LITERAL_HIGH    1   0x80    1    the byte (0x80-0xFF)            literal >= 0x80
//   MATCH_4         1   0x40    2    0x40|d>>8, d&0xFF               length 4, distance 1-16384
//   MATCH_FAR       1   0x00    3    d>>8, d&0xFF, len-5             length 5-260, distance 1-16384
//
// The lead byte 0xFF under flag bit 0 is always the end mark, never a
// MATCH_NEAR: a MATCH_NEAR's low three bits are at most 6 (length 11).
#pragma once

#include <cstdint>
#include <cstdio>

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

struct TokenKind {
    std::uint8_t flag_bit;
    std::uint8_t lead_bits;  // unused for LITERAL_HIGH: a literal is the byte itself
};

// Indexed by TokenClass.
inline constexpr TokenKind token_table[7] = {
    {0, 0x00},  // LITERAL_LOW
    {0, 0x80},  // MATCH_3
    {0, 0xC0},  // MATCH_NEAR
    {0, 0xFF},  // END_MARK
    {1, 0x80},  // LITERAL_HIGH
    {1, 0x40},  // MATCH_4
    {1, 0x00},  // MATCH_FAR
};

inline constexpr int MIN_MATCH_LENGTH = 3;
inline constexpr int MAX_MATCH_LENGTH = 260;   // MATCH_FAR's length byte holds length - 5
inline constexpr int MAX_DISTANCE = 16384;     // 14 bits of d
inline constexpr int MAX_NEAR_DISTANCE = 2048; // 11 bits of d in MATCH_NEAR
inline constexpr int MIN_NEAR_LENGTH = 5;
inline constexpr int MAX_NEAR_LENGTH = 11;     // 3 length bits; 7 would collide with 0xFF
inline constexpr std::uint8_t END_MARK_BYTE = 0xFF;

inline constexpr int TOKENS_PER_GROUP = 8;
inline constexpr int MAX_TOKEN_BYTES = 3;
inline constexpr int GROUP_BUFFER_SIZE = 33;
static_assert(1 + TOKENS_PER_GROUP * MAX_TOKEN_BYTES <= GROUP_BUFFER_SIZE,
              "a full group must fit the group buffer");

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
