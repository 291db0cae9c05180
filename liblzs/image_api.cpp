// The scrambled images through the C interface: the scramblers' own steps
// (the built-in filler, the packed file laid over it, images.h) on the
// caller's buffer, with their refusal of a file longer than the image.
#include "liblzs/images.h"
#include "lzs.h"
#include "scramble/image.h"
#include "scramble/patterns.h"

#include <cstring>
#include <optional>

static_assert(LZS_PAK_IMAGE_SIZE == scramble::PAK_IMAGE_SIZE &&
              LZS_APP_IMAGE_SIZE == scramble::APP_IMAGE_SIZE);

size_t lzs_image_size(lzs_image kind)
{
    switch (kind) {
    case LZS_IMAGE_PAK:
        return scramble::PAK_IMAGE_SIZE;
    case LZS_IMAGE_APP:
        return scramble::APP_IMAGE_SIZE;
    }
    return 0;
}

lzs_error lzs_image_scramble(lzs_image kind, const void* packed, size_t packed_size, void* image,
                             size_t capacity, size_t* headroom)
{
    std::size_t size = lzs_image_size(kind);
    if (size == 0 || (packed == nullptr && packed_size != 0) || image == nullptr)
        return LZS_ERROR_INVALID_ARGUMENT;
    if (capacity < size)
        return LZS_ERROR_OUTPUT_TOO_SMALL;
    if (packed_size > size)
        return LZS_ERROR_TOO_LONG_FOR_IMAGE;
    std::span<std::uint8_t> bytes(static_cast<std::uint8_t*>(image), size);
    scramble::fill_builtin_image(bytes);
    std::optional<std::size_t> input_length;
    if (packed != nullptr) {
        if (packed_size != 0)
            std::memcpy(bytes.data(), packed, packed_size);
        input_length = packed_size;
    }
    if (kind == LZS_IMAGE_PAK)
        liblzs::finish_pak_image(bytes, input_length);
    else
        liblzs::finish_app_image(bytes, input_length);
    if (headroom != nullptr)
        *headroom = size - packed_size;
    return LZS_OK;
}
