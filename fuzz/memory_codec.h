// The encoder reads and writes standard streams; the fuzz targets and the
// seed generator run it on bytes in memory through fmemopen and
// open_memstream.
#pragma once

#include "codec/encoder.h"
#include "codec/token_stream.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace fuzzing {

using Bytes = std::vector<std::uint8_t>;

struct EncodedStream {
    Bytes stream;
    std::int64_t bytes_written;  // what the writer counted, from 0
};

// An encoder with encode_stream's contract.
using EncodeFunction = void (*)(std::FILE* input, codec::TokenWriter& writer);

// The token stream `encode` writes for `size` bytes at `data`.
EncodedStream encode_bytes(const std::uint8_t* data, std::size_t size,
                           EncodeFunction encode = codec::encode_stream);

}  // namespace fuzzing
