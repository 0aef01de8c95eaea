#pragma once

// The path building as it stood before the along-axis path moved from the 4x4 transform to the
// frame's 3x3 rotation: the frame's transform inverted in place by the host, points and leg
// vectors multiplied by the 4x4 matrices, the extension points built in local coordinates and
// taken back. Kept as the reference that the faster building is compared with.

#include <dg/Location.h>
#include <dg/Matrix.h>
#include <dg/Ray.h>
#include <dg/Vector.h>

#include <cmath>
#include <vector>

namespace centerlinetest {
namespace reference {

inline void ValidAxisOrder(const unsigned short* given, unsigned short (&order)[3]) {
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

inline bool IsFinite(const dg::DMat44& m) {
    for (const auto& row : m.m)
        for (double v : row)
            if (!std::isfinite(v))
                return false;
    return true;
}

inline void FrameRotation(dg::Location frame, dg::DMat44& toObject, dg::DMat44& toLocal) {
    frame.SetPos(dg::DVec3::ZERO);
    frame.GetXform(toObject);
    toLocal = toObject;
    if (!toLocal.Invert() || !IsFinite(toObject) || !IsFinite(toLocal)) {
        toObject = dg::DMat44();
        toLocal = dg::DMat44();
    }
}

inline void ExtendedPoints(dg::DPoint3D& outStart, dg::DPoint3D& outEnd, float startExt,
                           float endExt, dg::DPoint3D start, dg::DPoint3D end) {
    const dg::DVec3 v = end - start;
    const double d = dg::Distance(start, end);
    if (!(d > 0.0)) {
        outStart = start;
        outEnd = end;
        return;
    }
    const dg::DVec3 unit(v.x / d, v.y / d, v.z / d);
    outStart = dg::DRay(start, unit).Lirp(-static_cast<double>(startExt));
    outEnd = dg::DRay(end, unit).Lirp(static_cast<double>(endExt));
}

inline void ExtendedPointsOnAxis(dg::DPoint3D& outStart, dg::DPoint3D& outEnd,
                                 dg::DPoint3D& inStart, dg::DPoint3D& inEnd, float ratio,
                                 float startExt, float endExt, const unsigned short* order) {
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

inline std::vector<dg::DPoint3D> BuildPoints(dg::DPoint3D start, dg::DPoint3D end, bool mode,
                                             float startExt, float endExt, float ratio,
                                             dg::Location frame,
                                             const unsigned short* axisOrderIn) {
    unsigned short order[3];
    ValidAxisOrder(axisOrderIn, order);

    std::vector<dg::DPoint3D> out;
    if (!mode) {
        dg::DPoint3D extStart;
        dg::DPoint3D extEnd;
        ExtendedPoints(extStart, extEnd, startExt, endExt, start, end);
        out = {extStart, start, end, extEnd};
        return out;
    }
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
    ExtendedPointsOnAxis(extStart, extEnd, localStart, localEnd, ratio, startExt, endExt, order);
    extStart *= toObject;
    extEnd *= toObject;

    out = {extStart, start, jog1, jog2, jog3, end, extEnd};
    return out;
}

}  // namespace reference
}  // namespace centerlinetest
