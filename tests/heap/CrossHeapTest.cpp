// Memory that crosses between the library and the viewer, in the Windows build whose host DLL
// allocates from a heap of its own (ILLSXMK_HOST_PRIVATE_HEAP). This program plays the viewer
// and allocates from the host's heap too; the library allocates through its own copy of the C++
// runtime, unless the build puts it on the host's heap (ILLSXMK_LIBRARY_ON_HOST_HEAP, as one C
// runtime shared with the viewer would).
//
// Each test does with a piece of memory what the viewer does with it and expects it to go back
// to the heap it came from, as it does in production with one shared C runtime. Which of them
// fail in which build, and with what, is registered in CMakeLists.txt.

#include "../callout/CalloutTestSupport.h"
#include "CenterLineFixture.h"
#include "LineInput.h"

#include <dg/Color.h>
#include <dg/Vector.h>
#include <du/HostHeap.h>
#include <du/SmartPtr.h>
#include <sxk/Operation.h>
#include <sxmk/DragDriver.h>
#include <sxmk/TranslatorAxis.h>
#include <sxmu/Model.h>
#include <sxmu/RenderAttrsVector.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

// Blocks of another heap that the host was handed while f ran.
template <typename F>
long ForeignFreesDuring(F&& f) {
    const long before = du::HostHeap::ForeignFrees();
    f();
    return du::HostHeap::ForeignFrees() - before;
}

std::string LibraryBlocksFreedByTheViewer(long count) {
    return "the viewer freed " + std::to_string(count) +
           " block(s) that the library allocated from another heap";
}

// The instrument itself: the host's heap tells its own blocks from others.
TEST(HostHeap, FreesItsOwnBlocksAndCountsNone) {
    void* block = du::HostHeap::Allocate(24);
    ASSERT_NE(block, nullptr);
    const long live = du::HostHeap::LiveBlocks();
    EXPECT_EQ(ForeignFreesDuring([&] { du::HostHeap::Free(block); }), 0);
    EXPECT_EQ(du::HostHeap::LiveBlocks(), live - 1);
}

TEST(HostHeap, KeepsAndCountsABlockOfTheCRuntimesHeap) {
    void* block = std::malloc(24);
    ASSERT_NE(block, nullptr);
    const long live = du::HostHeap::LiveBlocks();
    EXPECT_EQ(ForeignFreesDuring([&] { du::HostHeap::Free(block); }), 1);
    EXPECT_EQ(du::HostHeap::LiveBlocks(), live);
    std::free(block);  // still the C runtime's: the host left it alone
}

// Without this the tests below would blame the library for what the test program frees.
TEST(HostHeap, TheTestProgramAllocatesFromIt) {
    auto* text = new std::string(64, 'x');
    EXPECT_EQ(ForeignFreesDuring([&] { delete text; }), 0);
    int* number = new int(7);
    EXPECT_EQ(ForeignFreesDuring([&] { du::HostHeap::Free(number); }), 0);
}

// What the library allocates and the viewer frees: a display node or appearance set when the
// viewer releases its last reference (the host's deleting destructor), a point list of a node or
// of the record when the host destroys its owner, a list that the library returns by value.
class LibraryMemory : public testsupport::CenterLineFixture {
protected:
    void Expect(long foreignFrees) {
        EXPECT_EQ(foreignFrees, 0) << LibraryBlocksFreedByTheViewer(foreignFrees);
    }
};

TEST_F(LibraryMemory, AppearanceSetReleasedByTheViewer) {
    du::SmartPtr<sxmu::RenderAttrsVector> attrs =
        sxmk::MakeRenderAttrs(dg::Color(0.5f, 0.5f, 0.5f, 1.0f), 2, 0);
    ASSERT_TRUE(attrs);
    Expect(ForeignFreesDuring([&] { attrs.reset(); }));
}

TEST_F(LibraryMemory, ArrowAndItsHeadReleasedByTheViewer) {
    du::SmartPtr<sxmu::ModelLeaderLine> arrow = sxmk::MakeArrow(dg::DVec3(1.0, 0.0, 0.0));
    ASSERT_TRUE(arrow);
    ASSERT_TRUE(arrow->GetArrowHead());
    ASSERT_EQ(arrow->points.size(), 2u);
    Expect(ForeignFreesDuring([&] { arrow.reset(); }));
}

TEST_F(LibraryMemory, RecordWithItsStoredPointsReleasedByTheViewer) {
    du::SmartPtr<sxmk::CenterLineXYZ> line =
        MakeRecord(testsupport::StraightLine({0, 0, 0}, {10, 0, 0}, 2.0f, 2.0f));
    ASSERT_EQ(line->GetPoints()->size(), 4u);
    Expect(ForeignFreesDuring([&] { line.reset(); }));
}

TEST_F(LibraryMemory, CentreLineShadowReleasedByTheViewer) {
    MakeShadow(testsupport::AlongAxisLine({0, 0, 0}, {10, 5, 0}, 2.0f, 2.0f));
    ASSERT_TRUE(shadow);
    ASSERT_NE(DrawnRoot(), nullptr);
    Expect(ForeignFreesDuring([&] {
        handleNodes = {};
        shadow = nullptr;
    }));
}

TEST_F(LibraryMemory, PointListReturnedToTheViewer) {
    MakeShadow(testsupport::StraightLine({0, 0, 0}, {10, 0, 0}, 2.0f, 2.0f));
    ASSERT_TRUE(shadow);
    // The controller reads the shadow's points by value and drops them.
    Expect(ForeignFreesDuring([&] { EXPECT_EQ(shadow->GetPoints().size(), 4u); }));
}

class CalloutMemory : public callouttest::CalloutFixture {};

TEST_F(CalloutMemory, ShadowReleasedByTheViewer) {
    MakeShadow();
    ASSERT_NE(callouttest::DraggerOf(*shadow), nullptr);
    const long foreignFrees = ForeignFreesDuring([&] { shadow.reset(); });
    EXPECT_EQ(foreignFrees, 0) << LibraryBlocksFreedByTheViewer(foreignFrees);
}

// The other way: what the viewer allocates and the library frees goes to the library's heap
// and stays allocated in the viewer's. A finished drag names its operation from the viewer's
// message catalog.
TEST_F(CalloutMemory, DragLeavesNothingOfTheViewersHeapBehind) {
    MakeShadow();
    const auto drag = [&] {
        sxmk::DragDriver driver(*shadow);
        ASSERT_TRUE(driver.Start(callouttest::DraggerOf(*shadow), 10, 10));
        driver.Move(14, 10);
        driver.Release();
        sxk::RecordedOperations().clear();
    };
    drag();  // the first drag makes what the host keeps (cursor symbols, the history's room)
    const long before = du::HostHeap::LiveBlocks();
    drag();
    const long left = du::HostHeap::LiveBlocks() - before;
    EXPECT_EQ(left, 0) << "the library freed " << left
                       << " block(s) of the viewer's heap into another heap";
}

}  // namespace
