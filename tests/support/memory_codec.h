// Running an encoder on bytes in memory: the encoder reads and the writer
// writes standard streams, so the tests, fuzz targets and benchmarks hand
// them temporary files that stand in for memory.
#pragma once

#include "codec/encoder.h"
#include "codec/token_stream.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace testing_support {

using Bytes = std::vector<std::uint8_t>;

struct EncodedStream {
    Bytes stream;
    std::int64_t bytes_written;  // what the writer counted, from 0
};

// A stream whose bytes are read back once the code under test has written
// them: a temporary file of its own, under a random name (not every C
// library has memory streams, and Windows' tmpfile names clash between
// processes). Any failure to set it up aborts.
class CapturedStream {
public:
    CapturedStream();
    ~CapturedStream();
    CapturedStream(const CapturedStream&) = delete;
    CapturedStream& operator=(const CapturedStream&) = delete;

    std::FILE* stream() const { return stream_; }
    // Everything written so far.
    Bytes bytes() const;

private:
    std::string path_;
    std::FILE* stream_;
};

// An encoder with encode_stream's contract.
using EncodeFunction = std::function<void(std::FILE* input, codec::TokenWriter& writer)>;

// The token stream `encode` writes for `size` bytes at `data`. Any failure
// to set the streams up aborts, so that a fuzzer reports it rather than
// checking an empty result.
EncodedStream encode_bytes(const std::uint8_t* data, std::size_t size,
                           const EncodeFunction& encode = codec::encode_stream);

}  // namespace testing_support
