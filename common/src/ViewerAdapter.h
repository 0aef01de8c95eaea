#pragma once

// The spellings that the library needs from the viewer's SDK but that the viewer's contract does
// not fix: how a counted pointer gives its object, resets, tests and converts to a base; how a ray
// is made and a segment read; how a camera is made; where a markup's object space lies in the
// world. Everything else the library uses is named by the contract. A build against the real SDK
// changes this file at most.
//
// The stand-in marks these spellings as its own (they are refused everywhere else in the
// library); this file alone is let through.
#include <dg/Camera3D.h>
#include <dg/Location.h>
#include <dg/Ray.h>
#include <du/SmartPtr.h>
#include <du/StandIn.h>
#include <sxk/Markup.h>
#include <sxk/View.h>

SXHOST_HEADER_BEGIN

namespace sxmk {
namespace detail {

template <typename T>
T* Raw(const du::SmartPtr<T>& p) {
    return p.get();
}
template <typename T>
const T* Raw(const du::ConstSmartPtr<T>& p) {
    return p.get();
}

template <typename T>
bool IsSet(const du::SmartPtr<T>& p) {
    return static_cast<bool>(p);
}

template <typename T>
void Reset(du::SmartPtr<T>& p) {
    p.reset();
}
template <typename T>
void Reset(du::ConstSmartPtr<T>& p) {
    p.reset();
}

// A counted pointer to the same object as one of its bases.
template <typename Base, typename T>
du::SmartPtr<Base> Upcast(const du::SmartPtr<T>& p) {
    return du::SmartPtr<Base>(p);
}

inline dg::DRay MakeRay(const dg::DPoint3D& origin, const dg::DVec3& direction) {
    return dg::DRay(origin, direction);
}

inline const dg::DPoint3D& SegmentStart(const dg::Segment<double, 3>& segment) {
    return segment.start;
}
inline const dg::DPoint3D& SegmentEnd(const dg::Segment<double, 3>& segment) {
    return segment.end;
}

// The camera of a shape view.
inline dg::Camera3D CameraOf(const sxk::ShapeView& view) {
    dg::Camera3D camera;
    view.GetCamera(camera);
    return camera;
}

// Where the markup's object space lies in the world. A constrained drag projects its handle to the
// window through it: the framework's GetDeltaInObjectSpace gives only the rotation, and a
// perspective projection depends on the position too.
inline const dg::Location& ObjectSpaceOf(const sxk::Markup& markup) {
    return markup.placement;
}

}  // namespace detail
}  // namespace sxmk

SXHOST_HEADER_END
