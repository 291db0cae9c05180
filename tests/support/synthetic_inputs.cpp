#include "synthetic_inputs.h"

#include <cstring>
#include <iterator>
#include <random>
#include <string>

namespace testing_support {
namespace {

// xorshift32: a few instructions a number, for word_soup's large inputs.
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

Bytes random_over(std::size_t size, const Bytes& symbols, std::uint32_t seed)
{
    std::mt19937 rng(seed);
    Bytes bytes(size);
    for (auto& b : bytes)
        b = symbols[rng() % symbols.size()];
    return bytes;
}

Bytes random_bytes(std::size_t size, std::uint32_t seed)
{
    return random_over(size, all_byte_values(), seed);
}

Bytes all_byte_values()
{
    Bytes symbols(256);
    for (unsigned i = 0; i < 256; ++i)
        symbols[i] = static_cast<std::uint8_t>(i);
    return symbols;
}

Bytes letters(unsigned count)
{
    static const char order[] = "acgtbdefhijklmnopqrsuvwxyz";
    return Bytes(order, order + count);
}

Bytes mutated_phrase(std::size_t size, const std::string& phrase, unsigned mutation_interval,
                     std::uint32_t seed)
{
    std::mt19937 rng(seed);
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(phrase[i % phrase.size()]);
    for (auto& b : bytes)
        if (rng() % mutation_interval == 0)
            b = static_cast<std::uint8_t>(rng());
    return bytes;
}

Bytes top_bits_noise(std::size_t size, std::uint32_t seed)
{
    std::mt19937 rng(seed);
    Bytes bytes(size);
    for (auto& b : bytes)
        b = static_cast<std::uint8_t>((rng() % 8) << 5 | 0x0A);
    return bytes;
}

Bytes overlapping_bits(std::size_t size, std::uint32_t seed)
{
    std::mt19937 rng(seed);
    Bytes bytes(size);
    unsigned previous_bit = 0;
    for (auto& b : bytes) {
        unsigned bit = rng() & 1;
        b = static_cast<std::uint8_t>(0x4C ^ bit ^ previous_bit << 5);
        previous_bit = bit;
    }
    return bytes;
}

Bytes sparse_ones(std::size_t size, std::size_t block, std::uint32_t seed)
{
    std::mt19937 rng(seed);
    Bytes bytes(size, 0);
    for (std::size_t start = 0; start < size; start += block) {
        std::size_t at = start + rng() % block;
        if (at < size)
            bytes[at] = 0x01;
    }
    return bytes;
}

Bytes striped(std::size_t size, const std::string& text, std::size_t period, std::size_t text_span,
              std::uint32_t seed)
{
    Bytes bytes = random_bytes(size, seed);
    for (std::size_t i = 0; i < size; ++i)
        if (i % period < text_span)
            bytes[i] = static_cast<std::uint8_t>(text[i % text.size()]);
    return bytes;
}

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

Bytes code_like(std::size_t size, std::uint32_t seed)
{
    std::mt19937 rng(seed);
    Bytes bytes;
    for (std::uint32_t i = 0; bytes.size() < size; ++i) {
        std::uint8_t record[] = {0x48,
                                 0x8B,
                                 static_cast<std::uint8_t>(rng() % 8),
                                 0x24,
                                 static_cast<std::uint8_t>(i),
                                 static_cast<std::uint8_t>(i >> 8),
                                 0xE8,
                                 static_cast<std::uint8_t>(rng()),
                                 0x00,
                                 0x00};
        bytes.insert(bytes.end(), std::begin(record), std::begin(record) + 3 + rng() % 8);
    }
    bytes.resize(size);
    return bytes;
}

Bytes runs_between_noise(std::size_t size, std::uint32_t seed)
{
    constexpr unsigned LONGEST_RUN = 2000;
    constexpr unsigned NOISE = 50;
    std::mt19937 rng(seed);
    Bytes bytes;
    while (bytes.size() < size) {
        bytes.insert(bytes.end(), rng() % LONGEST_RUN, static_cast<std::uint8_t>(rng()));
        for (unsigned i = 0; i < NOISE; ++i)
            bytes.push_back(static_cast<std::uint8_t>(rng()));
    }
    bytes.resize(size);
    return bytes;
}

Bytes table_text(std::size_t size, std::uint32_t seed)
{
    std::mt19937 rng(seed);
    static const char* const words[] = {"road", "bridge", "tunnel", "split", "ramp", "finish"};
    std::string text;
    while (text.size() < size) {
        text += "cp" + std::to_string(rng() % 1000) + " " + std::to_string(rng() % 30000) + " " +
                words[rng() % std::size(words)] + "\n";
        if (rng() % 8 == 0)
            text += static_cast<char>(rng());
    }
    text.resize(size);
    return Bytes(text.begin(), text.end());
}

}  // namespace testing_support
