// Files as the codec's reader and sink: see file_bytes.h.
#include "packing/file_bytes.h"

#include <algorithm>

namespace packing {
namespace {

std::size_t read_file(void* context, std::uint8_t* into, std::size_t size)
{
    return std::fread(into, 1, size, static_cast<std::FILE*>(context));
}

std::size_t write_file(void* context, const std::uint8_t* bytes, std::size_t size)
{
    // The process has one thread: the stream's lock is pure overhead.
    return fwrite_unlocked(bytes, 1, size, static_cast<std::FILE*>(context));
}

// The first read's buffer; it grows by doubling from there.
constexpr std::size_t FIRST_READ_SIZE = std::size_t{1} << 20;

}  // namespace

codec::ByteReader file_reader(std::FILE* input) { return codec::ByteReader{read_file, input}; }

codec::ByteSink file_sink(std::FILE* output) { return codec::ByteSink{write_file, output}; }

// Grows by doubling, without clearing what fread is about to fill.
WholeInput read_to_end(std::FILE* input)
{
    WholeInput bytes;
    std::size_t capacity = FIRST_READ_SIZE;
    bytes.data = std::make_unique_for_overwrite<std::uint8_t[]>(capacity);
    for (;;) {
        std::size_t got = std::fread(bytes.data.get() + bytes.size, 1, capacity - bytes.size, input);
        bytes.size += got;
        if (bytes.size < capacity)
            return bytes;
        auto larger = std::make_unique_for_overwrite<std::uint8_t[]>(2 * capacity);
        std::copy_n(bytes.data.get(), bytes.size, larger.get());
        bytes.data = std::move(larger);
        capacity *= 2;
    }
}

}  // namespace packing
