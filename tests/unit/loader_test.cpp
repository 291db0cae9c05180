// The loader's decoders (loader/) against the codec's checked decoder, and
// the in-place margin proved exact, on the sample text and on generated
// shapes: whole streams, streams cut short, outputs one byte too small,
// single bytes changed. Hand-made streams and the 32-bit build are
// tests/loader/loader_vectors.c's.
#include "codec/lazy/encoder.h"
#include "codec/smallest_stream/smallest_stream.h"
#include "tests/support/loader_check.h"
#include "tests/support/memory_stream.h"
#include "tests/support/synthetic_inputs.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

using namespace testing_support;

struct Shape {
    const char* name;
    Bytes input;
};

Bytes sample_text()
{
    std::ifstream file(LZS_SAMPLES_DIR "/chkps.txt", std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::vector<Shape> shapes()
{
    return {
        {"empty", {}},
        {"one byte", {0xE9}},
        {"sample text", sample_text()},
        {"random bytes", random_bytes(20000, 1)},
        {"4 symbols", random_over(40000, letters(4), 2)},
        {"mutated phrase", mutated_phrase(60000, "in place, at the end", 200, 3)},
        {"top bits", top_bits_noise(20000, 4)},
        {"overlapping bits", overlapping_bits(20000, 5)},
        {"striped", striped(30000, "the loader reads", 61, 30, 6)},
        {"word soup", word_soup(70000, 7)},
        {"code", code_like(40000, 8)},
        {"runs", runs_between_noise(50000, 9)},
        {"zeros", Bytes(70000, 0)},
    };
}

TEST(LoaderDecoders, AgreeWithTheCodecOnWholeCutAndDamagedStreams)
{
    std::uint32_t seed = 0;
    for (const Shape& shape : shapes()) {
        ASSERT_TRUE(!shape.input.empty() || shape.name == std::string("empty")) << shape.name;
        for (const Bytes& stream :
             {encode(shape.input), encode_with(shape.input, testing_support::encode_stream_smallest)}) {
            SCOPED_TRACE(shape.name);
            std::size_t n = shape.input.size();
            std::size_t c = stream.size();
            // The in-place offset in the middle of the output: some overlap.
            EXPECT_EQ(loader_disagreement(stream.data(), c, n, n / 2, ++seed), "");
            EXPECT_EQ(loader_disagreement(stream.data(), c, n + 1, n + 1, ++seed), "");
            if (n != 0) {
                EXPECT_EQ(loader_disagreement(stream.data(), c, n - 1, n, ++seed), "");
            }
            EXPECT_EQ(loader_disagreement(stream.data(), c - 1, n, n, ++seed), "");
            EXPECT_EQ(loader_disagreement(stream.data(), c / 2, n, n, ++seed), "");
            Bytes damaged = stream;
            for (std::size_t at : {c / 3, c / 2, c - 2}) {
                damaged[at] ^= static_cast<std::uint8_t>(0x40 + at % 0x3F);
                EXPECT_EQ(loader_disagreement(damaged.data(), c, n, n / 3, ++seed), "") << at;
            }
        }
    }
}

TEST(InPlaceMargin, IsExactOnEveryShape)
{
    for (const Shape& shape : shapes()) {
        SCOPED_TRACE(shape.name);
        for (const Bytes& stream :
             {encode(shape.input), encode_with(shape.input, testing_support::encode_stream_smallest)})
            EXPECT_EQ(margin_disagreement(stream.data(), stream.size()), "");
    }
    // Streams that do not decode have none.
    for (const char* hex : {"00 80 00 FF", "00 61 62", "01 00 00"}) {
        Bytes stream = from_hex(hex);
        EXPECT_EQ(margin_disagreement(stream.data(), stream.size()), "") << hex;
    }
}

}  // namespace
