// Rebuilds run at pointer rate during drags, so into a vector that already has the capacity they
// must not touch the heap. The global allocation functions of this executable count calls; the
// library's own allocations reach them unless it carries its own runtime (a Windows DLL linked
// with a static C++ runtime), which the test finds out first.
#include "CenterLineTestSupport.h"

#include <cstdlib>
#include <new>
#include <utility>

namespace {
std::size_t heapAllocations = 0;

void* CountedAllocate(std::size_t size) {
    ++heapAllocations;
    return std::malloc(size > 0 ? size : 1);
}
}  // namespace

// Every variant that pairs with plain delete is replaced, so memory never crosses between these
// and a sanitizer's own allocation functions.
void* operator new(std::size_t size) {
    if (void* p = CountedAllocate(size))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    if (void* p = CountedAllocate(size))
        return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return CountedAllocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return CountedAllocate(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}

namespace centerlinetest {
namespace {

using RebuildAllocation = RecordTest;

TEST_F(RebuildAllocation, RebuildsIntoReservedVectorsDoNotAllocate) {
    // Storing into an empty record grows the record's list inside the library.
    Points list = Build({{0, 0, 0}, {10, 4, 2}, true, 1.0f, 2.0f, 0.5f});
    Points copy = list;
    const std::size_t beforeStore = heapAllocations;
    record->SetPoints(std::move(list));
    const bool librarySeen = heapAllocations > beforeStore;

    Points out;
    out.reserve(16);
    const dg::DPoint3D* const data = out.data();
    const std::size_t capacity = out.capacity();
    const dg::DPoint3D* const storedData = Stored().data();
    dg::DPoint3D moved;

    const std::size_t before = heapAllocations;
    for (bool along : {false, true}) {
        record->BuildPoints({0, 0, 0}, {10, 4, 2}, along, -1.0f, 2.0f, 0.3f, {}, kXYZ, out);
        record->MoveStartPoint(dg::DVec3(1, 2, 3), out, moved);
        record->MoveEndPoint(dg::DVec3(1, 2, 3), out, moved);
        record->MoveStartExt(-2.0f, out);
        record->MoveEndExt(4.0f, out);
        record->ResetExtentions(0.0f, 0.0f);
        record->SetAlongAxis(0.4f);
    }
    // Storing again keeps the stored list's capacity.
    record->SetPoints(std::move(copy));
    const std::size_t during = heapAllocations - before;

    EXPECT_EQ(out.data(), data);
    EXPECT_EQ(out.capacity(), capacity);
    EXPECT_EQ(Stored().data(), storedData);
    if (!librarySeen)
        GTEST_SKIP() << "the library's allocations do not reach this executable's operator new";
    EXPECT_EQ(during, 0u);
}

}  // namespace
}  // namespace centerlinetest
