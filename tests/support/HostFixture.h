#pragma once

#include <gtest/gtest.h>

#include <du/RefCounted.h>
#include <sxk/HostileViewer.h>
#include <sxk/Kernel.h>
#include <sxk/MemoryPoolAllocated.h>
#include <sxk/Operation.h>
#include <sxmk/CalloutLabelShadow.h>
#include <sxmk/CenterLineXYZShadow.h>
#include <sxmu/Model.h>

#include <cstddef>

#if defined(ILLSXMK_HOST_PRIVATE_HEAP)
#include <du/HostHeap.h>
#endif

namespace testsupport {

// With the static MinGW runtime each Windows DLL unwinds on its own, so an exception cannot pass
// from one module through another (std::terminate). Tests that throw through the host or the
// library skip there.
#ifdef _WIN32
inline constexpr bool kExceptionsCrossModules = false;
#else
inline constexpr bool kExceptionsCrossModules = true;
#endif
inline constexpr const char* kNoExceptionsAcrossModules =
    "an exception cannot cross the DLLs' static runtimes";

// The host's misuse counters at one moment.
struct HostMisuse {
    long unreferencedReleases = 0;
    long absentRemovals = 0;
#if defined(ILLSXMK_HOST_PRIVATE_HEAP)
    // A block that the host freed and its heap did not allocate: a viewer with a C runtime of
    // its own would corrupt its heap there.
    long foreignFrees = 0;
#endif

    static HostMisuse Now() {
#if defined(ILLSXMK_HOST_PRIVATE_HEAP)
        return {du::RefCounted::UnreferencedReleases(), sxmu::ModelContainer::AbsentRemovals(),
                du::HostHeap::ForeignFrees()};
#else
        return {du::RefCounted::UnreferencedReleases(), sxmu::ModelContainer::AbsentRemovals()};
#endif
    }
    static void ExpectNoneSince(const HostMisuse& start) {
        const HostMisuse now = Now();
        EXPECT_EQ(now.unreferencedReleases, start.unreferencedReleases)
            << "release of an unreferenced object";
        EXPECT_EQ(now.absentRemovals, start.absentRemovals)
            << "removal of a node that is not in its container";
#if defined(ILLSXMK_HOST_PRIVATE_HEAP)
        EXPECT_EQ(now.foreignFrees, start.foreignFrees) << "the host freed memory of another heap";
#endif
    }
};

// Gives every test a clean host (kernel installed, no armed pool failure, empty operation
// history) and checks at the end that the test released everything it made (pool blocks and
// live reference-counted objects are back to where they were) and misused nothing that a real
// viewer would punish (no release of an unreferenced object, no removal of an absent node).
class HostFixture : public ::testing::Test {
protected:
    void SetUp() override {
        // A second pass of a suite plays a viewer's legal worst case, named in the environment
        // (ILLSXMK_HOSTILE_VIEWER); fixtures that need the viewer's help set its hooks.
        sxk::HostileViewer::Reset();
        sxk::HostileViewer::Set(sxk::HostileViewer::FromEnvironment());
        sxk::HostileViewer::CallBack() = ReadBack;
        sxk::MemoryPoolAllocated::FailAllocation(0);
        sxk::RecordedOperations().clear();
        sxk::Kernel::Install();
        poolBlocksAtStart = sxk::MemoryPoolAllocated::LiveBlocks();
        liveObjectsAtStart = du::RefCounted::LiveObjects();
        misuseAtStart = HostMisuse::Now();
    }
    void TearDown() override {
        ReleaseAll();
        sxk::HostileViewer::Reset();
        sxk::MemoryPoolAllocated::FailAllocation(0);
        sxk::RecordedOperations().clear();
        sxk::Kernel::Remove();
        EXPECT_EQ(sxk::MemoryPoolAllocated::LiveBlocks(), poolBlocksAtStart) << "pool leak";
        EXPECT_EQ(du::RefCounted::LiveObjects(), liveObjectsAtStart) << "reference leak";
        HostMisuse::ExpectNoneSince(misuseAtStart);
    }
    // A notification that calls back into the shadow it came from reads what a viewer reads
    // there; nothing it does changes what a test observes.
    static void ReadBack(sxk::Markup& notifying) {
        du::Symbol cursor;
        if (auto* line = dynamic_cast<sxmk::CenterLineXYZShadow*>(&notifying)) {
            static_cast<void>(line->GetPoints());
            static_cast<void>(line->GetPickedNode());
            static_cast<void>(line->GetStartPointItem());
            static_cast<void>(line->GetEndPointItem());
            static_cast<void>(line->GetConnectionTarget());
            static_cast<void>(line->GetDragCursor(du::SmartPtr<sxmu::ModelBase>(), cursor));
        } else if (auto* callout = dynamic_cast<sxmk::CalloutLabelShadow*>(&notifying)) {
            static_cast<void>(callout->GetPos());
            static_cast<void>(callout->GetMarkup());
        }
    }

    // Tests that keep objects in fixture members release them here.
    virtual void ReleaseAll() {}

    std::size_t poolBlocksAtStart = 0;
    long liveObjectsAtStart = 0;
    HostMisuse misuseAtStart;
};

}  // namespace testsupport
