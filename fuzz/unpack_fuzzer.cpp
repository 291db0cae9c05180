// Feeds arbitrary images of every kind to unpack_image.
//
// Input: one control byte, then the bytes. The control byte's low two bits
// choose the kind; bit 2 chooses how the bytes become an image:
//   clear  the bytes are the image as they stand, so every envelope check
//          (sizes, format, key, count and length words) meets garbage;
//   set    the bytes are wrapped in a well-formed envelope of the kind (the
//          format word of a .lzs; the fixed size, header words and scrambling
//          of zq_app2.bin and chkps.pak), so that arbitrary streams reach the
//          decoder behind envelopes a fuzzer would seldom guess.
// The image sits in a heap block of exactly its size, so AddressSanitizer
// faults on any read past it. Beyond memory safety, a success must agree
// with the length word where there is one.
#include "lzsunpack/unpack_image.h"
#include "scramble/image.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

using lzsunpack::ImageKind;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t KIND_BITS = 0x03;
constexpr std::uint8_t ENVELOPE_BIT = 0x04;
constexpr ImageKind KINDS[] = {ImageKind::LZS, ImageKind::APP, ImageKind::APP2, ImageKind::PAK};

Bytes enveloped(ImageKind kind, const std::uint8_t* data, std::size_t size)
{
    const lzsunpack::KindInfo& info = lzsunpack::kind_info(kind);
    if (info.fixed_size == 0) {
        // Only the format word of a .lzs is put in front; a length word
        // the fuzzer finds by comparison, as the decoder's result meets it.
        Bytes image(data, data + size);
        if (info.checked_word == 0) {
            Bytes format(4);
            scramble::set_word(format, 0, info.checked_value);
            image.insert(image.begin(), format.begin(), format.end());
        }
        return image;
    }
    Bytes image(info.fixed_size);
    std::size_t stream_size = std::min(size, image.size() - info.stream_offset);
    std::copy(data, data + stream_size, image.begin() + static_cast<std::ptrdiff_t>(info.stream_offset));
    std::size_t words = (info.stream_offset + stream_size + 3) / 4;
    if (info.count_word != lzsunpack::NO_WORD)
        scramble::set_word(image, info.count_word, static_cast<std::uint32_t>(words));
    scramble::set_word(image, info.checked_word, info.checked_value);
    lzsunpack::toggle_scramble(image, info.scramble, words);
    return image;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    ImageKind kind = KINDS[data[0] & KIND_BITS];
    bool envelope = (data[0] & ENVELOPE_BIT) != 0;
    Bytes image = envelope ? enveloped(kind, data + 1, size - 1) : Bytes(data + 1, data + size);
    Bytes copy = image;

    lzsunpack::UnpackResult result = lzsunpack::unpack_image(std::move(image), kind);
    const lzsunpack::KindInfo& info = lzsunpack::kind_info(kind);
    if (result.error == lzsunpack::UnpackError::NONE && info.length_word != lzsunpack::NO_WORD &&
        result.data.size() != scramble::get_word(copy, info.length_word))
        std::abort();
    if (result.error != lzsunpack::UnpackError::NONE && !result.data.empty())
        std::abort();
    return 0;
}
