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
    // Status 0 delivers the results to the shadow; any other status ends its point drag as a
    // spring-back.
    void OnPickComplete(int status) override;

    // Called when the shadow no longer wants the result (it is destroyed, or a newer drop
    // supersedes this one): the completion becomes a no-op, and the pick service is told the
    // event is cancelled.
    void Detach() {
        shadow = nullptr;
        Cancel();
    }

    // Ends the shadow's open point drag without moving the point: it returns to its stored
    // place with the extension it had before the drag, the drawn line and the handle show the
    // record again, and the controller is told with a null operation. Used by the drop rules
    // and by a pick that failed.
    static void SpringBack(CenterLineXYZShadow& shadow);

private:
    CenterLineXYZShadow* shadow;
};

}  // namespace sxmk
