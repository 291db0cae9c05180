// The packers' files as the codec's reader and sink, and a whole input
// read into memory for the search of --best, which needs all of it at once.
#pragma once

#include "codec/byte_io.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

namespace packing {

// Reads `input` from its position on; its errors stay in the stream
// (ferror), for the caller to check once the encoder is done.
codec::ByteReader file_reader(std::FILE* input);

// Writes to `output`; a short write is one the sink did not take.
codec::ByteSink file_sink(std::FILE* output);

struct WholeInput {
    std::unique_ptr<std::uint8_t[]> data;
    std::size_t size = 0;
};

// Everything from `input`'s position to its end (a short read is the end).
// A failed allocation throws std::bad_alloc, which the programs'
// new-handler turns into EXIT_MEMORY.
WholeInput read_to_end(std::FILE* input);

}  // namespace packing
