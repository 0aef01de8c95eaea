#pragma once

// Replaces the program's global allocation functions with ones that count every allocation.
// Include it in exactly ONE source file of a test program.
//
// The library's own allocations reach these functions only where it shares the program's C++
// runtime (a shared object on Linux); a Windows DLL linked with a static runtime allocates
// through its own copy, which LibraryAllocationsAreCounted() lets a test find out.
//
// In the Windows build whose host DLL has a heap of its own (ILLSXMK_HOST_PRIVATE_HEAP) a test
// program plays the viewer and allocates from the host's heap. Every test program of that build
// links ViewerHeapNew.cpp, which defines the allocation functions once; this header then only
// declares the counters.

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

#if defined(ILLSXMK_HOST_PRIVATE_HEAP)
#include <du/HostHeap.h>
#endif

namespace testsupport {

inline std::atomic<long> heapAllocations{0};
// When positive, the allocation that brings it to zero fails (the throwing forms throw
// std::bad_alloc): 1 fails the next allocation.
inline std::atomic<long> failHeapAllocationIn{0};

inline void* CountedAllocate(std::size_t size) {
    if (failHeapAllocationIn.load() > 0 && --failHeapAllocationIn == 0)
        return nullptr;
    ++heapAllocations;
#if defined(ILLSXMK_HOST_PRIVATE_HEAP)
    return du::HostHeap::Allocate(size);
#else
    return std::malloc(size > 0 ? size : 1);
#endif
}

inline void CountedFree(void* p) {
#if defined(ILLSXMK_HOST_PRIVATE_HEAP)
    du::HostHeap::Free(p);
#else
    std::free(p);
#endif
}

// Heap allocations made while f runs.
template <typename F>
long AllocationsDuring(F&& f) {
    const long before = heapAllocations.load();
    f();
    return heapAllocations.load() - before;
}

}  // namespace testsupport

#if !defined(ILLSXMK_HOST_PRIVATE_HEAP) || defined(ILLSXMK_DEFINE_ALLOCATION_FUNCTIONS)

// Every variant that pairs with plain delete is replaced, so memory never crosses between these
// and a sanitizer's own allocation functions.
void* operator new(std::size_t size) {
    if (void* p = testsupport::CountedAllocate(size))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    if (void* p = testsupport::CountedAllocate(size))
        return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return testsupport::CountedAllocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return testsupport::CountedAllocate(size);
}
// These pair operator new with malloc and operator delete with free. Once both are inlined into
// one function, GCC 12's -Wmismatched-new-delete takes that for a mismatch (seen with the i686
// cross compiler at -O3); it is none.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void operator delete(void* p) noexcept {
    testsupport::CountedFree(p);
}
void operator delete[](void* p) noexcept {
    testsupport::CountedFree(p);
}
void operator delete(void* p, std::size_t) noexcept {
    testsupport::CountedFree(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    testsupport::CountedFree(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    testsupport::CountedFree(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    testsupport::CountedFree(p);
}
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

#endif
