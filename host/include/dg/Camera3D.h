#pragma once

#include <dg/Matrix.h>
#include <dg/Ray.h>
#include <du/Export.h>
#include <du/StandIn.h>

SXHOST_HEADER_BEGIN

namespace dg {

// A camera: eye, target and up, perspective (horizontal field of view) or parallel (window
// width), and a viewport in pixels. worldToWindow maps a world point (p * worldToWindow) to
// window pixels: x to the right, y downwards, z the depth in [-1, 1] (divided by w in
// perspective).
class SXHOST_API Camera3D {
public:
    SXHOST_STANDIN_ONLY Camera3D();

    SXHOST_STANDIN_ONLY static Camera3D Perspective(const DPoint3D& eye, const DPoint3D& target,
                                                    const DVec3& up,
                                                    SXHOST_STANDIN_ONLY double fieldOfViewRadians,
                                                    int viewportWidth, int viewportHeight);
    SXHOST_STANDIN_ONLY static Camera3D Parallel(const DPoint3D& eye, const DPoint3D& target,
                                                 const DVec3& up, double width, int viewportWidth,
                                                 int viewportHeight);

    // The projection window: left and right (a, b) and bottom and top (c, d) at the distance e
    // from the eye; parallel tells a parallel projection.
    void GetProjection(double& a, double& b, double& c, double& d, double& e, bool& parallel) const;
    // The viewing axis: unit vector from the target towards the eye.
    DVec3 GetW() const;

    // The ray through a window position, from the eye (perspective) or from the view plane
    // (parallel), in the viewing direction; its direction has unit length.
    SXHOST_STANDIN_ONLY DRay WindowRay(double x, double y) const;

    DPoint3D eye;
    SXHOST_STANDIN_ONLY DPoint3D target;
    SXHOST_STANDIN_ONLY DVec3 up{0.0, 1.0, 0.0};
    SXHOST_STANDIN_ONLY bool perspective = true;
    SXHOST_STANDIN_ONLY double fieldOfView = 0.8;  // radians, horizontal
    SXHOST_STANDIN_ONLY double width = 10.0;       // parallel window width in world units
    SXHOST_STANDIN_ONLY int viewportWidth = 800;
    SXHOST_STANDIN_ONLY int viewportHeight = 600;
    SXHOST_STANDIN_ONLY double nearDistance = 0.1;
    SXHOST_STANDIN_ONLY double farDistance = 1000.0;
    DMat44 worldToWindow;

private:
    void Update();
};

}  // namespace dg

SXHOST_HEADER_END
