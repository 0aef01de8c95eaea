#include <dg/Camera3D.h>

#include <cmath>

namespace dg {

namespace {

// Orthonormal camera frame: u to the right, v up, w from the target towards the eye.
struct Frame {
    DVec3 u, v, w;
};

Frame MakeFrame(const Camera3D& cam) {
    Frame f;
    f.w = cam.eye - cam.target;
    if (!f.w.Normalize())
        f.w = DVec3(0.0, 0.0, 1.0);
    f.u = Cross(cam.up, f.w);
    if (!f.u.Normalize()) {
        // Up along the viewing axis: any perpendicular will do.
        f.u = Cross(std::fabs(f.w.x) < 0.9 ? DVec3(1.0, 0.0, 0.0) : DVec3(0.0, 1.0, 0.0), f.w);
        f.u.Normalize();
    }
    f.v = Cross(f.w, f.u);
    return f;
}

// Viewport sizes below one pixel are taken as one, so that nothing divides by zero.
double ViewportWidth(const Camera3D& cam) {
    return cam.viewportWidth > 0 ? static_cast<double>(cam.viewportWidth) : 1.0;
}
double ViewportHeight(const Camera3D& cam) {
    return cam.viewportHeight > 0 ? static_cast<double>(cam.viewportHeight) : 1.0;
}

// Half-width and half-height of the projection window: at unit distance in perspective, in world
// units for a parallel projection.
// A field of view or width that spans nothing (or is not a number) falls back to the default, so
// the camera never divides by zero.
void HalfExtents(const Camera3D& cam, double& halfWidth, double& halfHeight) {
    if (cam.perspective) {
        const bool usable = cam.fieldOfView > 0.0 && cam.fieldOfView < 3.14;
        halfWidth = std::tan((usable ? cam.fieldOfView : 0.8) * 0.5);
    } else {
        const bool usable = cam.width > 0.0 && std::isfinite(cam.width);
        halfWidth = (usable ? cam.width : 10.0) * 0.5;
    }
    halfHeight = halfWidth * ViewportHeight(cam) / ViewportWidth(cam);
}

}  // namespace

Camera3D::Camera3D() : eye(0.0, 0.0, 10.0) {
    Update();
}

Camera3D Camera3D::Perspective(const DPoint3D& eyePoint, const DPoint3D& targetPoint,
                               const DVec3& upVector, double fieldOfViewRadians, int vpWidth,
                               int vpHeight) {
    Camera3D cam;
    cam.eye = eyePoint;
    cam.target = targetPoint;
    cam.up = upVector;
    cam.perspective = true;
    cam.fieldOfView = fieldOfViewRadians;
    cam.viewportWidth = vpWidth;
    cam.viewportHeight = vpHeight;
    cam.Update();
    return cam;
}

Camera3D Camera3D::Parallel(const DPoint3D& eyePoint, const DPoint3D& targetPoint,
                            const DVec3& upVector, double windowWidth, int vpWidth, int vpHeight) {
    Camera3D cam;
    cam.eye = eyePoint;
    cam.target = targetPoint;
    cam.up = upVector;
    cam.perspective = false;
    cam.width = windowWidth;
    cam.viewportWidth = vpWidth;
    cam.viewportHeight = vpHeight;
    cam.Update();
    return cam;
}

void Camera3D::GetProjection(double& a, double& b, double& c, double& d, double& e,
                             bool& parallel) const {
    double hw = 0.0, hh = 0.0;
    HalfExtents(*this, hw, hh);
    e = nearDistance;
    if (perspective) {
        hw *= e;
        hh *= e;
    }
    a = -hw;
    b = hw;
    c = -hh;
    d = hh;
    parallel = !perspective;
}

DVec3 Camera3D::GetW() const {
    return MakeFrame(*this).w;
}

DRay Camera3D::WindowRay(double x, double y) const {
    const Frame f = MakeFrame(*this);
    double hw = 0.0, hh = 0.0;
    HalfExtents(*this, hw, hh);
    // Normalised window coordinates: -1 at the left and bottom edges, +1 at the right and top.
    const double nx = 2.0 * x / ViewportWidth(*this) - 1.0;
    const double ny = 1.0 - 2.0 * y / ViewportHeight(*this);
    if (perspective) {
        DVec3 dir = f.u * (nx * hw) + f.v * (ny * hh) - f.w;
        dir.Normalize();
        return DRay(eye, dir);
    }
    return DRay(eye + f.u * (nx * hw) + f.v * (ny * hh), -f.w);
}

// worldToWindow = view * projection * viewport, for row vectors.
void Camera3D::Update() {
    const Frame f = MakeFrame(*this);
    const DVec3 e(eye.x, eye.y, eye.z);
    DMat44 view;
    for (int i = 0; i < 3; ++i) {
        view.m[i][0] = f.u[i];
        view.m[i][1] = f.v[i];
        view.m[i][2] = f.w[i];
    }
    view.m[3][0] = -Dot(e, f.u);
    view.m[3][1] = -Dot(e, f.v);
    view.m[3][2] = -Dot(e, f.w);

    double hw = 0.0, hh = 0.0;
    HalfExtents(*this, hw, hh);
    const double vw = ViewportWidth(*this);
    const double vh = ViewportHeight(*this);
    const double n = nearDistance;
    const double fa = farDistance;
    const double depth = fa - n != 0.0 ? fa - n : 1.0;

    // Camera space looks down -w. Window x grows to the right, y downwards.
    DMat44 proj;
    if (perspective) {
        proj.m[0][0] = vw / (2.0 * hw);
        proj.m[2][0] = -vw / 2.0;
        proj.m[1][1] = -vh / (2.0 * hh);
        proj.m[2][1] = -vh / 2.0;
        proj.m[2][2] = -(fa + n) / depth;
        proj.m[3][2] = -2.0 * fa * n / depth;
        proj.m[2][3] = -1.0;
        proj.m[3][3] = 0.0;
    } else {
        proj.m[0][0] = vw / (2.0 * hw);
        proj.m[3][0] = vw / 2.0;
        proj.m[1][1] = -vh / (2.0 * hh);
        proj.m[3][1] = vh / 2.0;
        proj.m[2][2] = -2.0 / depth;
        proj.m[3][2] = -(fa + n) / depth;
    }
    worldToWindow = view * proj;
}

}  // namespace dg
