// The host DLL's private heap and its global allocation functions (ILLSXMK_HOST_PRIVATE_HEAP).
// With MinGW's static C++ runtime each DLL has its own copy of the global operator new, so
// replacing it here changes the host's allocations only: the library's new still reaches the C
// runtime's heap.
#include <du/HostHeap.h>

#include <windows.h>

#include <atomic>
#include <cstddef>

namespace du {

namespace {

std::atomic<long> foreignFrees{0};
std::atomic<long> liveBlocks{0};

// Made on first use: the host allocates while its own static objects are constructed.
HANDLE Heap() {
    static const HANDLE heap = HeapCreate(0, 0, 0);
    return heap;
}

}  // namespace

void* HostHeap::Allocate(std::size_t size) noexcept {
    void* block = HeapAlloc(Heap(), 0, size > 0 ? size : 1);
    if (block != nullptr)
        ++liveBlocks;
    return block;
}

void HostHeap::Free(void* block) noexcept {
    if (block == nullptr)
        return;
    // HeapValidate with a block looks the block up in this heap only; HeapFree would trust the
    // block's header.
    if (!HeapValidate(Heap(), 0, block) || !HeapFree(Heap(), 0, block)) {
        ++foreignFrees;
        return;
    }
    --liveBlocks;
}

long HostHeap::ForeignFrees() noexcept {
    return foreignFrees.load();
}

long HostHeap::LiveBlocks() noexcept {
    return liveBlocks.load();
}

}  // namespace du

#include "HostHeapOperators.h"
