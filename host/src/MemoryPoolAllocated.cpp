#include <sxk/MemoryPoolAllocated.h>

#include <atomic>
#include <cstdlib>

namespace sxk {

namespace {
std::atomic<std::size_t> liveBlocks{0};
std::atomic<std::size_t> liveBytes{0};
std::atomic<std::size_t> allocationCount{0};
// Allocations left before the armed failure; 0 when none is armed.
std::atomic<std::size_t> failCountdown{0};
}  // namespace

void* MemoryPoolAllocated::operator new(std::size_t size) noexcept {
    std::size_t left = failCountdown.load();
    while (left > 0) {
        if (failCountdown.compare_exchange_weak(left, left - 1)) {
            if (left == 1)
                return nullptr;
            break;
        }
    }
    void* p = std::malloc(size > 0 ? size : 1);
    if (!p)
        return nullptr;
    ++liveBlocks;
    liveBytes += size;
    ++allocationCount;
    return p;
}

void MemoryPoolAllocated::operator delete(void* p, std::size_t size) noexcept {
    if (!p)
        return;
    std::free(p);
    --liveBlocks;
    liveBytes -= size;
}

std::size_t MemoryPoolAllocated::LiveBlocks() {
    return liveBlocks.load();
}

std::size_t MemoryPoolAllocated::LiveBytes() {
    return liveBytes.load();
}

std::size_t MemoryPoolAllocated::AllocationCount() {
    return allocationCount.load();
}

void MemoryPoolAllocated::FailAllocation(std::size_t nth) {
    failCountdown = nth;
}

bool MemoryPoolAllocated::FailurePending() {
    return failCountdown.load() > 0;
}

}  // namespace sxk
