// Running the codec on bytes in memory: the encoder reads and the writer
// writes standard streams, so the tests hand them in-memory ones.
#pragma once

#include "codec/token_stream.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace testing_support {

using Bytes = std::vector<std::uint8_t>;

Bytes bytes_of(const std::string& text);
Bytes from_hex(const std::string& hex);  // "00 61 FF" or "0061ff"
std::string to_hex(const Bytes& bytes);  // "00 61 FF"

// A stream whose bytes the test reads back once the code under test has
// written them: a temporary file of its own (not every C library has memory
// streams, and Windows' tmpfile names clash between processes).
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

// The token stream encode_stream writes for `input`.
Bytes encode(const Bytes& input);

// The same through another encoder with encode_stream's signature.
using Encoder = std::function<void(std::FILE*, codec::TokenWriter&)>;
Bytes encode_with(const Bytes& input, const Encoder& encoder);

// One match or literal as the stream carries it.
struct Token {
    bool is_match;
    std::uint8_t literal;
    int length;
    int distance;
};

// Parses a well-formed stream into its tokens (no end mark); fails the
// current test on anything malformed.
std::vector<Token> parse_tokens(const Bytes& stream);

}  // namespace testing_support
