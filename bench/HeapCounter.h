#pragma once

// Heap and pool allocation counters of the benchmark programs. HeapCounter.cpp replaces the
// global operator new and delete; since the library and the host are shared objects, their
// allocations reach the replacement too. Pool allocations (sxk::MemoryPoolAllocated) bypass
// operator new and are counted by the pool itself.

#include <cstddef>
#include <cstdint>

namespace bench {

struct HeapCounts {
    std::uint64_t allocations;  // operator new calls since the program began
    std::uint64_t liveBytes;    // bytes requested and not yet deleted
};

HeapCounts HeapNow();

// Allocation counts between two moments.
struct AllocationSnapshot {
    std::uint64_t heapAllocations;
    std::uint64_t heapLiveBytes;
    std::uint64_t poolAllocations;
    std::uint64_t poolLiveBytes;

    static AllocationSnapshot Now();
};

}  // namespace bench
