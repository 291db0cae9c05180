// The decoder's fast group loop against long streams: it must agree with the
// token-at-a-time reading on output, counts and errors, and never touch a
// byte outside its buffers (heap buffers of exact size let the sanitizer
// catch any overrun, including the word-sized copies).
#include "codec/decoder.h"
#include "codec/token_stream.h"
#include "tests/reference/plain_decoder.h"
#include "tests/support/memory_stream.h"
#include "tests/support/synthetic_inputs.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

using namespace testing_support;
using codec::DecodeError;

struct Decoded {
    codec::DecodeResult result;
    Bytes bytes;
    codec::DecodeStats stats;
};

Decoded decode(const Bytes& stream, std::size_t source_size, std::size_t capacity)
{
    auto source = std::make_unique<std::uint8_t[]>(source_size);
    std::copy(stream.begin(), stream.begin() + static_cast<long>(source_size), source.get());
    auto destination = std::make_unique<std::uint8_t[]>(capacity);
    Decoded decoded{};
    decoded.result =
        codec::decode_tokens_checked(source.get(), source_size, destination.get(), capacity, &decoded.stats);
    decoded.bytes.assign(destination.get(), destination.get() + decoded.result.produced);
    return decoded;
}

// Literals of both classes, matches of every class and distance, long runs.
Bytes varied_input()
{
    Bytes input = mutated_phrase(30000, "abc\x90\xA0 de fghij klm", 40, 1);
    Bytes noise = random_over(5000, letters(4), 2);
    input.insert(input.end(), noise.begin(), noise.end());
    input.insert(input.end(), 3000, 0xEE);
    Bytes bytes(4000);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 13);
    input.insert(input.end(), bytes.begin(), bytes.end());
    return input;
}

TEST(DecoderGroupPath, ExpandsLongStreamsAndCountsEveryToken)
{
    Bytes input = varied_input();
    Bytes stream = encode(input);
    Decoded decoded = decode(stream, stream.size(), input.size());
    ASSERT_EQ(decoded.result.error, DecodeError::NONE);
    EXPECT_TRUE(decoded.bytes == input);

    codec::DecodeStats expected{};
    for (const Token& token : parse_tokens(stream)) {
        // The writer's choice for a match, against which the decoder's count is checked.
        codec::TokenClass kind =
            token.is_match ? codec::classify_match(token.length, token.distance) : token.token;
        expected.tokens[kind] += 1;
        expected.bytes[kind] += token.is_match ? static_cast<unsigned>(token.length) : 1;
        expected.distance_sum += static_cast<unsigned>(token.distance);
    }
    expected.tokens[codec::END_MARK] = 1;
    for (int kind = 0; kind < 7; ++kind) {
        EXPECT_EQ(decoded.stats.tokens[kind], expected.tokens[kind]) << "class " << kind;
        EXPECT_EQ(decoded.stats.bytes[kind], expected.bytes[kind]) << "class " << kind;
    }
    EXPECT_EQ(decoded.stats.distance_sum, expected.distance_sum);
}

TEST(DecoderGroupPath, StopsAtTheFirstByteBeyondCapacity)
{
    Bytes input = varied_input();
    Bytes stream = encode(input);
    for (std::size_t short_by : {1u, 2u, 7u, 8u, 9u, 300u, 5000u}) {
        Decoded decoded = decode(stream, stream.size(), input.size() - short_by);
        EXPECT_EQ(decoded.result.error, DecodeError::OVER_RUN) << "short by " << short_by;
        ASSERT_LE(decoded.bytes.size(), input.size() - short_by);
        EXPECT_TRUE(std::equal(decoded.bytes.begin(), decoded.bytes.end(), input.begin()));
    }
}

TEST(DecoderGroupPath, RefusesAMatchReachingBeforeTheStartFarIntoTheStream)
{
    // 800 literals in groups of eight, then MATCH_3 at distance 801.
    Bytes stream;
    for (int i = 0; i < 800; ++i) {
        if (i % 8 == 0)
            stream.push_back(0x00);
        stream.push_back('x');
    }
    // Enough groups follow that the group loop, not the careful one, meets it.
    Bytes tail = from_hex("00 83 20 61 62 63 64 65 66 67");
    for (int group = 0; group < 6; ++group)
        tail.insert(tail.end(), {0x00, 'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'});
    tail.insert(tail.end(), {0x00, 0xFF});
    stream.insert(stream.end(), tail.begin(), tail.end());
    Decoded decoded = decode(stream, stream.size(), 10000);
    EXPECT_EQ(decoded.result.error, DecodeError::UNDER_RUN);
    EXPECT_EQ(decoded.result.produced, 800u);
}

TEST(DecoderGroupPath, ReadsMatchNearLengthBitsSevenAsTwelve)
{
    // Never written, but both loops must agree with the careful reading.
    Bytes stream = from_hex("00 61 62 63 64 65 66 67 68");
    for (int group = 0; group < 300; ++group) {
        stream.push_back(0x00);
        for (int token = 0; token < 8; ++token)
            stream.insert(stream.end(), {0xC7, 0x07});
    }
    stream.insert(stream.end(), {0x00, 0xFF});
    Bytes expected;
    for (std::size_t i = 0; i < 8 + 2400 * 12; ++i)
        expected.push_back(static_cast<std::uint8_t>('a' + i % 8));
    Decoded decoded = decode(stream, stream.size(), expected.size());
    ASSERT_EQ(decoded.result.error, DecodeError::NONE);
    EXPECT_TRUE(decoded.bytes == expected);
}

// Damaged streams: a byte changed anywhere turns tokens into others (literal
// runs cut short, matches reaching before the start or past the capacity,
// the end mark early or missing); every outcome must be the plain reading's.
TEST(DecoderGroupPath, AgreesWithThePlainDecoderOnDamagedStreams)
{
    Bytes input = varied_input();
    Bytes intact = encode(input);
    Bytes damage = random_bytes(200, 9);
    for (std::size_t i = 0; i + 1 < damage.size(); i += 2) {
        Bytes stream = intact;
        std::size_t at = (damage[i] * 251u + damage[i + 1] * 977u + i * 4099u) % stream.size();
        stream[at] = damage[i + 1];
        for (std::size_t capacity : {input.size(), input.size() / 2, std::size_t{3000}}) {
            Decoded decoded = decode(stream, stream.size(), capacity);
            Bytes plain(capacity);
            codec::DecodeStats stats{};
            codec::DecodeResult expected =
                reference::plain_decode_tokens(stream.data(), stream.size(), plain.data(), capacity, &stats);
            ASSERT_EQ(decoded.result.error, expected.error) << "byte " << at << ", capacity " << capacity;
            ASSERT_EQ(decoded.result.produced, expected.produced)
                << "byte " << at << ", capacity " << capacity;
            plain.resize(expected.produced);
            ASSERT_TRUE(decoded.bytes == plain) << "byte " << at << ", capacity " << capacity;
            for (unsigned kind = 0; kind < codec::TOKEN_CLASSES; ++kind) {
                ASSERT_EQ(decoded.stats.tokens[kind], stats.tokens[kind])
                    << "class " << kind << ", byte " << at;
                ASSERT_EQ(decoded.stats.bytes[kind], stats.bytes[kind])
                    << "class " << kind << ", byte " << at;
            }
            ASSERT_EQ(decoded.stats.distance_sum, stats.distance_sum) << "byte " << at;
        }
    }
}

// Below a word the copy repeats a pattern; from one to two words it copies
// words that overlap the bytes just written.
TEST(DecoderGroupPath, RepeatsShortPatternsAtEveryDistanceUpToTwoWords)
{
    for (unsigned distance = 1; distance <= 17; ++distance) {
        Bytes input;
        for (unsigned i = 0; i < distance; ++i)
            input.push_back(static_cast<std::uint8_t>('a' + i));
        while (input.size() < 3000)
            input.push_back(input[input.size() - distance]);
        Bytes stream = encode(input);
        Decoded decoded = decode(stream, stream.size(), input.size());
        ASSERT_EQ(decoded.result.error, DecodeError::NONE);
        EXPECT_TRUE(decoded.bytes == input) << "distance " << distance;
    }
}

}  // namespace
