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

// The drop of a record that waits for its pick, in whichever view: the shadow holds the pick, the
// record names the shadow, so that a drag start in any view of the record finishes that drop first
// and no two drags of one record collapse and restore the same extension over each other.
struct CenterLineXYZShadowPendingDrop {
    // The pick that the shadow's drop now waits for (null: none).
    static void Hold(CenterLineXYZShadow& shadow, CenterLineXYZShadowPickEvent* event);
    // The shadow no longer wants its pick's result: the pick is detached and nothing waits.
    static void LetGo(CenterLineXYZShadow& shadow);
    // Before a drag of starting begins: finishes the record's waiting drop in any view, and
    // starting's own, each as a pick that found nothing.
    static void FinishBefore(CenterLineXYZShadow& starting);

private:
    static void Finish(CenterLineXYZShadow& shadow);
};

}  // namespace sxmk
