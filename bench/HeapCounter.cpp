// A counting replacement of the global operator new and delete. Each block carries its requested
// size in a header, so that live heap bytes can be told without the allocator's help.
#include "HeapCounter.h"

#include <sxk/MemoryPoolAllocated.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::uint64_t> heapAllocations{0};
std::atomic<std::uint64_t> heapLiveBytes{0};

// Keeps the payload aligned as operator new must.
constexpr std::size_t kHeader = alignof(std::max_align_t);

void* Allocate(std::size_t size) noexcept {
    void* block = std::malloc(size + kHeader);
    if (block == nullptr)
        return nullptr;
    *static_cast<std::size_t*>(block) = size;
    heapAllocations.fetch_add(1, std::memory_order_relaxed);
    heapLiveBytes.fetch_add(size, std::memory_order_relaxed);
    return static_cast<char*>(block) + kHeader;
}

void Release(void* p) noexcept {
    if (p == nullptr)
        return;
    void* block = static_cast<char*>(p) - kHeader;
    heapLiveBytes.fetch_sub(*static_cast<std::size_t*>(block), std::memory_order_relaxed);
    std::free(block);
}

void* AllocateOrThrow(std::size_t size) {
    for (;;) {
        if (void* p = Allocate(size))
            return p;
        std::new_handler handler = std::get_new_handler();
        if (handler == nullptr)
            throw std::bad_alloc();
        handler();
    }
}

}  // namespace

void* operator new(std::size_t size) {
    return AllocateOrThrow(size);
}
void* operator new[](std::size_t size) {
    return AllocateOrThrow(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void operator delete(void* p) noexcept {
    Release(p);
}
void operator delete[](void* p) noexcept {
    Release(p);
}
void operator delete(void* p, std::size_t) noexcept {
    Release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    Release(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    Release(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    Release(p);
}

namespace bench {

HeapCounts HeapNow() {
    return {heapAllocations.load(std::memory_order_relaxed),
            heapLiveBytes.load(std::memory_order_relaxed)};
}

AllocationSnapshot AllocationSnapshot::Now() {
    const HeapCounts heap = HeapNow();
    return {heap.allocations, heap.liveBytes, sxk::MemoryPoolAllocated::AllocationCount(),
            sxk::MemoryPoolAllocated::LiveBytes()};
}

}  // namespace bench
