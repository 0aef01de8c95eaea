#pragma once

#include <dg/Vector.h>
#include <du/Export.h>
#include <du/StandIn.h>

SXHOST_HEADER_BEGIN

namespace dg {

// 3x3 single-precision rotation. Points are row vectors multiplied from the left (p * M).
struct FMat33 {
    SXHOST_STANDIN_ONLY float m[3][3] = {
        {1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}};

    FMat33() = default;
    SXHOST_STANDIN_ONLY FMat33(float m00, float m01, float m02, float m10, float m11, float m12,
                               float m20, float m21, float m22)
        : m{{m00, m01, m02}, {m10, m11, m12}, {m20, m21, m22}} {}

    SXHOST_STANDIN_ONLY bool operator==(const FMat33& o) const {
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                if (m[r][c] != o.m[r][c])
                    return false;
        return true;
    }

    static const FMat33 IDENTITY;
};

inline const FMat33 FMat33::IDENTITY{};

// 4x4 double-precision transform, row-vector convention: the last row holds the translation and
// the last column the projective terms.
struct SXHOST_API DMat44 {
    SXHOST_STANDIN_ONLY double m[4][4] = {
        {1.0, 0.0, 0.0, 0.0}, {0.0, 1.0, 0.0, 0.0}, {0.0, 0.0, 1.0, 0.0}, {0.0, 0.0, 0.0, 1.0}};

    DMat44() = default;

    // Inverts in place. A singular or non-finite matrix is left as it was and the answer is false.
    bool Invert();

    SXHOST_STANDIN_ONLY DMat44 operator*(const DMat44& o) const {
        DMat44 r;
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j) {
                double s = 0.0;
                for (int k = 0; k < 4; ++k)
                    s += m[i][k] * o.m[k][j];
                r.m[i][j] = s;
            }
        return r;
    }
};

// Point times matrix; the result is divided by w when the matrix is projective.
inline DPoint3D operator*(const DPoint3D& p, const DMat44& t) {
    const auto& m = t.m;
    const double x = p.x * m[0][0] + p.y * m[1][0] + p.z * m[2][0] + m[3][0];
    const double y = p.x * m[0][1] + p.y * m[1][1] + p.z * m[2][1] + m[3][1];
    const double z = p.x * m[0][2] + p.y * m[1][2] + p.z * m[2][2] + m[3][2];
    const double w = p.x * m[0][3] + p.y * m[1][3] + p.z * m[2][3] + m[3][3];
    if (w != 1.0 && w != 0.0)
        return {x / w, y / w, z / w};
    return {x, y, z};
}

// A vector times a matrix is the point with the same components times that matrix; for a pure
// rotation that is the rotated vector.
SXHOST_STANDIN_ONLY inline DVec3 operator*(const DVec3& v, const DMat44& t) {
    const DPoint3D p = DPoint3D(v.x, v.y, v.z) * t;
    return {p.x, p.y, p.z};
}

inline DPoint3D& operator*=(DPoint3D& p, const DMat44& t) {
    p = p * t;
    return p;
}
SXHOST_STANDIN_ONLY inline DVec3& operator*=(DVec3& v, const DMat44& t) {
    v = v * t;
    return v;
}

// Vector times a rotation.
SXHOST_STANDIN_ONLY inline DVec3 operator*(const DVec3& v, const FMat33& r) {
    const auto& m = r.m;
    return {v.x * m[0][0] + v.y * m[1][0] + v.z * m[2][0],
            v.x * m[0][1] + v.y * m[1][1] + v.z * m[2][1],
            v.x * m[0][2] + v.y * m[1][2] + v.z * m[2][2]};
}

}  // namespace dg

SXHOST_HEADER_END
