// The packers' containers and their proof.
//
// A packed file is a few 32-bit little-endian header words (one of which
// declares the original length) followed by the token stream. Both packers
// write one through a temporary output and prove it: they read the file back
// through the stream they wrote it with (the very file committed, whatever
// another run does to the name meanwhile), decode it into a buffer of the
// declared size and compare that with the input read again. lzspack proves
// its file once committed; apppack before it commits its pair.
#pragma once

#include "liblzs/chain_files.h"

#include <cstdint>
#include <cstdio>

namespace packing {

// Which stream the packer writes: the standard encoder's, or the smallest
// one the format allows (--best).
enum class StreamChoice { STANDARD, SMALLEST };

struct PackedFile {
    std::int64_t bytes_written;  // header included
    std::FILE* stream;           // the pending output, open for reading and writing
};

// Writes the header of `format` declaring `declared` bytes and the stream of
// `input` from its current position to its end as `final_name`, through a temporary
// output with the input's permission bits, and leaves it pending for the
// caller to prove and commit (toolrt::temp_output_commit). Only an input read
// to exactly the declared length gets that far: one that failed to read or
// changed length meanwhile ends the run with EXIT_DATA and leaves any earlier
// file of that name as it was.
PackedFile write_packed_file(std::FILE* input, const char* input_name, const char* final_name,
                             const liblzs::ContainerFormat& format, std::uint32_t declared,
                             StreamChoice choice = StreamChoice::STANDARD);

// Proves that the file open as `packed` (read from its start; left open)
// decodes to the bytes of `input` (named `input_name`) from `input_offset`
// to its end. Ends the process through fail() otherwise: an input whose
// length is no longer the one packed with MSG_INPUT_CHANGED.
void verify_packed_file(std::FILE* packed, const liblzs::ContainerFormat& format, std::FILE* input,
                        const char* input_name, std::int64_t input_offset);

}  // namespace packing
