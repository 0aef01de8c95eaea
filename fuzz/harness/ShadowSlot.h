#pragma once

// A view's shadow in a harness with the driver of its drag, and how the view lets go of it.

#include <du/SmartPtr.h>
#include <sxmk/DragDriver.h>

#include <cstddef>
#include <memory>

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

}  // namespace fuzzharness
