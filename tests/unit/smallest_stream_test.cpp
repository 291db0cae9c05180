// The --best stream has the size of the exhaustive search's smallest stream,
// decodes to its input and is never larger than the standard stream, on
// inputs shaped around every bound of the token table.
#include "codec/decoder.h"
#include "codec/smallest_stream/smallest_stream.h"
#include "tests/reference/smallest_stream.h"
#include "tests/support/memory_stream.h"
#include "tests/support/synthetic_inputs.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

using namespace testing_support;

Bytes repeated(std::size_t size, std::uint8_t byte) { return Bytes(size, byte); }

// Makes the `length` bytes at `from` recur `distance` later.
Bytes& plant(Bytes& input, std::size_t from, std::size_t distance, std::size_t length)
{
    for (std::size_t i = 0; i < length; ++i)
        input[from + distance + i] = input[from + i];
    return input;
}

// Random filler with one planted repeat.
Bytes repeat_at(std::size_t distance, std::size_t length, std::uint32_t seed)
{
    Bytes input = random_over(100 + distance + length + 50, all_byte_values(), seed);
    return plant(input, 100, distance, length);
}

// Six bytes recurring 16385 back (out of reach), six others 16384 back.
Bytes window_bound()
{
    Bytes input = random_over(16384 + 300, all_byte_values(), 14);
    plant(input, 100, 16385, 6);
    return plant(input, 200, 16384, 6);
}

Bytes concatenated(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

struct Shape {
    const char* name;
    Bytes input;
};

void PrintTo(const Shape& shape, std::ostream* os) { *os << shape.name; }

std::vector<Shape> shapes()
{
    Bytes text = bytes_of("the packer finds the smallest stream; the window slides, the groups fill. ");
    return {
        {"empty", {}},
        {"one_byte", {0x41}},
        {"high_literals", bytes_of("\xE9\x80\xFF\x81\xE9\x80\xFF\x81\xE9")},
        {"text", mutated_phrase(3000, "the packer finds the smallest stream; ", 40, 1)},
        {"text_repeated", concatenated({text, text, text})},
        {"binary", random_over(2500, all_byte_values(), 2)},
        {"zeros", repeated(530, 0)},  // two longest matches and more
        {"runs", concatenated({repeated(261, 'a'), repeated(5, 'b'), repeated(12, 'a'), repeated(300, 0xF0),
                               repeated(4, 'b'), repeated(262, 'a')})},
        {"two_symbols", random_over(3000, letters(2), 3)},
        {"four_symbols", random_over(3000, letters(4), 4)},
        {"eight_symbol_top_bits", top_bits_noise(2000, 5)},
        {"near_bound_4", repeat_at(2048, 4, 6)},
        {"near_bound_5", repeat_at(2048, 5, 7)},
        {"near_bound_11", repeat_at(2048, 11, 8)},
        {"near_bound_12", repeat_at(2048, 12, 9)},
        {"past_near_bound_5", repeat_at(2049, 5, 10)},
        {"past_near_bound_11", repeat_at(2049, 11, 11)},
        {"longest_match", repeat_at(1000, 260, 12)},
        {"past_longest_match", repeat_at(1000, 261, 13)},
        {"window_bound", window_bound()},
    };
}

class SmallestStream : public ::testing::TestWithParam<Shape> { };

TEST_P(SmallestStream, HasTheExhaustiveSearchsSizeAndDecodesToItsInput)
{
    const Bytes& input = GetParam().input;
    Bytes stream = encode_with(input, testing_support::encode_stream_smallest);
    EXPECT_EQ(stream.size(), reference::smallest_stream_size(input));
    EXPECT_LE(stream.size(), encode(input).size());

    Bytes decoded(input.size());
    codec::DecodeResult result =
        codec::decode_tokens_checked(stream.data(), stream.size(), decoded.data(), decoded.size());
    EXPECT_EQ(result.error, codec::DecodeError::NONE);
    EXPECT_EQ(result.produced, input.size());
    EXPECT_EQ(decoded, input);
}

// Many small inputs over small alphabets: every mix of literals, short and
// long matches in every position of a group.
TEST(SmallestStreamOfSmallInputs, HasTheExhaustiveSearchsSize)
{
    for (std::uint32_t seed = 0; seed < 300; ++seed) {
        Bytes input = random_over(seed % 61 * 5, letters(1 + seed % 4), seed);
        SCOPED_TRACE(to_hex(input));
        EXPECT_EQ(encode_with(input, testing_support::encode_stream_smallest).size(),
                  reference::smallest_stream_size(input));
    }
}

std::string shape_name(const ::testing::TestParamInfo<Shape>& shape) { return shape.param.name; }

INSTANTIATE_TEST_SUITE_P(Shapes, SmallestStream, ::testing::ValuesIn(shapes()), shape_name);

}  // namespace
