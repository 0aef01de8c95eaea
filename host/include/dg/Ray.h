#pragma once

#include <dg/Vector.h>
#include <du/StandIn.h>

SXHOST_HEADER_BEGIN

namespace dg {

// A ray: an origin and a direction taken at its own length.
struct DRay {
    SXHOST_STANDIN_ONLY DPoint3D origin;
    SXHOST_STANDIN_ONLY DVec3 direction;

    SXHOST_STANDIN_ONLY DRay() = default;
    SXHOST_STANDIN_ONLY DRay(const DPoint3D& o, const DVec3& d) : origin(o), direction(d) {}

    // origin + t * direction.
    DPoint3D Lirp(double t) const {
        DPoint3D p;
        p.Set(origin.x + direction.x * t, origin.y + direction.y * t, origin.z + direction.z * t);
        return p;
    }

    // Foot of p on the line of the ray (not limited to t >= 0); the origin for a zero direction.
    DPoint3D NearestPoint(const DPoint3D& p) const {
        const double dd =
            direction.x * direction.x + direction.y * direction.y + direction.z * direction.z;
        if (!(dd > 0.0))
            return origin;
        const double along = (p.x - origin.x) * direction.x + (p.y - origin.y) * direction.y +
                             (p.z - origin.z) * direction.z;
        return Lirp(along / dd);
    }
};

template <typename T, int N>
struct Segment;

// A segment between two points.
template <>
struct Segment<double, 3> {
    SXHOST_STANDIN_ONLY DPoint3D start;
    SXHOST_STANDIN_ONLY DPoint3D end;

    SXHOST_STANDIN_ONLY Segment() = default;
    SXHOST_STANDIN_ONLY Segment(const DPoint3D& a, const DPoint3D& b) : start(a), end(b) {}
};

}  // namespace dg

SXHOST_HEADER_END
