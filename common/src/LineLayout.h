#pragma once

// The layout of a centre line's point list, the one place that spells it:
//
//   index   straight (4 points)   along axis (7 points)
//   0       extended start        extended start
//   1       start slot            start slot
//   2       end slot              first jog point
//   3       extended end          mid jog point
//   4                             last jog point
//   5                             end slot
//   6                             extended end
//
// For n points the slots are 1 and n - 2 and the extension points 0 and n - 1, in either mode.
// In a stored list a negative extension puts a copy of its extension point into the slot of its
// end (the drawn line stops short); the record keeps the true ends apart.
#include <dg/Vector.h>

#include <cstddef>
#include <vector>

namespace sxmk {
namespace detail {

struct LineLayout {
    static constexpr std::size_t kStraightPoints = 4;
    static constexpr std::size_t kAlongAxisPoints = 7;
    // The mid jog point of an along-axis list; the jog's other two points are its neighbours and
    // the extension points lie three away from it.
    static constexpr int kMidJog = 3;

    // The points a list of that mode has; fewer leave an end without its slot or extension point.
    static constexpr std::size_t PointsOf(bool alongAxis) {
        return alongAxis ? kAlongAxisPoints : kStraightPoints;
    }
    // The fewest points of a list with both slots and both extension points.
    static constexpr std::size_t kFewestPoints = kStraightPoints;
    // The fewest points a record stores: a start slot and an end slot.
    static constexpr std::size_t kFewestStored = 2;

    // The indices in a list of n points, in the type of n (a signed n gives a negative index for
    // a list too short to have that point, where an unsigned one would wrap).
    template <typename Index>
    static constexpr Index ExtensionIndex(bool atStart, Index n) {
        return atStart ? Index{0} : n - 1;
    }
    template <typename Index>
    static constexpr Index SlotIndex(bool atStart, Index n) {
        return atStart ? Index{1} : n - 2;
    }
    static constexpr bool IsSlot(int index, std::size_t n) {
        return index >= 0 && (static_cast<std::size_t>(index) == SlotIndex(true, n) ||
                              static_cast<std::size_t>(index) == SlotIndex(false, n));
    }

    // What a stored list holds in an end's slot: the true end, or for a negative extension a copy
    // of the extension point.
    static const dg::DPoint3D& SlotPoint(float extension, const dg::DPoint3D& trueEnd,
                                         const dg::DPoint3D& extended) {
        return extension < 0.0f ? extended : trueEnd;
    }
};

// Whether index names a point of the list.
inline bool IsIndexOf(int index, const std::vector<dg::DPoint3D>& list) {
    return index >= 0 && static_cast<std::size_t>(index) < list.size();
}

}  // namespace detail
}  // namespace sxmk
