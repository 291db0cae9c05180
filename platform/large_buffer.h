// Buffers of many pages that a program fills soon after it has them: the
// image lzsunpack reads and the bytes it decodes, the packers' proof.
//
// The first touch of each fresh page is a fault into the system, and on a
// virtual machine one costs microseconds: for a 4 MiB buffer filled by a
// decoder at 1 GiB/s the faults of its 1024 small pages cost more than the
// decoding. Where the system has large pages for ordinary memory (Linux's
// transparent huge pages) a large buffer from here is aligned to them and
// marked for them, so that one fault brings in 2 MiB; pages never touched
// are still never had. The bytes are left as the system gives them: the
// caller is about to overwrite them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace platform {

// Gives back a buffer from allocate_large_buffer, which it was asked for.
struct LargeBufferRelease {
    std::size_t size = 0;
    void operator()(std::uint8_t* bytes) const;
};

using LargeBuffer = std::unique_ptr<std::uint8_t[], LargeBufferRelease>;

// `size` bytes (one at least), not cleared; empty if the memory cannot be had.
LargeBuffer allocate_large_buffer(std::size_t size);

}  // namespace platform
