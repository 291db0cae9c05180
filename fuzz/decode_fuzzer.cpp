// Feeds arbitrary streams and capacities to the decoder's core.
//
// Input: two bytes of capacity (little-endian, 0-65535), then the stream.
// The destination is a heap block of exactly `capacity` bytes and the stream
// sits in a block of exactly its size, so AddressSanitizer faults on the
// first byte read or written past either end. Beyond memory safety, the
// target checks what the packers rely on when they size the destination
// from a header: a stream that decodes to n bytes decodes to the same n
// bytes with a capacity of exactly n, and fails with an over-run, having
// written at most n - 1 bytes, with one byte less. Every decoding must have
// the outcome of the plain token-at-a-time decoder: the same error, bytes
// produced, bytes and counts.
#include "codec/decoder.h"
#include "tests/reference/plain_decoder.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

constexpr std::size_t CAPACITY_BYTES = 2;

struct Decoded {
    codec::DecodeResult result;
    std::unique_ptr<std::uint8_t[]> output;
};

bool same_counts(const codec::DecodeStats& a, const codec::DecodeStats& b)
{
    for (unsigned token = 0; token < codec::TOKEN_CLASSES; ++token)
        if (a.tokens[token] != b.tokens[token] || a.bytes[token] != b.bytes[token])
            return false;
    return a.distance_sum == b.distance_sum;
}

Decoded decode(const std::uint8_t* stream, std::size_t size, std::size_t capacity)
{
    // new[] of exactly `capacity` bytes: nothing past it is ours.
    Decoded decoded{{}, std::make_unique<std::uint8_t[]>(capacity)};
    codec::DecodeStats stats{};
    decoded.result = codec::decode_tokens_checked(stream, size, decoded.output.get(), capacity, &stats);
    if (decoded.result.produced > capacity)
        std::abort();

    auto plain = std::make_unique<std::uint8_t[]>(capacity);
    codec::DecodeStats plain_stats{};
    codec::DecodeResult expected =
        reference::plain_decode_tokens(stream, size, plain.get(), capacity, &plain_stats);
    if (expected.error != decoded.result.error || expected.produced != decoded.result.produced ||
        std::memcmp(plain.get(), decoded.output.get(), expected.produced) != 0 ||
        !same_counts(stats, plain_stats))
        std::abort();
    // Without counts, the same outcome.
    codec::DecodeResult uncounted = codec::decode_tokens_checked(stream, size, plain.get(), capacity);
    if (uncounted.error != expected.error || uncounted.produced != expected.produced ||
        std::memcmp(plain.get(), decoded.output.get(), expected.produced) != 0)
        std::abort();
    return decoded;
}

void check_exact_capacity(const std::uint8_t* stream, std::size_t size, const Decoded& first)
{
    std::size_t produced = first.result.produced;
    Decoded exact = decode(stream, size, produced);
    if (exact.result.error != codec::DecodeError::NONE || exact.result.produced != produced ||
        std::memcmp(exact.output.get(), first.output.get(), produced) != 0)
        std::abort();
    if (produced == 0)
        return;
    Decoded short_by_one = decode(stream, size, produced - 1);
    if (short_by_one.result.error != codec::DecodeError::OVER_RUN ||
        std::memcmp(short_by_one.output.get(), first.output.get(), short_by_one.result.produced) != 0)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < CAPACITY_BYTES)
        return 0;
    std::size_t capacity = data[0] | static_cast<std::size_t>(data[1]) << 8;
    std::size_t stream_size = size - CAPACITY_BYTES;
    auto stream = std::make_unique<std::uint8_t[]>(stream_size);
    std::memcpy(stream.get(), data + CAPACITY_BYTES, stream_size);

    Decoded first = decode(stream.get(), stream_size, capacity);
    if (first.result.error == codec::DecodeError::NONE)
        check_exact_capacity(stream.get(), stream_size, first);
    return 0;
}
