#pragma once

// Shared pieces of the centre-line drag, ratio and pick tests: a controller that records what it
// is handed, a fixture that drives drags through the host's DragDriver in a chosen camera and
// object space, and geometry helpers.

#include "CenterLineFixture.h"

#include <gtest/gtest.h>

#include <dg/Camera3D.h>
#include <dg/Location.h>
#include <du/Localizer.h>
#include <sxk/Markup.h>
#include <sxk/Operation.h>
#include <sxmk/DragDriver.h>

#include <cmath>
#include <ostream>
#include <string>
#include <vector>

namespace dragtest {

// Localised operation names, as the viewer shows them.
inline std::string MoveExtensionName() {
    return du::Localizer("sxplugins/harborstartup:harborAppStrings")
        .LocalizeMessage("MoveExtentionDragger", 0);
}
inline std::string MoveJogName() {
    return du::Localizer("sxplugins/harborstartup:harborAppStrings")
        .LocalizeMessage("MoveJogDragger", 0);
}
inline std::string MoveEndPointName() {
    return du::Localizer("sxplugins/harborstartup:harborAppStrings")
        .LocalizeMessage("MoveEndPointDragger", 0);
}
inline std::string MoveMarkupsName() {
    return du::Localizer("sxbase:sxmodulesStrings").LocalizeMessage("97", 0);
}

// Records every HandleShadowStop: who, which operation, and the shadow's point list and the
// record's ratio and extensions at that moment.
class RecordingController : public sxk::MarkupController {
public:
    struct Call {
        const sxk::Markup* markup;
        const sxk::Markup* shadow;
        du::SmartPtr<sxk::Operation> operation;
        std::string operationName;
        std::vector<dg::DPoint3D> shadowPoints;
        float ratio;
        float startExtension;
        float endExtension;
    };

    bool HandleShadowStop(const du::SmartPtr<sxk::Markup>& markup,
                          const du::SmartPtr<sxk::Markup>& shadow,
                          const du::SmartPtr<sxk::Operation>& operation) override {
        Call call{
            markup.get(), shadow.get(), operation, operation ? operation->GetName() : std::string(),
            {},           0.0f,         0.0f,      0.0f};
        if (const auto* s = dynamic_cast<const sxmk::CenterLineXYZShadow*>(shadow.get()))
            call.shadowPoints = s->GetPoints();
        if (const auto* r = dynamic_cast<const sxmk::CenterLineXYZ*>(markup.get())) {
            call.ratio = r->GetDivRation();
            call.startExtension = r->GetStartExtention();
            call.endExtension = r->GetEndExtention();
        }
        calls.push_back(call);
        return true;
    }

    std::vector<Call> calls;
};

// The camera and object space a drag runs in.
struct ViewSetup {
    const char* name;
    bool parallel;
    bool rotated;  // markup placed with a quarter turn about Z and an offset
};

inline const ViewSetup kViewSetups[] = {
    {"Perspective", false, false},
    {"Parallel", true, false},
    {"PerspectiveRotated", false, true},
    {"ParallelRotated", true, true},
};

inline void PrintTo(const ViewSetup& setup, std::ostream* os) {
    *os << setup.name;
}

inline std::string ViewSetupName(const testing::TestParamInfo<ViewSetup>& info) {
    return info.param.name;
}

inline void ExpectNear(const dg::DPoint3D& actual, const dg::DPoint3D& expected,
                       double tolerance = 1e-9) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

inline void ExpectNear(const std::vector<dg::DPoint3D>& actual,
                       const std::vector<dg::DPoint3D>& expected, double tolerance = 1e-9) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "point " << i);
        ExpectNear(actual[i], expected[i], tolerance);
    }
}

class DragFixture : public testsupport::CenterLineFixture {
protected:
    void ReleaseAll() override {
        controller.calls.clear();
        CenterLineFixture::ReleaseAll();
    }

    // The shadow of lineInput in the given camera and object space, with the recording controller.
    void MakeDragShadow(const testsupport::LineInput& lineInput, const ViewSetup& setup) {
        const dg::DPoint3D eye(0.0, 0.0, 40.0);
        const dg::DVec3 up(0.0, 1.0, 0.0);
        view->camera =
            setup.parallel
                ? dg::Camera3D::Parallel(eye, dg::DPoint3D::ORIGIN, up, 80.0, 800, 600)
                : dg::Camera3D::Perspective(eye, dg::DPoint3D::ORIGIN, up, 0.8, 800, 600);
        MakeShadow(lineInput);
        ASSERT_TRUE(shadow);
        if (setup.rotated) {
            // Object x runs along world y, object y along world -x.
            record->placement =
                dg::Location(dg::FMat33(0.0f, 1.0f, 0.0f, -1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f),
                             dg::DPoint3D(3.0, -4.0, 2.0));
        }
        record->SetController(&controller);
    }

    // record := a new record of lineInput; shadow := its shadow in another view.
    void MakeShadowIn(const testsupport::LineInput& lineInput, const du::SmartPtr<sxk::View>& in) {
        shadow = nullptr;
        record = MakeRecord(lineInput);
        shadow = du::SmartPtr<Shadow>(static_cast<Shadow*>(record->ConstructShadow(in)));
        FindHandles();
        ASSERT_TRUE(shadow);
        record->SetController(&controller);
    }

    Shadow& S() { return *shadow; }

    // The handles as the framework grabs them.
    sxmu::ModelBase* StartSphereNode() { return handleNodes.startSphere; }
    sxmu::ModelBase* EndSphereNode() { return handleNodes.endSphere; }
    sxmu::ModelBase* StartArrowNode() { return handleNodes.startArrow; }
    sxmu::ModelBase* EndArrowNode() { return handleNodes.endArrow; }
    sxmu::ModelBase* JogArrowNode() { return handleNodes.jogArrow; }

    // The shadow waits for no pick: none is queued, and the next drag start has no earlier drop
    // to finish (an event the shadow still named would be cancelled and its drop finished now,
    // reaching the controller; one already let go would be touched after it is gone).
    void ExpectNoDropPending() {
        EXPECT_TRUE(view->pendingPicks.empty());
        const std::size_t calls = controller.calls.size();
        const int cancelled = view->detachedCompletions;
        sxmk::DragDriver line(S());
        line.Start(DrawnLine(S()), 300, 300);
        line.Release();
        EXPECT_EQ(controller.calls.size(), calls);
        EXPECT_EQ(view->detachedCompletions, cancelled);
    }

    std::vector<dg::DPoint3D>& Drawn() { return DrawnLine(S())->points; }
    const std::vector<dg::DPoint3D>& Stored() const { return *record->GetPoints(); }

    // Window position of a point of the markup's object space.
    dg::DPoint3D WindowOf(const dg::DPoint3D& p) const {
        const dg::Location& placement = record->placement;
        const dg::DPoint3D world =
            placement.GetPos() + dg::DVec3(p.x, p.y, p.z) * placement.GetRotation();
        return world * view->camera.worldToWindow;
    }
    dg::DPoint3D WindowOf(const sxmu::ModelBase* node) const {
        return WindowOf(node->location.GetPos());
    }

    // Window pixels that one object unit along dir from p spans.
    double PixelsPerUnit(const dg::DPoint3D& p, const dg::DVec3& dir) const {
        const dg::DPoint3D a = WindowOf(p);
        const dg::DPoint3D b = WindowOf(p + dir);
        return std::hypot(b.x - a.x, b.y - a.y);
    }

    // Unit window direction of an object-space direction at p (z dropped).
    dg::DVec3 WindowDirection(const dg::DPoint3D& p, const dg::DVec3& dir) const {
        const dg::DPoint3D a = WindowOf(p);
        const dg::DPoint3D b = WindowOf(p + dir);
        dg::DVec3 d(b.x - a.x, b.y - a.y, 0.0);
        d.Normalize();
        return d;
    }

    static int Round(double v) { return static_cast<int>(std::lround(v)); }

    // The path that a record of lineInput builds (no negative-extension rule applied).
    static std::vector<dg::DPoint3D> Built(const testsupport::LineInput& lineInput) {
        sxmk::CenterLineXYZ builder;
        builder.AddReference();  // a stack object must never reach a zero count
        std::vector<dg::DPoint3D> out;
        builder.BuildPoints(lineInput.start, lineInput.end, lineInput.alongAxis, lineInput.startExt,
                            lineInput.endExt, lineInput.ratio, lineInput.frame, lineInput.axisOrder,
                            out);
        return out;
    }

    RecordingController controller;
};

}  // namespace dragtest
