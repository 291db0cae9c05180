// Searching through the prefix chains (prefix_chains.h) instead of the
// plain three-byte ones, with the same outcome.
//
// What bounds the work. A walk of the three-byte chains has no length
// limit, and once every bucket an input uses is crowded the skip gives up
// and walks a whole bucket: thousands of candidates per byte on low-entropy
// input. So while walks run long the encoder also keeps prefix chains and
// searches those instead; the result is the same because a walk's outcome
// is fixed by three things, each reproduced:
//   - the winner is the newest candidate of the bucket whose length (capped
//     at `max`) is the largest, if that beats match_len; a prefix chain
//     holds every candidate that could still win, newest first;
//   - a walk stops at the first candidate that reaches `max`;
//   - the crowded mark depends on how many candidates the plain walk would
//     have visited; per-bucket counts of insertions and of window members
//     give that number without visiting them.
// A shifted search and its retry are reproduced as a pair: their outcome
// follows from the longest matches with and without the nearest positions,
// and only rarely needs the shifted bucket itself (walk_prefix_shifted).
#pragma once

#include "encoder_state.h"

namespace codec::encoding {

// Links position `at`, whose three-byte hash is `hash`, into the prefix
// chains and counts it. Out of line: inlined, its five hashes would crowd
// the plain path's registers at every call site.
void insert_prefix(Encoder& e, unsigned at, unsigned hash);

// Forgets the counts of the position that has just left the window.
inline void leave_window(Encoder& e)
{
    e.members[hash_at(e, e.pos - DICT_SIZE)] -= 1;
    e.trigram_members[prefix::prefix_hash<MIN_MATCH>(e.text + e.pos - DICT_SIZE)] -= 1;
    e.chains.forget(e.text + e.pos - DICT_SIZE);
}

// Builds the prefix chains and counts for the positions already in the window.
void start_prefix_chains(Encoder& e);

// Weighs the walks of the last CHECK_INTERVAL positions and turns the prefix
// chains on or off.
void choose_search(Encoder& e);

// The search at pos in the true bucket, as the plain walk does it.
void walk_prefix(Encoder& e);

// The search at pos shifted by off to bucket h, and its retry, as the plain
// walks do them.
void walk_prefix_shifted(Encoder& e, unsigned h, unsigned off);

}  // namespace codec::encoding
