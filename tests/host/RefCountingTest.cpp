#include <du/RefCounted.h>
#include <du/SmartPtr.h>

#include <HostFixture.h>

namespace {

// The release protocol and the counted pointer's assignment order are what the viewer promises:
// the conformance suite (tests/conformance) checks them, against the stand-in and against an SDK.
// What is left here is the stand-in's own: how it takes a caller's misuse, and its copies.

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
};

using ReleaseProtocol = testsupport::HostFixture;

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

}  // namespace
