#pragma once

#include <dg/Vector.h>

namespace dg {

// A ray: an origin and a direction taken at its own length.
struct DRay {
    DPoint3D origin;
    DVec3 direction;

    DRay() = default;
    DRay(const DPoint3D& o, const DVec3& d) : origin(o), direction(d) {}

    // origin + t * direction.
    DPoint3D Lirp(double t) const { return origin + direction * t; }

    // Foot of p on the line of the ray (not limited to t >= 0); the origin for a zero direction.
    DPoint3D NearestPoint(const DPoint3D& p) const {
        const double dd = Dot(direction, direction);
        if (!(dd > 0.0))
            return origin;
        return Lirp(Dot(p - origin, direction) / dd);
    }
};

template <typename T, int N>
struct Segment;

// A segment between two points.
template <>
struct Segment<double, 3> {
    DPoint3D start;
    DPoint3D end;

    Segment() = default;
    Segment(const DPoint3D& a, const DPoint3D& b) : start(a), end(b) {}
};

}  // namespace dg
