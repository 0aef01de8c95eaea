#pragma once

// What the benchmark programs share: a host with a shape view and a perspective camera, the
// centre lines they measure, and drags of each handle driven as the viewer drives them.

#include "CenterLineXYZShadowTestAccess.h"
#include "LineInput.h"

#include <dg/Camera3D.h>
#include <dg/Location.h>
#include <du/SmartPtr.h>
#include <sxk/Kernel.h>
#include <sxk/Markup.h>
#include <sxk/Preferences.h>
#include <sxk/Scene.h>
#include <sxk/View.h>
#include <sxmk/CenterLineXYZ.h>
#include <sxmk/CenterLineXYZShadow.h>
#include <sxmk/DragDriver.h>

#include <cmath>
#include <vector>

namespace bench {

using Shadow = sxmk::CenterLineXYZShadow;
using Access = sxmk::CenterLineXYZShadowTestAccess;

constexpr const char* kPreselectionColorKey = "General/Navigation/preselection_color";

using testsupport::LineInput;

// A line across the view with both extensions; along axis, its frame turned 30 degrees about Z
// and placed off the origin (the position must not matter), axis order X, Z, Y.
inline LineInput MeasuredLine(bool alongAxis) {
    LineInput input;
    input.start = dg::DPoint3D(-4.0, -2.0, 1.0);
    input.end = dg::DPoint3D(6.0, 5.0, -1.0);
    input.alongAxis = alongAxis;
    input.startExt = 1.5f;
    input.endExt = 2.0f;
    input.ratio = 0.4f;
    if (alongAxis) {
        const float c = std::cos(0.5235988f);
        const float s = std::sin(0.5235988f);
        input.frame = dg::Location(dg::FMat33(c, s, 0.0f, -s, c, 0.0f, 0.0f, 0.0f, 1.0f),
                                   dg::DPoint3D(3.0, 1.0, -2.0));
        input.axisOrder[0] = 0;
        input.axisOrder[1] = 2;
        input.axisOrder[2] = 1;
    }
    return input;
}

// Takes every finished drag, as the viewer's controller would, and changes nothing: what the
// viewer does with it is not the library's cost.
class AcceptingController : public sxk::MarkupController {
public:
    bool HandleShadowStop(const du::SmartPtr<sxk::Markup>&, const du::SmartPtr<sxk::Markup>&,
                          const du::SmartPtr<sxk::Operation>&) override {
        ++stops;
        return true;
    }
    long stops = 0;
};

// The kernel and a shape view with a perspective camera on the origin from +Z, its window,
// scene and default preferences (optionally with a preselection colour).
class Host {
public:
    explicit Host(bool withPreselectionColor = false) {
        sxk::Kernel::Install();
        view = new sxk::ShapeView;
        view->camera = dg::Camera3D::Perspective(dg::DPoint3D(0.0, 0.0, 40.0), dg::DPoint3D::ORIGIN,
                                                 dg::DVec3(0.0, 1.0, 0.0), 0.8, 800, 600);
        view->window = new sxk::Window;
        view->scene = new sxk::Scene;
        view->defaultPreferences = new sxk::Preferences;
        if (withPreselectionColor)
            view->defaultPreferences->SetColor(kPreselectionColorKey,
                                               dg::Color(1.0f, 0.5f, 0.0f, 1.0f));
    }
    ~Host() {
        view = nullptr;
        sxk::Kernel::Remove();
    }
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    // A new record built from input as the viewer fills one: BuildPoints, then SetPoints.
    static du::SmartPtr<sxmk::CenterLineXYZ> MakeRecord(const LineInput& input) {
        du::SmartPtr<sxmk::CenterLineXYZ> record(new sxmk::CenterLineXYZ);
        std::vector<dg::DPoint3D> list;
        input.Build(*record, list);
        record->SetPoints(list);
        return record;
    }

    // The record's shadow in the view, held as the viewer holds it (the first reference).
    du::SmartPtr<Shadow> MakeShadow(const du::SmartPtr<sxmk::CenterLineXYZ>& record) const {
        return du::SmartPtr<Shadow>(
            static_cast<Shadow*>(record->ConstructShadow(du::SmartPtr<sxk::View>(view))));
    }

    du::SmartPtr<sxk::ShapeView> view;
};

enum class Handle { StartPoint, EndPoint, StartExtension, EndExtension, Jog };

inline sxmu::ModelBase* NodeOf(Shadow& shadow, Handle handle) {
    switch (handle) {
        case Handle::StartPoint:
            return Access::sphereDraggers(shadow)[0].get();
        case Handle::EndPoint:
            return Access::sphereDraggers(shadow)[1].get();
        case Handle::StartExtension:
            return Access::startExtensionAxis(shadow)->arrow.get();
        case Handle::EndExtension:
            return Access::endExtensionAxis(shadow)->arrow.get();
        case Handle::Jog:
            return Access::jogAxis(shadow)->arrow.get();
    }
    return nullptr;
}

// One centre line and its shadow with a drag of one handle. A steady-state step alternates the
// pointer between two positions (the library computes every step from the drag's start, so each
// step does the same work); a cycle grabs, moves out and back and releases, completing the pick
// of a point drop with nothing under the pointer.
class HandleDrag {
public:
    HandleDrag(Host& host, const LineInput& input, Handle grabbed)
        : view(host.view),
          record(Host::MakeRecord(input)),
          shadow(host.MakeShadow(record)),
          handle(grabbed),
          driver(*shadow) {
        record->SetController(&controller);
        node = NodeOf(*shadow, handle);
        const dg::DPoint3D at = driver.WorldPositionOf(*node) * view->camera.worldToWindow;
        x0 = static_cast<int>(std::lround(at.x));
        y0 = static_cast<int>(std::lround(at.y));
    }
    ~HandleDrag() {
        record->SetController(nullptr);
        shadow = nullptr;
        record = nullptr;
    }
    HandleDrag(const HandleDrag&) = delete;
    HandleDrag& operator=(const HandleDrag&) = delete;

    bool IsPointDrag() const { return handle == Handle::StartPoint || handle == Handle::EndPoint; }

    // Grabs the handle where it is drawn; answers false when the shadow does not take the drag.
    bool Start() {
        if (!driver.Start(node, x0, y0))
            return false;
        // The two pointer positions of the steady-state steps, as the framework fills them.
        const dg::DPoint3D anchor = driver.WorldPositionOf(*node);
        for (int i = 0; i < 2; ++i) {
            stepX[i] = x0 + kStepX[i];
            stepY[i] = y0 + kStepY[i];
            stepVector[i] =
                sxmk::DragDriver::PointerDisplacement(*view, anchor, x0, y0, stepX[i], stepY[i]);
        }
        return true;
    }

    // One step of the shadow's own handler, the framework's drag members set as it sets them.
    void Step(int i) {
        Shadow& s = *shadow;
        s.dragX = stepX[i & 1];
        s.dragY = stepY[i & 1];
        s.dragVector = stepVector[i & 1];
        Access::HandleDragStep(s);
    }

    // One pointer move through the framework (the host's displacement, then the handler).
    void Move(int i) { driver.Move(stepX[i & 1], stepY[i & 1]); }

    // Release, and for a point drag the completion of its pick with nothing under the pointer.
    void Release() {
        driver.Release();
        if (IsPointDrag())
            view->CompletePick(std::vector<sxk::PickResult>(), 0);
    }

    // A whole drag: grab, eight moves out and back to where it was grabbed, release.
    void Cycle() {
        driver.Start(node, x0, y0);
        for (int k : {1, 2, 3, 4, 3, 2, 1, 0})
            driver.Move(x0 + k * kStepX[0], y0 + k * kStepY[0]);
        Release();
    }

    // Pointer offsets from the grab: along the window direction of every handle's axis, and
    // short enough that the jog stays between the ends (no extension point is reflected).
    static constexpr int kStepX[2] = {8, 16};
    static constexpr int kStepY[2] = {-16, -32};

    du::SmartPtr<sxk::ShapeView> view;
    AcceptingController controller;
    du::SmartPtr<sxmk::CenterLineXYZ> record;
    du::SmartPtr<Shadow> shadow;
    Handle handle;
    sxmk::DragDriver driver;
    sxmu::ModelBase* node = nullptr;
    int x0 = 0;
    int y0 = 0;
    int stepX[2] = {0, 0};
    int stepY[2] = {0, 0};
    dg::DVec3 stepVector[2];
};

}  // namespace bench
