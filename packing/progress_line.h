// The packers' sign of life on a long run: a percentage on standard error,
// rewritten in place, when standard error is a terminal.
//
// Nothing is shown during the first half second, so short runs print
// nothing; then at most four updates a second, each "\rNAME: NN%"; the line
// is erased (overwritten with spaces) once the stream is written. A pipe or
// a file never gets any of it: their readers would keep every version.
#pragma once

#include "codec/progress.h"

#include <cstdint>

namespace packing {

// The progress to hand the encoder for the input `name` of `input_size`
// bytes; it does nothing where standard error is not a terminal.
codec::Progress progress_line(const char* name, std::uint64_t input_size);

// Erases the line, if one was shown.
void end_progress_line();

}  // namespace packing
