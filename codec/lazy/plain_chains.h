// The plain three-byte hash chains and their crowded marks.
//
// `head` maps a hash to its most recent position, `prev` links each position
// to the one before it with the same hash; 0 is the empty mark, since
// position 0 is never a real one. A bucket whose walk looks at more than
// CHAIN_LIMIT candidates is marked crowded until the next slide; later
// searches then try the buckets of the next few positions (a shift of `off`)
// and take a candidate whose bytes at `off` agree, measuring the true length
// from offset 0. If the shifted search finds nothing longer than off + 2
// bytes, it retries the true bucket, accepting at most off + 2 bytes.
//
// The skip past crowded buckets remembers how far the buckets ahead are
// known to be crowded (marks only accumulate until the next slide), so it
// costs O(1) per byte amortised instead of up to SKIP_LIMIT steps.
#pragma once

#include "encoder_window.h"
#include "prefix_walk.h"

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <cstring>

namespace codec::encoding {

// Links the `count` positions from `at` to `entries`, in both copies.
// Positions that are inserted always lie in the upper half of the window,
// so `at` is the index of the second copy and at - DICT_SIZE (at &
// PREV_MASK) that of the first: both stores address off `at` directly,
// without masking it.
[[gnu::always_inline]] inline void set_links(Encoder& e, unsigned at, const std::uint16_t* entries,
                                             unsigned count)
{
    assert(at >= DICT_SIZE && at + count <= 2 * DICT_SIZE);
    std::memcpy(&e.prev[at], entries, count * sizeof *entries);
    std::memcpy(&e.prev[at - DICT_SIZE], entries, count * sizeof *entries);
}

// Links position `at` to `entry`, in both copies.
[[gnu::always_inline]] inline void set_link(Encoder& e, unsigned at, std::uint16_t entry)
{
    set_links(e, at, &entry, 1);
}

// Links pos into its chain. Every position is inserted once, in increasing
// order, after the search at it: a position is never its own candidate.
inline void insert(Encoder& e)
{
    assert(e.head[e.hash] < e.pos);
    set_link(e, e.pos, e.head[e.hash]);
    e.head[e.hash] = static_cast<std::uint16_t>(e.pos);
    if (e.prefix_on)
        insert_prefix(e, e.pos, e.hash);
}

// Within a run of one byte every position hashes like the one before it,
// so each links to the one before it; the stretch below links RUN_STEP of
// them at once. Linking them one at a time, each waits on the head entry
// that the one before has just stored, which made runs (zeros above all)
// the slowest bytes to step over.
inline constexpr unsigned RUN_STEP = 8;

// Whether the RUN_STEP positions after `at` hash like `at` itself because
// all their bytes equal its byte: the RUN_STEP + 3 bytes from `at` are one
// byte repeated.
inline bool repeats_one_byte(const std::uint8_t* at)
{
    static_assert(RUN_STEP == WORD_BYTES);
    std::uint64_t first = load_word(at);
    return first == load_word(at + 1) && first == load_word(at + 3);
}

// Links the RUN_STEP positions after `pos`, which is linked and the head of
// bucket `hash`, its own, each to the one before it, as linking them one at
// a time would.
inline void link_run(Encoder& e, unsigned pos, unsigned hash)
{
    assert(e.head[hash] == pos && hash == hash_at(e, pos));
    // Gathered first, so that each copy is written with one store.
    std::uint16_t links[RUN_STEP];
    for (unsigned i = 0; i < RUN_STEP; ++i)
        links[i] = static_cast<std::uint16_t>(pos + i);
    set_links(e, pos + 1, links, RUN_STEP);
    e.head[hash] = static_cast<std::uint16_t>(pos + RUN_STEP);
}

// Steps over `count` positions, linking each into its chain: the rest of an
// emitted match. On compressible input this runs for most bytes, so while
// only the three-byte chains are kept it runs in stretches that stop short
// of the next slide, with the state in locals.
inline void advance_and_insert(Encoder& e, unsigned count)
{
    while (count > 0) {
        unsigned steps = std::min(count, 2 * DICT_SIZE - 1 - e.pos);
        if (e.prefix_on || steps == 0) {
            advance(e);
            insert(e);
            count -= 1;
            continue;
        }
        assert(e.remainder >= steps && e.pos + steps < 2 * DICT_SIZE);  // no slide in the stretch
        unsigned pos = e.pos;
        unsigned hash = e.hash;
        for (const unsigned end = pos + steps; pos != end;) {
            if (end - pos >= RUN_STEP && repeats_one_byte(e.text + pos)) {
                link_run(e, pos, hash);
                pos += RUN_STEP;
                continue;
            }
            pos += 1;
            hash = roll(hash, e.text[pos + 2]);
            set_link(e, pos, e.head[hash]);
            e.head[hash] = static_cast<std::uint16_t>(pos);
        }
        e.pos = pos;
        e.hash = hash;
        e.remainder -= steps;
        e.positions_since_check += steps;
        count -= steps;
    }
}

// The bucket and shift a search starts from (step 2 of the search).
struct Start {
    unsigned h;
    unsigned off;
};

inline Start skip_crowded_buckets(Encoder& e)
{
    if (e.crowded_until <= e.pos && !e.crowded[e.hash])
        return {e.hash, 0};  // the common case, without hashing again
    unsigned at = std::max(e.pos, e.crowded_until);
    unsigned limit = e.pos + SKIP_LIMIT;
    while (at < limit && e.crowded[hash_at(e, at)])
        at += 1;
    e.crowded_until = at;
    if (at == limit)
        return {e.hash, 0};  // every bucket ahead is crowded: search the true one
    return {hash_at(e, at), at - e.pos};
}

// Records a new best match. True when the walk must stop because it
// reached `max`. A match starts inside the window, never before the input,
// and never reaches past the lookahead.
inline bool take_match(Encoder& e, unsigned candidate, unsigned len, unsigned max)
{
    assert(candidate > window_floor(e) && candidate < e.pos);
    assert(len >= e.match_len && len <= max && max <= MAX_MATCH);  // equal: a newer copy of as many bytes
    e.match_pos = candidate;
    e.match_len = len;
    return len == max;
}

// The plain walk of bucket h, shifted by off. Returns the candidates visited.
// Most candidates fail the quick test, so the loop keeps the best length and
// the two bytes a candidate must match in registers, and indexes the quick
// test's bytes directly from the chain entry.
[[gnu::always_inline]] inline unsigned walk_plain(Encoder& e, unsigned h, unsigned off, unsigned max)
{
    const unsigned scan_end = window_floor(e) + off;
    const std::uint8_t* const current = e.text + e.pos;
    unsigned best = e.match_len;
    assert(best >= 2 && off < SKIP_LIMIT);
    std::uint16_t wanted = load_pair(current + best - 1);
    // scan + quick_at, taken mod 2^32, is the index of the candidate's byte
    // best - 1; scan > scan_end >= off keeps it inside text.
    unsigned quick_at = best - 1 - off;
    unsigned chain = 0;
    for (unsigned scan = e.head[h]; scan > scan_end; scan = e.prev[scan]) {
        chain += 1;
        assert(scan - off > window_floor(e));  // a scan never starts before the window
        if (load_pair(e.text + (scan + quick_at)) != wanted)
            continue;
        const std::uint8_t* const candidate = e.text + (scan - off);
        unsigned len = match_length(candidate, current, max);
        if (len <= best)
            continue;
        best = len;
        if (take_match(e, scan - off, len, max))
            break;
        wanted = load_pair(current + best - 1);
        quick_at = best - 1 - off;
    }
    return chain;
}

// Marks bucket h crowded if a plain walk of it visited more than
// CHAIN_LIMIT candidates.
inline void count_walk(Encoder& e, unsigned h, unsigned visited)
{
    e.walk_work += visited;
    if (visited > CHAIN_LIMIT)
        e.crowded[h] = 1;
}

// One walk of bucket h shifted by off; marks the bucket crowded as the plain
// walk would. Inlined for the same reason as advance.
[[gnu::always_inline]] inline void walk_plain_chains(Encoder& e, unsigned h, unsigned off, unsigned max)
{
    count_walk(e, h, walk_plain(e, h, off, max));
}

}  // namespace codec::encoding
