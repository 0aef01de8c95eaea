#pragma once

// The paths of a centre line by the shortest plain code: doubles throughout, and for the
// along-axis path the frame's rotation used transposed (its inverse, for a rotation) instead of a
// general 4x4 inversion. The benchmarks report the library's path building as a ratio to these.

#include <dg/Matrix.h>
#include <dg/Vector.h>

#include <vector>

namespace bench {

inline void PlainStraight(const dg::DPoint3D& s, const dg::DPoint3D& e, float startExt,
                          float endExt, std::vector<dg::DPoint3D>& out) {
    const dg::DVec3 v = e - s;
    const dg::DVec3 u = v * (1.0 / v.Norm());
    out.assign({s - u * double(startExt), s, e, e + u * double(endExt)});
}

inline void PlainAlongAxis(const dg::DPoint3D& s, const dg::DPoint3D& e, float startExt,
                           float endExt, float ratio, const dg::FMat33& rotation,
                           const unsigned short* order, std::vector<dg::DPoint3D>& out) {
    // Row i of the rotation is the frame's axis i in object coordinates.
    const auto& r = rotation.m;
    const auto axis = [&r](int i) { return dg::DVec3(r[i][0], r[i][1], r[i][2]); };
    const dg::DVec3 a0 = axis(order[0]), a1 = axis(order[1]), a2 = axis(order[2]);
    const dg::DVec3 d = e - s;
    const double l0 = dg::Dot(d, a0);
    const dg::DPoint3D j1 = s + a0 * (l0 * double(ratio));
    const dg::DPoint3D j2 = j1 + a1 * dg::Dot(d, a1);
    const dg::DPoint3D j3 = j2 + a2 * dg::Dot(d, a2);
    // Extensions point away from the other end along the main axis, flipped with a jog outside.
    const double away = l0 < 0.0 ? -1.0 : 1.0;
    const double startSign = ratio < 0.0f ? -away : away;
    const double endSign = ratio > 1.0f ? -away : away;
    out.assign({s - a0 * (startSign * double(startExt)), s, j1, j2, j3, e,
                e + a0 * (endSign * double(endExt))});
}

// The same path with the rotation truly inverted (closed form, 3x3) for the local coordinates,
// as the library does with its 4x4 inversion: a single-precision rotation is orthonormal only to
// about 1e-7, and this variant gives the library's points to rounding, where the transpose
// differs by that much.
inline void PlainAlongAxisInverse(const dg::DPoint3D& s, const dg::DPoint3D& e, float startExt,
                                  float endExt, float ratio, const dg::FMat33& rotation,
                                  const unsigned short* order, std::vector<dg::DPoint3D>& out) {
    const auto& r = rotation.m;
    const auto axis = [&r](int i) { return dg::DVec3(r[i][0], r[i][1], r[i][2]); };
    // Columns of the inverse are the cross products of the rows over the determinant, so the
    // local component i of v is the dot product of v with column i.
    const dg::DVec3 x = axis(0), y = axis(1), z = axis(2);
    const dg::DVec3 yz = dg::Cross(y, z), zx = dg::Cross(z, x), xy = dg::Cross(x, y);
    const double inv = 1.0 / dg::Dot(x, yz);
    const dg::DVec3 d = e - s;
    const double local[3] = {dg::Dot(d, yz) * inv, dg::Dot(d, zx) * inv, dg::Dot(d, xy) * inv};
    const dg::DVec3 a0 = axis(order[0]), a1 = axis(order[1]), a2 = axis(order[2]);
    const double l0 = local[order[0]];
    const dg::DPoint3D j1 = s + a0 * (l0 * double(ratio));
    const dg::DPoint3D j2 = j1 + a1 * local[order[1]];
    const dg::DPoint3D j3 = j2 + a2 * local[order[2]];
    const double away = l0 < 0.0 ? -1.0 : 1.0;
    const double startSign = ratio < 0.0f ? -away : away;
    const double endSign = ratio > 1.0f ? -away : away;
    out.assign({s - a0 * (startSign * double(startExt)), s, j1, j2, j3, e,
                e + a0 * (endSign * double(endExt))});
}

}  // namespace bench
