#include "memory_stream.h"

#include "codec/lazy/encoder.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <stdexcept>
#include <utility>

namespace testing_support {

Bytes bytes_of(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes from_hex(const std::string& hex)
{
    Bytes bytes;
    std::string digits;
    for (char c : hex)
        if (std::isxdigit(static_cast<unsigned char>(c)))
            digits += c;
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    return bytes;
}

std::string to_hex(const Bytes& bytes)
{
    std::string hex;
    char part[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(part, sizeof part, i == 0 ? "%02X" : " %02X", bytes[i]);
        hex += part;
    }
    return hex;
}

Bytes encode(const Bytes& input) { return encode_with(input, codec::encode_stream); }

Bytes encode_with(const Bytes& input, const EncodeFunction& encoder)
{
    EncodedStream encoded = encode_bytes(input.data(), input.size(), encoder);
    EXPECT_EQ(encoded.bytes_written, static_cast<std::int64_t>(encoded.stream.size()));
    return std::move(encoded.stream);
}

std::vector<Token> parse_tokens(const Bytes& stream)
{
    std::vector<Token> tokens;
    std::size_t end = codec::for_each_token(stream.data(), stream.size(), [&](const codec::Token& token) {
        if (token.token == codec::LITERAL_LOW || token.token == codec::LITERAL_HIGH)
            tokens.push_back({false, token.literal, 0, 0, token.token});
        else if (token.token != codec::END_MARK)
            tokens.push_back(
                {true, 0, static_cast<int>(token.length), static_cast<int>(token.distance), token.token});
        return true;
    });
    if (end == 0)
        throw std::runtime_error("stream ends before its end mark or inside a token");
    return tokens;
}

}  // namespace testing_support
