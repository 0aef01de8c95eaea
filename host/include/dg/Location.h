#pragma once

#include <dg/Matrix.h>
#include <du/StandIn.h>

SXHOST_HEADER_BEGIN

namespace dg {

// A placement: a rotation followed by a position. A point p of the placed object lands at
// p * rotation + position.
class Location {
public:
    Location() = default;
    Location(const FMat33& rot, const DPoint3D& pos) : rotation(rot), position(pos) {}

    void SetPos(const DPoint3D& p) { position = p; }
    SXHOST_STANDIN_ONLY void SetPos(const DVec3& v) { position.Set(v.x, v.y, v.z); }
    SXHOST_STANDIN_ONLY const DPoint3D& GetPos() const { return position; }
    SXHOST_STANDIN_ONLY void SetRotation(const FMat33& r) { rotation = r; }
    SXHOST_STANDIN_ONLY const FMat33& GetRotation() const { return rotation; }

    // The 4x4 transform of this placement.
    void GetXform(DMat44& out) const {
        out = DMat44();
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                out.m[r][c] = rotation.m[r][c];
        out.m[3][0] = position.x;
        out.m[3][1] = position.y;
        out.m[3][2] = position.z;
    }

    SXHOST_STANDIN_ONLY bool operator==(const Location& o) const {
        return rotation == o.rotation && position == o.position;
    }
    SXHOST_STANDIN_ONLY bool operator!=(const Location& o) const { return !(*this == o); }

private:
    FMat33 rotation;
    DPoint3D position;
};

}  // namespace dg

SXHOST_HEADER_END
