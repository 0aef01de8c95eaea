// A jog drag while the framework moves the whole markup (Translate) and has not stopped the move:
// whatever the viewer rebuilds, stores or sends meanwhile, the path handed on at the release and
// at the move's Stop give the record the user's jog and the move, each once, and the drawn line
// shows the markup where the move has taken it.
#include "DragTestSupport.h"

#include <gtest/gtest.h>

#include <sxk/HostileViewer.h>
#include <sxmk/DragDriver.h>

#include <cmath>
#include <cstddef>
#include <functional>
#include <limits>
#include <memory>
#include <vector>

namespace {

using dragtest::ExpectNear;
using sxk::HostileViewer;
using Call = dragtest::RecordingController::Call;

const dg::DVec3 kAcross(0, 3, 0);  // across the main axis (X)
const dg::DVec3 kAlong(2, 0, 0);   // along it

std::vector<dg::DPoint3D> Moved(std::vector<dg::DPoint3D> line, const dg::DVec3& by) {
    for (dg::DPoint3D& p : line)
        p = p + by;
    return line;
}

class JogWhileMoving : public dragtest::FlowFixture {
protected:
    void ReleaseAll() override {
        pointer.reset();
        FlowFixture::ReleaseAll();
    }

    // The shadow of jogLine in a parallel view. A controller that stores the shadow's points at
    // each stop when storing, without rebuilding the shadow.
    void SetUpJogLine(bool storing) {
        MakeDragShadow(jogLine, dragtest::kViewSetups[1]);
        at = WindowOf(JogArrowNode());
        pointer.reset(new sxmk::DragDriver(S()));
        if (!storing)
            return;
        HostileViewer::Rebuild() = [this] {
            record->SetPoints(controller.calls.back().shadowPoints);
        };
        HostileViewer::Set(HostileViewer::Active() | HostileViewer::ControllerRebuilds);
    }
    void Press() { pointer->Start(JogArrowNode(), Round(at.x), Round(at.y)); }
    void Step(int dx) { pointer->Move(Round(at.x) + dx, Round(at.y)); }
    void Release() { pointer->Release(); }
    void Translate(const dg::DVec3& by) { pointer->Translate(by); }
    void StopMove(const dg::DVec3& by) { pointer->Stop(by, du::SmartPtr<sxk::Operation>()); }

    // The path of jogLine in the given layout and with the given ratio.
    std::vector<dg::DPoint3D> Path(bool alongAxis, float ratio) const {
        testsupport::LineInput layout = jogLine;
        layout.alongAxis = alongAxis;
        layout.ratio = ratio;
        return Built(layout);
    }
    void StoreAndRebuild(bool alongAxis) {
        record->SetPoints(Path(alongAxis, record->GetDivRation()));
        S().MarkupChanged();
    }

    // What the controller got at the release of the jog drag that flow runs.
    Call Handed(const std::function<void()>& flow) {
        flow();
        const Call call = controller.calls.empty() ? Call{} : controller.calls.back();
        ReleaseAll();
        MakeView();
        return call;
    }

    // Main axis X, ratio 0.5; 15 pixels take the jog 1.5 along it (ratio 0.65).
    const testsupport::LineInput jogLine =
        testsupport::AlongAxisLine({0, 0, 0}, {10, 4, 2}, 1.0f, 2.0f);
    std::unique_ptr<sxmk::DragDriver> pointer;
    dg::DPoint3D at;
};

// The move repeats its last Translate and stops; the controller stores the shadow's points at
// each stop. The record ends up moved once, with the jog where the user released it.
TEST_F(JogWhileMoving, MoveStoppedAfterTheReleaseReachesTheRecord) {
    for (const bool jog : {false, true}) {
        SCOPED_TRACE(jog ? "jog released before the move stops" : "no jog drag");
        SetUpJogLine(true);
        if (jog) {
            Press();
            Step(15);
        }
        Translate(kAcross);
        Translate(kAcross);
        if (jog)
            Release();
        StopMove(kAcross);

        ExpectNear(Stored(), Moved(Path(true, record->GetDivRation()), kAcross), 1e-5);
        ExpectNear(Drawn(), Stored(), 1e-5);
        ReleaseAll();
        MakeView();
    }
}

// A jog released where it stands while the move has not stopped: the release hands on the path
// that the record holds, not one torn or moved back by the move.
TEST_F(JogWhileMoving, ReleaseHandsOnThePathTheRecordHolds) {
    struct Row {
        const char* name;
        std::function<void()> beforeRelease;
    };
    const Row rows[] = {
        {"rebuilt before any step",
         [this] {
             Press();
             Translate(kAcross);
             S().MarkupChanged();
         }},
        {"straight path stored and rebuilt",
         [this] {
             Press();
             Step(15);
             Translate(kAcross);
             StoreAndRebuild(false);
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SetUpJogLine(true);
        row.beforeRelease();
        const std::vector<dg::DPoint3D> held = Stored();
        Release();

        ASSERT_FALSE(controller.calls.empty());
        ExpectNear(controller.calls.back().shadowPoints, held, 1e-5);
        ReleaseAll();
        MakeView();
    }
}

// The record held a straight path when the jog was pressed, and the along-axis one again when the
// first step found the jog; the markup moved along the main axis in between. The jog goes where
// the pointer takes it, as without the move.
TEST_F(JogWhileMoving, JogFoundAfterTheMoveFollowsThePointer) {
    const auto flow = [this](const dg::DVec3& by) {
        return [this, by] {
            SetUpJogLine(false);
            record->SetPoints(Path(false, 0.5f));
            Press();
            Translate(by);
            StoreAndRebuild(true);
            Step(15);
            Release();
        };
    };
    const Call still = Handed(flow(dg::DVec3::ZERO));
    const Call moving = Handed(flow(kAlong));
    EXPECT_NEAR(moving.ratio, still.ratio, 1e-6);
    ExpectNear(moving.shadowPoints, still.shadowPoints, 1e-5);
}

// A Translate by a displacement that is not finite, then one by nothing: the markup is back, and
// the release hands on the jog path as if it had never moved.
TEST_F(JogWhileMoving, NonFiniteMoveTakenBackHandsOnTheJogPath) {
    const auto flow = [this](const dg::DVec3* bad) {
        return [this, bad] {
            SetUpJogLine(false);
            Press();
            Step(15);
            if (bad != nullptr) {
                Translate(*bad);
                Translate(dg::DVec3::ZERO);
            }
            Release();
        };
    };
    const Call still = Handed(flow(nullptr));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (const dg::DVec3& bad : {dg::DVec3(nan, 0, 0), dg::DVec3(0, inf, 0)}) {
        SCOPED_TRACE(testing::Message() << "moved by " << bad.x << ", " << bad.y);
        ExpectNear(Handed(flow(&bad)).shadowPoints, still.shadowPoints, 1e-5);
    }
}

// The end extension arrow, dragged 30 pixels outwards (3 units), is released while the markup
// moves across the line: the extension is the length dragged, as without the move.
TEST_F(JogWhileMoving, ExtensionReleasedDuringAMoveStoresTheDraggedLength) {
    MakeDragShadow(testsupport::StraightLine({0, 0, 0}, {10, 0, 0}, 1.0f, 2.0f),
                   dragtest::kViewSetups[1]);
    at = WindowOf(EndArrowNode());
    sxmk::DragDriver arrow(S());
    arrow.Start(EndArrowNode(), Round(at.x), Round(at.y));
    arrow.Move(Round(at.x) + 30, Round(at.y));
    arrow.Translate(kAcross);
    arrow.Release();
    ASSERT_FALSE(controller.calls.empty());
    EXPECT_NEAR(controller.calls.back().endExtension, 5.0f, 1e-4);
}

}  // namespace
