// unpack_image: every kind of image gives back its bytes, and every way an
// image can be damaged is refused with the error that names it, without
// the process ending and without touching memory outside the image.
#include "lzsunpack/unpack_image.h"
#include "tests/support/memory_stream.h"
#include "tests/support/scramble_model.h"
#include "tests/support/synthetic_inputs.h"

#include <gtest/gtest.h>

namespace {

using codec::DecodeError;
using lzsunpack::ImageKind;
using lzsunpack::unpack_image;
using lzsunpack::UnpackError;
using lzsunpack::UnpackResult;
using testing_support::Bytes;
using testing_support::bytes_of;
using testing_support::encode;
using testing_support::from_hex;
using namespace scramble_model;

Bytes le32(std::uint32_t value)
{
    Bytes bytes(4);
    set_word(bytes, 0, value);
    return bytes;
}

Bytes joined(Bytes first, const Bytes& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

std::uint32_t size32(const Bytes& data) { return static_cast<std::uint32_t>(data.size()); }

// The images the chain writes, built here from their layouts rather than by
// the programs (the program tests run those).
Bytes lzs_of_stream(const Bytes& stream, std::uint32_t length)
{
    return joined(joined(le32(1), le32(length)), stream);
}
Bytes lzs_image(const Bytes& data) { return lzs_of_stream(encode(data), size32(data)); }
Bytes app_image(const Bytes& data) { return joined(le32(size32(data)), encode(data)); }

Bytes app2_of(const Bytes& app)
{
    Bytes image = unscramble_app(overlay(app, APP_SIZE));  // the XOR scrambles as well
    set_word(image, 0, 0);
    return image;
}

Bytes pak_of(const Bytes& lzs)
{
    Bytes image = overlay(lzs, PAK_SIZE);
    set_word(image, 0, static_cast<std::uint32_t>((lzs.size() + 3) / 4));
    set_word(image, 1, CHK_KEY);
    return unscramble_pak(image);
}

Bytes image_of(ImageKind kind, const Bytes& data)
{
    switch (kind) {
    case ImageKind::LZS:
        return lzs_image(data);
    case ImageKind::APP:
        return app_image(data);
    case ImageKind::APP2:
        return app2_of(app_image(data));
    case ImageKind::PAK:
        return pak_of(lzs_image(data));
    }
    return {};
}

Bytes sample(std::size_t size, unsigned seed)
{
    return testing_support::striped(size, "packing", 61, 30, seed);
}

const ImageKind ALL_KINDS[] = {ImageKind::LZS, ImageKind::APP, ImageKind::APP2, ImageKind::PAK};

TEST(UnpackImage, GivesBackTheBytesBehindEveryKind)
{
    for (ImageKind kind : ALL_KINDS) {
        // A pak holds at most 3600 bytes of .lzs; the others run across the
        // window and, for app2, past the end of the scrambled bytes.
        std::vector<std::size_t> sizes = {0, 1, 3, 8, 9, 500, 2000};
        if (kind != ImageKind::PAK)
            sizes.insert(sizes.end(), {6024, 6100, 16384, 16385, 40000});
        for (std::size_t size : sizes) {
            SCOPED_TRACE(testing::Message() << lzsunpack::kind_info(kind).name << " " << size);
            Bytes data = sample(size, static_cast<unsigned>(size));
            UnpackResult result = unpack_image(image_of(kind, data), kind);
            ASSERT_EQ(result.error, UnpackError::NONE) << lzsunpack::unpack_error_reason(result, kind);
            EXPECT_EQ(result.data, data);
        }
    }
}

TEST(UnpackImage, TakesAPakWhoseStreamReachesItsLastWord)
{
    // Random bytes do not compress: their .lzs grows with every byte, so the
    // longest that fits the image ends in its last word.
    Bytes data = testing_support::random_bytes(3300, 3);
    while (lzs_image(data).size() > PAK_SIZE)
        data.pop_back();
    Bytes pak = pak_of(lzs_image(data));
    ASSERT_EQ(word(pak, 0), 900u);
    UnpackResult result = unpack_image(pak, ImageKind::PAK);
    ASSERT_EQ(result.error, UnpackError::NONE);
    EXPECT_EQ(result.data, data);
}

TEST(UnpackImage, RefusesAnImageOfTheWrongSize)
{
    Bytes app2 = image_of(ImageKind::APP2, bytes_of("abc"));
    Bytes pak = image_of(ImageKind::PAK, bytes_of("abc"));
    struct Case {
        ImageKind kind;
        Bytes image;
        const char* reason;
    } cases[] = {
        {ImageKind::APP2, Bytes(app2.begin(), app2.end() - 1), "an app2 image is 204800 bytes, not 204799!"},
        {ImageKind::APP2, joined(app2, Bytes{0}), "an app2 image is 204800 bytes, not 204801!"},
        {ImageKind::PAK, Bytes(pak.begin(), pak.end() - 4), "a pak image is 3600 bytes, not 3596!"},
        {ImageKind::PAK, Bytes{}, "a pak image is 3600 bytes, not 0!"},
        {ImageKind::LZS, from_hex("01 00 00 00 00 00 00"),
         "7 bytes are too few for the header of a lzs image!"},
        {ImageKind::APP, from_hex("00 00 00"), "3 bytes are too few for the header of an app image!"},
        {ImageKind::APP, from_hex("00"), "1 byte is too few for the header of an app image!"},
    };
    for (const Case& c : cases) {
        UnpackResult result = unpack_image(c.image, c.kind);
        EXPECT_EQ(result.error, UnpackError::WRONG_SIZE);
        EXPECT_EQ(lzsunpack::unpack_error_reason(result, c.kind), c.reason);
    }
}

TEST(UnpackImage, RefusesAWrongFormatWordKeyWordOrUnclearedLengthWord)
{
    Bytes lzs = lzs_image(bytes_of("abc"));
    set_word(lzs, 0, 2);
    Bytes pak = image_of(ImageKind::PAK, bytes_of("abc"));
    set_word(pak, 1, CHK_KEY ^ 1);
    Bytes app2 = image_of(ImageKind::APP2, bytes_of("abc"));
    set_word(app2, 0, 3);
    struct Case {
        ImageKind kind;
        const Bytes& image;
        const char* reason;
    } cases[] = {
        {ImageKind::LZS, lzs, "its format word is 0x2, not 0x1!"},
        {ImageKind::PAK, pak, "its key word is 0x3C5A1E96, not 0x3C5A1E97!"},
        {ImageKind::APP2, app2, "its cleared length word is 0x3, not 0x0!"},
    };
    for (const Case& c : cases) {
        UnpackResult result = unpack_image(c.image, c.kind);
        EXPECT_EQ(result.error, UnpackError::CHECKED_WORD);
        EXPECT_EQ(lzsunpack::unpack_error_reason(result, c.kind), c.reason);
    }
}

TEST(UnpackImage, RefusesAPakWordCountThatCannotHoldAStreamInTheImage)
{
    Bytes pak = image_of(ImageKind::PAK, bytes_of("abc"));
    for (std::uint32_t count : {0u, 1u, 2u, 901u, 0x40000001u, 0xFFFFFFFFu}) {
        set_word(pak, 0, count);
        UnpackResult result = unpack_image(pak, ImageKind::PAK);
        EXPECT_EQ(result.error, UnpackError::WORD_COUNT) << count;
        EXPECT_EQ(result.found, count);
    }
    set_word(pak, 0, 2);
    EXPECT_EQ(lzsunpack::unpack_error_reason(unpack_image(pak, ImageKind::PAK), ImageKind::PAK),
              "its word count 2 is not 3 to 900!");
}

TEST(UnpackImage, RefusesAPakWhoseStreamRunsPastItsCountedWords)
{
    // 1000 bytes of .lzs are 250 words; counting 249 leaves the end mark out.
    // The unscrambled word 249 is no stream and cannot stand in for it.
    Bytes lzs = lzs_image(sample(2000, 5));
    Bytes pak = pak_of(lzs);
    std::uint32_t words = word(pak, 0);
    for (std::uint32_t count = 3; count < words; ++count) {
        Bytes cut = pak;
        set_word(cut, 0, count);
        UnpackResult result = unpack_image(cut, ImageKind::PAK);
        EXPECT_NE(result.error, UnpackError::NONE) << count;
    }
}

TEST(UnpackImage, RefusesALengthWordThatDisagreesWithTheStream)
{
    Bytes data = sample(3000, 9);
    for (ImageKind kind : {ImageKind::LZS, ImageKind::APP}) {
        std::size_t length_word = lzsunpack::kind_info(kind).length_word;
        Bytes image = image_of(kind, data);

        set_word(image, length_word, size32(data) + 1);
        UnpackResult longer = unpack_image(image, kind);
        EXPECT_EQ(longer.error, UnpackError::LENGTH_MISMATCH);
        EXPECT_EQ(lzsunpack::unpack_error_reason(longer, kind),
                  "its length word says 3001 bytes, its stream holds 3000!");

        set_word(image, length_word, size32(data) - 1);
        UnpackResult shorter = unpack_image(image, kind);
        EXPECT_EQ(shorter.error, UnpackError::DECODE);
        EXPECT_EQ(shorter.decode_error, DecodeError::OVER_RUN);

        // A huge length must not be believed, or allocated, before decoding.
        set_word(image, length_word, 0x7FFFFFFF);
        EXPECT_EQ(unpack_image(image, kind).error, UnpackError::LENGTH_MISMATCH);
        set_word(image, length_word, 0x80000000);
        EXPECT_EQ(unpack_image(image, kind).error, UnpackError::LENGTH_RANGE);
    }
}

TEST(UnpackImage, RefusesStreamsThatUnderRunOrNeverEnd)
{
    UnpackResult under = unpack_image(lzs_of_stream(from_hex("00 80 00 FF"), 3), ImageKind::LZS);
    EXPECT_EQ(under.error, UnpackError::DECODE);
    EXPECT_EQ(under.decode_error, DecodeError::UNDER_RUN);
    EXPECT_EQ(lzsunpack::unpack_error_reason(under, ImageKind::LZS), "Decode data error! under run.");

    // Unscrambled to zeros: flag bytes and literals to the image's end.
    Bytes endless = unscramble_app(Bytes(APP_SIZE, 0));
    set_word(endless, 0, 0);
    UnpackResult app2 = unpack_image(endless, ImageKind::APP2);
    EXPECT_EQ(app2.error, UnpackError::DECODE);
    EXPECT_EQ(app2.decode_error, DecodeError::TRUNCATED);

    // The built-in filler of an app2 image written without zq_app.bin.
    Bytes filler = builtin_image(APP_SIZE);
    set_word(filler, 0, 0);
    EXPECT_EQ(unpack_image(filler, ImageKind::APP2).error, UnpackError::DECODE);
}

TEST(UnpackImage, RefusesEveryTruncationOfAnImageWithALengthWord)
{
    for (ImageKind kind : {ImageKind::LZS, ImageKind::APP}) {
        Bytes image = image_of(kind, sample(700, 4));
        for (std::size_t size = 0; size < image.size(); ++size) {
            UnpackResult result =
                unpack_image(Bytes(image.begin(), image.begin() + static_cast<long>(size)), kind);
            EXPECT_NE(result.error, UnpackError::NONE) << size;
        }
    }
}

TEST(UnpackImage, RefusesAnImageOfTheWrongKindWithoutCrashing)
{
    // What users will try: each image unpacked as each other kind.
    for (ImageKind made : ALL_KINDS) {
        for (ImageKind taken : ALL_KINDS) {
            if (made == taken)
                continue;
            EXPECT_NE(unpack_image(image_of(made, sample(900, 2)), taken).error, UnpackError::NONE);
        }
    }
}

}  // namespace
