// In-memory encoding: see memory_codec.h. The streams are temporary files
// rather than memory streams, which not every C library has.
#include "memory_codec.h"

#include <cstdio>
#include <cstdlib>

namespace testing_support {

EncodedStream encode_bytes(const std::uint8_t* data, std::size_t size, const EncodeFunction& encode)
{
    std::FILE* in = std::tmpfile();
    std::FILE* out = std::tmpfile();
    if (in == nullptr || out == nullptr)
        std::abort();
    if (size != 0 && std::fwrite(data, 1, size, in) != size)
        std::abort();
    std::rewind(in);

    codec::TokenWriter writer = codec::make_token_writer(out, 0);
    encode(in, writer);
    std::fclose(in);

    if (std::fflush(out) != 0)
        std::abort();
    long end = std::ftell(out);
    EncodedStream result{Bytes(static_cast<std::size_t>(end < 0 ? 0 : end)), writer.bytes_written};
    std::rewind(out);
    if (std::fread(result.stream.data(), 1, result.stream.size(), out) != result.stream.size())
        std::abort();
    std::fclose(out);
    return result;
}

}  // namespace testing_support
