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
    void OnPickComplete(int status) override;

    // Called by the shadow's destructor.
    void Detach() { shadow = nullptr; }

private:
    CenterLineXYZShadow* shadow;
};

}  // namespace sxmk
