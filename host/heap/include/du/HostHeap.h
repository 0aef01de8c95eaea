#pragma once

#include <du/Export.h>
#include <du/StandIn.h>

#include <cstddef>

SXHOST_HEADER_BEGIN

namespace du {

// The stand-in's own heap, in the Windows test build that gives the host DLL a heap apart from
// the C runtime's (ILLSXMK_HOST_PRIVATE_HEAP). The host DLL's global operator new and delete use
// it, so whatever the host deletes goes back here, wherever it was allocated: the situation of a
// viewer and a plug-in that do not share one C runtime. The test programs play the viewer and
// allocate here too.
//
// Free does not hand this heap a block of another heap (HeapFree would refuse it, or on a real
// Windows heap corrupt it): it keeps the block and counts it, so that a test sees each one.
class SXHOST_API HostHeap {
public:
    // A block of this heap, or null when it has no memory.
    SXHOST_STANDIN_ONLY static void* Allocate(std::size_t size) noexcept;
    // Frees a block of this heap; counts and keeps a block that this heap did not allocate.
    // Null does nothing.
    SXHOST_STANDIN_ONLY static void Free(void* block) noexcept;
    // Blocks of other heaps handed to Free since the process started.
    SXHOST_STANDIN_ONLY static long ForeignFrees() noexcept;
    // Blocks of this heap allocated and not freed here. A block that another module freed into
    // its own heap stays counted.
    SXHOST_STANDIN_ONLY static long LiveBlocks() noexcept;
};

}  // namespace du

SXHOST_HEADER_END
