#pragma once

#include <dg/Vector.h>
#include <dom/ManagedObject.h>
#include <du/Export.h>
#include <du/RefCounted.h>
#include <du/SmartPtr.h>
#include <du/StandIn.h>
#include <sxk/Object.h>

#include <vector>

SXHOST_HEADER_BEGIN

namespace sxk {

// Pick flags.
constexpr unsigned int PICK_ALL = 0x00FFu;
constexpr unsigned int PICK_EXCLUDE_PHANTOM = 0x0100u;

// One object under the pointer and the point picked on it.
struct PickResult {
    du::SmartPtr<Object> object;
    dg::DPoint3D point;
};

// An event that completes asynchronously on the user-interface thread.
class SXHOST_API BaseAsyncEvent : public dom::Observer, public du::UserData {
public:
    BaseAsyncEvent();
    ~BaseAsyncEvent() override;

protected:
    virtual void OnManage();

private:
    virtual void EventHandler();

public:
    virtual void CompleteWithError(int error);
    virtual void Complete();
    virtual int Progress() const;
    virtual int Status() const;
    virtual void Cancel();

protected:
    virtual void HandleEvent(int event);

public:
    virtual void OnPickUpdate(int progress);
    virtual void OnPickComplete(int status);

private:
    virtual void OnStatus(int status);

public:
    SXHOST_STANDIN_ONLY bool completed = false;
    SXHOST_STANDIN_ONLY bool cancelled = false;
    SXHOST_STANDIN_ONLY int status = 0;
};

class SXHOST_API AsyncEvent : public BaseAsyncEvent {
public:
    AsyncEvent();
    ~AsyncEvent() override;
};

// An asynchronous pick; the pick service fills results before completing it.
class SXHOST_API PickEvent : public AsyncEvent {
public:
    PickEvent();
    ~PickEvent() override;

    std::vector<PickResult> results;
};

}  // namespace sxk

SXHOST_HEADER_END
