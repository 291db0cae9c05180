// Large blocks kept from one run of a fuzz target to the next.
//
// The encoders allocate their tables (about 1 MB each) on every call, and
// under AddressSanitizer a block that large is a fresh mapping each time:
// a short input's run spent more on page faults and unmappings than on its
// encoding. This replaces the global operator new and delete. A deleted
// block of at least LARGE_BLOCK bytes is kept, poisoned, and handed out again
// to the next request of exactly its size, so that AddressSanitizer still
// reports any use of it in between (as a use after poison), and overruns
// still meet the block's own red zones. Everything else goes straight to
// malloc and free.
#include <sanitizer/asan_interface.h>

#include <cstddef>
#include <cstdlib>
#include <mutex>
#include <new>

#include <malloc.h>

namespace {

constexpr std::size_t LARGE_BLOCK = std::size_t{64} << 10;
// Enough for every table of one run; the oldest block gives way to a new one.
constexpr std::size_t KEPT_BLOCKS = 16;

struct KeptBlock {
    void* block;
    std::size_t size;
};

struct Kept {
    std::mutex lock;  // libFuzzer's own threads allocate too
    KeptBlock blocks[KEPT_BLOCKS] = {};
    std::size_t next = 0;  // the slot the next block takes
};

Kept& kept()
{
    static Kept* all = new (std::malloc(sizeof(Kept))) Kept;
    return *all;
}

void* allocate(std::size_t size)
{
    if (size >= LARGE_BLOCK) {
        Kept& k = kept();
        std::lock_guard<std::mutex> hold(k.lock);
        for (KeptBlock& slot : k.blocks)
            if (slot.block != nullptr && slot.size == size) {
                void* block = slot.block;
                slot.block = nullptr;
                ASAN_UNPOISON_MEMORY_REGION(block, size);
                return block;
            }
    }
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr)
        throw std::bad_alloc();
    return block;
}

void release(void* block)
{
    if (block == nullptr)
        return;
    std::size_t size = malloc_usable_size(block);
    if (size >= LARGE_BLOCK) {
        Kept& k = kept();
        std::lock_guard<std::mutex> hold(k.lock);
        KeptBlock& slot = k.blocks[k.next];
        k.next = (k.next + 1) % KEPT_BLOCKS;
        if (slot.block != nullptr) {
            ASAN_UNPOISON_MEMORY_REGION(slot.block, slot.size);
            std::free(slot.block);
        }
        ASAN_POISON_MEMORY_REGION(block, size);
        slot = {block, size};
        return;
    }
    std::free(block);
}

}  // namespace

// Every form of new that pairs with these deletes (the aligned forms keep
// AddressSanitizer's own pair).
void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    try {
        return allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* block) noexcept { release(block); }
void operator delete[](void* block) noexcept { release(block); }
void operator delete(void* block, std::size_t) noexcept { release(block); }
void operator delete[](void* block, std::size_t) noexcept { release(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { release(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { release(block); }
