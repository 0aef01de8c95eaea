// A heap allocation that fails anywhere in building a callout's shadow or in dragging it surfaces
// as std::bad_alloc, and whatever was built is released.
#include "CalloutTestSupport.h"

#include <sxk/MemoryPoolAllocated.h>
#include <sxmk/DragDriver.h>

#include <CountingHeap.h>

#include <new>
#include <string>

namespace {

using CalloutHeapFailure = testsupport::HostFixture;

// Whether the library's allocations reach this program's counting (and failing) allocation
// functions: not for a DLL with its own static runtime, where a failure injected here could only
// hit this program's code, and its exception could not unwind through the library.
bool LibraryAllocatesHere() {
    const du::SmartPtr<sxk::View> view(new sxk::View);
    const du::SmartPtr<sxmk::CalloutLabel> label(new sxmk::CalloutLabel);
    label->note = new sxmu::ModelNote("note");
    // The shadow's note dragger is made by the library.
    return testsupport::AllocationsDuring(
               [&] { const du::SmartPtr<sxk::Markup> shadow(label->ConstructShadow(view)); }) > 0;
}

TEST_F(CalloutHeapFailure, AnyFailingAllocationLeavesNothingBehind) {
    if (!LibraryAllocatesHere())
        GTEST_SKIP() << "the library allocates through a runtime of its own";
    const std::size_t blocks = sxk::MemoryPoolAllocated::LiveBlocks();
    const long objects = du::RefCounted::LiveObjects();

    bool libraryCounted = false;
    bool completed = false;
    for (long nth = 1; nth < 1000 && !completed; ++nth) {
        SCOPED_TRACE("heap allocation " + std::to_string(nth) + " fails");
        callouttest::RecordingController controller;
        {
            du::SmartPtr<sxk::View> view(new sxk::View);
            du::SmartPtr<sxmk::CalloutLabel> label(new sxmk::CalloutLabel);
            label->note = new sxmu::ModelNote("note");
            label->description = new sxmk::Description(new sxmu::ModelNote("description"));
            label->title = new sxmk::Title(new sxmu::ModelNote("title"));
            label->SetController(&controller);

            testsupport::failHeapAllocationIn = nth;
            try {
                du::SmartPtr<sxk::Markup> built(label->ConstructShadow(view));
                auto* shadow = dynamic_cast<sxmk::CalloutLabelShadow*>(built.get());
                ASSERT_TRUE(shadow);
                sxmk::DragDriver driver(*shadow);
                driver.Start(callouttest::DraggerOf(*shadow), 0, 0);
                driver.Move(2, 1);
                driver.Release();
                completed = testsupport::failHeapAllocationIn.load() > 0;
            } catch (const std::bad_alloc&) {
                libraryCounted = true;
            }
            testsupport::failHeapAllocationIn = 0;
            if (completed) {
                EXPECT_EQ(controller.calls.size(), 1u);
                EXPECT_EQ(sxk::RecordedOperations().size(), 1u);
            }
            sxk::RecordedOperations().clear();
        }
        EXPECT_EQ(sxk::MemoryPoolAllocated::LiveBlocks(), blocks);
        EXPECT_EQ(du::RefCounted::LiveObjects(), objects);
    }
    EXPECT_TRUE(completed);
    EXPECT_TRUE(libraryCounted);
}

}  // namespace
