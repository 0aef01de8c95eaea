#pragma once

// A counted reference held for the length of one call from the viewer. Whatever the library
// calls back into the viewer (the controller's HandleShadowStop, a notification, a pick request,
// the broadcast to other markups) may let go of the viewer's own references to the object: a
// controller that rebuilds or removes the shadow, a notification that takes and drops a
// temporary reference. Each entry point that calls into the viewer holds one first, so the object
// outlives the call and goes, if it must, when the entry point returns.
#include <du/SmartPtr.h>

namespace sxmk {
namespace detail {

template <typename T>
class KeepAlive {
public:
    explicit KeepAlive(T* object) : held(object) {}

private:
    const du::SmartPtr<T> held;
};

}  // namespace detail
}  // namespace sxmk
