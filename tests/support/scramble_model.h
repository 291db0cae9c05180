// What the scramblers' outputs should hold, worked out independently of
// their code: the built-in filler, little-endian words and the keys, and the
// inverse of each scramble, for the program and chain tests.
#pragma once

#include "tests/support/memory_stream.h"

#include <algorithm>
#include <cstdint>

namespace scramble_model {

using testing_support::Bytes;

inline constexpr std::size_t PAK_SIZE = 3600;
inline constexpr std::size_t APP_SIZE = 204800;
inline constexpr std::uint32_t CHK_KEY = 0x3C5A1E97;
inline constexpr std::uint32_t APP_KEY_A = 0x6B2D94E1;
inline constexpr std::uint32_t APP_KEY_B = 0x15C7A3F8;
inline constexpr std::size_t APP_SCRAMBLED_END = 6028;  // bytes 4 to 6027 are scrambled

// Both tools' built-in image: byte i holds i mod 251.
inline Bytes builtin_image(std::size_t size)
{
    Bytes image(size);
    for (std::size_t i = 0; i < size; ++i)
        image[i] = static_cast<std::uint8_t>(i % 251);
    return image;
}

inline std::uint32_t word(const Bytes& bytes, std::size_t index)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(bytes.at(4 * index + i)) << (8 * i);
    return value;
}

inline void set_word(Bytes& bytes, std::size_t index, std::uint32_t value)
{
    for (std::size_t i = 0; i < 4; ++i)
        bytes.at(4 * index + i) = static_cast<std::uint8_t>(value >> (8 * i));
}

inline void xor_word(Bytes& bytes, std::size_t index, std::uint32_t key)
{
    for (std::size_t i = 0; i < 4; ++i)
        bytes.at(4 * index + i) ^= static_cast<std::uint8_t>(key >> (8 * i));
}

// `input` laid over the built-in image of `size` bytes.
inline Bytes overlay(const Bytes& input, std::size_t size)
{
    Bytes image = builtin_image(size);
    std::copy(input.begin(), input.end(), image.begin());
    return image;
}

// chkps.pak with words 2 to n-1 XORed again with the key in word 1.
inline Bytes unscramble_pak(Bytes pak)
{
    std::uint32_t words = word(pak, 0);
    std::uint32_t key = word(pak, 1);
    for (std::size_t k = 2; k < words; ++k)
        xor_word(pak, k, key);
    return pak;
}

// zq_app2.bin with the key pattern applied again to bytes 4 to 6027.
inline Bytes unscramble_app(Bytes app)
{
    for (std::size_t offset = 4; offset < APP_SCRAMBLED_END; offset += 8) {
        xor_word(app, offset / 4, APP_KEY_A);
        xor_word(app, offset / 4 + 1, APP_KEY_B);
    }
    return app;
}

}  // namespace scramble_model
