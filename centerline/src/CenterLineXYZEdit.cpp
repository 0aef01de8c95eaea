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

// One edit of one end of the record: its point moved by delta from its stored slot, or its
// extension set to ext.
struct EndEdit {
    bool atStart;
    bool movesPoint;
    dg::DVec3 delta;
    float ext;
};

// Rebuilds the record's path into out from its stored values with the edit applied (the record's
// frame and axis order are passed in: the record keeps them to itself). Returns the edited end's
// point. The stored list must hold its layout.
dg::DPoint3D Rebuild(CenterLineXYZ& record, const EndEdit& edit, const dg::Location& frame,
                     const unsigned short* axisOrder, std::vector<dg::DPoint3D>& out) {
    const std::vector<dg::DPoint3D>& stored = *record.GetPoints();
    dg::DPoint3D ends[2] = {record.GetStartPoint(), record.GetEndPoint()};
    float exts[2] = {record.GetStartExtention(), record.GetEndExtention()};
    const std::size_t i = edit.atStart ? 0 : 1;
    if (edit.movesPoint)
        ends[i] = stored[edit.atStart ? 1 : stored.size() - 2] + edit.delta;
    else
        exts[i] = edit.ext;
    record.BuildPoints(ends[0], ends[1], record.IsAlongAxis(), exts[0], exts[1],
                       record.GetDivRation(), frame, axisOrder, out);
    return ends[i];
}

}  // namespace

void CenterLineXYZ::MoveStartPoint(dg::DVec3 delta, std::vector<dg::DPoint3D>& out,
                                   dg::DPoint3D& newStart) {
    if (HoldsLayout(*GetPoints(), alongAxis))
        newStart = Rebuild(*this, {true, true, delta, 0.0f}, axisFrame, axisOrder, out);
}

void CenterLineXYZ::MoveEndPoint(dg::DVec3 delta, std::vector<dg::DPoint3D>& out,
                                 dg::DPoint3D& newEnd) {
    if (HoldsLayout(*GetPoints(), alongAxis))
        newEnd = Rebuild(*this, {false, true, delta, 0.0f}, axisFrame, axisOrder, out);
}

void CenterLineXYZ::MoveStartExt(float ext, std::vector<dg::DPoint3D>& out) {
    if (!HoldsLayout(*GetPoints(), alongAxis))
        return;
    Rebuild(*this, {true, false, dg::DVec3::ZERO, ext}, axisFrame, axisOrder, out);
    StoreEnd(*GetPoints(), 0, 1, out.front(), startPoint, ext);
}

void CenterLineXYZ::MoveEndExt(float ext, std::vector<dg::DPoint3D>& out) {
    if (!HoldsLayout(*GetPoints(), alongAxis))
        return;
    Rebuild(*this, {false, false, dg::DVec3::ZERO, ext}, axisFrame, axisOrder, out);
    // The extended end is the last point of out even when the stored list has another length
    // (it was stored in the other mode).
    std::vector<dg::DPoint3D>& stored = *GetPoints();
    StoreEnd(stored, stored.size() - 1, stored.size() - 2, out.back(), endPoint, ext);
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
