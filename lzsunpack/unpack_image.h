// Taking one image of the tool chain apart in memory: check its envelope,
// undo its scrambling and decode its token stream.
//
// The function never ends the process and never reads or writes outside
// the image and the buffer it decodes into, whatever the image holds: the
// tests and the fuzz target call it directly, and lzsunpack turns its
// errors into messages and exit statuses.
#pragma once

#include "codec/decoder.h"
#include "lzsunpack/image_kind.h"
#include "lzsunpack/owned_bytes.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace lzsunpack {

enum class UnpackError {
    NONE,
    WRONG_SIZE,       // not the kind's fixed size, too short for its header, or too large
    CHECKED_WORD,     // a format, key or cleared word that is not its one right value
    WORD_COUNT,       // a word count that cannot cover the stream and fit the image
    LENGTH_RANGE,     // a length word beyond any length the packers write
    DECODE,           // the stream under-runs, over-runs or ends without its end mark
    LENGTH_MISMATCH,  // the stream holds another number of bytes than the length word says
    NO_MEMORY,        // the decoded bytes cannot be allocated
};

struct UnpackResult {
    UnpackError error = UnpackError::NONE;
    codec::DecodeError decode_error = codec::DecodeError::NONE;
    std::uint64_t found = 0;           // the size, word, count or length the error is about
    std::uint64_t expected = 0;        // what it should have been, where one value is right
    OwnedBytes data;                   // the original bytes, when there is no error
    std::vector<std::uint8_t> stream;  // with keep_stream: the token stream, unscrambled, to the image's end
};

// The largest image with a length word: the packers take inputs below
// 2 GiB, and a stream of literals only is the longest, with one flag byte
// per eight tokens.
inline constexpr std::uint64_t MAX_LENGTH_IMAGE_SIZE = 8 + 2 + (1ull << 31) / 8 * 9;

// The largest image of the kind; of a larger file only this much and one
// byte more need be read to refuse it.
std::uint64_t largest_image_size(ImageKind kind);

// The bytes `image` of the given kind stands for. Unscrambling works in
// place: `image` is the caller's no longer. With `stats` (zeroed by the
// caller), the one decoder pass also counts the stream's tokens; with
// `keep_stream`, the result keeps the stream for a walk over its tokens (the
// cost map).
UnpackResult unpack_image(std::span<std::uint8_t> image, ImageKind kind, codec::DecodeStats* stats = nullptr,
                          bool keep_stream = false);

// The same on an image of its own, for callers that build one.
UnpackResult unpack_image(std::vector<std::uint8_t> image, ImageKind kind,
                          codec::DecodeStats* stats = nullptr, bool keep_stream = false);

// Why `result` failed, as the end of "Can't unpack FILE: ...".
std::string unpack_error_reason(const UnpackResult& result, ImageKind kind);

}  // namespace lzsunpack
