#pragma once

#include <dg/Matrix.h>
#include <dg/Ray.h>
#include <du/Export.h>

namespace dg {

// A camera: eye, target and up, perspective (horizontal field of view) or parallel (window
// width), and a viewport in pixels. worldToWindow maps a world point (p * worldToWindow) to
// window pixels: x to the right, y downwards, z the depth in [-1, 1] (divided by w in
// perspective).
class SXHOST_API Camera3D {
public:
    Camera3D();

    static Camera3D Perspective(const DPoint3D& eye, const DPoint3D& target, const DVec3& up,
                                double fieldOfViewRadians, int viewportWidth, int viewportHeight);
    static Camera3D Parallel(const DPoint3D& eye, const DPoint3D& target, const DVec3& up,
                             double width, int viewportWidth, int viewportHeight);

    // The projection window: left and right (a, b) and bottom and top (c, d) at the distance e
    // from the eye; parallel tells a parallel projection.
    void GetProjection(double& a, double& b, double& c, double& d, double& e, bool& parallel) const;
    // The viewing axis: unit vector from the target towards the eye.
    DVec3 GetW() const;

    // The ray through a window position, from the eye (perspective) or from the view plane
    // (parallel), in the viewing direction; its direction has unit length.
    DRay WindowRay(double x, double y) const;

    DPoint3D eye;
    DPoint3D target;
    DVec3 up{0.0, 1.0, 0.0};
    bool perspective = true;
    double fieldOfView = 0.8;  // radians, horizontal
    double width = 10.0;       // parallel window width in world units
    int viewportWidth = 800;
    int viewportHeight = 600;
    double nearDistance = 0.1;
    double farDistance = 1000.0;
    DMat44 worldToWindow;

private:
    void Update();
};

}  // namespace dg
