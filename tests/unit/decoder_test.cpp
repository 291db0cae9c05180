// The decoder: every token class, its bounds, and hostile streams.
#include "codec/decoder.h"
#include "codec/token_stream.h"
#include "packing/codec_failures.h"
#include "tests/support/memory_stream.h"
#include "tests/support/synthetic_inputs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

using codec::DecodeError;
using testing_support::Bytes;
using testing_support::from_hex;

struct Decoded {
    DecodeError error;
    Bytes bytes;
};

// Decodes the first `source_size` bytes of `stream` from a heap buffer of
// exactly that size into one of exactly `capacity` bytes, so that the
// sanitizer catches any read or write past either.
Decoded decode(const Bytes& stream, std::size_t source_size, std::size_t capacity)
{
    auto source = std::make_unique<std::uint8_t[]>(source_size);
    std::copy(stream.begin(), stream.begin() + static_cast<long>(source_size), source.get());
    Bytes destination(capacity);  // allocated at exactly its size
    codec::DecodeResult result =
        codec::decode_tokens_checked(source.get(), source_size, destination.data(), capacity);
    destination.resize(result.produced);
    return {result.error, destination};
}

Decoded decode(const std::string& hex, std::size_t capacity)
{
    Bytes stream = from_hex(hex);
    return decode(stream, stream.size(), capacity);
}

Bytes repeated(std::uint8_t byte, std::size_t count) { return Bytes(count, byte); }

TEST(Decoder, ExpandsLiteralsAndEachMatchClass)
{
    EXPECT_EQ(decode("00 FF", 0).bytes, Bytes{});
    EXPECT_EQ(decode("00 61 62 63 FF", 3).bytes, testing_support::bytes_of("abc"));
    EXPECT_EQ(decode("01 E9 FF", 1).bytes, Bytes{0xE9});
    EXPECT_EQ(decode("00 61 80 00 FF", 4).bytes, testing_support::bytes_of("aaaa"));    // MATCH_3
    EXPECT_EQ(decode("02 61 40 00 FF", 5).bytes, testing_support::bytes_of("aaaaa"));   // MATCH_4
    EXPECT_EQ(decode("00 61 C0 00 FF", 6).bytes, testing_support::bytes_of("aaaaaa"));  // MATCH_NEAR
    EXPECT_EQ(decode("02 00 00 00 07 FF", 13).bytes, repeated(0, 13));                  // MATCH_FAR
}

TEST(Decoder, LetsAMatchOverlapTheBytesItProduces)
{
    EXPECT_EQ(decode("02 61 00 00 FF FF", 261).bytes, repeated('a', 261));
    EXPECT_EQ(decode("00 61 62 63 C4 02 FF", 12).bytes, testing_support::bytes_of("abcabcabcabc"));
}

TEST(Decoder, ReadsMatchNearLengthBitsSevenAsTwelve)
{
    // 0xC7 is never written, but a reader of foreign streams must agree on it.
    EXPECT_EQ(decode("00 61 C7 00 FF", 13).bytes, repeated('a', 13));
}

TEST(Decoder, ReachesBackTheWholeWindow)
{
    Bytes stream = {0x00};
    Bytes expected;
    // 16384 literals in groups of eight, then MATCH_3 at distance 16384.
    for (int i = 0; i < 16384; ++i) {
        if (i > 0 && i % 8 == 0)
            stream.push_back(0x00);
        stream.push_back(static_cast<std::uint8_t>(i % 0x80));
        expected.push_back(static_cast<std::uint8_t>(i % 0x80));
    }
    stream.insert(stream.end(), {0x00, 0xBF, 0xFF, 0xFF});
    expected.insert(expected.end(), {0, 1, 2});
    auto destination = std::make_unique<std::uint8_t[]>(expected.size());
    codec::DecodeResult result =
        codec::decode_tokens_checked(stream.data(), stream.size(), destination.get(), expected.size());
    ASSERT_EQ(result.error, DecodeError::NONE);
    EXPECT_EQ(Bytes(destination.get(), destination.get() + result.produced), expected);
}

TEST(Decoder, FillsCapacityExactlyButNotOneBytePast)
{
    EXPECT_EQ(decode("00 61 80 00 FF", 4).error, DecodeError::NONE);
    Decoded over = decode("00 61 80 00 FF", 3);
    EXPECT_EQ(over.error, DecodeError::OVER_RUN);
    EXPECT_EQ(over.bytes, Bytes{'a'});  // nothing of the match is written
}

TEST(Decoder, RefusesLiteralsPastCapacity)
{
    EXPECT_EQ(decode("00 61 62 FF", 1).error, DecodeError::OVER_RUN);
    EXPECT_EQ(decode("01 E9 FF", 0).error, DecodeError::OVER_RUN);
}

TEST(Decoder, RefusesAMatchThatReachesBeforeTheStart)
{
    EXPECT_EQ(decode("00 80 00 FF", 100).error, DecodeError::UNDER_RUN);
    EXPECT_EQ(decode("00 61 80 01 FF", 100).error, DecodeError::UNDER_RUN);
    // Under-run is reported before over-run.
    EXPECT_EQ(decode("00 80 00 FF", 0).error, DecodeError::UNDER_RUN);
}

// A short stream that the guarded loop reads alone, and one long enough
// that the group loop reads most of it first.
TEST(Decoder, RefusesAStreamCutShortAnywhere)
{
    const Bytes streams[] = {
        from_hex("02 61 00 00 FF 61 C0 00 80 00 FF"),  // literal, MATCH_FAR, literal, MATCH_NEAR, ...
        testing_support::encode(testing_support::random_over(2500, testing_support::letters(4), 3)),
    };
    for (const Bytes& stream : streams) {
        Decoded whole = decode(stream, stream.size(), 3000);
        ASSERT_EQ(whole.error, DecodeError::NONE);
        for (std::size_t cut = 0; cut < stream.size(); ++cut) {
            Decoded decoded = decode(stream, cut, whole.bytes.size());
            ASSERT_EQ(decoded.error, DecodeError::TRUNCATED) << "cut at " << cut << " of " << stream.size();
            EXPECT_TRUE(std::equal(decoded.bytes.begin(), decoded.bytes.end(), whole.bytes.begin()));
        }
    }
}

TEST(Decoder, CountsTheTokensOfAStream)
{
    Bytes stream = from_hex("02 61 00 00 FF FF");
    std::uint8_t destination[261];
    codec::DecodeStats stats = {};
    codec::decode_tokens_checked(stream.data(), stream.size(), destination, sizeof destination, &stats);
    EXPECT_EQ(stats.tokens[codec::LITERAL_LOW], 1u);
    EXPECT_EQ(stats.tokens[codec::MATCH_FAR], 1u);
    EXPECT_EQ(stats.bytes[codec::MATCH_FAR], 260u);
    EXPECT_EQ(stats.tokens[codec::END_MARK], 1u);
    EXPECT_EQ(stats.distance_sum, 1u);
}

TEST(DecoderDeathTest, EndsThePackerWithTheSystemsMessages)
{
    Bytes under = from_hex("00 80 00 FF");
    Bytes over = from_hex("00 61 80 00 FF");
    Bytes cut = from_hex("00 61");
    std::uint8_t destination[8];
    EXPECT_EXIT(packing::decode_tokens(under.data(), under.size(), destination, 8),
                testing::ExitedWithCode(5), "^Decode data error! under run.\n$");
    EXPECT_EXIT(packing::decode_tokens(over.data(), over.size(), destination, 3), testing::ExitedWithCode(5),
                "^Decode data error! over run.\n$");
    EXPECT_EXIT(packing::decode_tokens(cut.data(), cut.size(), destination, 8), testing::ExitedWithCode(5),
                "^Decode data error! ");
}

}  // namespace
