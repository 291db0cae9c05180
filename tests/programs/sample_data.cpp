#include "sample_data.h"

#include <cstring>
#include <string>
#include <vector>

namespace testing_support {
namespace {

// xorshift32: cheap enough that tens of megabytes come quickly even in the
// sanitizer build, and the same on every machine.
struct Xorshift {
    std::uint32_t state;
    std::uint32_t operator()()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
};

}  // namespace

Bytes word_soup(std::size_t size, std::uint32_t seed)
{
    constexpr std::size_t VOCABULARY = 2000;
    constexpr unsigned STRAY_BYTE_ONE_IN = 20;
    constexpr std::size_t LONGEST_WORD = 9;  // 8 letters and a space
    Xorshift rng{seed | 1};
    std::vector<std::string> words(VOCABULARY);
    for (std::string& word : words) {
        word.resize(2 + rng() % 7);
        for (char& c : word)
            c = static_cast<char>('a' + rng() % 26);
        word += ' ';
    }

    Bytes bytes(size + LONGEST_WORD + 1);
    std::size_t at = 0;
    while (at < size) {
        const std::string& word = words[rng() % VOCABULARY];
        std::memcpy(bytes.data() + at, word.data(), word.size());
        at += word.size();
        if (rng() % STRAY_BYTE_ONE_IN == 0)
            bytes[at++] = static_cast<std::uint8_t>(rng());
    }
    bytes.resize(size);
    return bytes;
}

}  // namespace testing_support
