#include "memory_stream.h"

#include "codec/encoder.h"
#include "codec/token_stream.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <stdexcept>

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

CapturedStream::CapturedStream()
{
    static constexpr char LETTERS[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    std::string name = "lzscapture.";
    for (int i = 0; i < 12; ++i)
        name += LETTERS[random() % (sizeof LETTERS - 1)];
    path_ = (std::filesystem::temp_directory_path() / name).string();
    stream_ = std::fopen(path_.c_str(), "w+b");
    if (stream_ == nullptr)
        throw std::runtime_error("cannot create " + path_);
}

CapturedStream::~CapturedStream()
{
    std::fclose(stream_);
    std::remove(path_.c_str());
}

Bytes CapturedStream::bytes() const
{
    std::fflush(stream_);
    long end = std::ftell(stream_);
    Bytes bytes(static_cast<std::size_t>(end < 0 ? 0 : end));
    std::rewind(stream_);
    if (std::fread(bytes.data(), 1, bytes.size(), stream_) != bytes.size())
        throw std::runtime_error("cannot read back a captured stream");
    return bytes;
}

Bytes encode(const Bytes& input) { return encode_with(input, codec::encode_stream); }

Bytes encode_with(const Bytes& input, const Encoder& encoder)
{
    CapturedStream input_file;
    std::FILE* in = input_file.stream();
    if (!input.empty())
        std::fwrite(input.data(), 1, input.size(), in);
    std::rewind(in);

    CapturedStream out;
    codec::TokenWriter writer = codec::make_token_writer(out.stream(), 0);
    encoder(in, writer);

    Bytes stream = out.bytes();
    EXPECT_EQ(writer.bytes_written, static_cast<std::int64_t>(stream.size()));
    return stream;
}

std::vector<Token> parse_tokens(const Bytes& stream)
{
    std::vector<Token> tokens;
    std::size_t at = 0;
    auto next = [&]() -> unsigned {
        if (at >= stream.size())
            throw std::runtime_error("stream ends inside a token");
        return stream[at++];
    };
    for (;;) {
        unsigned flags = next();
        for (int i = 0; i < 8; ++i) {
            unsigned lead = next();
            bool flag = (flags >> i) & 1;
            if (!flag && lead == 0xFF)
                return tokens;
            if ((!flag && lead < 0x80) || (flag && lead >= 0x80)) {
                tokens.push_back({false, static_cast<std::uint8_t>(lead), 0, 0});
            } else if (!flag && lead < 0xC0) {
                tokens.push_back({true, 0, 3, static_cast<int>(((lead & 0x3F) << 8 | next()) + 1)});
            } else if (!flag) {
                int length = static_cast<int>(lead & 7) + 5;
                tokens.push_back({true, 0, length, static_cast<int>(((lead & 0x38) << 5 | next()) + 1)});
            } else if (lead >= 0x40) {
                tokens.push_back({true, 0, 4, static_cast<int>(((lead & 0x3F) << 8 | next()) + 1)});
            } else {
                int distance = static_cast<int>((lead << 8 | next()) + 1);
                tokens.push_back({true, 0, static_cast<int>(next()) + 5, distance});
            }
        }
    }
}

}  // namespace testing_support
