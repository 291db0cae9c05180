// Large buffers on Windows: its large pages need a privilege that ordinary
// users lack, so a buffer is plain memory from the C runtime.
#include "platform/large_buffer.h"

#include <cstdlib>

namespace platform {

void LargeBufferRelease::operator()(std::uint8_t* bytes) const { std::free(bytes); }

LargeBuffer allocate_large_buffer(std::size_t size)
{
    return LargeBuffer(static_cast<std::uint8_t*>(std::malloc(size == 0 ? 1 : size)),
                       LargeBufferRelease{size});
}

}  // namespace platform
