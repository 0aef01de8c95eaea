#pragma once

#include <gtest/gtest.h>

#include <du/RefCounted.h>
#include <sxk/Kernel.h>
#include <sxk/MemoryPoolAllocated.h>
#include <sxk/Operation.h>

#include <cstddef>

namespace testsupport {

// Gives every test a clean host (kernel installed, no armed pool failure, empty operation
// history) and checks at the end that the test released everything it made: pool blocks and
// live reference-counted objects are back to where they were.
class HostFixture : public ::testing::Test {
protected:
    void SetUp() override {
        sxk::MemoryPoolAllocated::FailAllocation(0);
        sxk::RecordedOperations().clear();
        sxk::Kernel::Install();
        poolBlocksAtStart = sxk::MemoryPoolAllocated::LiveBlocks();
        liveObjectsAtStart = du::RefCounted::LiveObjects();
    }
    void TearDown() override {
        ReleaseAll();
        sxk::MemoryPoolAllocated::FailAllocation(0);
        sxk::RecordedOperations().clear();
        sxk::Kernel::Remove();
        EXPECT_EQ(sxk::MemoryPoolAllocated::LiveBlocks(), poolBlocksAtStart) << "pool leak";
        EXPECT_EQ(du::RefCounted::LiveObjects(), liveObjectsAtStart) << "reference leak";
    }
    // Tests that keep objects in fixture members release them here.
    virtual void ReleaseAll() {}

    std::size_t poolBlocksAtStart = 0;
    long liveObjectsAtStart = 0;
};

}  // namespace testsupport
