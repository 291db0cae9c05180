#include "sample_data.h"

#include <random>
#include <string>
#include <vector>

namespace testing_support {

Bytes word_soup(std::size_t size, std::uint32_t seed)
{
    constexpr std::size_t VOCABULARY = 2000;
    constexpr unsigned STRAY_BYTE_ONE_IN = 20;
    std::mt19937 rng(seed);
    std::vector<std::string> words(VOCABULARY);
    for (std::string& word : words) {
        word.resize(2 + rng() % 7);
        for (char& c : word)
            c = static_cast<char>('a' + rng() % 26);
        word += ' ';
    }

    Bytes bytes;
    bytes.reserve(size + 16);
    while (bytes.size() < size) {
        const std::string& word = words[rng() % VOCABULARY];
        bytes.insert(bytes.end(), word.begin(), word.end());
        if (rng() % STRAY_BYTE_ONE_IN == 0)
            bytes.push_back(static_cast<std::uint8_t>(rng()));
    }
    bytes.resize(size);
    return bytes;
}

}  // namespace testing_support
