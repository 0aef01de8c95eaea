#pragma once

// Shared pieces of the centre-line drag, ratio and pick tests: a controller that records what it
// is handed, a fixture that drives drags through the host's DragDriver in a chosen camera and
// object space, and geometry helpers.

#include "CenterLineFixture.h"

#include <gtest/gtest.h>

#include <dg/Camera3D.h>
#include <dg/Location.h>
#include <du/Localizer.h>
#include <sxk/HostileViewer.h>
#include <sxk/Instance.h>
#include <sxk/Kernel.h>
#include <sxk/Markup.h>
#include <sxk/Operation.h>
#include <sxk/illustration/SbomInstance.h>
#include <sxmk/DragDriver.h>
#include <sxmk/Label.h>

#include <cmath>
#include <functional>
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

// A controller of another markup that runs a callback at each stop.
struct CallingController : sxk::MarkupController {
    std::function<void()> onStop;
    bool HandleShadowStop(const du::SmartPtr<sxk::Markup>&, const du::SmartPtr<sxk::Markup>&,
                          const du::SmartPtr<sxk::Operation>&) override {
        onStop();
        return true;
    }
};

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
        std::vector<dg::DPoint3D> recordPoints;
    };

    bool HandleShadowStop(const du::SmartPtr<sxk::Markup>& markup,
                          const du::SmartPtr<sxk::Markup>& shadow,
                          const du::SmartPtr<sxk::Operation>& operation) override {
        Call call{markup.get(),
                  shadow.get(),
                  operation,
                  operation ? operation->GetName() : std::string(),
                  {},
                  0.0f,
                  0.0f,
                  0.0f,
                  {}};
        if (const auto* s = dynamic_cast<const sxmk::CenterLineXYZShadow*>(shadow.get()))
            call.shadowPoints = s->GetPoints();
        if (auto* r = dynamic_cast<sxmk::CenterLineXYZ*>(markup.get())) {
            call.ratio = r->GetDivRation();
            call.startExtension = r->GetStartExtention();
            call.endExtension = r->GetEndExtention();
            call.recordPoints = *r->GetPoints();
        }
        calls.push_back(call);
        // A viewer may let go of the shadow or rebuild it here (when the test switches it on).
        sxk::HostileViewer::AfterShadowStop();
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

// The drag flows that every handle, every way a drop ends and every call into the viewer go
// through. The allocation sweeps fail each allocation of each flow in turn; the hostile-viewer
// tests play each flow against a viewer's legal worst case. A flow answers its picks through
// AnswerPicksWith, so that a viewer that completes a pick inside the request gets the same answer
// as one that completes it later.
class FlowFixture : public DragFixture {
protected:
    void ReleaseAll() override {
        shape = nullptr;
        labelNode = nullptr;
        endDrop.clear();
        startDrop.clear();
        labelDrop.clear();
        target = nullptr;
        answer.clear();
        DragFixture::ReleaseAll();
        // A pick that a flow left unanswered (a failure cut it short) stays with the kernel until
        // the viewer completes it: the next flow starts with a kernel of its own.
        sxk::Kernel::Remove();
        sxk::Kernel::Install();
    }

    // Drags a handle by (dx, dy) pixels and releases it. A handle that is no longer drawn (a
    // rebuild since the scene was set up made new nodes) is found again among the drawn ones.
    using HandleOf = sxmu::ModelBase* (DragFixture::*)();
    void Drag(HandleOf handle, int dx, int dy) {
        if (!DrawnRoot()->Contains((this->*handle)()))
            FindNearestHandles();
        sxmu::ModelBase* node = (this->*handle)();
        if (node == nullptr) {
            ADD_FAILURE() << "the handle to drag is not drawn";
            return;
        }
        Drag(node, dx, dy);
    }

    // The handles as drawn now, each the node of its kind nearest to its place: a sphere to its
    // end of the record, an extension arrow to its end of the drawn line (during a drop it stands
    // where the last aiming put it), the jog arrow the other arrow.
    void FindNearestHandles() {
        handleNodes = DrawnHandles();
        const std::vector<dg::DPoint3D>& drawn = DrawnLine(S())->points;
        if (drawn.empty())
            return;
        double best[4] = {HUGE_VAL, HUGE_VAL, HUGE_VAL, HUGE_VAL};
        sxmu::ModelBase** slot[4] = {&handleNodes.startSphere, &handleNodes.endSphere,
                                     &handleNodes.startArrow, &handleNodes.endArrow};
        for (const auto& child : DrawnRoot()->GetChildren()) {
            const bool sphere = dynamic_cast<sxmu::ModelSphere*>(child.get()) != nullptr;
            const bool arrow = dynamic_cast<sxmu::ModelLeaderLine*>(child.get()) != nullptr;
            if (!sphere && !arrow)
                continue;
            const dg::DPoint3D at = child->location.GetPos();
            const dg::DPoint3D places[2] = {sphere ? record->GetStartPoint() : drawn.front(),
                                            sphere ? record->GetEndPoint() : drawn.back()};
            for (int end = 0; end < 2; ++end) {
                const int k = (sphere ? 0 : 2) + end;
                const double distance = dg::Distance(at, places[end]);
                if (distance < best[k]) {
                    best[k] = distance;
                    *slot[k] = child.get();
                }
            }
        }
        for (const auto& child : DrawnRoot()->GetChildren()) {
            if (dynamic_cast<sxmu::ModelLeaderLine*>(child.get()) != nullptr &&
                child.get() != handleNodes.startArrow && child.get() != handleNodes.endArrow)
                handleNodes.jogArrow = child.get();
        }
    }

    // Drags the node by (dx, dy) pixels from its window position and releases it. A viewer that
    // let go of the shadow on the way is not driven further.
    void Drag(sxmu::ModelBase* node, int dx, int dy) {
        const dg::DPoint3D at = WindowOf(node);
        sxmk::DragDriver driver(S());
        driver.Start(node, Round(at.x), Round(at.y));
        for (const int part : {1, 2}) {
            if (!shadow)
                return;
            driver.Move(Round(at.x) + dx * part / 2, Round(at.y) + dy * part / 2);
        }
        if (shadow)
            driver.Release();
    }

    // The answer to the picks that follow: handed to the view now for a viewer that completes a
    // pick at once, and by CompletePicks otherwise. failEveryPick turns every answer into a
    // failed pick.
    void AnswerPicksWith(const std::vector<sxk::PickResult>& results, int status = 0) {
        answer = results;
        answerStatus = failEveryPick ? 1 : status;
        view->atOnceResults = answer;
        view->atOnceStatus = answerStatus;
    }
    void CompletePicks() {
        while (view && view->CompletePick(answer, answerStatus)) {
        }
    }

    // A part under the pointer, with or without an SBOM instance, and a label.
    void MakePart(const char* id, bool sbom) {
        const du::SmartPtr<sxk::Instance> instance(new sxk::Instance(du::Symbol(id)));
        if (sbom)
            instance->SetSbomInstance(new sxk::illustration::SbomInstance(du::Symbol(id)));
        shape = new sxk::ShapeInstance(instance);
        labelNode = new sxmk::Label;
        // Built here, not while a flow runs, so that only the library's allocations can fail.
        endDrop = {{shape, {4, 5, 0}}};
        startDrop = {{shape, {1, 1, 0}}};
        labelDrop = {{labelNode, {6, 6, 0}}};
    }

    void SetUpLine() {
        MakeDragShadow(testsupport::StraightLine({0, 0, 0}, {10, 0, 0}, 1.0f, 2.0f),
                       kViewSetups[1]);
        du::Symbol own("/p/own");
        record->SetPartID(own);
        MakePart("/p/other", false);
    }
    // A jog line and another markup that moves with it.
    void SetUpJog(bool withOther) {
        MakeDragShadow(testsupport::AlongAxisLine({0, 0, 0}, {10, 4, 2}, 1.0f, 2.0f),
                       kViewSetups[1]);
        if (!withOther)
            return;
        target = ConstructFor(MakeRecord(testsupport::StraightLine({0, 5, 0}, {3, 5, 0})));
        shadow->broadcastTargets.push_back(target);
    }
    // Another markup that moves with the shadow, whose controller other rebuilds the shadow when
    // a release stops it too. Take other off the returned record before other goes.
    du::SmartPtr<sxmk::CenterLineXYZ> AddOtherThatRebuilds(CallingController& other) {
        const auto otherLine = MakeRecord(testsupport::StraightLine({0, 5, 0}, {3, 5, 0}));
        other.onStop = [this] { shadow->MarkupChanged(); };
        otherLine->SetController(&other);
        target = ConstructFor(otherLine);
        shadow->broadcastTargets.push_back(target);
        return otherLine;
    }
    void DropEnd(const std::vector<sxk::PickResult>& results, int status) {
        AnswerPicksWith(results, status);
        Drag(&FlowFixture::EndSphereNode, 20, -10);
        CompletePicks();
    }

    // A drag flow: setUp builds its scene, run drags; hasOperation tells whether the controller
    // gets an operation when nothing fails, calls how often it is called, picks whether the flow
    // asks for a pick, pickOutlivesDrag whether a later drag starts before the pick completes.
    struct Flow {
        const char* name;
        std::function<void()> setUp;
        std::function<void()> run;
        bool hasOperation;
        std::size_t calls;
        bool picks;
        bool pickOutlivesDrag = false;
    };
    std::vector<Flow> Flows() {
        return {
            {"end dropped on an SBOM part",
             [this] {
                 SetUpLine();
                 MakePart("/p/other", true);
             },
             [this] { DropEnd(endDrop, 0); }, true, 1, true},
            {"end dropped on a plain part", [this] { SetUpLine(); },
             [this] { DropEnd(endDrop, 0); }, true, 1, true},
            {"end dropped on a label", [this] { SetUpLine(); }, [this] { DropEnd(labelDrop, 0); },
             true, 1, true},
            {"end dropped by a failed pick", [this] { SetUpLine(); },
             [this] { DropEnd(endDrop, 1); }, false, 1, true},
            {"attached end dropped on nothing",
             [this] {
                 SetUpLine();
                 record->SetEndPointAttached(true);
             },
             [this] { DropEnd({}, 0); }, false, 1, true},
            {"start sprung back from another part",
             [this] {
                 SetUpLine();
                 MakePart("/p/other", true);
             },
             [this] {
                 AnswerPicksWith(startDrop);
                 Drag(&FlowFixture::StartSphereNode, -20, 10);
                 CompletePicks();
             },
             false, 1, true},
            {"end dropped without a kernel",
             [this] {
                 SetUpLine();
                 sxk::Kernel::Remove();
             },
             [this] { DropEnd(endDrop, 0); }, true, 1, false},
            {"pending drop finished by the next drag", [this] { SetUpLine(); },
             [this] {
                 AnswerPicksWith(endDrop);
                 Drag(&FlowFixture::EndSphereNode, 20, -10);
                 if (shadow)
                     Drag(&FlowFixture::StartArrowNode, -15, 0);
                 CompletePicks();
             },
             true, 2, true, true},
            {"start extension", [this] { SetUpLine(); },
             [this] { Drag(&FlowFixture::StartArrowNode, -30, 0); }, true, 1, false},
            {"end extension", [this] { SetUpLine(); },
             [this] { Drag(&FlowFixture::EndArrowNode, 30, 0); }, true, 1, false},
            {"jog alone", [this] { SetUpJog(false); },
             [this] { Drag(&FlowFixture::JogArrowNode, 15, 0); }, true, 1, false},
            {"jog with another markup", [this] { SetUpJog(true); },
             [this] { Drag(&FlowFixture::JogArrowNode, 15, 0); }, true, 1, false},
        };
    }

    du::SmartPtr<sxk::Object> shape;
    du::SmartPtr<sxk::Object> labelNode;
    std::vector<sxk::PickResult> endDrop;
    std::vector<sxk::PickResult> startDrop;
    std::vector<sxk::PickResult> labelDrop;
    du::SmartPtr<sxmk::MarkupShadow> target;
    std::vector<sxk::PickResult> answer;
    int answerStatus = 0;
    bool failEveryPick = false;
};

}  // namespace dragtest
