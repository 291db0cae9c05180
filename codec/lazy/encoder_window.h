// The encoder's window and its slide.
//
// The window is `text`: input enters at index DICT_SIZE, the 16384 bytes
// before it are the history, and MAX_MATCH bytes of lookahead sit past the
// end. When the position reaches 2 * DICT_SIZE the upper half slides down and
// every stored position is rebased by DICT_SIZE, so positions fit 16 bits.
// Also here: the quick test before a search measures a candidate (the
// measuring itself is words.h's match_length).
#pragma once

#include "codec/words.h"
#include "encoder_state.h"
#include "prefix_walk.h"

#include <bit>
#include <cassert>
#include <cstdint>
#include <cstring>

namespace codec::encoding {

// A quick test before measuring a candidate: to beat `best` (at least 2)
// it must agree at best - 1 and best. Both bytes lie within what the
// measurement would read, so the test only saves work, never changes it.
inline std::uint16_t load_pair(const std::uint8_t* at)
{
    std::uint16_t pair;
    std::memcpy(&pair, at, sizeof pair);
    return pair;
}

inline bool may_beat(const std::uint8_t* candidate, const std::uint8_t* current, unsigned best)
{
    assert(best >= 2);
    return load_pair(candidate + best - 1) == load_pair(current + best - 1);
}

// Candidates of a walk must start after this position: inside the window
// and not before the input.
inline unsigned window_floor(const Encoder& e) { return e.slid ? e.pos - DICT_SIZE : DICT_SIZE - 1; }

inline unsigned read_block(Encoder& e, unsigned at, unsigned size)
{
    return static_cast<unsigned>(e.input.read(e.input.context, e.text + at, size));
}

// Moves the upper half of the window down, reads the next block and rebases
// every stored position. Out of line: it runs once per DICT_SIZE positions.
void slide(Encoder& e);

// Moves pos on by one. Inlined: it runs once per search, and a call costs
// as much as its body.
[[gnu::always_inline]] inline void advance(Encoder& e)
{
    assert(e.remainder > 0);
    e.remainder -= 1;
    e.pos += 1;
    e.positions_since_check += 1;
    if (e.pos == 2 * DICT_SIZE) [[unlikely]]
        slide(e);
    e.hash = roll(e.hash, e.text[e.pos + 2]);
    assert(e.hash == hash_at(e, e.pos));
    if (e.prefix_on && e.slid)
        leave_window(e);
}

}  // namespace codec::encoding
