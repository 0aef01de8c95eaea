#pragma once

// The library's own vector arithmetic. The viewer's geometry types promise their x, y, z members,
// Set, +=, Norm and Normalize, and a point times a transform, and no more: differences, sums,
// scaling, dot products and coordinates by index are written here on the members.
#include <dg/Location.h>
#include <dg/Matrix.h>
#include <dg/Vector.h>

#include <vector>

namespace sxmk {
namespace detail {

inline dg::DPoint3D Point(double x, double y, double z) {
    dg::DPoint3D p;
    p.Set(x, y, z);
    return p;
}

inline dg::DVec3 Vec(double x, double y, double z) {
    dg::DVec3 v;
    v.Set(x, y, z);
    return v;
}

inline dg::DPoint3D AsPoint(const dg::DVec3& v) {
    return Point(v.x, v.y, v.z);
}

// The vector from b to a.
inline dg::DVec3 Diff(const dg::DPoint3D& a, const dg::DPoint3D& b) {
    return Vec(a.x - b.x, a.y - b.y, a.z - b.z);
}

inline dg::DPoint3D Add(const dg::DPoint3D& p, const dg::DVec3& v) {
    return Point(p.x + v.x, p.y + v.y, p.z + v.z);
}

inline dg::DVec3 Sum(const dg::DVec3& a, const dg::DVec3& b) {
    return Vec(a.x + b.x, a.y + b.y, a.z + b.z);
}

// Moves every point of line by v.
inline void MoveAll(std::vector<dg::DPoint3D>& line, const dg::DVec3& v) {
    for (dg::DPoint3D& p : line)
        p = Add(p, v);
}

inline dg::DVec3 Scale(const dg::DVec3& v, double s) {
    return Vec(v.x * s, v.y * s, v.z * s);
}

inline dg::DVec3 Negated(const dg::DVec3& v) {
    return Vec(-v.x, -v.y, -v.z);
}

inline double Dot(const dg::DVec3& a, const dg::DVec3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// Exact comparisons, component by component (a NaN component makes them differ).
inline bool SameVector(const dg::DVec3& a, const dg::DVec3& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}
inline bool SamePoint(const dg::DPoint3D& a, const dg::DPoint3D& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

// Makes v a unit vector; a vector without length (zero, or so short that its norm underflows to
// zero) stays as it is. The viewer's Normalize may answer anything for a vector without length
// (a not-a-number vector, say), so a degenerate line never reaches it.
inline void NormalizeUnlessZero(dg::DVec3& v) {
    if (v.Norm() > 0.0)
        static_cast<void>(v.Normalize());
}

// Coordinate k of a point: 0 x, 1 y, anything else z (callers pass 0, 1 or 2).
inline double& Coordinate(dg::DPoint3D& p, int k) {
    return k == 0 ? p.x : (k == 1 ? p.y : p.z);
}
inline double Coordinate(const dg::DPoint3D& p, int k) {
    return k == 0 ? p.x : (k == 1 ? p.y : p.z);
}

// The transform of a placement; a point times it lands where the placement puts it.
inline dg::DMat44 XformOf(const dg::Location& placement) {
    dg::DMat44 xform;
    placement.GetXform(xform);
    return xform;
}

// Where a placement puts its origin. The viewer's locations can be set but not read back, so a
// position is read through the transform.
inline dg::DPoint3D PositionOf(const dg::Location& placement) {
    return dg::DPoint3D::ORIGIN * XformOf(placement);
}

}  // namespace detail
}  // namespace sxmk
