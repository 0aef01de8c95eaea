#include <du/RefCounted.h>

#include <atomic>

namespace du {

namespace {
std::atomic<long> liveObjects{0};
std::atomic<long> unreferencedReleases{0};
}  // namespace

RefCounted::RefCounted() : refCount(0) {
    ++liveObjects;
}

RefCounted::RefCounted(const RefCounted&) : refCount(0) {
    ++liveObjects;
}

RefCounted::~RefCounted() {
    --liveObjects;
}

bool RefCounted::ZeroReferenceCountHook() {
    return true;
}

void RefCounted::AddReference() const {
    ++refCount;
}

void RefCounted::RemoveReference() const {
    // Releasing an unreferenced object is a caller's fault; it is counted, and ignoring it keeps
    // the count from going negative and the object from being deleted twice.
    if (refCount <= 0) {
        ++unreferencedReleases;
        return;
    }
    if (--refCount != 0)
        return;
#if defined(ILLSXMK_DEVIANT_RELEASE_DELETES_AT_ONCE)
    // Test-only deviation from the contract: deletes without asking the hook.
    delete this;
    return;
#endif
    // The hook runs with the reference restored, so anything it does with the object (taking
    // and dropping references included) cannot delete it underneath us.
    ++refCount;
    if (!const_cast<RefCounted*>(this)->ZeroReferenceCountHook())
        return;
    if (--refCount == 0)
        delete this;
}

long RefCounted::LiveObjects() {
    return liveObjects.load();
}

long RefCounted::UnreferencedReleases() {
    return unreferencedReleases.load();
}

}  // namespace du
