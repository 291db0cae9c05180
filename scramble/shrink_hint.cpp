#include "scramble/shrink_hint.h"

#include "codec/decoder.h"
#include "codec/optimal_parse.h"

#include <cstdint>
#include <cstdio>
#include <new>
#include <vector>

namespace scramble {
namespace {

// Past this the search would take long (and about 16 bytes per byte) only
// to decorate an error message.
constexpr std::size_t LARGEST_TRIED = std::size_t{64} << 20;

// The file, if it still has `length` bytes.
std::optional<std::vector<std::uint8_t>> read_whole(const char* name, std::size_t length)
{
    std::FILE* input = std::fopen(name, "rb");
    if (input == nullptr)
        return std::nullopt;
    std::vector<std::uint8_t> bytes(length + 1);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), input));
    bool failed = std::ferror(input) != 0;
    std::fclose(input);
    if (failed || bytes.size() != length)
        return std::nullopt;
    return bytes;
}

}  // namespace

std::optional<std::size_t> smallest_packed_size(const char* name, std::size_t length, std::size_t header_size,
                                                std::size_t length_word)
{
    if (length > LARGEST_TRIED)
        return std::nullopt;
    // The run's handler would end it with EXIT_MEMORY; here a failed
    // allocation only means no hint.
    struct ThrowingNew {
        std::new_handler saved = std::set_new_handler(nullptr);
        ~ThrowingNew() { std::set_new_handler(saved); }
    } throwing_new;
    try {
        std::optional<std::vector<std::uint8_t>> packed = read_whole(name, length);
        if (!packed || packed->size() < header_size || 4 * length_word + 4 > header_size)
            return std::nullopt;
        const std::uint8_t* word = packed->data() + 4 * length_word;
        std::size_t declared = std::size_t{word[0]} | std::size_t{word[1]} << 8 | std::size_t{word[2]} << 16 |
                               std::size_t{word[3]} << 24;
        if (declared > LARGEST_TRIED)
            return std::nullopt;
        std::vector<std::uint8_t> data(declared);
        codec::DecodeResult result = codec::decode_tokens_checked(packed->data() + header_size,
                                                                  packed->size() - header_size, data.data(), declared);
        if (result.error != codec::DecodeError::NONE || result.produced != declared)
            return std::nullopt;
        return header_size + static_cast<std::size_t>(codec::smallest_stream_size(data));
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

}  // namespace scramble
