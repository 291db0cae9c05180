// In-memory encoding: see memory_codec.h.
#include "memory_codec.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>

namespace testing_support {

CapturedStream::CapturedStream()
{
    static constexpr char LETTERS[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    constexpr int NAME_LETTERS = 12;
    std::random_device random;
    std::string name = "lzscapture.";
    for (int i = 0; i < NAME_LETTERS; ++i)
        name += LETTERS[random() % (sizeof LETTERS - 1)];
    path_ = (std::filesystem::temp_directory_path() / name).string();
    stream_ = std::fopen(path_.c_str(), "w+b");
    if (stream_ == nullptr)
        std::abort();
}

CapturedStream::~CapturedStream()
{
    std::fclose(stream_);
    std::remove(path_.c_str());
}

Bytes CapturedStream::bytes() const
{
    if (std::fflush(stream_) != 0)
        std::abort();
    long end = std::ftell(stream_);
    Bytes bytes(static_cast<std::size_t>(end < 0 ? 0 : end));
    std::rewind(stream_);
    if (std::fread(bytes.data(), 1, bytes.size(), stream_) != bytes.size())
        std::abort();
    return bytes;
}

EncodedStream encode_bytes(const std::uint8_t* data, std::size_t size, const EncodeFunction& encode)
{
    CapturedStream in;
    if (size != 0 && std::fwrite(data, 1, size, in.stream()) != size)
        std::abort();
    std::rewind(in.stream());

    CapturedStream out;
    codec::TokenWriter writer = codec::make_token_writer(out.stream(), 0);
    encode(in.stream(), writer);
    return EncodedStream{out.bytes(), writer.bytes_written};
}

}  // namespace testing_support
