#pragma once

#include <du/Export.h>
#include <du/StandIn.h>

#include <cstddef>

SXHOST_HEADER_BEGIN

namespace sxk {

// Base of the objects that live in the viewer's memory pool. Its operator new never throws: when
// the pool has no memory it returns null, and a new-expression then constructs nothing and
// yields null. The pool counts its live blocks and bytes, and a test can make the Nth
// allocation from now fail.
class SXHOST_API MemoryPoolAllocated {
public:
    static void* operator new(std::size_t size) noexcept;
    static void operator delete(void* p, std::size_t size) noexcept;
    SXHOST_STANDIN_ONLY static void* operator new(std::size_t, void* where) noexcept {
        return where;
    }
    SXHOST_STANDIN_ONLY static void operator delete(void*, void*) noexcept {}

    SXHOST_STANDIN_ONLY static std::size_t LiveBlocks();
    SXHOST_STANDIN_ONLY static std::size_t LiveBytes();
    SXHOST_STANDIN_ONLY static std::size_t
    AllocationCount();  // successful allocations since the process began

    // Makes the nth pool allocation from now (1 = the next one) return null; 0 disarms.
    SXHOST_STANDIN_ONLY static void FailAllocation(std::size_t nth);
    // True while an armed failure has not been reached yet.
    SXHOST_STANDIN_ONLY static bool FailurePending();
};

}  // namespace sxk

SXHOST_HEADER_END
