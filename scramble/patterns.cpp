#include "scramble/patterns.h"

#include "scramble/image.h"

namespace scramble {

void xor_pak_words(std::span<std::uint8_t> image, std::size_t first, std::size_t end)
{
    for (std::size_t k = first; k < end; ++k)
        xor_word(image, k, CHK_KEY);
}

void xor_app_words(std::span<std::uint8_t> image)
{
    for (std::size_t k = 0; k < APP_SCRAMBLED_PAIRS; ++k) {
        xor_word(image, APP_FIRST_SCRAMBLED_WORD + 2 * k, APP_KEY_A);
        xor_word(image, APP_FIRST_SCRAMBLED_WORD + 2 * k + 1, APP_KEY_B);
    }
}

}  // namespace scramble
