#include <sxk/Instance.h>
#include <sxk/MemoryPoolAllocated.h>
#include <sxk/illustration/SbomInstance.h>

#include <HostFixture.h>

namespace {

int constructed = 0;

struct PoolProbe : public sxk::Object {
    PoolProbe() { ++constructed; }
    double payload[5] = {};
};

using Pool = sxk::MemoryPoolAllocated;
using MemoryPool = testsupport::HostFixture;

TEST_F(MemoryPool, CountsLiveBlocksAndBytesOfSizedBlocks) {
    const std::size_t blocks = Pool::LiveBlocks();
    const std::size_t bytes = Pool::LiveBytes();
    const std::size_t made = Pool::AllocationCount();
    void* a = Pool::operator new(24);
    void* b = Pool::operator new(40);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(Pool::LiveBlocks(), blocks + 2);
    EXPECT_EQ(Pool::LiveBytes(), bytes + 64);
    EXPECT_EQ(Pool::AllocationCount(), made + 2);
    Pool::operator delete(a, 24);
    EXPECT_EQ(Pool::LiveBytes(), bytes + 40);
    Pool::operator delete(nullptr, 8);
    EXPECT_EQ(Pool::LiveBlocks(), blocks + 1);
    Pool::operator delete(b, 40);
    EXPECT_EQ(Pool::LiveBlocks(), blocks);
    EXPECT_EQ(Pool::LiveBytes(), bytes);
}

TEST_F(MemoryPool, OnlyTheNthAllocationFailsAndOnlyOnce) {
    Pool::FailAllocation(3);
    void* first = Pool::operator new(8);
    void* second = Pool::operator new(8);
    EXPECT_TRUE(Pool::FailurePending());
    void* third = Pool::operator new(8);
    EXPECT_FALSE(Pool::FailurePending());
    void* fourth = Pool::operator new(8);
    EXPECT_TRUE(first && second && fourth);
    EXPECT_EQ(third, nullptr);
    for (void* p : {first, second, fourth})
        Pool::operator delete(p, 8);
}

TEST_F(MemoryPool, DisarmedFailureNeverFires) {
    Pool::FailAllocation(1);
    Pool::FailAllocation(0);
    EXPECT_FALSE(Pool::FailurePending());
    void* p = Pool::operator new(8);
    EXPECT_NE(p, nullptr);
    Pool::operator delete(p, 8);
}

TEST_F(MemoryPool, FailedNewExpressionYieldsNullAndConstructsNothing) {
    constructed = 0;
    const long live = du::RefCounted::LiveObjects();
    Pool::FailAllocation(1);
    PoolProbe* probe = new PoolProbe;
    EXPECT_EQ(probe, nullptr);
    EXPECT_EQ(constructed, 0);
    EXPECT_EQ(du::RefCounted::LiveObjects(), live);

    // The released object gives its whole block back through the sized delete.
    const std::size_t bytes = Pool::LiveBytes();
    du::SmartPtr<PoolProbe> held(new PoolProbe);
    EXPECT_EQ(Pool::LiveBytes(), bytes + sizeof(PoolProbe));
    held.reset();
    EXPECT_EQ(Pool::LiveBytes(), bytes);
}

TEST_F(MemoryPool, SelectionItemCreateAnswersNullWhenPoolIsEmpty) {
    du::SmartPtr<sxk::illustration::SbomInstance> sbom(new sxk::illustration::SbomInstance("/1/2"));
    Pool::FailAllocation(1);
    EXPECT_EQ(sxk::illustration::SbomInstanceSelectionItem::Create(sbom), nullptr);
    const auto item = sxk::illustration::SbomInstanceSelectionItem::Create(sbom);
    ASSERT_NE(item, nullptr);
    auto* typed = dynamic_cast<sxk::illustration::SbomInstanceSelectionItem*>(item.get());
    ASSERT_NE(typed, nullptr);
    EXPECT_EQ(typed->GetSbomInstance(), sbom);
}

}  // namespace
