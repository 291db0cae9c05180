// The in-memory reader and sink of byte_io.h.
#include "byte_io.h"

#include <algorithm>
#include <cstring>

namespace codec {
namespace {

std::size_t read_span(void* context, std::uint8_t* into, std::size_t size)
{
    auto& span = *static_cast<SpanReader*>(context);
    std::size_t taken = std::min(size, span.rest.size());
    if (taken != 0)
        std::memcpy(into, span.rest.data(), taken);
    span.rest = span.rest.subspan(taken);
    return taken;
}

std::size_t write_buffer(void* context, const std::uint8_t* bytes, std::size_t size)
{
    auto& buffer = *static_cast<BufferSink*>(context);
    std::size_t taken = std::min(size, buffer.capacity - buffer.size);
    if (taken != 0)
        std::memcpy(buffer.data + buffer.size, bytes, taken);
    buffer.size += taken;
    return taken;
}

}  // namespace

ByteReader read_from(SpanReader& span) { return ByteReader{read_span, &span}; }

ByteSink write_into(BufferSink& buffer) { return ByteSink{write_buffer, &buffer}; }

}  // namespace codec
