// A scrambler's image: a fixed-size byte buffer read as 32-bit words.
//
// Word k is bytes 4k to 4k + 3, least significant byte first, whatever the
// host's byte order, so a file scrambles the same way on every machine. Every
// word access goes through one bounds check: a word past the end of the image
// is a bug in the caller and aborts rather than touching memory beyond it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace scramble {

// The filler both scramblers start from, before their input is laid over
// it: byte i holds i mod 251. 251 is the largest prime below 256, so the
// pattern never repeats in step with the words and any misplaced word shows.
void fill_builtin_image(std::span<std::uint8_t> image);

std::uint32_t get_word(std::span<const std::uint8_t> image, std::size_t index);
void set_word(std::span<std::uint8_t> image, std::size_t index, std::uint32_t value);
void xor_word(std::span<std::uint8_t> image, std::size_t index, std::uint32_t key);

}  // namespace scramble
