// The writer's bytes for hand-placed tokens, and classify_match's choices.
#include "codec/token_stream.h"
#include "tests/support/memory_stream.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using testing_support::Bytes;
using testing_support::from_hex;
using testing_support::to_hex;

// The stream a writer produces for the tokens `put` hands it.
Bytes written_by(const std::function<void(codec::TokenWriter&)>& put)
{
    testing_support::CapturedStream out;
    codec::TokenWriter writer = codec::make_token_writer(out.stream(), 8);
    put(writer);
    codec::finish(writer);
    Bytes stream = out.bytes();
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

TEST(ClassifyMatchDeathTest, ReportsAMatchTheFormatCannotHold)
{
    EXPECT_EXIT(codec::classify_match(261, 1), testing::ExitedWithCode(5),
                "^Encode Error!!\n  len = 261 off = 1\n\n$");
    EXPECT_EXIT(codec::classify_match(2, 1), testing::ExitedWithCode(5), "len = 2 off = 1");
    EXPECT_EXIT(codec::classify_match(3, 16385), testing::ExitedWithCode(5), "len = 3 off = 16385");
}

}  // namespace
