#pragma once

// The viewer's side of the pointer: which handle node lies under it (window space), and what a
// pick at a window position finds (a ray cast against parts, labels and markups).

#include "ReplayScene.h"

#include <sxk/Pick.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace replay {

// Pixels within which a handle counts as under the pointer.
constexpr double kHandleHitRadius = 8.0;
// Pixels within which a drawn line counts as under the pointer.
constexpr double kLineHitRadius = 5.0;

struct NodeHit {
    // Better kinds win over nearer ones: spheres, then arrows, then notes, then lines.
    enum Kind { Sphere = 0, Arrow = 1, Note = 2, Line = 3 } kind = Line;
    CenterLineEntry* line = nullptr;  // the centre line whose node it is, or
    CalloutEntry* callout = nullptr;  // the callout whose dragger it is
    std::size_t view = 0;             // the view whose shadow the node belongs to
    sxmu::ModelBase* node = nullptr;
    std::optional<HandleName> handle;
    double distance = 0.0;  // pixels from the pointer

    sxmk::MarkupShadow* Shadow() const;
    const std::string& Id() const;  // of the centre line or callout
    std::string Describe() const;   // "cl1 end-point sphere"
};

// In one view, by its window position.
std::optional<NodeHit> HitTest(ReplayScene& scene, std::size_t view, int x, int y);

struct PickHit {
    sxk::PickResult result;
    double depth = 0.0;
    std::string description;  // "part-a at (1, 2, 3)"
};

// Everything the ray through the view's window position meets, nearest first; a centre line is
// met as its shadow in that view.
std::vector<PickHit> CastPick(ReplayScene& scene, std::size_t view, int x, int y);
// The results an explicit pick names, in the given order (a shadow as the one in that view).
std::vector<PickHit> ExplicitPick(ReplayScene& scene, std::size_t view,
                                  const std::vector<PickResultInput>& configs);

}  // namespace replay
