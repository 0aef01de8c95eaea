// Path building: the straight path and the along-axis path with their extension points.
#include <sxmk/CenterLineXYZ.h>

#include <dg/Matrix.h>
#include <dg/Ray.h>

#include "Geometry.h"
#include "ViewerAdapter.h"

#include <array>
#include <cmath>
#include <cstddef>

namespace sxmk {

namespace {

// The axis order to build with: the one given when it names three distinct axes, otherwise
// X, Y, Z, since any other entry would index outside a point.
void ValidAxisOrder(const unsigned short* given, unsigned short (&order)[3]) {
    order[0] = 0;
    order[1] = 1;
    order[2] = 2;
    if (given == nullptr || given[0] > 2 || given[1] > 2 || given[2] > 2)
        return;
    // Three entries of 0..2 name three distinct axes exactly when their bits cover 0..2.
    if (((1u << given[0]) | (1u << given[1]) | (1u << given[2])) != 7u)
        return;
    order[0] = given[0];
    order[1] = given[1];
    order[2] = given[2];
}

// The frame's rotation (row i: the frame's axis i in object coordinates) and its inverse in
// double, which takes points to the frame's local coordinates. Points are row vectors multiplied
// from the left, as with the host's transforms.
class FrameRotation {
public:
    // The rotation is read through the frame's transform with the position at the origin: row i
    // is where the transform takes the unit point along axis i.
    explicit FrameRotation(dg::Location frame) {
        frame.SetPos(dg::DPoint3D::ORIGIN);
        const dg::DMat44 rotation = detail::XformOf(frame);
        for (int i = 0; i < 3; ++i) {
            dg::DPoint3D unit = dg::DPoint3D::ORIGIN;
            detail::Coordinate(unit, i) = 1.0;
            const dg::DPoint3D row = unit * rotation;
            toObject[static_cast<std::size_t>(i)] = {row.x, row.y, row.z};
        }
        // A rotation that cannot be inverted would scatter the path to non-finite points, so the
        // identity stands in for it.
        if (!Invert())
            toObject = kIdentity;
    }

    // The point in the frame's local coordinates, component i in local[i].
    void ToLocal(const dg::DPoint3D& p, double (&local)[3]) const {
        for (std::size_t c = 0; c < 3; ++c)
            local[c] = p.x * toLocal[0][c] + p.y * toLocal[1][c] + p.z * toLocal[2][c];
    }
    // The frame's axis i scaled by length: the local vector with only component i set, taken to
    // object coordinates.
    dg::DVec3 Axis(int i, double length) const {
        const std::array<double, 3>& row = toObject[static_cast<std::size_t>(i)];
        return detail::Vec(row[0] * length, row[1] * length, row[2] * length);
    }

private:
    // Closed-form inverse by cofactors. Refused as the host refuses to invert the 4x4 transform
    // of the same rotation: for a non-finite entry, or a determinant that vanishes against the
    // entries' scale (dependent rows up to rounding). A NaN entry makes the determinant NaN and
    // an infinite one makes the scale infinite, so the determinant test refuses both. Once it
    // passes, the inverse is finite: the entries are the frame's floats (the transform holds them
    // exactly), so no product overflows in double, and each inverse entry is at most
    // 2e14 / largest.
    bool Invert() {
        const Matrix& f = toObject;
        const double m00 = f[0][0], m01 = f[0][1], m02 = f[0][2];
        const double m10 = f[1][0], m11 = f[1][1], m12 = f[1][2];
        const double m20 = f[2][0], m21 = f[2][1], m22 = f[2][2];
        double largest = 0.0;
        for (double v : {m00, m01, m02, m10, m11, m12, m20, m21, m22}) {
            const double magnitude = std::fabs(v);
            largest = magnitude > largest ? magnitude : largest;
        }
        const double c00 = m11 * m22 - m12 * m21;
        const double c01 = m12 * m20 - m10 * m22;
        const double c02 = m10 * m21 - m11 * m20;
        const double det = m00 * c00 + m01 * c01 + m02 * c02;
        const double scale = largest * largest * largest;
        if (!(scale > 0.0) || !(std::fabs(det) > scale * 1e-14)) {
            toLocal = kIdentity;
            return false;
        }
        const double k = 1.0 / det;
        toLocal = {{{c00 * k, (m02 * m21 - m01 * m22) * k, (m01 * m12 - m02 * m11) * k},
                    {c01 * k, (m00 * m22 - m02 * m20) * k, (m02 * m10 - m00 * m12) * k},
                    {c02 * k, (m01 * m20 - m00 * m21) * k, (m00 * m11 - m01 * m10) * k}}};
        return true;
    }

    using Matrix = std::array<std::array<double, 3>, 3>;
    static constexpr Matrix kIdentity{{{1.0, 0.0, 0.0}, {0.0, 1.0, 0.0}, {0.0, 0.0, 1.0}}};

    Matrix toObject;  // rows of the rotation
    Matrix toLocal;
};

// The signed offsets of the extended start and end from the start and end along the main axis,
// from the main-axis coordinates of the ends. A jog before the start turns the first main-axis
// leg away from the end, and one beyond the end turns the last leg back: the extension on that
// side flips with it. NaN flips neither. Equal coordinates extend the start towards -axis and
// the end towards +axis.
void MainAxisExtensions(double startCoordinate, double endCoordinate, float ratio, float startExt,
                        float endExt, double& startOffset, double& endOffset) {
    const double startSign = ratio < 0.0f ? -1.0 : 1.0;
    const double endSign = ratio > 1.0f ? -1.0 : 1.0;
    const double startLength = startSign * static_cast<double>(startExt);
    const double endLength = endSign * static_cast<double>(endExt);
    if (startCoordinate - endCoordinate > 0.0) {
        startOffset = startLength;
        endOffset = -endLength;
    } else {
        startOffset = -startLength;
        endOffset = endLength;
    }
}

// The extension points of a straight path. Each point is measured from its own end along the unit
// direction: the same points as start - startExt * v / d and end + endExt * v / d, but a zero
// extension gives the end exactly and a tiny distance cannot overflow the ray parameter.
void StraightExtensions(dg::DPoint3D& outStart, dg::DPoint3D& outEnd, float startExt, float endExt,
                        const dg::DPoint3D& start, const dg::DPoint3D& end) {
    const dg::DVec3 v = detail::Diff(end, start);
    const double d = dg::Distance(start, end);
    // Coincident ends give no direction to extend along.
    if (!(d > 0.0)) {
        outStart = start;
        outEnd = end;
        return;
    }
    const dg::DVec3 unit = detail::Vec(v.x / d, v.y / d, v.z / d);
    outStart = detail::MakeRay(start, unit).Lirp(-static_cast<double>(startExt));
    outEnd = detail::MakeRay(end, unit).Lirp(static_cast<double>(endExt));
}

// The straight path: extended start, start, end, extended end.
void StraightPath(const dg::DPoint3D& start, const dg::DPoint3D& end, float startExt, float endExt,
                  std::vector<dg::DPoint3D>& out) {
    dg::DPoint3D extStart;
    dg::DPoint3D extEnd;
    StraightExtensions(extStart, extEnd, startExt, endExt, start, end);
    out.resize(4);
    dg::DPoint3D* const list = out.data();
    list[0] = extStart;
    list[1] = start;
    list[2] = end;
    list[3] = extEnd;
}

// The along-axis path: extended start, start, the three jog points, end, extended end. The legs
// run along the frame's axes in the given order, the jog placed along the first by ratio.
void AlongAxisPath(const dg::DPoint3D& start, const dg::DPoint3D& end, float startExt, float endExt,
                   float ratio, const dg::Location& frame, const unsigned short (&order)[3],
                   std::vector<dg::DPoint3D>& out) {
    const int a0 = order[0];
    const int a1 = order[1];
    const int a2 = order[2];

    // Only the frame's rotation defines the axes; its position plays no part. The legs and the
    // extensions run along the frame's axes, so each is an axis times a length measured in local
    // coordinates.
    const FrameRotation rotation(frame);
    double localStart[3];
    double localEnd[3];
    rotation.ToLocal(start, localStart);
    rotation.ToLocal(end, localEnd);

    const dg::DVec3 mainAxis = rotation.Axis(a0, 1.0);
    const dg::DPoint3D jog1 = detail::Add(
        start,
        detail::Scale(mainAxis, (localEnd[a0] - localStart[a0]) * static_cast<double>(ratio)));
    const dg::DPoint3D jog2 = detail::Add(jog1, rotation.Axis(a1, localEnd[a1] - localStart[a1]));
    const dg::DPoint3D jog3 = detail::Add(jog2, rotation.Axis(a2, localEnd[a2] - localStart[a2]));

    double startOffset;
    double endOffset;
    MainAxisExtensions(localStart[a0], localEnd[a0], ratio, startExt, endExt, startOffset,
                       endOffset);

    out.resize(7);
    dg::DPoint3D* const list = out.data();
    list[0] = detail::Add(start, detail::Scale(mainAxis, startOffset));
    list[1] = start;
    list[2] = jog1;
    list[3] = jog2;
    list[4] = jog3;
    list[5] = end;
    list[6] = detail::Add(end, detail::Scale(mainAxis, endOffset));
}

}  // namespace

void CenterLineXYZ::BuildPoints(dg::DPoint3D start, dg::DPoint3D end, bool mode, float startExt,
                                float endExt, float ratio, dg::Location frame,
                                const unsigned short* axisOrderIn, std::vector<dg::DPoint3D>& out) {
    // Copied first: callers pass the record's own axisOrder.
    unsigned short order[3];
    ValidAxisOrder(axisOrderIn, order);

    // The list is sized once and every point written: a vector with the capacity keeps it, and
    // an empty one grows in one step.
    alongAxis = mode;
    if (mode)
        AlongAxisPath(start, end, startExt, endExt, ratio, frame, order, out);
    else
        StraightPath(start, end, startExt, endExt, out);

    startExtention = startExt;
    endExtention = endExt;
    axisOrder[0] = order[0];
    axisOrder[1] = order[1];
    axisOrder[2] = order[2];
    axisFrame = frame;
}

// The record's two extension operations, on the helpers that BuildPoints uses directly.
void CenterLineXYZ::GetExtentedPoints(dg::DPoint3D& outStart, dg::DPoint3D& outEnd, float startExt,
                                      float endExt, dg::DPoint3D start, dg::DPoint3D end) {
    StraightExtensions(outStart, outEnd, startExt, endExt, start, end);
}

void CenterLineXYZ::GetExtentedPointsOnAxis(dg::DPoint3D& outStart, dg::DPoint3D& outEnd,
                                            dg::DPoint3D& inStart, dg::DPoint3D& inEnd, float ratio,
                                            float startExt, float endExt,
                                            const unsigned short* order) {
    const dg::DPoint3D s = inStart;
    const dg::DPoint3D e = inEnd;
    const int k = (order != nullptr && order[0] <= 2) ? order[0] : 0;
    double startOffset;
    double endOffset;
    MainAxisExtensions(detail::Coordinate(s, k), detail::Coordinate(e, k), ratio, startExt, endExt,
                       startOffset, endOffset);
    outStart = s;
    outEnd = e;
    detail::Coordinate(outStart, k) += startOffset;
    detail::Coordinate(outEnd, k) += endOffset;
}

}  // namespace sxmk
