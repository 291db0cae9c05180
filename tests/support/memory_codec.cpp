// In-memory encoding: see memory_codec.h.
#include "memory_codec.h"

#include <cstdio>
#include <cstdlib>

namespace testing_support {

EncodedStream encode_bytes(const std::uint8_t* data, std::size_t size, const EncodeFunction& encode)
{
    // fmemopen wants a buffer even for an empty input.
    std::uint8_t empty = 0;
    void* buffer = size == 0 ? &empty : const_cast<std::uint8_t*>(data);
    std::FILE* in = fmemopen(buffer, size, "rb");
    char* out_buffer = nullptr;
    std::size_t out_size = 0;
    std::FILE* out = open_memstream(&out_buffer, &out_size);
    if (in == nullptr || out == nullptr)
        std::abort();

    codec::TokenWriter writer = codec::make_token_writer(out, 0);
    encode(in, writer);
    std::fclose(in);
    if (std::fclose(out) != 0)
        std::abort();

    EncodedStream result{Bytes(out_buffer, out_buffer + out_size), writer.bytes_written};
    std::free(out_buffer);
    return result;
}

}  // namespace testing_support
