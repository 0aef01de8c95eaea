// Memory behaviour of the shadow: every pool allocation of a drag flow failing in turn, drag steps
// that allocate nothing once the drag runs, and a construction interrupted by a failing heap
// allocation.
#include "Constants.h"
#include "DragTestSupport.h"

#include <gtest/gtest.h>

#include <sxk/Instance.h>
#include <sxk/MemoryPoolAllocated.h>
#include <sxk/illustration/SbomInstance.h>
#include <sxmk/DragDriver.h>

#include <CountingHeap.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace {

using testsupport::AlongAxisLine;
using testsupport::StraightLine;
using Pool = sxk::MemoryPoolAllocated;

class DragMemory : public dragtest::FlowFixture {
protected:
    // Whether the library's allocations reach this program's counting (and failing) allocation
    // functions: not for a DLL with its own static runtime, where a failure injected here could
    // only hit this program's code, and its exception could not unwind through the library.
    static bool LibraryAllocatesHere() {
        const du::SmartPtr<sxmk::CenterLineXYZ> line(new sxmk::CenterLineXYZ);
        const unsigned short order[3] = {0, 1, 2};
        std::vector<dg::DPoint3D> out;
        // The library grows the empty vector.
        return testsupport::AllocationsDuring([&] {
                   line->BuildPoints({0, 0, 0}, {1, 0, 0}, false, 0.0f, 0.0f, 0.5f, {}, order, out);
               }) > 0;
    }
    static constexpr const char* kOwnRuntime =
        "the library allocates through a runtime of its own, which this program cannot observe";
};

TEST_F(DragMemory, EveryPoolFailureOfADragFlowEndsCleanly) {
    for (const Flow& flow : Flows()) {
        SCOPED_TRACE(flow.name);
        bool nullOperationHandedOn = false;
        for (std::size_t failAt = 1;; ++failAt) {
            SCOPED_TRACE(failAt);
            const std::size_t blocks = Pool::LiveBlocks();
            const long objects = du::RefCounted::LiveObjects();
            flow.setUp();
            ASSERT_TRUE(shadow);
            Pool::FailAllocation(failAt);
            flow.run();
            const bool failed = !Pool::FailurePending();
            Pool::FailAllocation(0);

            // Whatever failed, each drag ends at the controller exactly once.
            ASSERT_EQ(controller.calls.size(), flow.calls);
            bool nullOperation = false;
            for (const auto& call : controller.calls)
                nullOperation = nullOperation || !call.operation;
            EXPECT_TRUE(failed || nullOperation != flow.hasOperation);
            nullOperationHandedOn = nullOperationHandedOn || (flow.hasOperation && nullOperation);

            ReleaseAll();
            MakeView();
            EXPECT_EQ(Pool::LiveBlocks(), blocks);
            EXPECT_EQ(du::RefCounted::LiveObjects(), objects);
            if (!failed)
                break;
        }
        EXPECT_EQ(nullOperationHandedOn, flow.hasOperation);
    }
}

// The two pool objects of a drop on a plain part, each refused on its own: without the selection
// item the end still lands (attached to nothing), without the operation the controller gets a null
// one. The library tests the pool's answer itself, whatever the viewer's operator new declares.
TEST_F(DragMemory, DropWithoutPoolMemoryForItsItemOrItsOperation) {
    struct Case {
        const char* name;
        std::size_t failAt;  // pool allocations of the drop: the item first, then the operation
        bool item;
        bool operation;
    };
    const Case cases[] = {{"no selection item", 1, false, true}, {"no operation", 2, true, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::size_t blocks = Pool::LiveBlocks();
        SetUpLine();
        Drag(EndSphereNode(), 20, -10);
        Pool::FailAllocation(c.failAt);
        view->CompletePick(endDrop, 0);
        EXPECT_FALSE(Pool::FailurePending());
        Pool::FailAllocation(0);

        ASSERT_EQ(controller.calls.size(), 1u);
        EXPECT_EQ(controller.calls[0].operation != nullptr, c.operation);
        EXPECT_EQ(shadow->GetEndPointItem() != nullptr, c.item);
        dragtest::ExpectNear(shadow->GetPoints().at(2), dg::DPoint3D(4, 5, 0));
        ReleaseAll();
        MakeView();
        EXPECT_EQ(Pool::LiveBlocks(), blocks);
    }
}

// Once a drag runs, a step only rewrites what it already holds: no heap allocation at all.
TEST_F(DragMemory, DragStepsAfterTheFirstAllocateNothing) {
    if (sxk::HostileViewer::IsOn(sxk::HostileViewer::NotifyCallsBack))
        GTEST_SKIP() << "the viewer's own call-back allocates during the steps";
    MakeDragShadow(StraightLine({0, 0, 0}, {10, 0, 0}, 1.0f, 2.0f), dragtest::kViewSetups[0]);
    if (!LibraryAllocatesHere())
        GTEST_SKIP() << kOwnRuntime;

    for (const bool alongAxis : {false, true}) {
        SCOPED_TRACE(alongAxis ? "along axis" : "straight");
        if (alongAxis)
            MakeDragShadow(AlongAxisLine({0, 0, 0}, {10, 4, 2}, 1.0f, 2.0f),
                           dragtest::kViewSetups[0]);
        std::vector<sxmu::ModelBase*> nodes = {StartSphereNode(), EndSphereNode(), StartArrowNode(),
                                               EndArrowNode()};
        if (alongAxis)
            nodes.push_back(JogArrowNode());
        const char* const names[] = {"start sphere", "end sphere", "start arrow", "end arrow",
                                     "jog arrow"};
        for (std::size_t h = 0; h < nodes.size(); ++h) {
            sxmu::ModelBase* node = nodes[h];
            const dg::DPoint3D at = WindowOf(node);
            sxmk::DragDriver driver(S());
            driver.Start(node, Round(at.x), Round(at.y));
            driver.Move(Round(at.x) + 3, Round(at.y) + 2);
            const long stepping = testsupport::AllocationsDuring([&] {
                for (int i = 1; i <= 5; ++i)
                    driver.Move(Round(at.x) + 3 + 4 * i, Round(at.y) + 2 - 3 * i);
            });
            EXPECT_EQ(stepping, 0) << names[h];
            driver.Release();
            view->pendingPicks.clear();
        }
    }
}

// The preselected sets are built once, in the view's preselection colour: a colour costs neither
// construction nor a rebuild a single allocation more than the default colour does.
TEST_F(DragMemory, PreselectionColourAddsNoAllocationToConstructionOrRebuild) {
    MakeDragShadow(AlongAxisLine({0, 0, 0}, {10, 4, 2}, 1.0f, 2.0f), dragtest::kViewSetups[1]);
    shadow = nullptr;
    if (!LibraryAllocatesHere())
        GTEST_SKIP() << kOwnRuntime;

    long construction[2];
    long rebuild[2];
    for (const bool coloured : {false, true}) {
        if (coloured)
            preferences->SetColor(sxmk::detail::kPreselectionColorKey,
                                  dg::Color(1.0f, 0.5f, 0.0f, 1.0f));
        du::SmartPtr<Shadow> built;
        construction[coloured] =
            testsupport::AllocationsDuring([&] { built = ConstructFor(record); });
        ASSERT_TRUE(built);
        EXPECT_EQ(built->GetPoints(), *record->GetPoints());
        // The jog arrow highlights in the view's colour.
        sxmu::ModelBase* jog = FindHandles(*built, *record).jogArrow;
        ASSERT_NE(jog, nullptr);
        built->PreselectHighlight(du::SmartPtr<sxmu::ModelBase>(jog));
        EXPECT_EQ(jog->GetRenderAttrsVector()->color,
                  coloured ? dg::Color(1.0f, 0.5f, 0.0f, 1.0f) : sxmk::defaultHandleColor);
        built->ClearPreselectHighlight();
        rebuild[coloured] = testsupport::AllocationsDuring([&] { built->MarkupChanged(); });
    }
    EXPECT_EQ(construction[true], construction[false]);
    EXPECT_EQ(rebuild[true], rebuild[false]);
}

// A heap allocation that fails inside the shadow's constructor surfaces as std::bad_alloc from
// ConstructShadow, and everything built so far is released: the shadow's pool memory, its nodes,
// its appearance sets and its reference to the record.
TEST_F(DragMemory, ConstructionInterruptedByTheHeapReleasesEverything) {
    MakeDragShadow(AlongAxisLine({0, 0, 0}, {10, 4, 2}, 1.0f, 2.0f), dragtest::kViewSetups[1]);
    shadow = nullptr;
    const std::size_t poolBlocks = Pool::LiveBlocks();
    const long liveObjects = du::RefCounted::LiveObjects();
    const int recordReferences = record->GetReferenceCount();
    if (!LibraryAllocatesHere())
        GTEST_SKIP() << kOwnRuntime;

    bool libraryCounted = false;
    bool completed = false;
    for (long n = 1; n < 1000 && !completed; ++n) {
        SCOPED_TRACE("heap allocation " + std::to_string(n) + " fails");
        testsupport::failHeapAllocationIn = n;
        try {
            du::SmartPtr<sxk::Markup> built(record->ConstructShadow(view));
            completed = testsupport::failHeapAllocationIn.load() > 0;
            ASSERT_TRUE(built);
        } catch (const std::bad_alloc&) {
            libraryCounted = true;
        }
        testsupport::failHeapAllocationIn = 0;
        EXPECT_EQ(Pool::LiveBlocks(), poolBlocks);
        EXPECT_EQ(du::RefCounted::LiveObjects(), liveObjects);
        EXPECT_EQ(record->GetReferenceCount(), recordReferences);
    }
    EXPECT_TRUE(completed);
    EXPECT_TRUE(libraryCounted);
}

// A heap allocation failing anywhere in a drag flow surfaces as std::bad_alloc, and nothing the
// flow built is left behind.
TEST_F(DragMemory, EveryHeapFailureOfADragFlowLeavesNothingBehind) {
    if (!LibraryAllocatesHere())
        GTEST_SKIP() << kOwnRuntime;
    bool libraryCounted = false;
    for (const Flow& flow : Flows()) {
        SCOPED_TRACE(flow.name);
        for (long failAt = 1; failAt < 2000; ++failAt) {
            SCOPED_TRACE(failAt);
            const std::size_t blocks = Pool::LiveBlocks();
            const long objects = du::RefCounted::LiveObjects();
            flow.setUp();
            ASSERT_TRUE(shadow);
            testsupport::failHeapAllocationIn = failAt;
            bool threw = false;
            try {
                flow.run();
            } catch (const std::bad_alloc&) {
                threw = libraryCounted = true;
            }
            const bool reached = testsupport::failHeapAllocationIn.load() == 0;
            testsupport::failHeapAllocationIn = 0;
            if (!reached) {
                EXPECT_EQ(controller.calls.size(), flow.calls);
            }

            ReleaseAll();
            MakeView();
            EXPECT_EQ(Pool::LiveBlocks(), blocks);
            EXPECT_EQ(du::RefCounted::LiveObjects(), objects);
            if (!reached && !threw)
                break;
        }
    }
    EXPECT_TRUE(libraryCounted);
}

}  // namespace
