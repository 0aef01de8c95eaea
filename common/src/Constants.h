#pragma once

// Numbers that several parts of the library share. Internal: not installed.

namespace sxmk {
namespace detail {

// Magnitudes below this count as zero: lengths, coordinate differences, angles and extensions
// (2 to the power -21).
constexpr double kNearZero = 4.76837158203125e-07;
constexpr float kNearZeroF = 4.76837158203125e-07f;

constexpr double kPi = 3.141592653589793;

// A handle's size on screen: spheres and arrows are scaled by this, and a constrained drag's axis
// spans this fraction of the view's width at its handle (taken there in single precision).
constexpr double kHandleScreenScale = 0.07;
constexpr double kAxisScreenFraction = static_cast<double>(static_cast<float>(kHandleScreenScale));

// The radius of an end point's sphere handle, before its screen scale.
constexpr double kSphereRadius = 0.16;

// The one preference the centre-line shadow reads: the colour of a preselected handle.
constexpr const char* kPreselectionColorKey = "General/Navigation/preselection_color";

// The drawn centre line: the viewer's line-strip kind and its render attribute set, and the
// markup type a centre-line shadow registers as.
constexpr int kLineStripKind = 8;
constexpr int kLineStripRenderAttrs = 11;
constexpr int kCenterLineShadowType = 4;

// Appearance sets (weight, mode) of the handles: spheres and arrowheads are solid; an arrow's
// line is thicker, and thicker still while preselected.
constexpr int kSolidWeight = 2;
constexpr int kSolidMode = 2;
constexpr int kArrowLineWeight = 3;
constexpr int kArrowLinePreselectWeight = 4;
constexpr int kArrowLineMode = 5;

}  // namespace detail
}  // namespace sxmk
