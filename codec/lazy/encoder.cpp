// LZ77 over a 16384-byte window: hash chains on three-byte prefixes, a
// "crowded" mark per bucket and one-step lazy matching. This file is the
// lazy driver: it searches at every position, holds the best match one
// position back, and emits it unless the next position's match is longer.
// The window is in encoder_window.h, the searches in plain_chains.h and
// prefix_walk.h, the state they share in encoder_state.h.
#include "encoder.h"

#include "encoder_state.h"
#include "encoder_window.h"
#include "plain_chains.h"
#include "prefix_walk.h"

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

namespace codec {
namespace {

using namespace encoding;

// Searches at pos for a match longer than match_len, then links pos.
void find_and_insert(Encoder& e)
{
    if (e.mode == SearchMode::AUTOMATIC && e.positions_since_check >= CHECK_INTERVAL)
        choose_search(e);
    if (e.match_len < 2)
        e.match_len = 2;
    e.match_pos = e.pos;
    Start start = skip_crowded_buckets(e);
    if (e.prefix_on) {
        if (start.off == 0)
            walk_prefix(e);
        else
            walk_prefix_shifted(e, start.h, start.off);
    } else {
        walk_plain_chains(e, start.h, start.off, MAX_MATCH);
        // The shifted search found nothing longer than its shift could
        // promise: retry the true bucket, capped at that length.
        if (start.off != 0 && e.match_len <= start.off + 2)
            walk_plain_chains(e, e.hash, 0, start.off + 2);
    }
    insert(e);
}

// Matches near the end never extend past it: the bytes beyond it take part
// in searches but not in what is emitted.
void clamp_to_remainder(Encoder& e) { e.match_len = std::min(e.match_len, e.remainder); }

}  // namespace

EncodeError encode_stream(ByteReader input, TokenWriter& writer)
{
    return encode_stream_with(input, writer, SearchMode::AUTOMATIC);
}

EncodeError encode_stream_with(ByteReader input, TokenWriter& writer, SearchMode mode)
{
    // One encoder per stream. The window's bytes past the input's end take
    // part in searches and an empty bucket or mark must read 0, so those
    // start zeroed; the rest is written before it is read.
    std::unique_ptr<Encoder> owner(new (std::nothrow) Encoder);
    if (owner == nullptr)
        return EncodeError::NO_MEMORY;
    Encoder& e = *owner;
    std::memset(e.text, 0, sizeof e.text);
    std::memset(e.head, 0, sizeof e.head);
    std::memset(e.crowded, 0, sizeof e.crowded);
    e.input = input;
    e.mode = mode;
    reset(writer);

    e.remainder = read_block(e, DICT_SIZE, FIRST_READ);
    e.match_len = std::min(e.remainder, MIN_MATCH - 1);
    e.hash = hash3(e.text[DICT_SIZE], e.text[DICT_SIZE + 1], e.text[DICT_SIZE + 2]);
    if (mode == SearchMode::PREFIX_CHAINS)
        start_prefix_chains(e);
    insert(e);

    while (e.remainder != 0) {
        // With input left, a search has left at least 1 (a clamp to 0 only
        // comes with the input's end).
        const unsigned last_len = e.match_len;
        const unsigned last_dist = e.pos - e.match_pos;
        assert(last_len >= 1);

        e.match_len = last_len - 1;
        advance(e);
        find_and_insert(e);
        clamp_to_remainder(e);

        // Lazy matching: a longer match one byte on beats the one we hold.
        if (e.match_len > last_len || last_len < MIN_MATCH) {
            put_literal(writer, e.text[e.pos - 1]);
            continue;
        }
        // Found one position back: inside the window and the input.
        assert(last_len <= MAX_MATCH && last_dist >= 1 && last_dist < DICT_SIZE);
        put_match(writer, static_cast<int>(last_len), static_cast<int>(last_dist));
        advance_and_insert(e, last_len - 2);
        advance(e);
        e.match_len = MIN_MATCH - 1;
        find_and_insert(e);
        clamp_to_remainder(e);
    }
    return finish(writer);
}

}  // namespace codec
