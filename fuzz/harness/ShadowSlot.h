#pragma once

// A view's shadow in a harness with the driver of its drag, and how the view lets go of it.

#include <du/SmartPtr.h>
#include <sxmk/DragDriver.h>

#include <cstddef>
#include <memory>
#include <vector>

namespace fuzzharness {

template <typename ShadowT>
struct ShadowSlot {
    du::SmartPtr<ShadowT> shadow;
    std::unique_ptr<sxmk::DragDriver> driver;
    int view = 0;
};

// The view lets go of the slot's shadow: nothing else holds it then, the other shadows' lists of
// markups that move with them included.
template <typename ShadowT, std::size_t N>
void ReleaseSlot(ShadowSlot<ShadowT> (&slots)[N], ShadowSlot<ShadowT>& slot) {
    slot.driver.reset();
    if (!slot.shadow)
        return;
    slot.shadow->broadcastTargets.clear();
    for (ShadowSlot<ShadowT>& other : slots) {
        if (!other.shadow)
            continue;
        auto& targets = other.shadow->broadcastTargets;
        for (auto it = targets.begin(); it != targets.end();)
            it = it->get() == slot.shadow.get() ? targets.erase(it) : it + 1;
    }
    slot.shadow = nullptr;
}

// The viewer lets go of the slot's shadow from inside a call of the library (a controller's
// HandleShadowStop): the slot's driver may be the caller, so it moves to retired, to be destroyed
// once the action is over; and a list of markups that move together may be iterated, so the
// entries naming the shadow, and the shadow's own, are nulled rather than erased.
template <typename ShadowT, std::size_t N>
void LetGoOfSlot(ShadowSlot<ShadowT> (&slots)[N], ShadowSlot<ShadowT>& slot,
                 std::vector<std::unique_ptr<sxmk::DragDriver>>& retired) {
    if (slot.driver)
        retired.push_back(std::move(slot.driver));
    if (!slot.shadow)
        return;
    for (auto& target : slot.shadow->broadcastTargets)
        target = nullptr;
    for (ShadowSlot<ShadowT>& other : slots) {
        if (!other.shadow)
            continue;
        for (auto& target : other.shadow->broadcastTargets)
            if (target.get() == slot.shadow.get())
                target = nullptr;
    }
    slot.shadow = nullptr;
}

}  // namespace fuzzharness
