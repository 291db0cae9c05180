// The scramblers' XOR patterns, applied word by word through the scramblers'
// own word access (little-endian on every host, bounds-checked).
#include "lzsunpack/unscramble.h"

#include "scramble/image.h"

namespace lzsunpack {
namespace {

constexpr std::size_t APP_FIRST_WORD = 1;     // word 0 held the body length
constexpr std::size_t APP_WORD_PAIRS = 753;   // up to byte 6027
constexpr std::size_t PAK_FIRST_WORD = 2;     // words 0 and 1 hold the count and the key

static_assert((APP_FIRST_WORD + 2 * APP_WORD_PAIRS) * 4 == 6028);

}  // namespace

void toggle_scramble(std::span<std::uint8_t> image, Scramble scramble, std::size_t words)
{
    switch (scramble) {
    case Scramble::NONE:
        break;
    case Scramble::APP_KEY_PAIR:
        for (std::size_t k = 0; k < APP_WORD_PAIRS; ++k) {
            scramble::xor_word(image, APP_FIRST_WORD + 2 * k, APP_KEY_A);
            scramble::xor_word(image, APP_FIRST_WORD + 2 * k + 1, APP_KEY_B);
        }
        break;
    case Scramble::PAK_KEY:
        for (std::size_t k = PAK_FIRST_WORD; k < words; ++k)
            scramble::xor_word(image, k, CHK_KEY);
        break;
    }
}

}  // namespace lzsunpack
