// Streams the encoder must produce to the byte: every choice it makes
// (literal or match, which copy, which token) is part of the format that
// the loader and the build pipelines depend on.
#include "tests/support/memory_stream.h"

#include <gtest/gtest.h>

namespace {

using testing_support::Bytes;
using testing_support::bytes_of;
using testing_support::encode;
using testing_support::to_hex;

Bytes repeated(std::uint8_t byte, std::size_t count) { return Bytes(count, byte); }

TEST(EncoderVectors, WritesShortInputsAsLiterals)
{
    EXPECT_EQ(to_hex(encode({})), "00 FF");
    EXPECT_EQ(to_hex(encode({0x41})), "00 41 FF");
    EXPECT_EQ(to_hex(encode(bytes_of("abc"))), "00 61 62 63 FF");
    EXPECT_EQ(to_hex(encode({0xE9})), "01 E9 FF");
    EXPECT_EQ(to_hex(encode({0x80, 0x41})), "01 80 41 FF");
}

TEST(EncoderVectors, WritesRunsOfOneByteAsALiteralThenAMatchAtDistanceOne)
{
    EXPECT_EQ(to_hex(encode(bytes_of("aaaa"))), "00 61 80 00 FF");
    EXPECT_EQ(to_hex(encode(bytes_of("aaaaa"))), "02 61 40 00 FF");
    EXPECT_EQ(to_hex(encode(bytes_of("aaaaaa"))), "00 61 C0 00 FF");
    EXPECT_EQ(to_hex(encode(repeated(0, 10))), "00 00 C4 00 FF");
    EXPECT_EQ(to_hex(encode(repeated(0, 13))), "02 00 00 00 07 FF");
}

TEST(EncoderVectors, SplitsRunsLongerThanTheLongestMatch)
{
    EXPECT_EQ(to_hex(encode(repeated('a', 261))), "02 61 00 00 FF FF");
    EXPECT_EQ(to_hex(encode(repeated('a', 265))), "06 61 00 00 FF 40 00 FF");
    EXPECT_EQ(to_hex(encode(repeated(0, 300))), "06 00 00 00 FF 00 00 22 FF");
}

TEST(EncoderVectors, FindsRepeatsOfEarlierPhrases)
{
    EXPECT_EQ(to_hex(encode(bytes_of("abcabcabcabc"))), "00 61 62 63 C4 02 FF");
    EXPECT_EQ(to_hex(encode(bytes_of("abcdabcd"))), "10 61 62 63 64 40 03 FF");
    EXPECT_EQ(to_hex(encode(bytes_of("abcdeabcde"))), "00 61 62 63 64 65 C0 04 FF");
}

TEST(EncoderVectors, StartsANewGroupAfterEightTokens)
{
    EXPECT_EQ(to_hex(encode(bytes_of("abcdefgh"))), "00 61 62 63 64 65 66 67 68 00 FF");
    EXPECT_EQ(to_hex(encode(bytes_of("abcdefg"))), "00 61 62 63 64 65 66 67 FF");
}

// Seven distinct bytes, `gap` bytes that share no three-byte string with
// them, and the seven bytes again: the repeat stands `gap + 7` bytes back.
Bytes phrase_repeated_at(std::size_t distance)
{
    Bytes input = bytes_of("PQRSTUV");
    while (input.size() < distance)
        input.push_back(static_cast<std::uint8_t>('a' + input.size() % 2));  // "abab..."
    Bytes phrase = bytes_of("PQRSTUV");
    input.insert(input.end(), phrase.begin(), phrase.end());
    return input;
}

TEST(EncoderVectors, ChoosesMatchNearUpTo2048BytesBackAndMatchFarBeyond)
{
    std::string near = to_hex(encode(phrase_repeated_at(2048)));
    std::string far = to_hex(encode(phrase_repeated_at(2049)));
    EXPECT_EQ(near.substr(near.size() - 8), "FA FF FF") << near;
    EXPECT_EQ(far.substr(far.size() - 11), "08 00 02 FF") << far;
}

TEST(EncoderVectors, ReachesBack16383BytesButNot16384)
{
    auto last_match = [](const Bytes& input) {
        auto tokens = testing_support::parse_tokens(encode(input));
        for (auto it = tokens.rbegin(); it != tokens.rend(); ++it)
            if (it->is_match && it->length == 7)
                return it->distance;
        return 0;
    };
    EXPECT_EQ(last_match(phrase_repeated_at(16383)), 16383);
    EXPECT_EQ(last_match(phrase_repeated_at(16384)), 0);
}

TEST(EncoderVectors, LetsTheBytesPastTheEndDecideBetweenEqualCopies)
{
    // "WXYZ123" occurs twice early on, the first time followed by zeros.
    // At the end of the input both copies match all seven bytes, but the
    // window beyond the input holds zeros too, so the zero-followed copy
    // matches longer in the search and wins although it is farther back.
    Bytes input = bytes_of("WXYZ123");
    input.insert(input.end(), 20, 0);
    Bytes middle = bytes_of("WXYZ123-filler-text-");
    input.insert(input.end(), middle.begin(), middle.end());
    Bytes tail = bytes_of("WXYZ123");
    input.insert(input.end(), tail.begin(), tail.end());

    auto tokens = testing_support::parse_tokens(encode(input));
    ASSERT_FALSE(tokens.empty());
    const auto& last = tokens.back();
    ASSERT_TRUE(last.is_match);
    EXPECT_EQ(last.length, 7);
    EXPECT_EQ(last.distance, static_cast<int>(input.size() - 7));
}

}  // namespace
