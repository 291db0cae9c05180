// The packers' containers and their proof.
//
// A packed file is a few 32-bit little-endian header words (one of which
// declares the original length) followed by the token stream. Both packers
// write one through a temporary output and then prove it: they read the
// committed file back, decode it into a buffer of the declared size and
// compare that with the input read again.
#pragma once

#include <cstdint>
#include <cstdio>
#include <initializer_list>

namespace codec {

// Which stream the packer writes: the standard encoder's, or the smallest
// one the format allows (--best).
enum class StreamChoice { STANDARD, SMALLEST };

struct PackedLayout {
    unsigned header_words;  // words before the token stream
    unsigned length_word;   // index of the word that declares the original length
};

// Writes `header` (laid out as `layout` says) and the stream of `input` from
// its current position to its end as `final_name`, through a temporary
// output. It is committed only if exactly the declared length was read: an
// input that failed to read or changed length meanwhile ends the run with
// EXIT_DATA and leaves any earlier file of that name as it was. Returns the
// bytes written, header included.
std::int64_t write_packed_file(std::FILE* input, const char* input_name, const char* final_name,
                               PackedLayout layout, std::initializer_list<std::uint32_t> header,
                               StreamChoice choice = StreamChoice::STANDARD);

// Proves that `packed_name` decodes to the bytes of `input_name` from
// `input_offset` to its end. Ends the process through fail() otherwise.
void verify_packed_file(const char* packed_name, PackedLayout layout,
                        const char* input_name, std::int64_t input_offset);

}  // namespace codec
