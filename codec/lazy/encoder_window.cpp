// The window's slide: see encoder_window.h.
#include "encoder_window.h"

#include <algorithm>
#include <cassert>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace codec::encoding {
namespace {

// j > DICT_SIZE becomes j - DICT_SIZE, anything else 0: a subtraction
// that stops at 0. The compiler does not see that as one saturating
// subtraction per lane and spends seven instructions on it, so where the
// lanes are there (every x86-64 has them) the slide says it itself: the
// rebase is most of the slide, and with the prefix chains on it costs 9% of
// all instructions on executables.
#if defined(__SSE2__)
constexpr std::size_t LANES = sizeof(__m128i) / sizeof(std::uint16_t);

__m128i rebased(__m128i entries)
{
    return _mm_subs_epu16(entries, _mm_set1_epi16(static_cast<short>(DICT_SIZE)));
}

__m128i load_lanes(const std::uint16_t* at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at)); }

void store_lanes(std::uint16_t* at, __m128i lanes)
{
    _mm_storeu_si128(reinterpret_cast<__m128i*>(at), lanes);
}
#else
constexpr std::size_t LANES = 1;

std::uint16_t rebased(std::uint16_t entry)
{
    return static_cast<std::uint16_t>(entry - std::min<unsigned>(entry, DICT_SIZE));
}
#endif

// Rebases LANES entries at `at`, and writes them to `copy` too.
void rebase_lanes(std::uint16_t* at, std::uint16_t* copy)
{
#if defined(__SSE2__)
    __m128i lanes = rebased(load_lanes(at));
    store_lanes(at, lanes);
    store_lanes(copy, lanes);
#else
    *at = *copy = rebased(*at);
#endif
}

// Every table's length is a whole number of lanes.
void rebase(std::uint16_t* entries, std::size_t count)
{
    assert(count % LANES == 0);
    for (std::size_t i = 0; i < count; i += LANES)
        rebase_lanes(entries + i, entries + i);
}

// Rebases the links and writes both copies in one pass.
void rebase_links(std::uint16_t* links)
{
    static_assert(DICT_SIZE % LANES == 0);
    for (std::size_t i = 0; i < DICT_SIZE; i += LANES)
        rebase_lanes(links + i, links + i + DICT_SIZE);
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
    rebase_links(e.prev);
    if (e.prefix_on) {
        rebase(&e.chains.head[0][0], sizeof e.chains.head / sizeof(std::uint16_t));
        rebase(&e.chains.prev[0][0], sizeof e.chains.prev / sizeof(std::uint16_t));
    }
}

}  // namespace codec::encoding
