// Path building: the straight path and the along-axis path with their extension points.
#include <sxmk/CenterLineXYZ.h>

#include <dg/Matrix.h>
#include <dg/Ray.h>

#include <cmath>

namespace sxmk {

namespace {

// The axis order to build with: the one given when it names three distinct axes, otherwise
// X, Y, Z, since any other entry would index outside a point.
void ValidAxisOrder(const unsigned short* given, unsigned short (&order)[3]) {
    order[0] = 0;
    order[1] = 1;
    order[2] = 2;
    if (given == nullptr)
        return;
    if (given[0] > 2 || given[1] > 2 || given[2] > 2)
        return;
    if (given[0] == given[1] || given[0] == given[2] || given[1] == given[2])
        return;
    order[0] = given[0];
    order[1] = given[1];
    order[2] = given[2];
}

bool IsFinite(const dg::DMat44& m) {
    for (const auto& row : m.m)
        for (double v : row)
            if (!std::isfinite(v))
                return false;
    return true;
}

// The frame's rotation and its inverse; the rotation is kept rather than inverted back, so that
// the way back to object coordinates adds no rounding. A rotation that cannot be inverted would
// scatter the path to non-finite points, so the identity stands in for it.
void FrameRotation(dg::Location frame, dg::DMat44& toObject, dg::DMat44& toLocal) {
    frame.SetPos(dg::DVec3::ZERO);
    frame.GetXform(toObject);
    toLocal = toObject;
    if (!toLocal.Invert() || !IsFinite(toObject) || !IsFinite(toLocal)) {
        toObject = dg::DMat44();
        toLocal = dg::DMat44();
    }
}

}  // namespace

void CenterLineXYZ::BuildPoints(dg::DPoint3D start, dg::DPoint3D end, bool mode, float startExt,
                                float endExt, float ratio, dg::Location frame,
                                const unsigned short* axisOrderIn, std::vector<dg::DPoint3D>& out) {
    // Copied first: callers pass the record's own axisOrder.
    unsigned short order[3];
    ValidAxisOrder(axisOrderIn, order);

    out.clear();
    if (!mode) {
        alongAxis = false;
        dg::DPoint3D extStart;
        dg::DPoint3D extEnd;
        GetExtentedPoints(extStart, extEnd, startExt, endExt, start, end);
        out.push_back(extStart);
        out.push_back(start);
        out.push_back(end);
        out.push_back(extEnd);
    } else {
        alongAxis = true;
        const int a0 = order[0];
        const int a1 = order[1];
        const int a2 = order[2];

        dg::DMat44 toObject;
        dg::DMat44 toLocal;
        FrameRotation(frame, toObject, toLocal);
        dg::DPoint3D localStart = start * toLocal;
        dg::DPoint3D localEnd = end * toLocal;

        dg::DVec3 leg1;
        dg::DVec3 leg2;
        dg::DVec3 leg3;
        leg1[a0] = (localEnd[a0] - localStart[a0]) * static_cast<double>(ratio);
        leg2[a1] = localEnd[a1] - localStart[a1];
        leg3[a2] = localEnd[a2] - localStart[a2];
        leg1 *= toObject;
        leg2 *= toObject;
        leg3 *= toObject;

        const dg::DPoint3D jog1 = start + leg1;
        const dg::DPoint3D jog2 = jog1 + leg2;
        const dg::DPoint3D jog3 = jog2 + leg3;

        dg::DPoint3D extStart;
        dg::DPoint3D extEnd;
        GetExtentedPointsOnAxis(extStart, extEnd, localStart, localEnd, ratio, startExt, endExt,
                                order);
        extStart *= toObject;
        extEnd *= toObject;

        out.push_back(extStart);
        out.push_back(start);
        out.push_back(jog1);
        out.push_back(jog2);
        out.push_back(jog3);
        out.push_back(end);
        out.push_back(extEnd);
    }

    startExtention = startExt;
    endExtention = endExt;
    axisOrder[0] = order[0];
    axisOrder[1] = order[1];
    axisOrder[2] = order[2];
    axisFrame = frame;
}

void CenterLineXYZ::GetExtentedPoints(dg::DPoint3D& outStart, dg::DPoint3D& outEnd, float startExt,
                                      float endExt, dg::DPoint3D start, dg::DPoint3D end) {
    const dg::DVec3 v = end - start;
    const double d = dg::Distance(start, end);
    // Coincident ends give no direction to extend along.
    if (!(d > 0.0)) {
        outStart = start;
        outEnd = end;
        return;
    }
    // Each point is measured from its own end along the unit direction: the same points as
    // start - startExt * v / d and end + endExt * v / d, but a zero extension gives the end
    // exactly and a tiny distance cannot overflow the ray parameter.
    const dg::DVec3 unit(v.x / d, v.y / d, v.z / d);
    outStart = dg::DRay(start, unit).Lirp(-static_cast<double>(startExt));
    outEnd = dg::DRay(end, unit).Lirp(static_cast<double>(endExt));
}

void CenterLineXYZ::GetExtentedPointsOnAxis(dg::DPoint3D& outStart, dg::DPoint3D& outEnd,
                                            dg::DPoint3D& inStart, dg::DPoint3D& inEnd, float ratio,
                                            float startExt, float endExt,
                                            const unsigned short* order) {
    // A jog before the start turns the first main-axis leg away from the end, and one beyond the
    // end turns the last leg back: the extension on that side flips with it. NaN flips neither.
    const double startSign = ratio < 0.0f ? -1.0 : 1.0;
    const double endSign = ratio > 1.0f ? -1.0 : 1.0;
    const double startLength = startSign * static_cast<double>(startExt);
    const double endLength = endSign * static_cast<double>(endExt);

    const dg::DPoint3D s = inStart;
    const dg::DPoint3D e = inEnd;
    outStart = s;
    outEnd = e;
    const int k = (order != nullptr && order[0] <= 2) ? order[0] : 0;
    if (s[k] - e[k] > 0.0) {
        outStart[k] += startLength;
        outEnd[k] -= endLength;
    } else {
        outStart[k] -= startLength;
        outEnd[k] += endLength;
    }
}

}  // namespace sxmk
