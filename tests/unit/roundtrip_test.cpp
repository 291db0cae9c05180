// Encoding then decoding gives back the input, for inputs of many sizes and
// kinds, and every match the encoder emits is one the format allows and that
// stays inside the input.
#include "codec/decoder.h"
#include "tests/support/memory_stream.h"
#include "tests/support/synthetic_inputs.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace testing_support;

void expect_round_trip(const Bytes& input, const std::string& what)
{
    SCOPED_TRACE(what + ", " + std::to_string(input.size()) + " bytes");
    Bytes stream = encode(input);

    Bytes output(input.size());
    codec::DecodeResult result =
        codec::decode_tokens_checked(stream.data(), stream.size(), output.data(), output.size());
    ASSERT_EQ(result.error, codec::DecodeError::NONE);
    ASSERT_EQ(result.produced, input.size());
    ASSERT_TRUE(output == input);

    std::size_t at = 0;
    for (const auto& token : parse_tokens(stream)) {
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
const std::size_t BOUNDARY_SIZES[] = {0,     1,     2,     3,     4,     16383, 16384,
                                      16385, 16643, 16644, 16645, 32768, 33028, 49152};

TEST(RoundTrip, GivesBackNoiseTextAndCodeOfEverySizeAroundTheWindowsBoundaries)
{
    const struct {
        const char* name;
        Bytes (*make)(std::size_t size, std::uint32_t seed);
    } kinds[] = {{"random", random_bytes}, {"words", word_soup}, {"code", code_like}};
    for (const auto& kind : kinds)
        for (std::size_t size : BOUNDARY_SIZES)
            expect_round_trip(kind.make(size, 1), kind.name);
}

TEST(RoundTrip, FewSymbolAlphabets)
{
    for (unsigned alphabet : {1u, 2u, 4u})
        for (unsigned seed : {4u, 5u})
            expect_round_trip(random_over(40000, letters(alphabet), seed),
                              "alphabet " + std::to_string(alphabet));
}

TEST(RoundTrip, LongRunsBetweenNoise) { expect_round_trip(runs_between_noise(200000, 6), "runs"); }

TEST(RoundTrip, SeveralMegabytesOfMixedData)
{
    Bytes input = word_soup(1 << 20, 7);
    Bytes more = code_like(1 << 20, 8);
    Bytes noise = random_bytes(1 << 20, 9);
    input.insert(input.end(), more.begin(), more.end());
    input.insert(input.end(), noise.begin(), noise.end());
    expect_round_trip(input, "mixed");
}

}  // namespace
