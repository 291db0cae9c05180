// Encodes arbitrary input through encode_stream and checks the stream it
// writes: the writer's count is the stream's size, the end mark is its last
// byte, every match has a distance of 1 to 16383 and a length of 3 to 260
// (a MATCH_NEAR never 12), the stream decodes back to the input exactly, and
// it is byte for byte the stream of the first, plain encoder, which the
// tuned one must never depart from.
//
// Input: a shape byte, then the data. libFuzzer's inputs are short and
// would never slide the 16 KB window, so two shapes stretch the data:
//   0        the data as it is;
//   1        the data repeated to 16384 + (next two bytes mod 32768) bytes,
//            so the window slides and the hash buckets crowd;
//   2        as 1, but every copy starts with its own index, so matches
//            break at a different place in each copy.
// The shape byte divided by 3 also picks the search: the encoder's own
// choice, the plain chains throughout, or the prefix chains from the first
// byte, so that every path meets every input.
#include "codec/decoder.h"
#include "codec/lazy/encoder.h"
#include "codec/smallest_stream/smallest_stream.h"
#include "codec/token_layout.h"
#include "tests/reference/plain_encoder.h"
#include "tests/support/memory_codec.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

constexpr std::size_t STRETCH_BASE = 16384;   // one whole window: always slides
constexpr std::size_t STRETCH_MASK = 0x7FFF;  // up to two more: longer adds time, not paths

testing_support::Bytes shape_input(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return {};
    unsigned shape = data[0] % 3;
    if (shape == 0 || size < 4)
        return testing_support::Bytes(data + 1, data + size);

    std::size_t length = STRETCH_BASE + ((data[1] | static_cast<std::size_t>(data[2]) << 8) & STRETCH_MASK);
    const std::uint8_t* pattern = data + 3;
    std::size_t pattern_size = size - 3;
    testing_support::Bytes input(length);
    for (std::size_t i = 0; i < length; ++i)
        input[i] = pattern[i % pattern_size];
    if (shape == 2)
        for (std::size_t copy = 0; copy * pattern_size < length; ++copy)
            input[copy * pattern_size] = static_cast<std::uint8_t>(copy);
    return input;
}

codec::EncodeError encode_with_plain_chains(codec::ByteReader input, codec::TokenWriter& writer)
{
    return codec::encode_stream_with(input, writer, codec::SearchMode::PLAIN_CHAINS);
}

codec::EncodeError encode_with_prefix_chains(codec::ByteReader input, codec::TokenWriter& writer)
{
    return codec::encode_stream_with(input, writer, codec::SearchMode::PREFIX_CHAINS);
}

using EncodePointer = codec::EncodeError (*)(codec::ByteReader input, codec::TokenWriter& writer);

EncodePointer pick_search(const std::uint8_t* data, std::size_t size)
{
    static constexpr EncodePointer SEARCHES[] = {codec::encode_stream, encode_with_plain_chains,
                                                 encode_with_prefix_chains};
    return size == 0 ? codec::encode_stream : SEARCHES[data[0] / 3 % 3];
}

// Walks the tokens of an encoder-made stream. Aborts on anything the
// encoder must not write, or a match beyond `max_distance`; returns the
// stream's size up to its end mark.
std::size_t check_tokens(const testing_support::Bytes& stream, unsigned max_distance)
{
    std::size_t end =
        codec::for_each_token(stream.data(), stream.size(), [max_distance](const codec::Token& token) {
            const codec::TokenKind& kind = codec::token_table[token.token];
            // Within the class's ranges (so never a MATCH_NEAR of length 12),
            // and never the window's full reach.
            if (kind.max_distance != 0 &&
                (token.length < kind.min_length || token.length > kind.max_length || token.distance < 1 ||
                 token.distance > kind.max_distance || token.distance > max_distance))
                std::abort();
            return true;
        });
    if (end == 0)
        std::abort();
    return end;
}

// Aborts unless `stream` decodes to exactly `input`.
void check_decodes_to(const testing_support::Bytes& stream, const testing_support::Bytes& input)
{
    auto decoded = std::make_unique<std::uint8_t[]>(input.size());
    codec::DecodeResult result =
        codec::decode_tokens_checked(stream.data(), stream.size(), decoded.get(), input.size());
    if (result.error != codec::DecodeError::NONE || result.produced != input.size() ||
        (!input.empty() && std::memcmp(decoded.get(), input.data(), input.size()) != 0))
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    testing_support::Bytes input = shape_input(data, size);
    testing_support::EncodedStream encoded =
        testing_support::encode_bytes(input.data(), input.size(), pick_search(data, size));
    const testing_support::Bytes& stream = encoded.stream;
    if (encoded.bytes_written != static_cast<std::int64_t>(stream.size()))
        std::abort();
    if (check_tokens(stream, 16383) != stream.size())
        std::abort();
    if (testing_support::encode_bytes(input.data(), input.size(), reference::plain_encode_stream).stream !=
        stream)
        std::abort();
    check_decodes_to(stream, input);

    testing_support::EncodedStream smallest =
        testing_support::encode_bytes(input.data(), input.size(), testing_support::encode_stream_smallest);
    if (smallest.bytes_written != static_cast<std::int64_t>(smallest.stream.size()) ||
        check_tokens(smallest.stream, 16384) != smallest.stream.size() ||
        smallest.stream.size() > stream.size())
        std::abort();
    check_decodes_to(smallest.stream, input);
    return 0;
}
