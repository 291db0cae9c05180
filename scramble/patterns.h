// The loader's two scrambled images: their sizes, keys and XOR patterns.
//
// XOR is its own inverse, so each pattern both scrambles a plain image and
// unscrambles a scrambled one: the scramblers and lzsunpack share them.
//
//   chkps.pak    3600 bytes   word 0 the word count n, word 1 CHK_KEY,
//                             words 2..n-1 XORed with CHK_KEY
//   zq_app2.bin  204800 bytes word 0 cleared, words 1..1506 (bytes 4 to
//                             6027) XORed with APP_KEY_A and APP_KEY_B in turn
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace scramble {

inline constexpr std::size_t PAK_IMAGE_SIZE = 3600;
inline constexpr std::uint32_t CHK_KEY = 0x3C5A1E97;
inline constexpr std::size_t PAK_COUNT_WORD = 0;
inline constexpr std::size_t PAK_KEY_WORD = 1;

inline constexpr std::size_t APP_IMAGE_SIZE = 204800;
inline constexpr std::uint32_t APP_KEY_A = 0x6B2D94E1;  // odd words
inline constexpr std::uint32_t APP_KEY_B = 0x15C7A3F8;  // even words
inline constexpr std::size_t APP_LENGTH_WORD = 0;
inline constexpr std::size_t APP_FIRST_SCRAMBLED_WORD = 1;
inline constexpr std::size_t APP_SCRAMBLED_PAIRS = 753;
inline constexpr std::size_t APP_SCRAMBLED_END = 4 * (APP_FIRST_SCRAMBLED_WORD + 2 * APP_SCRAMBLED_PAIRS);

static_assert(PAK_IMAGE_SIZE % 4 == 0 && APP_IMAGE_SIZE % 4 == 0, "the images are whole words");
// NOLINTNEXTLINE(readability-magic-numbers): the loader's own figure
static_assert(APP_SCRAMBLED_END == 6028 && APP_SCRAMBLED_END <= APP_IMAGE_SIZE);

// XORs words [first, end) of `image` with CHK_KEY.
void xor_pak_words(std::span<std::uint8_t> image, std::size_t first, std::size_t end);

// XORs words 1 to 1506 of `image` with APP_KEY_A and APP_KEY_B in turn. The
// span is fixed, whatever part of the image holds input.
void xor_app_words(std::span<std::uint8_t> image);

}  // namespace scramble
