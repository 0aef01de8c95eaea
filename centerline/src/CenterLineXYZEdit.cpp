// Edits behind the shadow's drags: moving an end point, changing an extension, and collapsing an
// extension before its end point is dragged.
#include <sxmk/CenterLineXYZ.h>

#include "Constants.h"

#include <cmath>
#include <cstddef>

namespace sxmk {

namespace {

// The edits index the stored list by its layout; a list shorter than that (an empty record, or
// one stored in the other mode) is not edited at all.
bool HoldsLayout(const std::vector<dg::DPoint3D>& stored, bool alongAxis) {
    return stored.size() >= (alongAxis ? std::size_t{7} : std::size_t{4});
}

// Writes one end of the stored list: the extension point, and in the slot either the true end
// or, for a negative extension, a copy of the extension point.
void StoreEnd(std::vector<dg::DPoint3D>& stored, std::size_t extIndex, std::size_t slotIndex,
              const dg::DPoint3D& extended, const dg::DPoint3D& trueEnd, float ext) {
    stored[extIndex] = extended;
    stored[slotIndex] = ext < 0.0f ? extended : trueEnd;
}

}  // namespace

void CenterLineXYZ::MoveStartPoint(dg::DVec3 delta, std::vector<dg::DPoint3D>& out,
                                   dg::DPoint3D& newStart) {
    const std::vector<dg::DPoint3D>& stored = *GetPoints();
    if (!HoldsLayout(stored, alongAxis))
        return;
    newStart = stored[1] + delta;
    BuildPoints(newStart, endPoint, alongAxis, startExtention, endExtention, divRatio, axisFrame,
                axisOrder, out);
}

void CenterLineXYZ::MoveEndPoint(dg::DVec3 delta, std::vector<dg::DPoint3D>& out,
                                 dg::DPoint3D& newEnd) {
    const std::vector<dg::DPoint3D>& stored = *GetPoints();
    if (!HoldsLayout(stored, alongAxis))
        return;
    newEnd = stored[stored.size() - 2] + delta;
    BuildPoints(startPoint, newEnd, alongAxis, startExtention, endExtention, divRatio, axisFrame,
                axisOrder, out);
}

void CenterLineXYZ::MoveStartExt(float ext, std::vector<dg::DPoint3D>& out) {
    if (!HoldsLayout(*GetPoints(), alongAxis))
        return;
    BuildPoints(startPoint, endPoint, alongAxis, ext, endExtention, divRatio, axisFrame, axisOrder,
                out);
    std::vector<dg::DPoint3D>& stored = *GetPoints();
    StoreEnd(stored, 0, 1, out.front(), startPoint, ext);
}

void CenterLineXYZ::MoveEndExt(float ext, std::vector<dg::DPoint3D>& out) {
    if (!HoldsLayout(*GetPoints(), alongAxis))
        return;
    BuildPoints(startPoint, endPoint, alongAxis, startExtention, ext, divRatio, axisFrame,
                axisOrder, out);
    // The extended end is the last point of out even when the stored list has another length
    // (it was stored in the other mode).
    std::vector<dg::DPoint3D>& stored = *GetPoints();
    const std::size_t n = stored.size();
    StoreEnd(stored, n - 1, n - 2, out.back(), endPoint, ext);
}

void CenterLineXYZ::ResetExtentions(float startValue, float endValue) {
    std::vector<dg::DPoint3D>& stored = *GetPoints();
    if (!HoldsLayout(stored, alongAxis))
        return;
    const std::size_t n = stored.size();
    // NaN fails the comparison and leaves its side alone.
    if (std::fabs(startValue) < detail::kNearZeroF) {
        startExtention = 0.0f;
        stored[0] = startPoint;
        stored[1] = startPoint;
    }
    if (std::fabs(endValue) < detail::kNearZeroF) {
        endExtention = 0.0f;
        stored[n - 1] = endPoint;
        stored[n - 2] = endPoint;
    }
}

}  // namespace sxmk
