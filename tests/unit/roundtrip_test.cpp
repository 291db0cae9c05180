// Encoding then decoding gives back the input, for inputs of many sizes and
// kinds, and every match the encoder emits is one the format allows and that
// stays inside the input.
#include "codec/decoder.h"
#include "tests/support/memory_stream.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

using testing_support::Bytes;

Bytes random_bytes(std::size_t size, unsigned alphabet, unsigned seed)
{
    std::mt19937 rng(seed);
    Bytes bytes(size);
    for (auto& b : bytes)
        b = static_cast<std::uint8_t>(rng() % alphabet);
    return bytes;
}

// English-like text: words from a small vocabulary, so matches of every
// length and distance occur.
Bytes prose(std::size_t size, unsigned seed)
{
    static const char* const words[] = {"the ", "packer ", "window ", "of ", "sixteen ", "kilobytes ",
                                        "slides ", "over ", "an ", "input, ", "and ", "finds ",
                                        "repeats.\n", "Each ", "group ", "holds ", "eight ", "tokens "};
    std::mt19937 rng(seed);
    Bytes bytes;
    while (bytes.size() < size) {
        std::string word = words[rng() % std::size(words)];
        bytes.insert(bytes.end(), word.begin(), word.end());
    }
    bytes.resize(size);
    return bytes;
}

// A machine-code-like mix: small records with counters and repeated opcodes.
Bytes binary_like(std::size_t size, unsigned seed)
{
    std::mt19937 rng(seed);
    Bytes bytes;
    for (std::uint32_t i = 0; bytes.size() < size; ++i) {
        std::uint8_t record[] = {0x48, 0x8B, static_cast<std::uint8_t>(rng() % 8), 0x24,
                                 static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i >> 8),
                                 0xE8, static_cast<std::uint8_t>(rng()), 0x00, 0x00};
        bytes.insert(bytes.end(), std::begin(record), std::begin(record) + 3 + rng() % 8);
    }
    bytes.resize(size);
    return bytes;
}

void expect_round_trip(const Bytes& input, const std::string& what)
{
    SCOPED_TRACE(what + ", " + std::to_string(input.size()) + " bytes");
    Bytes stream = testing_support::encode(input);

    Bytes output(input.size());
    codec::DecodeResult result = codec::decode_tokens_checked(stream.data(), stream.size(), output.data(), output.size());
    ASSERT_EQ(result.error, codec::DecodeError::NONE);
    ASSERT_EQ(result.produced, input.size());
    ASSERT_TRUE(output == input);

    std::size_t at = 0;
    for (const auto& token : testing_support::parse_tokens(stream)) {
        if (token.is_match) {
            ASSERT_GE(token.length, 3);
            ASSERT_LE(token.length, 260);
            ASSERT_GE(token.distance, 1);
            ASSERT_LE(token.distance, 16383);
            ASSERT_LE(static_cast<std::size_t>(token.distance), at) << "match reaches before the input";
            at += static_cast<std::size_t>(token.length);
        } else {
            at += 1;
        }
    }
    ASSERT_EQ(at, input.size());
}

// Around every boundary of the window and its reads.
const std::size_t BOUNDARY_SIZES[] = {0, 1, 2, 3, 4, 16383, 16384, 16385, 16643, 16644, 16645, 32768, 33028, 49152};

TEST(RoundTrip, RandomBytesOfEverySizeAroundTheWindowsBoundaries)
{
    for (std::size_t size : BOUNDARY_SIZES)
        expect_round_trip(random_bytes(size, 256, 1), "random");
}

TEST(RoundTrip, ProseAndBinariesAroundTheWindowsBoundaries)
{
    for (std::size_t size : BOUNDARY_SIZES) {
        expect_round_trip(prose(size, 2), "prose");
        expect_round_trip(binary_like(size, 3), "binary");
    }
}

TEST(RoundTrip, FewSymbolAlphabets)
{
    for (unsigned alphabet : {1u, 2u, 4u})
        for (unsigned seed : {4u, 5u})
            expect_round_trip(random_bytes(40000, alphabet, seed), "alphabet " + std::to_string(alphabet));
}

TEST(RoundTrip, LongRunsBetweenNoise)
{
    Bytes input;
    std::mt19937 rng(6);
    while (input.size() < 200000) {
        input.insert(input.end(), rng() % 2000, static_cast<std::uint8_t>(rng()));
        for (int i = 0; i < 50; ++i)
            input.push_back(static_cast<std::uint8_t>(rng()));
    }
    expect_round_trip(input, "runs");
}

TEST(RoundTrip, SeveralMegabytesOfMixedData)
{
    Bytes input = prose(1 << 20, 7);
    Bytes more = binary_like(1 << 20, 8);
    Bytes noise = random_bytes(1 << 20, 256, 9);
    input.insert(input.end(), more.begin(), more.end());
    input.insert(input.end(), noise.begin(), noise.end());
    expect_round_trip(input, "mixed");
}

}  // namespace
