// Extra hash chains keyed on longer prefixes, for the encoder's search.
//
// Level i links every position of the window to the previous one whose
// first PREFIX_LENGTHS[i] bytes hash alike. Any earlier position that agrees
// with the current one on n bytes starting at offset j is therefore on the
// chain of level i at offset j for every level whose length fits in n - j,
// so a search that needs a match longer than n - 1 may walk that chain
// instead of the crowded three-byte one: it skips only candidates that could
// not have won. A chain holds a superset (hashes collide), never a subset.
//
// Like the three-byte chains, entries are 16-bit positions, 0 is the empty
// mark, links are indexed by position & (DICT_SIZE - 1), and every entry is
// rebased at each slide. The cost is PREFIX_LEVELS hashes and stores per
// inserted position, and one more hash when it leaves the window (the
// longest level's buckets are counted), which is why the encoder keeps them
// only while its walks run long.
#pragma once

#include "codec/words.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <utility>

namespace codec::prefix {

inline constexpr unsigned PREFIX_LEVELS = 5;
// Spaced closely at the short end, where each extra byte of a low-entropy
// input halves a chain. Past 12 bytes few candidates remain on any input we
// measured, and a longer level costs every position a hash, two stores and
// its share of each slide's rebase; 16, 24 and 32-byte levels cost more than
// they saved. The three-byte level hashes all 24 bits, unlike the encoder's
// own buckets.
inline constexpr unsigned PREFIX_LENGTHS[PREFIX_LEVELS] = {3, 4, 6, 8, 12};
inline constexpr unsigned PREFIX_HASH_BITS = 15;
inline constexpr unsigned PREFIX_HASH_SIZE = 1u << PREFIX_HASH_BITS;
// Hashing loads whole words, so it may read this far past a prefix's end.
inline constexpr unsigned PREFIX_OVERREAD = 7;

// The hash of the first Length bytes at `at`, below PREFIX_HASH_SIZE: one
// multiply per word, the last word masked to the prefix.
template <unsigned Length> inline unsigned prefix_hash(const std::uint8_t* at)
{
    constexpr std::uint64_t MULTIPLIER = 0x9E3779B97F4A7C15u;  // odd, bits well spread
    std::uint64_t hash = 0;
    for (unsigned i = 0; i < Length; i += 8) {
        std::uint64_t word = load_word(at + i);
        if (Length - i < 8)
            word &= (std::uint64_t{1} << (8 * (Length - i))) - 1;
        hash = (hash ^ word) * MULTIPLIER;
    }
    return static_cast<unsigned>(hash >> (64 - PREFIX_HASH_BITS));
}

using PrefixHash = unsigned (*)(const std::uint8_t*);

template <std::size_t... Level>
constexpr std::array<PrefixHash, PREFIX_LEVELS> make_level_hashes(std::index_sequence<Level...>)
{
    return {&prefix_hash<PREFIX_LENGTHS[Level]>...};
}
// Per level, its prefix hash.
inline constexpr std::array<PrefixHash, PREFIX_LEVELS> LEVEL_HASH =
    make_level_hashes(std::make_index_sequence<PREFIX_LEVELS>{});

// The hashes of every level at `at`. All of them are taken before any chain
// is written, so the compiler may share the loads and the products that
// the longer prefixes have in common with the shorter ones.
template <std::size_t... Level>
inline void hash_every_level(const std::uint8_t* at, unsigned (&hashes)[PREFIX_LEVELS],
                             std::index_sequence<Level...>)
{
    ((hashes[Level] = prefix_hash<PREFIX_LENGTHS[Level]>(at)), ...);
}

inline constexpr unsigned LONGEST_PREFIX = PREFIX_LENGTHS[PREFIX_LEVELS - 1];

// The highest level whose prefix is no longer than `length`; `length` must
// be at least PREFIX_LENGTHS[0].
inline unsigned level_within(unsigned length)
{
    unsigned level = 0;
    while (level + 1 < PREFIX_LEVELS && PREFIX_LENGTHS[level + 1] <= length)
        ++level;
    return level;
}

template <unsigned DictSize> struct PrefixChains {
    std::uint16_t head[PREFIX_LEVELS][PREFIX_HASH_SIZE];
    std::uint16_t prev[PREFIX_LEVELS][DictSize];
    // Per bucket of the longest level, the window positions it holds: how
    // long a walk of that bucket can run, known before walking it.
    std::uint16_t longest_members[PREFIX_HASH_SIZE];

    void clear()
    {
        std::memset(head, 0, sizeof head);
        std::memset(longest_members, 0, sizeof longest_members);
    }

    // Links position `pos` of `text` into every level; returns its bucket
    // on the shortest level.
    unsigned insert(const std::uint8_t* text, unsigned pos)
    {
        unsigned hashes[PREFIX_LEVELS];
        hash_every_level(text + pos, hashes, std::make_index_sequence<PREFIX_LEVELS>{});
        for (unsigned level = 0; level < PREFIX_LEVELS; ++level) {
            prev[level][pos & (DictSize - 1)] = head[level][hashes[level]];
            head[level][hashes[level]] = static_cast<std::uint16_t>(pos);
        }
        longest_members[hashes[PREFIX_LEVELS - 1]] += 1;
        return hashes[0];
    }

    // Uncounts the position at `at`, which has just left the window.
    void forget(const std::uint8_t* at) { longest_members[prefix_hash<LONGEST_PREFIX>(at)] -= 1; }

    // The newest position on level `level` whose prefix hashes like the one at `at`.
    unsigned newest(unsigned level, const std::uint8_t* at) const
    {
        return head[level][LEVEL_HASH[level](at)];
    }
};

}  // namespace codec::prefix
