#include <dg/Camera3D.h>
#include <dg/Location.h>
#include <dg/Matrix.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

// A quarter turn about z for row vectors: x goes to y.
const dg::FMat33 kQuarterTurnZ(0.0f, 1.0f, 0.0f, -1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f);

void ExpectNear(const dg::DPoint3D& p, const dg::DPoint3D& q, double tol = 1e-9) {
    EXPECT_NEAR(p.x, q.x, tol);
    EXPECT_NEAR(p.y, q.y, tol);
    EXPECT_NEAR(p.z, q.z, tol);
}

TEST(Geometry, PointsAreRowVectorsTimesMatrix) {
    dg::DMat44 m;
    m.m[0][0] = 2.0;
    m.m[3][0] = 1.0;
    m.m[3][1] = 2.0;
    m.m[3][2] = 3.0;
    ExpectNear(dg::DPoint3D(1.0, 1.0, 1.0) * m, {3.0, 3.0, 4.0});
    ExpectNear(dg::DPoint3D(1.0, 0.0, 0.0) * dg::DMat44() * m, {3.0, 2.0, 3.0});
}

TEST(Geometry, LocationTransformRotatesThenPlaces) {
    const dg::Location loc(kQuarterTurnZ, {10.0, 0.0, 0.0});
    dg::DMat44 xf;
    loc.GetXform(xf);
    ExpectNear(dg::DPoint3D(1.0, 0.0, 0.0) * xf, {10.0, 1.0, 0.0});
    const dg::DVec3 rotated = dg::DVec3(1.0, 0.0, 0.0) * loc.GetRotation();
    ExpectNear({rotated.x, rotated.y, rotated.z}, {0.0, 1.0, 0.0});
}

TEST(Geometry, InvertUndoesProjectiveTransform) {
    const dg::Camera3D cam = dg::Camera3D::Perspective({3.0, -2.0, 9.0}, {0.5, 1.0, 0.0},
                                                       {0.0, 1.0, 0.0}, 0.9, 640, 480);
    dg::DMat44 inv = cam.worldToWindow;
    ASSERT_TRUE(inv.Invert());
    const dg::DMat44 product = cam.worldToWindow * inv;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(product.m[r][c], r == c ? 1.0 : 0.0, 1e-9);
    const dg::DPoint3D p(1.0, 2.0, -3.0);
    ExpectNear(p * cam.worldToWindow * inv, p, 1e-7);
}

TEST(Geometry, InvertUndoesAffinePlacementWithScaleAndShear) {
    dg::DMat44 t;
    const double block[3][3] = {{0.0, 2.0, 0.0}, {-1.0, 0.5, 0.0}, {0.0, 0.0, 3.0}};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            t.m[r][c] = block[r][c];
    t.m[3][0] = 4.0;
    t.m[3][1] = -5.0;
    t.m[3][2] = 6.0;
    dg::DMat44 inv = t;
    ASSERT_TRUE(inv.Invert());
    const dg::DMat44 product = t * inv;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(product.m[r][c], r == c ? 1.0 : 0.0, 1e-12);
    const dg::DPoint3D p(1.0, 2.0, -3.0);
    ExpectNear(p * t * inv, p, 1e-12);
}

TEST(Geometry, InvertLeavesSingularOrNonFiniteMatrixUnchanged) {
    dg::DMat44 flat;
    flat.m[2][0] = 1.0;
    flat.m[2][1] = 0.0;
    flat.m[2][2] = 0.0;  // third row repeats the first
    dg::DMat44 bad;
    bad.m[1][2] = std::numeric_limits<double>::quiet_NaN();
    dg::DMat44 copy = flat;
    EXPECT_FALSE(copy.Invert());
    EXPECT_EQ(std::memcmp(copy.m, flat.m, sizeof copy.m), 0);
    copy = bad;
    EXPECT_FALSE(copy.Invert());
    EXPECT_EQ(copy.m[0][0], 1.0);
    EXPECT_TRUE(std::isnan(copy.m[1][2]));
}

struct CameraCase {
    const char* name;
    dg::Camera3D camera;
};

class CameraProjection : public ::testing::TestWithParam<CameraCase> {};

// Projecting a point and casting the ray through the pixel it lands on must find the point.
TEST_P(CameraProjection, RayThroughProjectedPixelPassesThroughPoint) {
    const dg::Camera3D& cam = GetParam().camera;
    const dg::DVec3 offsets[] = {{0, 0, 0}, {1.5, -0.5, 0.25}, {-2, 1, -1}, {0.3, 2.2, 1.7}};
    for (const dg::DVec3& off : offsets) {
        const dg::DPoint3D p = cam.target + off;
        const dg::DPoint3D pixel = p * cam.worldToWindow;
        const dg::DRay ray = cam.WindowRay(pixel.x, pixel.y);
        EXPECT_NEAR(ray.direction.Norm(), 1.0, 1e-12);
        EXPECT_GT(dg::Dot(p - ray.origin, ray.direction), 0.0) << "ray points away from scene";
        EXPECT_LT(dg::Distance(ray.NearestPoint(p), p), 1e-8);
    }
}

TEST_P(CameraProjection, TargetAtCentreYDownAndProjectionWindowMatchesViewportEdges) {
    const dg::Camera3D& cam = GetParam().camera;
    const double vw = cam.viewportWidth, vh = cam.viewportHeight;
    ExpectNear(cam.target * cam.worldToWindow, {vw / 2, vh / 2, (cam.target * cam.worldToWindow).z},
               1e-9);

    double a, b, c, d, e;
    bool parallel;
    cam.GetProjection(a, b, c, d, e, parallel);
    EXPECT_EQ(parallel, !cam.perspective);
    // Camera frame: w from target to eye, u to the right, v up.
    const dg::DVec3 w = cam.GetW();
    dg::DVec3 u = dg::Cross(cam.up, w);
    u.Normalize();
    const dg::DVec3 v = dg::Cross(w, u);
    // The window corners at depth D: (a, c) bottom-left, (b, d) top-right, scaled by D / e in
    // perspective.
    const double depth = dg::Distance(cam.eye, cam.target);
    const double s = parallel ? 1.0 : depth / e;
    const dg::DPoint3D topRight = cam.target + u * (b * s) + v * (d * s);
    const dg::DPoint3D bottomLeft = cam.target + u * (a * s) + v * (c * s);
    const dg::DPoint3D tr = topRight * cam.worldToWindow;
    const dg::DPoint3D bl = bottomLeft * cam.worldToWindow;
    EXPECT_NEAR(tr.x, vw, 1e-6);
    EXPECT_NEAR(tr.y, 0.0, 1e-6);
    EXPECT_NEAR(bl.x, 0.0, 1e-6);
    EXPECT_NEAR(bl.y, vh, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(
    PerspectiveAndParallel, CameraProjection,
    ::testing::Values(
        CameraCase{"Front",
                   dg::Camera3D::Perspective({0, 0, 10}, {0, 0, 0}, {0, 1, 0}, 0.8, 800, 600)},
        CameraCase{"Oblique",
                   dg::Camera3D::Perspective({7, -4, 9}, {1, 2, -1}, {0, 0, 1}, 1.1, 640, 480)},
        CameraCase{"ParallelIso",
                   dg::Camera3D::Parallel({5, 5, 5}, {0, 0, 0}, {0, 0, 1}, 12.0, 800, 600)},
        CameraCase{"ParallelWide",
                   dg::Camera3D::Parallel({0, 0, 10}, {1, 1, 0}, {0, 1, 0}, 10.0, 1024, 512)}),
    [](const ::testing::TestParamInfo<CameraCase>& p) { return p.param.name; });

TEST(Camera, ProjectionWindowWidthAtNearDistance) {
    const dg::Camera3D persp =
        dg::Camera3D::Perspective({0, 0, 10}, {0, 0, 0}, {0, 1, 0}, 0.8, 800, 600);
    double a, b, c, d, e;
    bool parallel;
    persp.GetProjection(a, b, c, d, e, parallel);
    EXPECT_DOUBLE_EQ(e, persp.nearDistance);
    EXPECT_NEAR(b - a, 2.0 * e * std::tan(0.4), 1e-12);
    EXPECT_NEAR((d - c) / (b - a), 600.0 / 800.0, 1e-12);

    const dg::Camera3D par =
        dg::Camera3D::Parallel({0, 0, 10}, {0, 0, 0}, {0, 1, 0}, 8.0, 800, 400);
    par.GetProjection(a, b, c, d, e, parallel);
    EXPECT_TRUE(parallel);
    EXPECT_DOUBLE_EQ(b - a, 8.0);
    EXPECT_DOUBLE_EQ(d - c, 4.0);
}

TEST(Camera, ViewingAxisIsUnitFromTargetToEye) {
    const dg::Camera3D cam =
        dg::Camera3D::Perspective({0, 3, 4}, {0, 0, 0}, {0, 0, 1}, 0.8, 10, 10);
    const dg::DVec3 w = cam.GetW();
    EXPECT_NEAR(w.x, 0.0, 1e-12);
    EXPECT_NEAR(w.y, 0.6, 1e-12);
    EXPECT_NEAR(w.z, 0.8, 1e-12);
}

}  // namespace
