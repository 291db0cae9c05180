// The scramblers' own XOR patterns, undone.
#include "lzsunpack/unscramble.h"

#include "scramble/patterns.h"

namespace lzsunpack {
namespace {

constexpr std::size_t PAK_FIRST_WORD = 2;  // words 0 and 1 hold the count and the key

}  // namespace

void toggle_scramble(std::span<std::uint8_t> image, Scramble scramble, std::size_t words)
{
    switch (scramble) {
    case Scramble::NONE:
        break;
    case Scramble::APP_KEY_PAIR:
        scramble::xor_app_words(image);
        break;
    case Scramble::PAK_KEY:
        scramble::xor_pak_words(image, PAK_FIRST_WORD, words);
        break;
    }
}

}  // namespace lzsunpack
