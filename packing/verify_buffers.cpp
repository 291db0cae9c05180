#include "verify_buffers.h"

#include <cstdlib>

namespace packing {
namespace {

unsigned char* g_buffers[2] = {nullptr, nullptr};

unsigned char*& slot(VerifyBuffer which) { return g_buffers[which == VerifyBuffer::SRC ? 0 : 1]; }

void free_all()
{
    verify_buffer_free(VerifyBuffer::SRC);
    verify_buffer_free(VerifyBuffer::DST);
}

}  // namespace

unsigned char* verify_buffer_alloc(VerifyBuffer which, std::size_t size)
{
    static bool registered = false;
    if (!registered) {
        registered = true;
        std::atexit(free_all);
    }
    verify_buffer_free(which);
    slot(which) = static_cast<unsigned char*>(std::malloc(size == 0 ? 1 : size));
    return slot(which);
}

void verify_buffer_free(VerifyBuffer which)
{
    std::free(slot(which));
    slot(which) = nullptr;
}

}  // namespace packing
