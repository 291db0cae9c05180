// Where the codec's bytes come from and go to: a reader it pulls input
// through and a sink it hands finished groups to. Both are a function and
// a context, so a caller can feed it a file, a buffer or anything else, and
// the codec itself neither knows files nor allocates for them. A span and a
// caller's buffer come ready-made here; the programs' files are adapted in
// packing/.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace codec {

// Fills up to `size` bytes at `into` and returns how many it filled. Fewer
// than asked (0 included) is the end of the input, and a reader asked again
// after that fills nothing. A reader with errors of its own keeps them for
// its caller.
struct ByteReader {
    std::size_t (*read)(void* context, std::uint8_t* into, std::size_t size);
    void* context;
};

// Takes `size` bytes and returns how many it took; fewer than `size` is a
// failed write, after which the writer hands it nothing more.
struct ByteSink {
    std::size_t (*write)(void* context, const std::uint8_t* bytes, std::size_t size);
    void* context;
};

// A reader over bytes in memory: `rest` is what it has not handed out yet.
struct SpanReader {
    std::span<const std::uint8_t> rest;
};
ByteReader read_from(SpanReader& span);

// A sink into a caller's buffer: `size` bytes of `capacity` are filled. A
// write that does not fit takes what fits and fails.
struct BufferSink {
    std::uint8_t* data;
    std::size_t capacity;
    std::size_t size;
};
ByteSink write_into(BufferSink& buffer);

}  // namespace codec
