#include <du/RefCounted.h>
#include <du/SmartPtr.h>

#include <HostFixture.h>

namespace {

// Records what the release protocol does to it.
class Probe : public du::RefCounted {
public:
    explicit Probe(bool& deletedFlag) : deleted(deletedFlag) {}
    ~Probe() override { deleted = true; }

    bool ZeroReferenceCountHook() override {
        ++hookCalls;
        countSeenByHook = GetReferenceCount();
        return allowDelete;
    }

    bool& deleted;
    bool allowDelete = true;
    int hookCalls = 0;
    int countSeenByHook = -1;
    du::SmartPtr<Probe> child;
};

using ReleaseProtocol = testsupport::HostFixture;

TEST_F(ReleaseProtocol, LastReleaseAsksHookWithReferenceRestoredThenDeletes) {
    bool deleted = false;
    auto* probe = new Probe(deleted);
    probe->AddReference();
    probe->AddReference();
    probe->RemoveReference();
    EXPECT_EQ(probe->hookCalls, 0);
    EXPECT_FALSE(deleted);
    probe->RemoveReference();
    EXPECT_TRUE(deleted);
}

TEST_F(ReleaseProtocol, RefusingHookKeepsObjectAliveWithOneReference) {
    bool deleted = false;
    auto* probe = new Probe(deleted);
    probe->allowDelete = false;
    probe->AddReference();
    probe->RemoveReference();
    ASSERT_FALSE(deleted);
    EXPECT_EQ(probe->hookCalls, 1);
    EXPECT_EQ(probe->countSeenByHook, 1);
    EXPECT_EQ(probe->GetReferenceCount(), 1);

    // The next release to zero asks again; this time the hook agrees.
    probe->allowDelete = true;
    probe->RemoveReference();
    EXPECT_TRUE(deleted);
}

TEST_F(ReleaseProtocol, ReleaseOfAnUnreferencedObjectIsCountedAndChangesNothing) {
    bool deleted = false;
    auto* probe = new Probe(deleted);
    const long before = du::RefCounted::UnreferencedReleases();
    probe->RemoveReference();
    EXPECT_EQ(du::RefCounted::UnreferencedReleases(), before + 1);
    EXPECT_FALSE(deleted);
    EXPECT_EQ(probe->GetReferenceCount(), 0);
    EXPECT_EQ(probe->hookCalls, 0);
    misuseAtStart.unreferencedReleases += 1;  // deliberate
    delete probe;
}

TEST_F(ReleaseProtocol, CopyIsAnUnreferencedNewObject) {
    struct Plain : du::RefCounted {};
    du::SmartPtr<Plain> original(new Plain);
    const long live = du::RefCounted::LiveObjects();
    {
        Plain copy(*original);
        EXPECT_EQ(copy.GetReferenceCount(), 0);
        EXPECT_EQ(original->GetReferenceCount(), 1);
        EXPECT_EQ(du::RefCounted::LiveObjects(), live + 1);
    }
    EXPECT_EQ(du::RefCounted::LiveObjects(), live);
}

TEST_F(ReleaseProtocol, SelfAssignmentOfOnlyHolderKeepsObject) {
    bool deleted = false;
    du::SmartPtr<Probe> p(new Probe(deleted));
    du::SmartPtr<Probe>& alias = p;
    p = alias;
    EXPECT_FALSE(deleted);
    EXPECT_EQ(p->GetReferenceCount(), 1);
    p = p.get();
    EXPECT_FALSE(deleted);
}

TEST_F(ReleaseProtocol, AssigningObjectOwnedByOldOneReferencesItFirst) {
    bool parentDeleted = false, childDeleted = false;
    du::SmartPtr<Probe> p(new Probe(parentDeleted));
    p->child = new Probe(childDeleted);
    // Releasing the parent drops the only other reference to the child.
    p = p->child;
    EXPECT_TRUE(parentDeleted);
    ASSERT_FALSE(childDeleted);
    EXPECT_EQ(p->GetReferenceCount(), 1);
    p.reset();
    EXPECT_TRUE(childDeleted);
}

}  // namespace
