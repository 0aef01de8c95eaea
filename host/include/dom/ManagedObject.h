#pragma once

#include <du/Export.h>
#include <du/RefCounted.h>
#include <du/StandIn.h>
#include <du/Symbol.h>

SXHOST_HEADER_BEGIN

namespace dom {

// An object that the kernel can manage (keep alive and deliver messages to).
class SXHOST_API ManagedObject : public virtual du::RefCounted {
public:
    ManagedObject();
    ~ManagedObject() override;

    virtual int BaseClassOffsetByName(const du::Symbol& name) const;
    virtual int GetBaseClassCount() const;
    virtual du::Symbol GetBaseClassParent(int index) const;
    virtual du::Symbol GetBaseClass(int index) const;
    virtual du::Symbol GetClassName() const;

private:
    virtual bool HandleMessage(int message);

public:
    virtual void HandleTimeoutEvent(int timerId);
};

// A managed object that observes messages.
class SXHOST_API Observer : public ManagedObject {
public:
    Observer();
    ~Observer() override;

private:
    bool HandleMessage(int message) override;
};

}  // namespace dom

SXHOST_HEADER_END
