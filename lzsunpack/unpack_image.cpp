// The steps of unpacking one image, each refusing what a packer or a
// scrambler of the chain could not have written.
//
// Where a length word exists the stream must decode to exactly that many
// bytes. Where it is gone, the decoder gets a buffer no stream of the
// image's size can over-run (MAX_OUTPUT_PER_STREAM_BYTE), so only the end
// mark ends the stream, and it must lie inside the image.
#include "lzsunpack/unpack_image.h"

#include "codec/token_stream.h"
#include "liblzs/decode_messages.h"
#include "platform/large_buffer.h"
#include "scramble/image.h"
#include "toolrt/file_io.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <span>
#include <utility>

namespace lzsunpack {
namespace {

// Of all tokens a MATCH_FAR yields the most per stream byte: 260 from 3.
constexpr std::uint64_t MAX_OUTPUT_PER_STREAM_BYTE = codec::MAX_MATCH_LENGTH / codec::MAX_TOKEN_BYTES + 1;
static_assert(MAX_OUTPUT_PER_STREAM_BYTE * codec::MAX_TOKEN_BYTES >= codec::MAX_MATCH_LENGTH);

constexpr std::size_t WORD_SIZE = 4;

// "an app image", "a pak image": the kinds' names are read as words.
const char* article(const char* name) { return std::strchr("aeiou", name[0]) != nullptr ? "an" : "a"; }

// "1 byte is" or "N bytes are", to start a sentence about a count of bytes.
std::string bytes_are(std::uint64_t count)
{
    return std::to_string(count) + (count == 1 ? " byte is" : " bytes are");
}

UnpackResult failure(UnpackError error, std::uint64_t found = 0, std::uint64_t expected = 0)
{
    UnpackResult result;
    result.error = error;
    result.found = found;
    result.expected = expected;
    return result;
}

bool size_fits(const KindInfo& info, std::size_t size)
{
    if (info.fixed_size != 0)
        return size == info.fixed_size;
    return size >= info.stream_offset && size <= MAX_LENGTH_IMAGE_SIZE;
}

// The end of the bytes the stream may use: the counted words, or the image.
std::optional<std::size_t> stream_end(const KindInfo& info, std::span<const std::uint8_t> image,
                                      std::uint64_t& count)
{
    if (info.count_word == NO_WORD)
        return image.size();
    count = scramble::get_word(image, info.count_word);
    // At least one word of stream behind the header words, and no word
    // beyond the image.
    if (count * WORD_SIZE <= info.stream_offset || count * WORD_SIZE > image.size())
        return std::nullopt;
    return static_cast<std::size_t>(count * WORD_SIZE);
}

}  // namespace

std::uint64_t largest_image_size(ImageKind kind)
{
    const KindInfo& info = kind_info(kind);
    return info.fixed_size != 0 ? info.fixed_size : MAX_LENGTH_IMAGE_SIZE;
}

UnpackResult unpack_image(std::span<std::uint8_t> image, ImageKind kind, codec::DecodeStats* stats,
                          bool keep_stream)
{
    const KindInfo& info = kind_info(kind);
    if (!size_fits(info, image.size()))
        return failure(UnpackError::WRONG_SIZE, image.size());
    if (info.checked_word != NO_WORD) {
        std::uint32_t word = scramble::get_word(image, info.checked_word);
        if (word != info.checked_value)
            return failure(UnpackError::CHECKED_WORD, word, info.checked_value);
    }
    std::uint64_t count = 0;
    std::optional<std::size_t> end = stream_end(info, image, count);
    if (!end)
        return failure(UnpackError::WORD_COUNT, count);

    toggle_scramble(image, info.scramble, *end / WORD_SIZE);

    std::span<const std::uint8_t> stream(image.data() + info.stream_offset, *end - info.stream_offset);
    std::uint64_t capacity = stream.size() * MAX_OUTPUT_PER_STREAM_BYTE;
    std::uint64_t declared = 0;
    if (info.length_word != NO_WORD) {
        declared = scramble::get_word(image, info.length_word);
        if (declared > static_cast<std::uint64_t>(toolrt::MAX_INPUT_SIZE))
            return failure(UnpackError::LENGTH_RANGE, declared);
        // Never larger than the stream could fill: a forged length word
        // must not make us allocate gigabytes.
        capacity = std::min(capacity, declared);
    }

    // Left uninitialised: where the capacity is only a bound (17 MB for
    // zq_app2.bin), the pages the decoder never reaches are never touched,
    // and the result keeps this very buffer, never a copy of it.
    platform::LargeBuffer buffer = platform::allocate_large_buffer(static_cast<std::size_t>(capacity));
    if (buffer == nullptr)
        return failure(UnpackError::NO_MEMORY, capacity);
    codec::DecodeResult decoded =
        codec::decode_tokens_checked(stream.data(), stream.size(), buffer.get(), capacity, stats);
    if (decoded.error != codec::DecodeError::NONE) {
        UnpackResult failed = failure(UnpackError::DECODE);
        failed.decode_error = decoded.error;
        return failed;
    }
    if (info.length_word != NO_WORD && decoded.produced != declared)
        return failure(UnpackError::LENGTH_MISMATCH, decoded.produced, declared);
    UnpackResult result;
    result.data = OwnedBytes(std::move(buffer), decoded.produced);
    if (keep_stream)
        result.stream.assign(stream.begin(), stream.end());
    return result;
}

UnpackResult unpack_image(std::vector<std::uint8_t> image, ImageKind kind, codec::DecodeStats* stats,
                          bool keep_stream)
{
    return unpack_image(std::span<std::uint8_t>(image), kind, stats, keep_stream);
}

std::string unpack_error_reason(const UnpackResult& result, ImageKind kind)
{
    // Room for the longest reason with two 64-bit numbers in it.
    constexpr std::size_t REASON_SIZE = 200;
    const KindInfo& info = kind_info(kind);
    char text[REASON_SIZE];
    switch (result.error) {
    case UnpackError::WRONG_SIZE:
        if (info.fixed_size != 0)
            std::snprintf(text, sizeof text, "%s %s image is %zu bytes, not %" PRIu64 "!", article(info.name),
                          info.name, info.fixed_size, result.found);
        else if (result.found < info.stream_offset)
            std::snprintf(text, sizeof text, "%s too few for the header of %s %s image!",
                          bytes_are(result.found).c_str(), article(info.name), info.name);
        else
            std::snprintf(text, sizeof text, "%s more than any %s image holds!",
                          bytes_are(result.found).c_str(), info.name);
        break;
    case UnpackError::CHECKED_WORD:
        std::snprintf(text, sizeof text, "its %s is 0x%" PRIX64 ", not 0x%" PRIX64 "!", info.checked_label,
                      result.found, result.expected);
        break;
    case UnpackError::WORD_COUNT:
        std::snprintf(text, sizeof text, "its word count %" PRIu64 " is not %zu to %zu!", result.found,
                      info.stream_offset / WORD_SIZE + 1, info.fixed_size / WORD_SIZE);
        break;
    case UnpackError::LENGTH_RANGE:
        std::snprintf(text, sizeof text, "its length word %" PRIu64 " is 2 GiB or more!", result.found);
        break;
    case UnpackError::DECODE:
        return liblzs::decode_error_message(result.decode_error);
    case UnpackError::LENGTH_MISMATCH:
        std::snprintf(text, sizeof text,
                      "its length word says %" PRIu64 " bytes, its stream holds %" PRIu64 "!",
                      result.expected, result.found);
        break;
    case UnpackError::NO_MEMORY:
        std::snprintf(text, sizeof text, "%" PRIu64 " bytes cannot be allocated!", result.found);
        break;
    case UnpackError::NONE:
        return "";
    }
    return text;
}

}  // namespace lzsunpack
