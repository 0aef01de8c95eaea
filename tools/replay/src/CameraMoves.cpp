#include "CameraMoves.h"

#include "ReplayScene.h"

#include <cmath>

namespace replay {

namespace {

constexpr double kPi = 3.14159265358979323846;

// v turned by angle (radians) about the unit axis k.
dg::DVec3 Turned(const dg::DVec3& v, const dg::DVec3& k, double angle) {
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    return v * c + dg::Cross(k, v) * s + k * (dg::Dot(k, v) * (1.0 - c));
}

dg::DVec3 Unit(dg::DVec3 v) {
    v.Normalize();
    return v;
}

void Orbit(ViewInput& v, double yawDegrees, double pitchDegrees) {
    dg::DVec3 offset = v.eye - v.target;
    dg::DVec3 up = Unit(v.up);
    offset = Turned(offset, up, yawDegrees * kPi / 180.0);
    // A positive pitch raises the eye over the target.
    const dg::DVec3 right = Unit(dg::Cross(offset, up));
    offset = Turned(offset, right, pitchDegrees * kPi / 180.0);
    up = Turned(up, right, pitchDegrees * kPi / 180.0);
    v.eye = v.target + offset;
    v.up = up;
}

// Where the window ray through (x, y) meets the plane through the target facing the eye.
dg::DPoint3D OnTargetPlane(const dg::Camera3D& camera, const dg::DPoint3D& target, double x,
                           double y) {
    const dg::DRay ray = camera.WindowRay(x, y);
    const dg::DVec3 normal = camera.GetW();
    const double denom = dg::Dot(ray.direction, normal);
    return ray.Lirp(dg::Dot(target - ray.origin, normal) / denom);
}

// The scene follows the pointer: the camera moves against the pan.
void Pan(ViewInput& v, int dx, int dy) {
    dg::DVec3 shift(-static_cast<double>(dx), static_cast<double>(dy), 0.0);
    if (v.shapeView) {
        const dg::Camera3D camera = MakeCamera(v);
        const double cx = v.width / 2.0;
        const double cy = v.height / 2.0;
        shift = OnTargetPlane(camera, v.target, cx, cy) -
                OnTargetPlane(camera, v.target, cx + dx, cy + dy);
    }
    v.eye = v.eye + shift;
    v.target = v.target + shift;
}

void Zoom(ViewInput& v, double factor) {
    if (v.perspective) {
        v.eye = v.target + (v.eye - v.target) * (1.0 / factor);
        if (v.nearDistance && !(*v.nearDistance < (v.target - v.eye).Norm()))
            v.nearDistance.reset();
    } else {
        v.parallelWidth /= factor;
    }
}

}  // namespace

ViewInput MoveCamera(const ViewInput& view, const CameraMove& move) {
    ViewInput v = move.set ? *move.set : view;
    if (move.orbit && v.shapeView)
        Orbit(v, (*move.orbit)[0], (*move.orbit)[1]);
    if (move.pan)
        Pan(v, (*move.pan)[0], (*move.pan)[1]);
    if (move.zoom && v.shapeView)
        Zoom(v, *move.zoom);
    return v;
}

}  // namespace replay
