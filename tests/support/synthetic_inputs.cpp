#include "synthetic_inputs.h"

#include <random>

namespace testing_support {

Bytes random_over(std::size_t size, const Bytes& symbols, std::uint32_t seed)
{
    std::mt19937 rng(seed);
    Bytes bytes(size);
    for (auto& b : bytes)
        b = symbols[rng() % symbols.size()];
    return bytes;
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

}  // namespace testing_support
