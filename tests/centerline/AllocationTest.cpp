// Rebuilds run at pointer rate during drags, so into a vector that already has the capacity they
// must not touch the heap.
#include "CenterLineTestSupport.h"

#include <CountingHeap.h>

namespace centerlinetest {
namespace {

using RebuildAllocation = RecordTest;

TEST_F(RebuildAllocation, RebuildsIntoReservedVectorsDoNotAllocate) {
    // Storing into an empty record grows the record's list inside the library.
    Points list = Build({{0, 0, 0}, {10, 4, 2}, true, 1.0f, 2.0f, 0.5f});
    Points copy = list;
    const long beforeStore = testsupport::heapAllocations;
    record->SetPoints(std::move(list));
    const bool librarySeen = testsupport::heapAllocations > beforeStore;

    Points out;
    out.reserve(16);
    const dg::DPoint3D* const data = out.data();
    const std::size_t capacity = out.capacity();
    const dg::DPoint3D* const storedData = Stored().data();
    dg::DPoint3D moved;

    const long before = testsupport::heapAllocations;
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
    const long during = testsupport::heapAllocations - before;

    EXPECT_EQ(out.data(), data);
    EXPECT_EQ(out.capacity(), capacity);
    EXPECT_EQ(Stored().data(), storedData);
    if (!librarySeen)
        GTEST_SKIP() << "the library's allocations do not reach this executable's operator new";
    EXPECT_EQ(during, 0);
}

}  // namespace
}  // namespace centerlinetest
