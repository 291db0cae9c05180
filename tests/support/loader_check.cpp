// The loader decoders against the codec's (see loader_check.h).
#include "tests/support/loader_check.h"

#include "codec/decoder.h"
#include "codec/in_place_margin.h"
#include "loader/lzs_checked.h"
#include "loader/lzs_feed.h"
#include "loader/lzs_trusted.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <random>

namespace testing_support {
namespace {

struct Outcome {
    int status;
    std::size_t produced;
    std::unique_ptr<std::uint8_t[]> bytes;  // at least `produced` of them
};

int status_of(codec::DecodeError error)
{
    switch (error) {
    case codec::DecodeError::NONE:
        return LZS_DONE;
    case codec::DecodeError::UNDER_RUN:
        return LZS_UNDER_RUN;
    case codec::DecodeError::OVER_RUN:
        return LZS_OVER_RUN;
    case codec::DecodeError::TRUNCATED:
        return LZS_TRUNCATED;
    }
    return -1;
}

// Exactly `size` bytes, so that AddressSanitizer faults on the first byte
// past them (new[] of 0 bytes is a block of its own too).
std::unique_ptr<std::uint8_t[]> block(std::size_t size, const std::uint8_t* from = nullptr)
{
    auto bytes = std::make_unique<std::uint8_t[]>(size);
    if (from != nullptr && size != 0)
        std::memcpy(bytes.get(), from, size);
    return bytes;
}

Outcome codec_outcome(const std::uint8_t* stream, std::size_t size, std::size_t capacity)
{
    Outcome outcome{0, 0, block(capacity)};
    codec::DecodeResult result = codec::decode_tokens_checked(stream, size, outcome.bytes.get(), capacity);
    outcome.status = status_of(result.error);
    outcome.produced = result.produced;
    return outcome;
}

Outcome checked_outcome(const std::uint8_t* stream, std::size_t size, std::size_t capacity)
{
    Outcome outcome{0, 0, block(capacity)};
    outcome.status = lzs_decode(stream, size, outcome.bytes.get(), capacity, &outcome.produced);
    return outcome;
}

// The stream `offset` bytes into an output buffer of `capacity` bytes, the
// buffer extended to hold it.
Outcome in_place_outcome(const std::uint8_t* stream, std::size_t size, std::size_t capacity,
                         std::size_t offset)
{
    Outcome outcome{0, 0, block(std::max(capacity, offset + size))};
    if (size != 0)
        std::memcpy(outcome.bytes.get() + offset, stream, size);
    outcome.status = lzs_decode_in_place(outcome.bytes.get(), capacity, offset, size, &outcome.produced);
    return outcome;
}

Outcome fed_outcome(const std::uint8_t* stream, std::size_t size, std::size_t capacity, std::uint32_t seed)
{
    Outcome outcome{0, 0, block(capacity)};
    lzs_feed_state state;
    lzs_feed_init(&state, outcome.bytes.get(), capacity);
    std::mt19937 random(seed);
    // Mostly short pieces, down to one byte, now and then a long one; an
    // empty piece changes nothing.
    std::size_t at = 0;
    while (at < size && lzs_feed(&state, stream + at, 0) == LZS_MORE) {
        std::size_t piece = random() % 4 == 0 ? random() % 64 : random() % 4;
        piece = std::min(piece, size - at);
        std::unique_ptr<std::uint8_t[]> copy = block(piece, stream + at);
        if (lzs_feed(&state, copy.get(), piece) != LZS_MORE)
            break;
        at += piece;
    }
    outcome.status = lzs_feed_end(&state);
    outcome.produced = static_cast<std::size_t>(state.out - state.start);
    return outcome;
}

const char* status_name(int status)
{
    static const char* const NAMES[] = {"done", "under-run", "over-run", "truncated", "overlap", "more"};
    return status >= 0 && status <= LZS_MORE ? NAMES[status] : "?";
}

// "" if `got` is `expected`, else what differs.
std::string compare(const char* decoder, const Outcome& got, const Outcome& expected)
{
    if (got.status != expected.status || got.produced != expected.produced)
        return std::string(decoder) + ": " + status_name(got.status) + " after " +
               std::to_string(got.produced) + " bytes, the codec " + status_name(expected.status) +
               " after " + std::to_string(expected.produced);
    if (got.produced != 0 && std::memcmp(got.bytes.get(), expected.bytes.get(), got.produced) != 0)
        return std::string(decoder) + ": other bytes than the codec's";
    return "";
}

}  // namespace

std::string loader_disagreement(const std::uint8_t* stream, std::size_t size, std::size_t capacity,
                                std::size_t in_place_offset, std::uint32_t cut_seed)
{
    std::unique_ptr<std::uint8_t[]> source = block(size, stream);
    Outcome expected = codec_outcome(source.get(), size, capacity);
    std::string found = compare("checked", checked_outcome(source.get(), size, capacity), expected);
    if (found.empty())
        found = compare("byte-fed", fed_outcome(source.get(), size, capacity, cut_seed), expected);
    if (!found.empty())
        return found;

    Outcome in_place = in_place_outcome(source.get(), size, capacity, in_place_offset);
    if (in_place.status == LZS_OVERLAP) {
        // Before the token the codec ends at, whose own checks come first;
        // what it wrote is the codec's so far.
        if (in_place.produced >= expected.produced)
            return "in place: an overlap after " + std::to_string(in_place.produced) + " bytes, the codec " +
                   status_name(expected.status) + " after " + std::to_string(expected.produced);
        if (in_place.produced != 0 &&
            std::memcmp(in_place.bytes.get(), expected.bytes.get(), in_place.produced) != 0)
            return "in place: other bytes than the codec's";
    } else {
        found = compare("in place", in_place, expected);
    }
    if (!found.empty() || expected.status != LZS_DONE)
        return found;

    // The codec proved the stream: it ends and writes nothing past its output.
    Outcome trusted{LZS_DONE, 0, block(expected.produced)};
    trusted.produced = lzs_decode_trusted(source.get(), trusted.bytes.get());
    return compare("minimal", trusted, expected);
}

std::string margin_disagreement(const std::uint8_t* stream, std::size_t size)
{
    std::optional<codec::InPlaceMargin> margin = codec::in_place_margin(stream, size);
    // Enough room for any output of the stream: 260 bytes from a 3-byte token.
    Outcome expected = codec_outcome(stream, size, size * 87);
    if (!margin)
        return expected.status == LZS_DONE ? "no margin for a stream that decodes" : "";
    if (expected.status != LZS_DONE || margin->produced != expected.produced)
        return "a margin for " + std::to_string(margin->produced) + " bytes, the codec " +
               status_name(expected.status) + " after " + std::to_string(expected.produced);
    std::size_t s = margin->offset;
    std::size_t c = margin->stream_size;
    if (margin->end_margin != s + c - expected.produced)
        return "D is not S + C - N";

    // The buffer is N + D = S + C bytes, the stream at its end.
    Outcome at_s = in_place_outcome(stream, c, s + c, s);
    std::string found = compare("in place at S", at_s, expected);
    if (!found.empty())
        return found;
    std::unique_ptr<std::uint8_t[]> buffer = block(s + c);
    std::memcpy(buffer.get() + s, stream, c);
    std::size_t produced = lzs_decode_trusted(buffer.get() + s, buffer.get());
    if (produced != expected.produced ||
        (produced != 0 && std::memcmp(buffer.get(), expected.bytes.get(), produced) != 0))
        return "minimal in place at S: other output than the codec's";
    if (s == 0)
        return "";
    Outcome below = in_place_outcome(stream, c, s - 1 + c, s - 1);
    if (below.status != LZS_OVERLAP)
        return std::string("in place at S - 1: ") + status_name(below.status) + ", not an overlap";
    return "";
}

}  // namespace testing_support
