// Token streams through the C interface: the packers' encoders into the
// caller's buffer, and the checked decoder.
#include "liblzs/streams.h"
#include "codec/byte_io.h"
#include "codec/decoder.h"
#include "codec/in_place_margin.h"
#include "codec/lazy/encoder.h"
#include "codec/smallest_stream/smallest_stream.h"
#include "codec/token_stream.h"
#include "liblzs/errors.h"
#include "lzs.h"

#include <cstdint>
#include <optional>
#include <span>

namespace liblzs {

lzs_error pack_stream(std::span<const std::uint8_t> input, std::uint8_t* output, std::size_t capacity,
                      lzs_mode mode, std::size_t& written)
{
    codec::BufferSink buffer{output, capacity, 0};
    codec::TokenWriter writer = codec::make_token_writer(codec::write_into(buffer), 0);
    codec::EncodeError error;
    if (mode == LZS_MODE_SMALLEST) {
        error = codec::encode_smallest(input, writer);
    } else {
        codec::SpanReader reader{input};
        error = codec::encode_stream(codec::read_from(reader), writer);
    }
    written = buffer.size;
    return from_encode(error);
}

}  // namespace liblzs

size_t lzs_stream_bound(size_t input_size)
{
    // Every byte a literal, then the end mark: input_size + 1 tokens, one
    // flag byte per eight of them.
    constexpr std::size_t TOKENS = codec::TOKENS_PER_GROUP;
    if (input_size > (SIZE_MAX - 2) / (TOKENS + 1) * TOKENS)
        return SIZE_MAX;
    return input_size + 1 + (input_size + TOKENS) / TOKENS;
}

lzs_error lzs_pack(const void* input, size_t input_size, void* output, size_t capacity, lzs_mode mode,
                   size_t* written)
{
    if ((input == nullptr && input_size != 0) || (output == nullptr && capacity != 0) || written == nullptr ||
        (mode != LZS_MODE_DEFAULT && mode != LZS_MODE_SMALLEST))
        return LZS_ERROR_INVALID_ARGUMENT;
    std::span<const std::uint8_t> bytes(static_cast<const std::uint8_t*>(input), input_size);
    return liblzs::pack_stream(bytes, static_cast<std::uint8_t*>(output), capacity, mode, *written);
}

lzs_error lzs_in_place_margin(const void* stream, size_t stream_size, size_t* offset, size_t* end_margin)
{
    if ((stream == nullptr && stream_size != 0) || offset == nullptr || end_margin == nullptr)
        return LZS_ERROR_INVALID_ARGUMENT;
    codec::DecodeError why = codec::DecodeError::NONE;
    std::optional<codec::InPlaceMargin> margin =
        codec::in_place_margin(static_cast<const std::uint8_t*>(stream), stream_size, &why);
    if (!margin)
        return liblzs::from_decode(why);
    *offset = margin->offset;
    *end_margin = margin->end_margin;
    return LZS_OK;
}

lzs_error lzs_unpack(const void* stream, size_t stream_size, void* output, size_t capacity, size_t* produced)
{
    if ((stream == nullptr && stream_size != 0) || (output == nullptr && capacity != 0) ||
        produced == nullptr)
        return LZS_ERROR_INVALID_ARGUMENT;
    codec::DecodeResult result = codec::decode_tokens_checked(
        static_cast<const std::uint8_t*>(stream), stream_size, static_cast<std::uint8_t*>(output), capacity);
    *produced = result.produced;
    return liblzs::from_decode(result.error);
}
