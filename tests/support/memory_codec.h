// Running an encoder on bytes in memory: the input through a span reader,
// the stream into a growing byte vector.
#pragma once

#include "codec/byte_io.h"
#include "codec/lazy/encoder.h"
#include "codec/token_stream.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace testing_support {

using Bytes = std::vector<std::uint8_t>;

struct EncodedStream {
    Bytes stream;
    std::int64_t bytes_written;  // what the writer counted, from 0
};

// A sink that appends everything to `bytes` and never fails.
codec::ByteSink append_to(Bytes& bytes);

// An encoder with encode_stream's contract.
using EncodeFunction = std::function<codec::EncodeError(codec::ByteReader input, codec::TokenWriter& writer)>;

// encode_stream's contract for the smallest stream: reads the input whole,
// then searches it (codec::encode_smallest).
codec::EncodeError encode_stream_smallest(codec::ByteReader input, codec::TokenWriter& writer);

// The token stream `encode` writes for `size` bytes at `data`. An encoder
// that reports an error aborts, so that a fuzzer reports it rather than
// checking an incomplete result.
EncodedStream encode_bytes(const std::uint8_t* data, std::size_t size,
                           const EncodeFunction& encode = codec::encode_stream);

}  // namespace testing_support
