#pragma once

#include <du/Export.h>
#include <du/StandIn.h>

SXHOST_HEADER_BEGIN

namespace du {

// Intrusive reference count. A release that reaches zero first re-adds the reference and asks
// ZeroReferenceCountHook; only when the hook agrees and a second release reaches zero is the
// object deleted. A hook that answers false keeps the object alive with one reference.
class SXHOST_API RefCounted {
public:
    RefCounted();
    // A copy is a new object: it starts unreferenced.
    SXHOST_STANDIN_ONLY RefCounted(const RefCounted&);
    SXHOST_STANDIN_ONLY RefCounted& operator=(const RefCounted&) { return *this; }
    virtual ~RefCounted();

    virtual bool ZeroReferenceCountHook();

    void AddReference() const;
    void RemoveReference() const;
    SXHOST_STANDIN_ONLY int GetReferenceCount() const { return refCount; }

    // Number of reference-counted objects alive in the process (for leak checks).
    SXHOST_STANDIN_ONLY static long LiveObjects();
    // Releases of an object that held no reference, since the process started. Such a release
    // changes nothing, but a real viewer would free the object early or twice: tests expect none.
    SXHOST_STANDIN_ONLY static long UnreferencedReleases();

private:
    mutable int refCount;
};

// Empty tag base of objects that can be attached to others as user data.
class UserData {};

}  // namespace du

SXHOST_HEADER_END
