// The in-place margin of a token stream: how close to the start of its own
// output buffer a stream may lie and still decode there.
//
// The figure holds for a decoder that reads each stream byte only when it
// needs it: a group's flag byte as the group starts, a token's bytes just
// before it writes the token's output (as loader/ does). Writing output byte
// k while r stream bytes have been read is safe when k < S + r: the byte it
// overwrites has been read already. So S is the largest, over the tokens,
// of the output after the token less the stream read through it, and 0 if
// none is positive. It is exact: at S - 1 the token that gave S overwrites
// a byte it has not read.
//
// A decoder that reads a whole group before writing any of it has read more
// at every write, so S is enough for it too (by up to the group's size more
// than it needs). One that writes past the end of a copy (wide stores) needs
// that overshoot on top.
#pragma once

#include "decoder.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace codec {

struct InPlaceMargin {
    std::size_t stream_size;  // C: the stream's bytes, up to and with its end mark
    std::size_t produced;     // N: what it decodes to
    std::size_t offset;       // S: the least offset of the stream's start in the output buffer
    std::size_t end_margin;   // D = S + C - N: the buffer is N + D bytes with the stream at its end
};

// The margin of the stream in [stream, stream + size), or nothing if it does
// not decode (it ends before its end mark or inside a token, or a match
// reaches before the start of the output). No bound on the output: it only
// counts.
// With `why`, the reason it does not decode: UNDER_RUN or TRUNCATED.
std::optional<InPlaceMargin> in_place_margin(const std::uint8_t* stream, std::size_t size,
                                             DecodeError* why = nullptr);

// The same figures for a file of `file_size` bytes whose stream starts
// `stream_offset` bytes in, loaded whole and its header words read before
// decoding starts: the file may start `stream_offset` bytes before the
// stream's least offset, but not before the buffer.
InPlaceMargin file_in_place_margin(const InPlaceMargin& stream, std::size_t stream_offset,
                                   std::size_t file_size);

}  // namespace codec
