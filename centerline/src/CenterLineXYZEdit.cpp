// Edits behind the shadow's drags: moving an end point, changing an extension, and collapsing an
// extension before its end point is dragged. Each edit is written once for either end.
#include <sxmk/CenterLineXYZ.h>

#include "Constants.h"
#include "Geometry.h"
#include "LineLayout.h"

#include <cmath>
#include <cstddef>

namespace sxmk {

// Reaches the record's fields for the edits (a friend of the record, defined only here, so it
// adds nothing to the library's exported names).
struct CenterLineXYZEndEdit {
    enum Side { Start, End };

    // The edits index the stored list by its layout; a list shorter than that (an empty record,
    // or one stored in the other mode) is not edited at all.
    static bool HoldsLayout(CenterLineXYZ& line) {
        return line.GetPoints()->size() >= detail::LineLayout::PointsOf(line.alongAxis);
    }

    // Where an end's extension point and its slot stand in a stored list of n points.
    static std::size_t ExtensionIndex(Side side, std::size_t n) {
        return detail::LineLayout::ExtensionIndex(side == Start, n);
    }
    static std::size_t SlotIndex(Side side, std::size_t n) {
        return detail::LineLayout::SlotIndex(side == Start, n);
    }

    static dg::DPoint3D& TrueEnd(CenterLineXYZ& line, Side side) {
        return side == Start ? line.startPoint : line.endPoint;
    }
    static float& Extension(CenterLineXYZ& line, Side side) {
        return side == Start ? line.startExtention : line.endExtention;
    }

    // Builds the path into out from the stored values with one end's point and extension
    // replaced.
    static void Rebuild(CenterLineXYZ& line, Side side, const dg::DPoint3D& point, float ext,
                        std::vector<dg::DPoint3D>& out) {
        dg::DPoint3D ends[2] = {line.startPoint, line.endPoint};
        float extensions[2] = {line.startExtention, line.endExtention};
        ends[side] = point;
        extensions[side] = ext;
        line.BuildPoints(ends[0], ends[1], line.alongAxis, extensions[0], extensions[1],
                         line.divRatio, line.axisFrame, line.axisOrder, out);
    }

    static void MovePoint(CenterLineXYZ& line, Side side, const dg::DVec3& delta,
                          std::vector<dg::DPoint3D>& out, dg::DPoint3D& newPoint) {
        if (!HoldsLayout(line))
            return;
        const std::vector<dg::DPoint3D>& stored = *line.GetPoints();
        newPoint = detail::Add(stored[SlotIndex(side, stored.size())], delta);
        Rebuild(line, side, newPoint, Extension(line, side), out);
    }

    // Rebuilds with the new extension, then writes that end of the stored list: the extension
    // point, and in the slot either the true end or, for a negative extension, a copy of the
    // extension point.
    static void MoveExtension(CenterLineXYZ& line, Side side, float ext,
                              std::vector<dg::DPoint3D>& out) {
        if (!HoldsLayout(line))
            return;
        Rebuild(line, side, TrueEnd(line, side), ext, out);
        // The extended end is the first or last point of out even when the stored list has
        // another length (it was stored in the other mode).
        const dg::DPoint3D& extended = side == Start ? out.front() : out.back();
        std::vector<dg::DPoint3D>& stored = *line.GetPoints();
        const std::size_t n = stored.size();
        stored[ExtensionIndex(side, n)] = extended;
        stored[SlotIndex(side, n)] =
            detail::LineLayout::SlotPoint(ext, TrueEnd(line, side), extended);
    }

    // NaN fails the comparison and leaves its end alone.
    static void Collapse(CenterLineXYZ& line, Side side, float value) {
        if (!(std::fabs(value) < detail::kNearZeroF))
            return;
        Extension(line, side) = 0.0f;
        std::vector<dg::DPoint3D>& stored = *line.GetPoints();
        const std::size_t n = stored.size();
        stored[ExtensionIndex(side, n)] = TrueEnd(line, side);
        stored[SlotIndex(side, n)] = TrueEnd(line, side);
    }
};

using Edit = CenterLineXYZEndEdit;

void CenterLineXYZ::MoveStartPoint(dg::DVec3 delta, std::vector<dg::DPoint3D>& out,
                                   dg::DPoint3D& newStart) {
    Edit::MovePoint(*this, Edit::Start, delta, out, newStart);
}

void CenterLineXYZ::MoveEndPoint(dg::DVec3 delta, std::vector<dg::DPoint3D>& out,
                                 dg::DPoint3D& newEnd) {
    Edit::MovePoint(*this, Edit::End, delta, out, newEnd);
}

void CenterLineXYZ::MoveStartExt(float ext, std::vector<dg::DPoint3D>& out) {
    Edit::MoveExtension(*this, Edit::Start, ext, out);
}

void CenterLineXYZ::MoveEndExt(float ext, std::vector<dg::DPoint3D>& out) {
    Edit::MoveExtension(*this, Edit::End, ext, out);
}

void CenterLineXYZ::ResetExtentions(float startValue, float endValue) {
    if (!Edit::HoldsLayout(*this))
        return;
    Edit::Collapse(*this, Edit::Start, startValue);
    Edit::Collapse(*this, Edit::End, endValue);
}

}  // namespace sxmk
