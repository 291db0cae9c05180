// In-memory encoding: see memory_codec.h.
#include "memory_codec.h"

#include "codec/smallest_stream/smallest_stream.h"

#include <cstdlib>
#include <span>

namespace testing_support {
namespace {

std::size_t append(void* context, const std::uint8_t* bytes, std::size_t size)
{
    static_cast<Bytes*>(context)->insert(static_cast<Bytes*>(context)->end(), bytes, bytes + size);
    return size;
}

}  // namespace

codec::ByteSink append_to(Bytes& bytes) { return codec::ByteSink{append, &bytes}; }

codec::EncodeError encode_stream_smallest(codec::ByteReader input, codec::TokenWriter& writer)
{
    constexpr std::size_t CHUNK = 1 << 16;
    Bytes whole;
    for (;;) {
        std::size_t filled = whole.size();
        whole.resize(filled + CHUNK);
        std::size_t got = input.read(input.context, whole.data() + filled, CHUNK);
        whole.resize(filled + got);
        if (got < CHUNK)
            break;
    }
    return codec::encode_smallest(std::span<const std::uint8_t>(whole), writer);
}

EncodedStream encode_bytes(const std::uint8_t* data, std::size_t size, const EncodeFunction& encode)
{
    codec::SpanReader in{std::span<const std::uint8_t>(data, size)};
    Bytes stream;
    codec::TokenWriter writer = codec::make_token_writer(append_to(stream), 0);
    if (encode(codec::read_from(in), writer) != codec::EncodeError::NONE)
        std::abort();
    return EncodedStream{std::move(stream), writer.bytes_written};
}

}  // namespace testing_support
