// The window's slide: see encoder_window.h.
#include "encoder_window.h"

#include <cassert>
#include <cstring>

namespace codec::encoding {
namespace {

void rebase(std::uint16_t* entries, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        entries[i] = static_cast<std::uint16_t>(entries[i] > DICT_SIZE ? entries[i] - DICT_SIZE : 0);
}

}  // namespace

void slide(Encoder& e)
{
    assert(e.pos == 2 * DICT_SIZE);
    std::memmove(e.text, e.text + DICT_SIZE, FIRST_READ);
    e.remainder += read_block(e, FIRST_READ, DICT_SIZE);
    e.pos -= DICT_SIZE;
    e.slid = true;
    std::memset(e.crowded, 0, sizeof e.crowded);
    e.crowded_until = 0;
    rebase(e.head, HASH_SIZE);
    rebase(e.prev, DICT_SIZE);
    std::memcpy(e.prev + DICT_SIZE, e.prev, DICT_SIZE * sizeof e.prev[0]);  // the second copy
    if (e.prefix_on) {
        rebase(&e.chains.head[0][0], sizeof e.chains.head / sizeof(std::uint16_t));
        rebase(&e.chains.prev[0][0], sizeof e.chains.prev / sizeof(std::uint16_t));
    }
}

}  // namespace codec::encoding
