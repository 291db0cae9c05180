// The writer's bytes for hand-placed tokens, classify_match's choices, and
// the failures the writer reports rather than ending the process.
#include "codec/token_stream.h"
#include "packing/codec_failures.h"
#include "tests/support/memory_stream.h"

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

namespace {

using testing_support::Bytes;
using testing_support::from_hex;
using testing_support::to_hex;

// The stream a writer produces for the tokens `put` hands it.
Bytes written_by(const std::function<void(codec::TokenWriter&)>& put)
{
    Bytes stream;
    codec::TokenWriter writer = codec::make_token_writer(testing_support::append_to(stream), 8);
    put(writer);
    EXPECT_EQ(codec::finish(writer), codec::EncodeError::NONE);
    EXPECT_EQ(writer.bytes_written, 8 + static_cast<std::int64_t>(stream.size()));
    return stream;
}

TEST(TokenWriter, WritesTheEndMarkAloneWhenNothingWasPut)
{
    EXPECT_EQ(to_hex(written_by([](auto&) {})), "00 FF");
}

TEST(TokenWriter, SetsTheFlagBitOfLiteralsFrom0x80Up)
{
    EXPECT_EQ(to_hex(written_by([](auto& w) { codec::put_literal(w, 0xE9); })), "01 E9 FF");
    EXPECT_EQ(to_hex(written_by([](auto& w) {
                  codec::put_literal(w, 0x80);
                  codec::put_literal(w, 0x41);
              })),
              "01 80 41 FF");
}

TEST(TokenWriter, WritesTheEighthTokensGroupAtOnceAndStartsANewOneForTheEndMark)
{
    Bytes stream = written_by([](auto& w) {
        for (char c : std::string("abcdefgh"))
            codec::put_literal(w, static_cast<std::uint8_t>(c));
    });
    EXPECT_EQ(to_hex(stream), "00 61 62 63 64 65 66 67 68 00 FF");
    stream = written_by([](auto& w) {
        for (char c : std::string("abcdefg"))
            codec::put_literal(w, static_cast<std::uint8_t>(c));
    });
    EXPECT_EQ(to_hex(stream), "00 61 62 63 64 65 66 67 FF");
}

TEST(TokenWriter, LaysOutEachMatchClass)
{
    struct Case {
        int length;
        int distance;
        const char* stream;
    };
    const Case cases[] = {
        {3, 1, "00 80 00 FF"},           // MATCH_3
        {3, 16384, "00 BF FF FF"},       // MATCH_3, farthest
        {4, 1, "01 40 00 FF"},           // MATCH_4
        {4, 16384, "01 7F FF FF"},       // MATCH_4, farthest
        {5, 1, "00 C0 00 FF"},           // MATCH_NEAR
        {7, 2048, "00 FA FF FF"},        // MATCH_NEAR, farthest
        {11, 2048, "00 FE FF FF"},       // MATCH_NEAR, longest: never the end mark
        {7, 2049, "01 08 00 02 FF"},     // MATCH_FAR: too far for MATCH_NEAR
        {12, 1, "01 00 00 07 FF"},       // MATCH_FAR: too long for MATCH_NEAR
        {260, 16384, "01 3F FF FF FF"},  // MATCH_FAR, longest and farthest
    };
    for (const Case& c : cases)
        EXPECT_EQ(to_hex(written_by([&](auto& w) { codec::put_match(w, c.length, c.distance); })), c.stream)
            << "length " << c.length << " distance " << c.distance;
}

TEST(ClassifyMatch, PicksTheShortestTokenThatHoldsTheMatch)
{
    EXPECT_EQ(codec::classify_match(3, 16384), codec::MATCH_3);
    EXPECT_EQ(codec::classify_match(4, 16384), codec::MATCH_4);
    EXPECT_EQ(codec::classify_match(5, 2048), codec::MATCH_NEAR);
    EXPECT_EQ(codec::classify_match(11, 1), codec::MATCH_NEAR);
    EXPECT_EQ(codec::classify_match(5, 2049), codec::MATCH_FAR);
    EXPECT_EQ(codec::classify_match(12, 1), codec::MATCH_FAR);
    EXPECT_EQ(codec::classify_match(260, 16384), codec::MATCH_FAR);
}

// The writer keeps the first match the format cannot hold and writes on;
// the packers report it with the system's message.
TEST(TokenWriterDeathTest, ReportsAMatchTheFormatCannotHold)
{
    for (auto [length, distance, message] :
         {std::tuple{261, 1, "^Encode Error!!\n  len = 261 off = 1\n\n$"},
          std::tuple{2, 1, "len = 2 off = 1"}, std::tuple{3, 16385, "len = 3 off = 16385"}}) {
        EXPECT_FALSE(codec::holds_match(length, distance));
        Bytes stream;
        codec::TokenWriter writer = codec::make_token_writer(testing_support::append_to(stream), 0);
        codec::put_match(writer, length, distance);
        codec::put_match(writer, 3, 1);
        codec::EncodeError error = codec::finish(writer);
        EXPECT_EQ(error, codec::EncodeError::UNENCODABLE_MATCH);
        EXPECT_EXIT(packing::fail_on_encode_error(writer, error), testing::ExitedWithCode(5), message);
    }
}

// A sink that takes less than a group: the writer stops handing it bytes.
TEST(TokenWriterDeathTest, ReportsAShortWrite)
{
    std::size_t calls = 0;
    auto take_two = [](void* context, const std::uint8_t*, std::size_t size) {
        ++*static_cast<std::size_t*>(context);
        return size < 2 ? size : 2;
    };
    codec::TokenWriter writer = codec::make_token_writer(codec::ByteSink{take_two, &calls}, 0);
    for (int i = 0; i < 20; ++i)
        codec::put_literal(writer, 'a');
    codec::EncodeError error = codec::finish(writer);
    EXPECT_EQ(error, codec::EncodeError::SHORT_WRITE);
    EXPECT_EQ(calls, 1u);
    EXPECT_EQ(writer.bytes_written, 2);
    EXPECT_EXIT(packing::fail_on_encode_error(writer, error), testing::ExitedWithCode(5),
                "^Can't write correctly size\n\n$");
}

}  // namespace
