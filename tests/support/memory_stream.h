// The tests' view of a token stream: hex, encoding a test's input, and
// the tokens of a stream.
#pragma once

#include "codec/token_layout.h"
#include "memory_codec.h"

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

Bytes bytes_of(const std::string& text);
Bytes from_hex(const std::string& hex);  // "00 61 FF" or "0061ff"
std::string to_hex(const Bytes& bytes);  // "00 61 FF"

// The token stream encode_stream writes for `input`; fails the current
// test unless the writer counted every byte of it.
Bytes encode(const Bytes& input);

// The same through another encoder with encode_stream's signature.
Bytes encode_with(const Bytes& input, const EncodeFunction& encoder);

// One match or literal as the stream carries it.
struct Token {
    bool is_match;
    std::uint8_t literal;
    int length;
    int distance;
    codec::TokenClass token;
};

// Parses a well-formed stream into its tokens (no end mark); fails the
// current test on anything malformed.
std::vector<Token> parse_tokens(const Bytes& stream);

}  // namespace testing_support
