// Runs every loader/ decoder and the codec's checked decoder on the same
// bytes and requires the same outcome and the same output (through
// tests/support/loader_check.h): the checked decoder apart and in place,
// the byte-fed one in random cuts, the minimal one on streams the codec
// decodes; and for every stream that decodes, the in-place margin proved
// exact (decodes at S, an overlap at S - 1). Any disagreement aborts.
//
// Input: a mode byte, two bytes X and Y, then the payload.
//   mode bit 0 clear: the payload is data; the stream is the encoder's for
//     it (the smallest stream's with mode bit 3), byte X of it XORed with Y
//     when mode bit 1 is set, decoded into as many bytes as the data holds,
//     one fewer with mode bit 2;
//   mode bit 0 set: the payload is the stream, decoded into X | Y << 8 bytes.
// The in-place offset and the byte-fed cuts come from X, Y and the mode.
#include "codec/smallest_stream/smallest_stream.h"
#include "tests/support/loader_check.h"
#include "tests/support/memory_codec.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr std::size_t HEADER_BYTES = 3;

void require_agreement(const std::string& found)
{
    if (found.empty())
        return;
    std::fprintf(stderr, "loader_fuzzer: %s\n", found.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < HEADER_BYTES)
        return 0;
    unsigned mode = data[0];
    std::size_t x = data[1];
    std::size_t y = data[2];
    const std::uint8_t* payload = data + HEADER_BYTES;
    std::size_t payload_size = size - HEADER_BYTES;

    testing_support::Bytes stream;
    std::size_t capacity;
    if ((mode & 1) != 0) {
        stream.assign(payload, payload + payload_size);
        capacity = x | y << 8;
    } else {
        stream = (mode & 8) != 0 ? testing_support::encode_bytes(payload, payload_size,
                                                                 testing_support::encode_stream_smallest)
                                       .stream
                                 : testing_support::encode_bytes(payload, payload_size).stream;
        if ((mode & 2) != 0)
            stream[x % stream.size()] ^= static_cast<std::uint8_t>(y);
        capacity = payload_size - ((mode & 4) != 0 && payload_size != 0 ? 1 : 0);
    }
    std::size_t offset = (x << 8 | y) % (capacity + stream.size() + 1);
    std::uint32_t cut_seed = static_cast<std::uint32_t>(mode << 16 | x << 8 | y);
    require_agreement(
        testing_support::loader_disagreement(stream.data(), stream.size(), capacity, offset, cut_seed));
    require_agreement(testing_support::margin_disagreement(stream.data(), stream.size()));
    return 0;
}
