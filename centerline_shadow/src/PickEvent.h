#pragma once

#include <du/Symbol.h>
#include <sxk/Pick.h>

namespace sxmk {

class CenterLineXYZShadow;

// The asynchronous pick of a dropped end point. Not exported: only this library creates it.
// It holds its shadow by a plain pointer; the shadow detaches it when destroyed first, and a
// detached event completes as a no-op.
class CenterLineXYZShadowPickEvent : public sxk::PickEvent {
public:
    explicit CenterLineXYZShadowPickEvent(CenterLineXYZShadow* shadow);
    ~CenterLineXYZShadowPickEvent() override;

    du::Symbol GetClassName() const override;
    void OnPickUpdate(int progress) override;
    // Hands the completion to the shadow's drop (status 0 delivers the results; any other status
    // ends the point drag as a spring-back).
    void OnPickComplete(int status) override;

    // Called when the shadow no longer wants the result (it is destroyed, or a newer drop
    // supersedes this one): the completion becomes a no-op, and the pick service is told the
    // event is cancelled.
    void Detach() {
        shadow = nullptr;
        Cancel();
    }

private:
    CenterLineXYZShadow* shadow;
};

}  // namespace sxmk
