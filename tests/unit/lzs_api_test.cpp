// The C interface of lzs.h: the same streams, containers and images as the
// programs' code, its refusals, and what it reports for each.
#include "codec/in_place_margin.h"
#include "lzs.h"
#include "tests/support/memory_stream.h"
#include "tests/support/scramble_model.h"
#include "tests/support/synthetic_inputs.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using testing_support::Bytes;
using testing_support::from_hex;

struct Input {
    const char* name;
    Bytes bytes;
};

std::vector<Input> inputs()
{
    using namespace testing_support;
    return {
        {"empty", {}},
        {"one_byte", bytes_of("a")},
        {"noise", random_bytes(40000, 1)},
        {"prose", word_soup(70000, 2)},
        {"code", code_like(50000, 3)},
        {"runs", runs_between_noise(33000, 4)},
    };
}

Bytes pack(const Bytes& input, lzs_mode mode)
{
    Bytes stream(lzs_stream_bound(input.size()));
    size_t written = 0;
    EXPECT_EQ(lzs_pack(input.data(), input.size(), stream.data(), stream.size(), mode, &written), LZS_OK);
    stream.resize(written);
    return stream;
}

Bytes pack_container(lzs_container kind, const Bytes& input, lzs_mode mode)
{
    Bytes file(lzs_container_bound(kind, input.size()));
    size_t written = 0;
    EXPECT_EQ(lzs_container_pack(kind, input.data(), input.size(), file.data(), file.size(), mode, &written),
              LZS_OK);
    file.resize(written);
    return file;
}

// Both modes write the codec's streams, within the bound, and each unpacks
// to its input; the containers hold them behind their headers.
TEST(LzsApi, PacksTheCodecsStreamsAndUnpacksThem)
{
    for (const Input& input : inputs()) {
        SCOPED_TRACE(input.name);
        Bytes standard = pack(input.bytes, LZS_MODE_DEFAULT);
        EXPECT_EQ(standard, testing_support::encode(input.bytes));
        Bytes smallest = pack(input.bytes, LZS_MODE_SMALLEST);
        EXPECT_EQ(smallest,
                  testing_support::encode_with(input.bytes, testing_support::encode_stream_smallest));

        Bytes decoded(input.bytes.size());
        size_t produced = 0;
        EXPECT_EQ(lzs_unpack(smallest.data(), smallest.size(), decoded.data(), decoded.size(), &produced),
                  LZS_OK);
        EXPECT_EQ(produced, input.bytes.size());
        EXPECT_EQ(decoded, input.bytes);

        // The margin lzsunpack -v prints, and the decoder's refusal of a stream cut short.
        std::optional<codec::InPlaceMargin> margin = codec::in_place_margin(standard.data(), standard.size());
        ASSERT_TRUE(margin.has_value());
        size_t offset = 0;
        size_t end_margin = 0;
        EXPECT_EQ(lzs_in_place_margin(standard.data(), standard.size(), &offset, &end_margin), LZS_OK);
        EXPECT_EQ(offset, margin->offset);
        EXPECT_EQ(end_margin, margin->end_margin);
        EXPECT_EQ(lzs_in_place_margin(standard.data(), standard.size() - 1, &offset, &end_margin),
                  LZS_ERROR_TRUNCATED);

        Bytes file = pack_container(LZS_CONTAINER_LZS, input.bytes, LZS_MODE_DEFAULT);
        auto size = static_cast<std::uint32_t>(input.bytes.size());
        Bytes header = {1,
                        0,
                        0,
                        0,
                        static_cast<std::uint8_t>(size),
                        static_cast<std::uint8_t>(size >> 8),
                        static_cast<std::uint8_t>(size >> 16),
                        0};
        EXPECT_EQ(Bytes(file.begin(), file.begin() + 8), header);
        EXPECT_EQ(Bytes(file.begin() + 8, file.end()), standard);
        Bytes app = pack_container(LZS_CONTAINER_APP, input.bytes, LZS_MODE_SMALLEST);
        EXPECT_EQ(Bytes(app.begin() + 4, app.end()), smallest);

        std::uint32_t declared = 0;
        EXPECT_EQ(lzs_container_read_header(LZS_CONTAINER_APP, app.data(), app.size(), &declared), LZS_OK);
        EXPECT_EQ(declared, size);
        decoded.assign(input.bytes.size(), 0);
        EXPECT_EQ(lzs_container_unpack(LZS_CONTAINER_LZS, file.data(), file.size(), decoded.data(),
                                       decoded.size(), &produced),
                  LZS_OK);
        EXPECT_EQ(decoded, input.bytes);
    }
}

TEST(LzsApi, RefusesWhatTheProgramsRefuse)
{
    struct Case {
        const char* name;
        lzs_container kind;
        Bytes file;
        size_t capacity;
        lzs_error error;
    };
    const Case cases[] = {
        {"header cut short", LZS_CONTAINER_LZS, from_hex("01 00 00 00 03 00"), 8, LZS_ERROR_BAD_HEADER},
        {"format word 2", LZS_CONTAINER_LZS, from_hex("02 00 00 00 03 00 00 00 00 61 62 63 FF"), 8,
         LZS_ERROR_BAD_HEADER},
        {"2 GiB declared", LZS_CONTAINER_APP, from_hex("00 00 00 80 00 61 62 63 FF"), 8,
         LZS_ERROR_BAD_HEADER},
        {"declares more", LZS_CONTAINER_APP, from_hex("04 00 00 00 00 61 62 63 FF"), 8,
         LZS_ERROR_SIZE_MISMATCH},
        {"declares less", LZS_CONTAINER_APP, from_hex("02 00 00 00 00 61 62 63 FF"), 8, LZS_ERROR_OVER_RUN},
        {"no end mark", LZS_CONTAINER_APP, from_hex("03 00 00 00 00 61 62 63"), 8, LZS_ERROR_TRUNCATED},
        {"under run", LZS_CONTAINER_APP, from_hex("03 00 00 00 00 80 00 FF"), 8, LZS_ERROR_UNDER_RUN},
        {"room too small", LZS_CONTAINER_APP, from_hex("03 00 00 00 00 61 62 63 FF"), 2,
         LZS_ERROR_OUTPUT_TOO_SMALL},
    };
    for (const Case& c : cases) {
        Bytes output(8);
        size_t produced = 0;
        EXPECT_EQ(
            lzs_container_unpack(c.kind, c.file.data(), c.file.size(), output.data(), c.capacity, &produced),
            c.error)
            << c.name;
    }

    // An input of 2 GiB is refused before a byte of it is read.
    std::uint8_t byte = 0;
    Bytes output(16);
    size_t written = 1;
    EXPECT_EQ(lzs_container_pack(LZS_CONTAINER_LZS, &byte, size_t{1} << 31, output.data(), output.size(),
                                 LZS_MODE_DEFAULT, &written),
              LZS_ERROR_INPUT_TOO_LARGE);
    EXPECT_EQ(written, 0u);
    Bytes input = testing_support::random_bytes(1000, 5);
    EXPECT_EQ(lzs_pack(input.data(), input.size(), output.data(), output.size(), LZS_MODE_DEFAULT, &written),
              LZS_ERROR_OUTPUT_TOO_SMALL);
    EXPECT_EQ(written, output.size());
    EXPECT_EQ(lzs_pack(nullptr, 1, output.data(), output.size(), LZS_MODE_DEFAULT, &written),
              LZS_ERROR_INVALID_ARGUMENT);
}

// The images are the scramblers' (as the model works them out), with the
// headroom -v prints, and a file longer than the image is refused.
TEST(LzsApi, ScramblesTheImagesAsTheScramblersDo)
{
    Bytes packed = pack_container(LZS_CONTAINER_LZS, testing_support::word_soup(3000, 6), LZS_MODE_SMALLEST);
    ASSERT_LT(packed.size(), scramble_model::PAK_SIZE);
    struct Case {
        lzs_image kind;
        std::size_t size;
    };
    for (Case c :
         {Case{LZS_IMAGE_PAK, scramble_model::PAK_SIZE}, Case{LZS_IMAGE_APP, scramble_model::APP_SIZE}}) {
        ASSERT_EQ(lzs_image_size(c.kind), c.size);
        Bytes image(c.size);
        size_t headroom = 0;
        EXPECT_EQ(
            lzs_image_scramble(c.kind, packed.data(), packed.size(), image.data(), image.size(), &headroom),
            LZS_OK);
        EXPECT_EQ(headroom, c.size - packed.size());
        Bytes expected = scramble_model::overlay(packed, c.size);
        if (c.kind == LZS_IMAGE_PAK) {
            scramble_model::set_word(expected, 0, static_cast<std::uint32_t>((packed.size() + 3) / 4));
            scramble_model::set_word(expected, 1, scramble_model::CHK_KEY);
            EXPECT_EQ(scramble_model::unscramble_pak(image), expected);
        } else {
            scramble_model::set_word(expected, 0, 0);
            EXPECT_EQ(scramble_model::unscramble_app(image), expected);
        }

        Bytes too_long(c.size + 1);
        EXPECT_EQ(
            lzs_image_scramble(c.kind, too_long.data(), too_long.size(), image.data(), image.size(), nullptr),
            LZS_ERROR_TOO_LONG_FOR_IMAGE);
        EXPECT_EQ(lzs_image_scramble(c.kind, packed.data(), packed.size(), image.data(), c.size - 1, nullptr),
                  LZS_ERROR_OUTPUT_TOO_SMALL);
    }
    // Without its input, the built-in image behind a count of 0 and the key.
    Bytes image(scramble_model::PAK_SIZE);
    EXPECT_EQ(lzs_image_scramble(LZS_IMAGE_PAK, nullptr, 0, image.data(), image.size(), nullptr), LZS_OK);
    Bytes expected = scramble_model::builtin_image(scramble_model::PAK_SIZE);
    scramble_model::set_word(expected, 0, 0);
    scramble_model::set_word(expected, 1, scramble_model::CHK_KEY);
    EXPECT_EQ(image, expected);
}

TEST(LzsApi, NamesItsVersionAndEachError)
{
    EXPECT_EQ(lzs_version_number(), unsigned{LZS_VERSION_NUMBER});
    EXPECT_STREQ(lzs_version_string(), LZSTOOLS_VERSION);
    EXPECT_STREQ(lzs_error_message(LZS_ERROR_UNDER_RUN), "Decode data error! under run.");
    EXPECT_STREQ(lzs_error_message(LZS_ERROR_OVER_RUN), "Decode data error! over run.");
    EXPECT_STREQ(lzs_error_message(LZS_ERROR_TRUNCATED),
                 "Decode data error! stream ends without its end mark.");
    std::vector<std::string> seen;
    for (int error = LZS_OK; error <= LZS_ERROR_TOO_LONG_FOR_IMAGE; ++error) {
        std::string message = lzs_error_message(static_cast<lzs_error>(error));
        EXPECT_FALSE(message.empty() || message == "unknown error") << error;
        EXPECT_EQ(std::count(seen.begin(), seen.end(), message), 0) << message;
        seen.push_back(message);
    }
}

}  // namespace
