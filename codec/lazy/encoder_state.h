// The encoder's state, and the constants and hashes every part of it
// shares: the window (encoder_window.h), the plain three-byte chains with
// their crowded marks (plain_chains.h), the prefix chains and their walk
// (prefix_walk.h) and the lazy driver (encoder.cpp).
//
// Every choice the encoder makes (buffer contents past the input's end,
// tie-breaks, crowded marks) shapes the output stream, which other programs
// depend on byte for byte: the encoder reproduces the same stream for the
// same input. The invariants the parts rely on are checked by assert, which
// the Debug (sanitizer) build keeps and the release builds compile out.
#pragma once

#include "encoder.h"
#include "prefix_chains.h"

#include <cstddef>
#include <cstdint>

namespace codec::encoding {

inline constexpr unsigned DICT_SIZE = 16384;  // window; positions rebase by this at each slide
inline constexpr unsigned MAX_MATCH = 260;    // longest match a MATCH_FAR can hold
inline constexpr unsigned MIN_MATCH = 3;      // shortest match worth a token
inline constexpr unsigned HASH_SIZE = 32768;  // 15-bit hash of three bytes
inline constexpr unsigned CHAIN_LIMIT = 260;  // walks longer than this mark the bucket crowded
inline constexpr unsigned SKIP_LIMIT = 257;   // how far a search may shift past crowded buckets
inline constexpr unsigned TEXT_SIZE = 2 * DICT_SIZE + MAX_MATCH;
inline constexpr unsigned FIRST_READ = DICT_SIZE + MAX_MATCH;  // 16644
inline constexpr unsigned PREV_MASK = DICT_SIZE - 1;
// Word-sized loads may read this far past the last byte they use; the
// padding is never written and never decides anything.
inline constexpr unsigned TEXT_PADDING = 8;

// How often AUTOMATIC weighs the work of its walks, in positions.
inline constexpr unsigned CHECK_INTERVAL = 4096;
// Candidates per position a plain walk visits before prefix chains pay for
// their upkeep, and below which they no longer do. Low, because a plain walk
// waits on each link in turn while the prefix chains' upkeep overlaps: with
// five levels they win on CPU time from about 16 (executables, tar files),
// though they run more instructions.
inline constexpr std::uint64_t PREFIX_ON_WORK = 16;
inline constexpr std::uint64_t PREFIX_OFF_WORK = 4;

// The three-byte hash: the low bits of the first byte, then the second and
// third bytes each shifted in by HASH_SHIFT, 15 bits in all. Moving on one
// position keeps the hash's low HASH_KEPT_MASK bits and shifts the new byte
// in, which drops the first byte's bits.
inline constexpr unsigned HASH_SHIFT = 5;
inline constexpr unsigned HASH_FIRST_MASK = 0x1F;
inline constexpr unsigned HASH_KEPT_MASK = 0x3FF;

static_assert(static_cast<int>(MAX_MATCH) == MAX_MATCH_LENGTH);
static_assert(static_cast<int>(DICT_SIZE) == MAX_DISTANCE);
static_assert(2 * DICT_SIZE <= 65536, "positions must fit the 16-bit chain entries");
static_assert(((HASH_FIRST_MASK << 2 * HASH_SHIFT) ^ (255u << HASH_SHIFT) ^ 255u) < HASH_SIZE,
              "the hash must stay in range");
static_assert((HASH_KEPT_MASK << HASH_SHIFT | 255u) < HASH_SIZE, "the rolled hash must stay in range");
static_assert(prefix::PREFIX_LENGTHS[0] == MIN_MATCH, "the prefix chains hold every match");
static_assert(prefix::PREFIX_LENGTHS[prefix::PREFIX_LEVELS - 1] + prefix::PREFIX_OVERREAD <=
                  MAX_MATCH + TEXT_PADDING,
              "prefix hashes at the last position must stay inside text");

// Only what the search reads before writing starts zeroed (see
// encode_stream_with): the tables below hold about 1.0 MB, most of it the
// prefix chains, and touching pages a run never uses costs small inputs more
// than their whole encoding.
struct Encoder {
    std::uint8_t text[TEXT_SIZE + TEXT_PADDING];
    std::uint16_t head[HASH_SIZE];
    // Written before it is read: a walk starts from head. Each link is kept
    // twice, at pos & PREV_MASK and DICT_SIZE above, so that a walk indexes
    // it by the position itself: a walk is a chain of dependent loads, and
    // masking would add a cycle to every step (4-5% of CPU time on prose,
    // C headers and executables).
    std::uint16_t prev[2 * DICT_SIZE];
    std::uint8_t crowded[HASH_SIZE];
    unsigned pos = DICT_SIZE;
    unsigned remainder = 0;  // input bytes from pos to the end of what was read
    unsigned hash = 0;       // hash of text[pos], text[pos + 1], text[pos + 2]
    unsigned match_len = 0;
    unsigned match_pos = 0;
    bool slid = false;  // has the window slid yet?
    ByteReader input = {};

    // Every position in [pos, crowded_until) has a crowded bucket.
    unsigned crowded_until = 0;

    // Kept only while `prefix_on`, and set up when it turns on: the prefix
    // chains, and per bucket the number of insertions so far (mod 2^16) and
    // of positions in the window.
    SearchMode mode = SearchMode::AUTOMATIC;
    bool prefix_on = false;
    prefix::PrefixChains<DICT_SIZE> chains;
    std::uint16_t insertions[HASH_SIZE];
    std::uint16_t insertion_number[DICT_SIZE];  // per position: its bucket's count before it
    std::uint16_t members[HASH_SIZE];
    std::uint16_t trigram_members[prefix::PREFIX_HASH_SIZE];  // per bucket of the shortest level

    // Plain walk lengths (visited, or what the plain walk would have
    // visited) since the last check, and positions since then.
    std::uint64_t walk_work = 0;
    unsigned last_walk_len = 0;  // the best length after the last prefix walk
    unsigned positions_since_check = 0;
};
// The size the comment above states, in tenths of a megabyte.
inline constexpr std::size_t STATED_SIZE_IN_TENTHS = 10;
inline constexpr std::size_t TENTH_OF_A_MEGABYTE = 100'000;
static_assert((sizeof(Encoder) + TENTH_OF_A_MEGABYTE / 2) / TENTH_OF_A_MEGABYTE == STATED_SIZE_IN_TENTHS,
              "the comment above states the tables' size");

inline unsigned hash3(std::uint8_t a, std::uint8_t b, std::uint8_t c)
{
    return (static_cast<unsigned>(a & HASH_FIRST_MASK) << 2 * HASH_SHIFT) ^
           (static_cast<unsigned>(b) << HASH_SHIFT) ^ c;
}

inline unsigned hash_at(const Encoder& e, unsigned at)
{
    return hash3(e.text[at], e.text[at + 1], e.text[at + 2]);
}

// The hash of the three bytes one position on, given the byte entering.
inline unsigned roll(unsigned hash, std::uint8_t entering)
{
    return ((hash & HASH_KEPT_MASK) << HASH_SHIFT) ^ entering;
}

}  // namespace codec::encoding
