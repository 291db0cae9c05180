// Finishing the scrambled images: see images.h, and scramble/patterns.h for
// the patterns themselves.
#include "liblzs/images.h"

#include "scramble/image.h"
#include "scramble/patterns.h"

namespace liblzs {

void finish_pak_image(std::span<std::uint8_t> image, std::optional<std::size_t> input_length)
{
    // A partial last word is taken whole, built-in bytes included.
    auto words = static_cast<std::uint32_t>((input_length.value_or(0) + 3) / 4);
    scramble::xor_pak_words(image, 0, words);
    scramble::set_word(image, scramble::PAK_KEY_WORD, scramble::CHK_KEY);
    scramble::set_word(image, scramble::PAK_COUNT_WORD, words);
}

void finish_app_image(std::span<std::uint8_t> image, std::optional<std::size_t> input_length)
{
    if (input_length)
        scramble::xor_app_words(image);
    scramble::set_word(image, scramble::APP_LENGTH_WORD, 0);
}

}  // namespace liblzs
