// The one way the codec loads eight bytes at once and measures how far two
// byte strings agree: the decoder's literal runs, the lazy encoder's
// candidates and the smallest-stream search's matches all go through here.
// A word holds its bytes in memory order, whatever the host's byte order;
// where the first differing byte lies in a word depends on that order, and
// equal_bytes is the one place that knows it.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace codec {

inline constexpr unsigned WORD_BYTES = 8;

inline std::uint64_t load_word(const std::uint8_t* at)
{
    std::uint64_t word;
    std::memcpy(&word, at, sizeof word);
    return word;
}

// The equal leading bytes of two loaded words, given `differ`, their XOR,
// is not 0.
inline unsigned equal_bytes(std::uint64_t differ)
{
    int same_bits =
        std::endian::native == std::endian::little ? std::countr_zero(differ) : std::countl_zero(differ);
    return static_cast<unsigned>(same_bits) / 8;
}

// How many bytes of `a` and `b` agree from `length` on, up to `limit`
// (returned when all do): a word at a time while a word remains, then
// byte by byte. Reads no byte at or past `limit`.
inline unsigned extend_match(const std::uint8_t* a, const std::uint8_t* b, unsigned length, unsigned limit)
{
    while (length + WORD_BYTES <= limit) {
        if (std::uint64_t differ = load_word(a + length) ^ load_word(b + length); differ != 0)
            return length + equal_bytes(differ);
        length += WORD_BYTES;
    }
    while (length < limit && a[length] == b[length])
        length += 1;
    return length;
}

// The smallest index of the first `max` at which a and b differ, or `max`.
inline unsigned match_length(const std::uint8_t* a, const std::uint8_t* b, unsigned max)
{
    return extend_match(a, b, 0, max);
}

}  // namespace codec
