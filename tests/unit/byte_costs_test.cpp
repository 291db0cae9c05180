// The cost map of a stream: every stream byte charged to the output bytes
// it produced, so that the ranges add up to the stream's size exactly, on
// the corpus's kinds of input, for both encoders and any range size.
#include "codec/byte_costs.h"
#include "codec/decoder.h"
#include "codec/smallest_stream/smallest_stream.h"
#include "lzsunpack/cost_map.h"
#include "tests/support/memory_stream.h"
#include "tests/support/synthetic_inputs.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace testing_support;

struct Input {
    const char* name;
    Bytes bytes;
};

// The benchmark corpus's kinds, smaller, and the sizes at the edges.
std::vector<Input> corpus()
{
    constexpr std::size_t SIZE = 40000;
    return {
        {"empty", {}},
        {"one byte", bytes_of("a")},
        {"zeros", Bytes(SIZE, 0)},
        {"random bytes", random_bytes(SIZE, 1)},
        {"2 symbols", random_over(SIZE, letters(2), 2)},
        {"phrase", mutated_phrase(SIZE, "the window slides and every chain is rebased; ", 1000, 4)},
        {"hash top bits", top_bits_noise(SIZE, 5)},
        {"words", word_soup(SIZE, 6)},
        {"code", code_like(SIZE, 7)},
        {"runs", runs_between_noise(SIZE, 8)},
    };
}

TEST(ByteCosts, AddUpToTheStreamSizeExactlyForEveryInputEncoderAndRangeSize)
{
    for (const Input& input : corpus()) {
        for (const auto& encoder : {EncodeFunction(codec::encode_stream),
                                    EncodeFunction(testing_support::encode_stream_smallest)}) {
            Bytes stream = encode_with(input.bytes, encoder);
            Bytes output(input.bytes.size());
            codec::DecodeStats stats = {};
            codec::decode_tokens_checked(stream.data(), stream.size(), output.data(), output.size(), &stats);
            for (std::uint64_t range_bytes : {1u, 7u, 96u, 1000000u}) {
                SCOPED_TRACE(std::string(input.name) + ", ranges of " + std::to_string(range_bytes));
                codec::CostMap map = codec::map_costs(stream.data(), stream.size(), range_bytes);
                ASSERT_TRUE(map.well_formed);
                EXPECT_EQ(map.stream_size, stream.size());
                EXPECT_EQ(lzsunpack::stream_size(stats), stream.size());
                EXPECT_EQ(map.output_size, input.bytes.size());
                std::uint64_t units = 0;
                std::uint64_t offset = 0;
                for (const codec::RangeCost& range : map.ranges) {
                    ASSERT_EQ(range.offset, offset);
                    ASSERT_LE(range.literal_units, range.units);
                    ASSERT_TRUE(range.length == range_bytes || &range == &map.ranges.back());
                    offset += range.length;
                    units += range.units;
                }
                EXPECT_EQ(offset, input.bytes.size());
                EXPECT_EQ(units, codec::COST_UNITS_PER_BYTE * stream.size());
                EXPECT_GE(map.ranges.back().units, map.end_units);
            }
        }
    }
}

// Hand-made streams whose every byte's cost is known. Units are eighths of
// a stream byte: a literal 8 + 1; a 2-byte match 16 + 1 over its bytes; the
// end mark 8 + 1 and the last group's unused flag eighths.
TEST(ByteCosts, ChargeEachTokenItsBytesAndAShareOfItsFlagByte)
{
    const struct {
        const char* stream;
        std::vector<std::uint64_t> units;  // per output byte, the end mark's with the last
    } cases[] = {
        {"00 FF", {}},                                // the end mark alone: the whole stream, one empty range
        {"00 61 FF", {9 + 15}},                       // 7 unused eighths go to the end mark
        {"00 61 62 80 01 FF", {9, 9, 5, 6, 6 + 13}},  // a MATCH_3 of 17 units over 3 bytes
        {"00 61 61 61 61 61 61 61 61 00 FF", {9, 9, 9, 9, 9, 9, 9, 9 + 16}},  // a group of its own
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.stream);
        Bytes stream = from_hex(test.stream);
        codec::CostMap map = codec::map_costs(stream.data(), stream.size(), 1);
        ASSERT_TRUE(map.well_formed);
        std::vector<std::uint64_t> units;
        for (const codec::RangeCost& range : map.ranges)
            if (range.length != 0 || !units.empty())
                units.push_back(range.units);
        if (test.units.empty())
            EXPECT_EQ(map.ranges.size(), 1u);
        else
            EXPECT_EQ(units, test.units);
    }
}

TEST(ByteCosts, RefuseWhatTheDecoderRefuses)
{
    for (const char* stream : {"", "00", "00 61", "00 80 00 FF", "00 61 80 05 FF", "20 61 62 00"}) {
        SCOPED_TRACE(stream);
        Bytes bytes = from_hex(stream);
        codec::CostMap map = codec::map_costs(bytes.data(), bytes.size(), 1);
        EXPECT_FALSE(map.well_formed);
        EXPECT_TRUE(map.ranges.empty());
    }
}

}  // namespace
