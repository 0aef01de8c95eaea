// The scenario's "view" (or its "views", one or two): the window's size, and for a shape view the
// camera.
#include "ScenarioReading.h"

#include <cstdio>
#include <string>

namespace replay {
namespace reading {

namespace {

constexpr int kViewportLimit = 10000;

std::string Number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", v);
    return text;
}

// A near distance at or beyond the target would hide what the camera looks at.
double ReadNear(const Json& j, const std::string& where, double eyeToTarget) {
    const double distance = ReadCoordinate(j, where);
    if (!(distance > 0.0 && distance < eyeToTarget))
        Fail(where, "out of range (above 0 and below " + Number(eyeToTarget) +
                        ", the distance from the eye to the target)");
    return distance;
}

// The camera of a shape view: where it looks from and to, and its projection.
void ReadShapeCamera(const Json& cam, const std::string& cw, ViewInput& v) {
    CheckKeys(cam, cw, {"eye", "target", "up", "fieldOfView", "parallelWidth", "near"});
    v.eye = ReadPoint(Require(cam, cw, "eye"), Field(cw, "eye"));
    v.target = ReadPoint(Require(cam, cw, "target"), Field(cw, "target"));
    ReadIfPresent(cam, cw, "up", ReadVector, v.up);
    dg::DVec3 sight = v.target - v.eye;
    const double eyeToTarget = sight.Norm();
    if (!sight.Normalize())
        Fail(Field(cw, "target"), "must differ from the eye");
    dg::DVec3 up = v.up;
    if (!up.Normalize() || dg::Cross(up, sight).Norm() < 1e-9)
        Fail(Field(cw, "up"), Optional(cam, "up")
                                  ? "must not be zero nor along the line of sight"
                                  : "must not be zero nor along the line of sight (the default "
                                    "[0, 1, 0] is along it: give one)");
    const Json* fov = Optional(cam, "fieldOfView");
    const Json* width = Optional(cam, "parallelWidth");
    if ((fov != nullptr) == (width != nullptr))
        Fail(cw, "give exactly one of fieldOfView (degrees, perspective) and parallelWidth");
    if (fov) {
        v.perspective = true;
        v.fieldOfViewDegrees = ReadNumber(*fov, Field(cw, "fieldOfView"));
        if (!(v.fieldOfViewDegrees > 0.0 && v.fieldOfViewDegrees < 179.0))
            Fail(Field(cw, "fieldOfView"), "out of range (degrees, above 0 and below 179)");
    } else {
        v.perspective = false;
        v.parallelWidth = ReadCoordinate(*width, Field(cw, "parallelWidth"));
        if (!(v.parallelWidth > 0.0))
            Fail(Field(cw, "parallelWidth"), "out of range (must be above 0)");
    }
    ReadIfPresent(
        cam, cw, "near",
        [&](const Json& n, const std::string& at) { return ReadNear(n, at, eyeToTarget); },
        v.nearDistance);
}

}  // namespace

ViewInput ReadCamera(const Json& cam, const std::string& where, const ViewInput& view) {
    ViewInput v = view;
    if (view.shapeView) {
        v.nearDistance.reset();
        ReadShapeCamera(cam, where, v);
        return v;
    }
    CheckKeys(cam, where, {"target"});
    v.target = ReadPoint(Require(cam, where, "target"), Field(where, "target"));
    v.eye = v.target + dg::DVec3(0.0, 0.0, 1000.0);
    return v;
}

ViewInput ReadView(const Json& j, const std::string& where) {
    CheckKeys(j, where, {"kind", "viewport", "camera"});
    ViewInput v;
    if (const Json* k = Optional(j, "kind")) {
        const std::string kind = ReadString(*k, Field(where, "kind"));
        if (kind != "shape" && kind != "plain")
            Fail(Field(where, "kind"), "expected \"shape\" or \"plain\", got \"" + kind + "\"");
        v.shapeView = kind == "shape";
    }
    const std::string vp = Field(where, "viewport");
    const Json& viewport = Require(j, where, "viewport");
    if (!viewport.is_array() || viewport.size() != 2)
        Fail(vp, "expected [width, height] in pixels");
    v.width = ReadIntIn(viewport[0], Index(vp, 0), 1, kViewportLimit);
    v.height = ReadIntIn(viewport[1], Index(vp, 1), 1, kViewportLimit);

    const std::string cw = Field(where, "camera");
    if (!v.shapeView) {
        // A plain view shows one world unit per pixel, y up, centred on its target.
        v.perspective = false;
        v.parallelWidth = v.width;
        v.target = dg::DPoint3D::ORIGIN;
        if (const Json* cam = Optional(j, "camera")) {
            CheckKeys(*cam, cw, {"target"});
            if (const Json* t = Optional(*cam, "target"))
                v.target = ReadPoint(*t, Field(cw, "target"));
        }
        v.eye = v.target + dg::DVec3(0.0, 0.0, 1000.0);
        v.up = dg::DVec3(0.0, 1.0, 0.0);
        return v;
    }
    ReadShapeCamera(Require(j, where, "camera"), cw, v);
    return v;
}

}  // namespace reading

std::vector<ViewInput> ViewsOf(const Scenario& scenario) {
    std::vector<ViewInput> views{scenario.view};
    if (scenario.secondView)
        views.push_back(*scenario.secondView);
    return views;
}

}  // namespace replay
