// The packed containers through the C interface: the header words of
// containers.h around the same stream the packers write, and the
// refusals of the packers and their proof.
#include "codec/decoder.h"
#include "liblzs/chain_files.h"
#include "liblzs/errors.h"
#include "liblzs/streams.h"
#include "lzs.h"

#include <cstdint>
#include <optional>

namespace {

using liblzs::ContainerFormat;

std::optional<ContainerFormat> format_of(lzs_container kind)
{
    switch (kind) {
    case LZS_CONTAINER_LZS:
        return liblzs::LZS_CONTAINER;
    case LZS_CONTAINER_APP:
        return liblzs::APP_CONTAINER;
    }
    return std::nullopt;
}

void put_le32(std::uint8_t* at, std::uint32_t value)
{
    for (unsigned i = 0; i < liblzs::HEADER_WORD_SIZE; ++i)
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t get_le32(const std::uint8_t* at)
{
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

// The declared size, or the header's fault.
lzs_error read_header(const ContainerFormat& format, const std::uint8_t* file, std::size_t file_size,
                      std::uint32_t& declared)
{
    if (file_size < liblzs::header_size(format))
        return LZS_ERROR_BAD_HEADER;
    if (format.format_word != liblzs::NO_FORMAT_WORD &&
        get_le32(file + liblzs::HEADER_WORD_SIZE * format.format_word) != format.format_value)
        return LZS_ERROR_BAD_HEADER;
    declared = get_le32(file + liblzs::HEADER_WORD_SIZE * format.length_word);
    if (declared > liblzs::MAX_INPUT_SIZE)
        return LZS_ERROR_BAD_HEADER;
    return LZS_OK;
}

}  // namespace

size_t lzs_container_header_size(lzs_container kind)
{
    std::optional<ContainerFormat> format = format_of(kind);
    return format ? liblzs::header_size(*format) : 0;
}

size_t lzs_container_bound(lzs_container kind, size_t input_size)
{
    std::size_t header = lzs_container_header_size(kind);
    std::size_t stream = lzs_stream_bound(input_size);
    return stream > SIZE_MAX - header ? SIZE_MAX : header + stream;
}

lzs_error lzs_container_pack(lzs_container kind, const void* input, size_t input_size, void* output,
                             size_t capacity, lzs_mode mode, size_t* written)
{
    std::optional<ContainerFormat> format = format_of(kind);
    if (!format || (input == nullptr && input_size != 0) || (output == nullptr && capacity != 0) ||
        written == nullptr || (mode != LZS_MODE_DEFAULT && mode != LZS_MODE_SMALLEST))
        return LZS_ERROR_INVALID_ARGUMENT;
    *written = 0;
    if (input_size > liblzs::MAX_INPUT_SIZE)
        return LZS_ERROR_INPUT_TOO_LARGE;
    std::size_t header = liblzs::header_size(*format);
    if (capacity < header)
        return LZS_ERROR_OUTPUT_TOO_SMALL;
    auto* out = static_cast<std::uint8_t*>(output);
    for (unsigned i = 0; i < format->header_words; ++i)
        put_le32(out + liblzs::HEADER_WORD_SIZE * i,
                 liblzs::header_word(*format, i, static_cast<std::uint32_t>(input_size)));
    std::size_t stream = 0;
    lzs_error error = liblzs::pack_stream(
        std::span<const std::uint8_t>(static_cast<const std::uint8_t*>(input), input_size), out + header,
        capacity - header, mode, stream);
    *written = header + stream;
    return error;
}

lzs_error lzs_container_read_header(lzs_container kind, const void* file, size_t file_size,
                                    uint32_t* original_size)
{
    std::optional<ContainerFormat> format = format_of(kind);
    if (!format || (file == nullptr && file_size != 0) || original_size == nullptr)
        return LZS_ERROR_INVALID_ARGUMENT;
    return read_header(*format, static_cast<const std::uint8_t*>(file), file_size, *original_size);
}

lzs_error lzs_container_unpack(lzs_container kind, const void* file, size_t file_size, void* output,
                               size_t capacity, size_t* produced)
{
    std::optional<ContainerFormat> format = format_of(kind);
    if (!format || (file == nullptr && file_size != 0) || (output == nullptr && capacity != 0) ||
        produced == nullptr)
        return LZS_ERROR_INVALID_ARGUMENT;
    *produced = 0;
    const auto* bytes = static_cast<const std::uint8_t*>(file);
    std::uint32_t declared = 0;
    if (lzs_error error = read_header(*format, bytes, file_size, declared); error != LZS_OK)
        return error;
    if (declared > capacity)
        return LZS_ERROR_OUTPUT_TOO_SMALL;
    // Decoded into exactly the declared size, as the packers' proof does: a
    // stream that holds more over-runs it.
    std::size_t header = liblzs::header_size(*format);
    codec::DecodeResult result = codec::decode_tokens_checked(bytes + header, file_size - header,
                                                              static_cast<std::uint8_t*>(output), declared);
    *produced = result.produced;
    if (result.error != codec::DecodeError::NONE)
        return liblzs::from_decode(result.error);
    return result.produced == declared ? LZS_OK : LZS_ERROR_SIZE_MISMATCH;
}
