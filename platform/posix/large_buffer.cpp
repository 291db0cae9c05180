// Large buffers on POSIX (see large_buffer.h for why).
//
// A buffer of MAPPED_FROM bytes or more is mapped on its own, in whole large
// pages, its start aligned to LARGE_PAGE (a mapping one large page longer,
// less the ends around the aligned part) and, where the system has them,
// marked for transparent huge pages. Smaller ones come from malloc. Under
// AddressSanitizer every buffer comes from malloc, whose guards then see
// every byte a decoder writes.
#include "platform/large_buffer.h"

#include <cstdint>
#include <cstdlib>

#include <sys/mman.h>

namespace platform {
namespace {

// The size of an x86-64 (and 4 KiB-page arm64) transparent huge page.
constexpr std::size_t LARGE_PAGE = std::size_t{1} << 21;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool MAP_LARGE_BUFFERS = false;
#elif defined(__has_feature)
constexpr bool MAP_LARGE_BUFFERS = !__has_feature(address_sanitizer);
#else
constexpr bool MAP_LARGE_BUFFERS = true;
#endif

// From an eighth of a large page on, one fault and the clearing of a whole
// large page cost less than the faults of the small pages the buffer spans.
constexpr std::size_t MAPPED_FROM = LARGE_PAGE / 8;

bool mapped(std::size_t size) { return MAP_LARGE_BUFFERS && size >= MAPPED_FROM; }

std::size_t whole_large_pages(std::size_t size) { return (size + LARGE_PAGE - 1) / LARGE_PAGE * LARGE_PAGE; }

}  // namespace

void LargeBufferRelease::operator()(std::uint8_t* bytes) const
{
    if (mapped(size))
        munmap(bytes, whole_large_pages(size));
    else
        std::free(bytes);
}

LargeBuffer allocate_large_buffer(std::size_t size)
{
    if (!mapped(size))
        return LargeBuffer(static_cast<std::uint8_t*>(std::malloc(size == 0 ? 1 : size)),
                           LargeBufferRelease{size});
    if (size > SIZE_MAX - 2 * LARGE_PAGE)
        return LargeBuffer(nullptr, LargeBufferRelease{size});
    std::size_t length = whole_large_pages(size);
    std::size_t reserved = length + LARGE_PAGE;
    void* mapping = mmap(nullptr, reserved, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED)
        return LargeBuffer(nullptr, LargeBufferRelease{size});
    auto* first = static_cast<std::uint8_t*>(mapping);
    auto* start = first + (LARGE_PAGE - reinterpret_cast<std::uintptr_t>(first) % LARGE_PAGE) % LARGE_PAGE;
    std::uint8_t* end = start + length;
    if (start != first)
        munmap(first, static_cast<std::size_t>(start - first));
    if (end != first + reserved)
        munmap(end, static_cast<std::size_t>(first + reserved - end));
#if defined(MADV_HUGEPAGE)
    // Only advice: without huge pages the buffer works the same, page by page.
    madvise(start, length, MADV_HUGEPAGE);
#endif
    return LargeBuffer(start, LargeBufferRelease{size});
}

}  // namespace platform
