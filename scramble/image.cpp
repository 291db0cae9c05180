// Built-in filler and little-endian word access for the scramblers' images.
#include "scramble/image.h"

#include <cstdlib>

namespace scramble {
namespace {

constexpr std::size_t WORD_SIZE = 4;
constexpr std::size_t FILLER_PERIOD = 251;

// The one bounds check behind every word access.
std::size_t word_offset(std::size_t image_size, std::size_t index)
{
    if (index >= image_size / WORD_SIZE)
        std::abort();
    return index * WORD_SIZE;
}

}  // namespace

void fill_builtin_image(std::span<std::uint8_t> image)
{
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i % FILLER_PERIOD);
}

std::uint32_t get_word(std::span<const std::uint8_t> image, std::size_t index)
{
    const std::uint8_t* bytes = image.data() + word_offset(image.size(), index);
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

void set_word(std::span<std::uint8_t> image, std::size_t index, std::uint32_t value)
{
    std::uint8_t* bytes = image.data() + word_offset(image.size(), index);
    for (std::size_t i = 0; i < WORD_SIZE; ++i)
        bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void xor_word(std::span<std::uint8_t> image, std::size_t index, std::uint32_t key)
{
    set_word(image, index, get_word(image, index) ^ key);
}

}  // namespace scramble
