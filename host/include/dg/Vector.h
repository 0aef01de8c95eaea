#pragma once

#include <du/Export.h>
#include <du/StandIn.h>
#include <cmath>

SXHOST_HEADER_BEGIN

namespace dg {

struct FVec3;

// Double-precision vector.
struct DVec3 {
    double x = 0.0, y = 0.0, z = 0.0;

    constexpr DVec3() = default;
    SXHOST_STANDIN_ONLY constexpr DVec3(double xx, double yy, double zz) : x(xx), y(yy), z(zz) {}

    void Set(double xx, double yy, double zz) {
        x = xx;
        y = yy;
        z = zz;
    }
    inline void Set(const FVec3& v);

    // Component by index 0, 1, 2; any other index is not a component (callers check).
    SXHOST_STANDIN_ONLY double& operator[](int i) { return i == 0 ? x : (i == 1 ? y : z); }
    SXHOST_STANDIN_ONLY double operator[](int i) const { return i == 0 ? x : (i == 1 ? y : z); }

    DVec3& operator+=(const DVec3& v) {
        x += v.x;
        y += v.y;
        z += v.z;
        return *this;
    }
    SXHOST_STANDIN_ONLY DVec3& operator-=(const DVec3& v) {
        x -= v.x;
        y -= v.y;
        z -= v.z;
        return *this;
    }
    SXHOST_STANDIN_ONLY DVec3& operator*=(double s) {
        x *= s;
        y *= s;
        z *= s;
        return *this;
    }
    SXHOST_STANDIN_ONLY DVec3 operator-() const { return {-x, -y, -z}; }

    double Norm() const { return std::sqrt(x * x + y * y + z * z); }
    // Scales to unit length. A zero (or non-finite) vector stays as it is and the answer is false;
    // a viewer may answer otherwise for a zero vector (sxk::HostileViewer::NormalizeZeroGivesNaN).
    SXHOST_API bool Normalize();

    SXHOST_STANDIN_ONLY bool operator==(const DVec3& v) const {
        return x == v.x && y == v.y && z == v.z;
    }
    SXHOST_STANDIN_ONLY bool operator!=(const DVec3& v) const { return !(*this == v); }

    static const DVec3 ZERO;
};

inline const DVec3 DVec3::ZERO{0.0, 0.0, 0.0};

// Single-precision vector.
struct FVec3 {
    float x = 0.0f, y = 0.0f, z = 0.0f;

    constexpr FVec3() = default;
    SXHOST_STANDIN_ONLY constexpr FVec3(float xx, float yy, float zz) : x(xx), y(yy), z(zz) {}
    explicit FVec3(const DVec3& v)
        : x(static_cast<float>(v.x)), y(static_cast<float>(v.y)), z(static_cast<float>(v.z)) {}

    SXHOST_STANDIN_ONLY bool operator==(const FVec3& v) const {
        return x == v.x && y == v.y && z == v.z;
    }
};

inline void DVec3::Set(const FVec3& v) {
    x = v.x;
    y = v.y;
    z = v.z;
}

// Double-precision point.
struct DPoint3D {
    double x = 0.0, y = 0.0, z = 0.0;

    constexpr DPoint3D() = default;
    SXHOST_STANDIN_ONLY constexpr DPoint3D(double xx, double yy, double zz) : x(xx), y(yy), z(zz) {}

    void Set(double xx, double yy, double zz) {
        x = xx;
        y = yy;
        z = zz;
    }

    SXHOST_STANDIN_ONLY double& operator[](int i) { return i == 0 ? x : (i == 1 ? y : z); }
    SXHOST_STANDIN_ONLY double operator[](int i) const { return i == 0 ? x : (i == 1 ? y : z); }

    DPoint3D& operator+=(const DVec3& v) {
        x += v.x;
        y += v.y;
        z += v.z;
        return *this;
    }
    SXHOST_STANDIN_ONLY DPoint3D& operator-=(const DVec3& v) {
        x -= v.x;
        y -= v.y;
        z -= v.z;
        return *this;
    }

    SXHOST_STANDIN_ONLY bool operator==(const DPoint3D& p) const {
        return x == p.x && y == p.y && z == p.z;
    }
    SXHOST_STANDIN_ONLY bool operator!=(const DPoint3D& p) const { return !(*this == p); }

    static const DPoint3D ORIGIN;
};

inline const DPoint3D DPoint3D::ORIGIN{0.0, 0.0, 0.0};

SXHOST_STANDIN_ONLY inline DVec3 operator-(const DPoint3D& a, const DPoint3D& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
SXHOST_STANDIN_ONLY inline DPoint3D operator+(const DPoint3D& p, const DVec3& v) {
    return {p.x + v.x, p.y + v.y, p.z + v.z};
}
SXHOST_STANDIN_ONLY inline DPoint3D operator-(const DPoint3D& p, const DVec3& v) {
    return {p.x - v.x, p.y - v.y, p.z - v.z};
}
SXHOST_STANDIN_ONLY inline DVec3 operator+(const DVec3& a, const DVec3& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
SXHOST_STANDIN_ONLY inline DVec3 operator-(const DVec3& a, const DVec3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
SXHOST_STANDIN_ONLY inline DVec3 operator*(const DVec3& v, double s) {
    return {v.x * s, v.y * s, v.z * s};
}
SXHOST_STANDIN_ONLY inline DVec3 operator*(double s, const DVec3& v) {
    return {v.x * s, v.y * s, v.z * s};
}

SXHOST_STANDIN_ONLY inline double Dot(const DVec3& a, const DVec3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
SXHOST_STANDIN_ONLY inline DVec3 Cross(const DVec3& a, const DVec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// Euclidean distance of two points.
inline double Distance(const DPoint3D& p, const DPoint3D& q) {
    const double dx = p.x - q.x;
    const double dy = p.y - q.y;
    const double dz = p.z - q.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

// Angle between two vectors in radians, in [0, pi]; 0 when either vector is zero.
inline double Angle(const DVec3& u, const DVec3& v) {
    const double n = u.Norm() * v.Norm();
    if (!(n > 0.0))
        return 0.0;
    double c = (u.x * v.x + u.y * v.y + u.z * v.z) / n;
    if (c > 1.0)
        c = 1.0;
    if (c < -1.0)
        c = -1.0;
#if defined(ILLSXMK_DEVIANT_ANGLE_IN_DEGREES)
    // Test-only deviation from the contract.
    return std::acos(c) * 180.0 / 3.14159265358979323846;
#else
    return std::acos(c);
#endif
}

}  // namespace dg

SXHOST_HEADER_END
