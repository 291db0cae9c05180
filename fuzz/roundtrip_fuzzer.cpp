// Encodes arbitrary input through encode_stream and checks the stream it
// writes: the writer's count is the stream's size, the end mark is its last
// byte, every match has a distance of 1 to 16383 and a length of 3 to 260
// (a MATCH_NEAR never 12), the stream decodes back to the input exactly, and
// it is byte for byte the stream of the first, plain encoder, which the
// tuned one must never depart from. The cost map of both streams charges
// every stream byte to the output, exactly.
//
// Input: a shape byte, then the data (at most 4096 bytes: scripts/fuzz.sh).
// libFuzzer's inputs are short and would never reach across the 16 KB
// window, so three of the four shapes (the byte's low two bits) build a
// longer input from the data:
//   0        the data as it is;
//   1        the data, then a fixed noise, then the data again, the second
//            copy starting 16376 + (next byte mod 16) bytes after the first,
//            so that matches meet the window's reach from both sides;
//   2        the data repeated to 16384 + (next two bytes mod 4096) bytes,
//            so the window slides and the hash buckets crowd;
//   3        as 2, but every copy starts with its own index, so matches
//            break at a different place in each copy.
// Bits 2-3 pick the search: the encoder's own choice (0 and 3), the plain
// chains throughout (1) or the prefix chains from the first byte (2), so
// that every path meets every input. The smallest stream is checked too
// (valid, decodable, never longer than the encoder's) for shapes 0 and 1;
// on the repeated shapes its search costs ten times the rest of a run.
//
// Each run stays short so that thousands fit in the test command's 30 s:
// the inputs are bounded, the encoders read and write memory, and the memory
// of the encoders' tables is kept from run to run (kept_blocks.cpp).
#include "codec/byte_costs.h"
#include "codec/decoder.h"
#include "codec/lazy/encoder.h"
#include "codec/smallest_stream/smallest_stream.h"
#include "codec/token_layout.h"
#include "tests/reference/plain_encoder.h"
#include "tests/support/memory_codec.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

constexpr std::size_t STRETCH_BASE = 16384;   // one whole window: always slides
constexpr std::size_t STRETCH_MASK = 0x0FFF;  // a little more: longer adds time, not paths
constexpr std::size_t FAR_BASE = 16376;       // the second copy's distance, below the reach...
constexpr std::size_t FAR_MASK = 0x0F;        // ...to beyond it

enum Shape : unsigned { AS_IT_IS, FAR_COPY, REPEATED, REPEATED_WITH_INDEX };

// Shorter inputs are taken as they are: the longer shapes need a byte or two
// of their own and some data.
constexpr std::size_t MIN_SHAPED_SIZE = 4;

Shape shape_of(const std::uint8_t* data, std::size_t size)
{
    return size < MIN_SHAPED_SIZE ? AS_IT_IS : static_cast<Shape>(data[0] & 3);
}

// Bytes an encoder finds few matches in, the same in every run.
testing_support::Bytes noise(std::size_t size)
{
    testing_support::Bytes bytes(size);
    std::uint32_t state = 0x9E3779B9u;
    for (std::uint8_t& byte : bytes) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        byte = static_cast<std::uint8_t>(state >> 24);
    }
    return bytes;
}

// The data at the start and again `distance` bytes on, noise between.
testing_support::Bytes far_copy(const std::uint8_t* data, std::size_t size)
{
    static const testing_support::Bytes FILLER = noise(FAR_BASE + FAR_MASK);
    std::size_t distance = FAR_BASE + (data[0] & FAR_MASK);
    const std::uint8_t* copy = data + 1;
    std::size_t copy_size = size - 1;
    testing_support::Bytes input(FILLER.begin(), FILLER.begin() + static_cast<std::ptrdiff_t>(distance));
    std::copy_n(copy, std::min(copy_size, distance), input.begin());
    input.insert(input.end(), copy, copy + copy_size);
    return input;
}

testing_support::Bytes repeated(const std::uint8_t* data, std::size_t size, bool with_index)
{
    std::size_t length = STRETCH_BASE + ((data[0] | static_cast<std::size_t>(data[1]) << 8) & STRETCH_MASK);
    const std::uint8_t* pattern = data + 2;
    std::size_t pattern_size = size - 2;
    testing_support::Bytes input(length);
    for (std::size_t i = 0; i < length; ++i)
        input[i] = pattern[i % pattern_size];
    if (with_index)
        for (std::size_t copy = 0; copy * pattern_size < length; ++copy)
            input[copy * pattern_size] = static_cast<std::uint8_t>(copy);
    return input;
}

testing_support::Bytes shape_input(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return {};
    Shape shape = shape_of(data, size);
    if (shape == AS_IT_IS)
        return testing_support::Bytes(data + 1, data + size);
    if (shape == FAR_COPY)
        return far_copy(data + 1, size - 1);
    return repeated(data + 1, size - 1, shape == REPEATED_WITH_INDEX);
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
                                                 encode_with_prefix_chains, codec::encode_stream};
    return size == 0 ? codec::encode_stream : SEARCHES[data[0] >> 2 & 3];
}

// The stream `encoder` writes for `input`, from memory into memory.
testing_support::EncodedStream encode(EncodePointer encoder, const testing_support::Bytes& input)
{
    return testing_support::encode_bytes(input.data(), input.size(), encoder);
}

// The smallest stream for `input`.
testing_support::EncodedStream encode_smallest(const testing_support::Bytes& input)
{
    return testing_support::encode_bytes(input.data(), input.size(), testing_support::encode_stream_smallest);
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

// Aborts unless the ranges of `stream`'s cost map cover `input_size` bytes
// and add up to exactly its size.
void check_costs(const testing_support::Bytes& stream, std::size_t input_size)
{
    codec::CostMap map = codec::map_costs(stream.data(), stream.size(), 1 + input_size % 97);
    std::uint64_t units = 0;
    for (const codec::RangeCost& range : map.ranges)
        units += range.units;
    if (!map.well_formed || map.output_size != input_size ||
        units != codec::COST_UNITS_PER_BYTE * stream.size())
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    testing_support::Bytes input = shape_input(data, size);
    testing_support::EncodedStream encoded = encode(pick_search(data, size), input);
    const testing_support::Bytes& stream = encoded.stream;
    if (encoded.bytes_written != static_cast<std::int64_t>(stream.size()))
        std::abort();
    if (check_tokens(stream, 16383) != stream.size())
        std::abort();
    if (encode(reference::plain_encode_stream, input).stream != stream)
        std::abort();
    check_decodes_to(stream, input);
    check_costs(stream, input.size());

    Shape shape = shape_of(data, size);
    if (shape == REPEATED || shape == REPEATED_WITH_INDEX)
        return 0;
    testing_support::EncodedStream smallest = encode_smallest(input);
    if (smallest.bytes_written != static_cast<std::int64_t>(smallest.stream.size()) ||
        check_tokens(smallest.stream, 16384) != smallest.stream.size() ||
        smallest.stream.size() > stream.size())
        std::abort();
    check_decodes_to(smallest.stream, input);
    check_costs(smallest.stream, input.size());
    return 0;
}
