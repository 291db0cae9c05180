// Undoing the scramblers' XOR.
//
// Both scramblers XOR 32-bit little-endian words of their image with fixed
// keys. XOR is its own inverse, so the same pass scrambles a plain image and
// unscrambles a scrambled one; the fuzz target relies on that to build
// well-formed images around arbitrary streams.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace lzsunpack {

enum class Scramble {
    NONE,
    APP_KEY_PAIR,  // words 1 to 1506 (bytes 4 to 6027), APP_KEY_A and APP_KEY_B in turn
    PAK_KEY,       // words 2 to n - 1, CHK_KEY
};

// Applies `scramble` to `image` in place. `words` is n for PAK_KEY (the
// caller has checked that n words fit the image) and unused otherwise;
// APP_KEY_PAIR needs an image of at least 6028 bytes.
void toggle_scramble(std::span<std::uint8_t> image, Scramble scramble, std::size_t words);

}  // namespace lzsunpack
