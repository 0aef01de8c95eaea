#include <dom/ManagedObject.h>
#include <sxk/Pick.h>

namespace dom {

ManagedObject::ManagedObject() = default;

ManagedObject::~ManagedObject() = default;

int ManagedObject::BaseClassOffsetByName(const du::Symbol&) const {
    return -1;
}

int ManagedObject::GetBaseClassCount() const {
    return 0;
}

du::Symbol ManagedObject::GetBaseClassParent(int) const {
    return du::Symbol::EMPTY;
}

du::Symbol ManagedObject::GetBaseClass(int) const {
    return du::Symbol::EMPTY;
}

// The host's own managed classes, most derived first. Classes of other libraries override this.
du::Symbol ManagedObject::GetClassName() const {
    if (dynamic_cast<const sxk::PickEvent*>(this))
        return du::Symbol("sxk::PickEvent");
    if (dynamic_cast<const sxk::AsyncEvent*>(this))
        return du::Symbol("sxk::AsyncEvent");
    if (dynamic_cast<const sxk::BaseAsyncEvent*>(this))
        return du::Symbol("sxk::BaseAsyncEvent");
    if (dynamic_cast<const Observer*>(this))
        return du::Symbol("dom::Observer");
    return du::Symbol("dom::ManagedObject");
}

bool ManagedObject::HandleMessage(int) {
    return false;
}

void ManagedObject::HandleTimeoutEvent(int) {}

Observer::Observer() = default;

Observer::~Observer() = default;

bool Observer::HandleMessage(int) {
    return false;
}

}  // namespace dom
