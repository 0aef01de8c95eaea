// Handle drags of a centre line while the framework moves the whole markup (Translate) and has not
// stopped the move: the drawn line shows the move throughout, and the result handed on by the
// drag, together with the move's own Stop, leaves the record with the user's edit and the move,
// each once, whether the controller stores the shadow's points or applies the move itself.
#include "DragTestSupport.h"

#include <gtest/gtest.h>

#include <sxk/HostileViewer.h>
#include <sxmk/DragDriver.h>

#include <functional>
#include <utility>
#include <vector>

namespace {

using dragtest::ExpectNear;
using sxk::HostileViewer;

class HandleDragDuringAMove : public dragtest::FlowFixture {
protected:
    void Translate(const dg::DVec3& by) { sxmk::DragDriver(S()).Translate(by); }
    // The framework's Stop of the move.
    void StopMove(const dg::DVec3& by) {
        sxmk::DragDriver(S()).Stop(by, du::SmartPtr<sxk::Operation>());
    }
    static std::vector<dg::DPoint3D> Moved(std::vector<dg::DPoint3D> line, const dg::DVec3& by) {
        for (dg::DPoint3D& p : line)
            p = p + by;
        return line;
    }
    void SwitchOn(unsigned behaviours) { HostileViewer::Set(HostileViewer::Active() | behaviours); }
    // Back to the behaviours the suite runs under.
    void SwitchOff() { HostileViewer::Set(HostileViewer::FromEnvironment()); }

    // A controller that stores the shadow's points at each stop.
    void StoreAtEachStop(bool rebuild) {
        HostileViewer::Rebuild() = [this, rebuild] {
            record->SetPoints(controller.calls.back().shadowPoints);
            if (rebuild)
                shadow->MarkupChanged();
        };
        SwitchOn(HostileViewer::ControllerRebuilds);
    }

    // Main axis X, ratio 0.5: 15 pixels take the jog to 0.65.
    const testsupport::LineInput jogLine =
        testsupport::AlongAxisLine({0, 0, 0}, {10, 4, 2}, 1.0f, 2.0f);
    const testsupport::LineInput straightLine =
        testsupport::StraightLine({0, 0, 0}, {10, 0, 0}, 1.0f, 2.0f);
    const dg::DVec3 across{0, 3, 0};
};

// The end extension arrow is dragged 10 pixels out, the markup moves across the line, and the
// pointer goes on to 30 pixels (3 units) before the release: the extension is 2 + 3.
TEST_F(HandleDragDuringAMove, ExtensionSteppedAfterTheMoveStoresTheDraggedLength) {
    MakeDragShadow(straightLine, dragtest::kViewSetups[1]);
    const dg::DPoint3D at = WindowOf(EndArrowNode());
    sxmk::DragDriver arrow(S());
    arrow.Start(EndArrowNode(), Round(at.x), Round(at.y));
    arrow.Move(Round(at.x) + 10, Round(at.y));
    Translate(across);
    arrow.Move(Round(at.x) + 30, Round(at.y));
    arrow.Release();
    ASSERT_FALSE(controller.calls.empty());
    EXPECT_NEAR(controller.calls.back().endExtension, 5.0f, 1e-4);
}

// A jog or an extension is released while the markup moves; a controller that stores the
// shadow's points at each stop rebuilds the shadow inside its call, or the viewer rebuilds it
// from the notification that follows the release. The move's Stop then leaves the record with
// the released path moved once.
TEST_F(HandleDragDuringAMove, RebuildAtTheReleaseKeepsTheMoveForItsStop) {
    bool rebuildWhenNotified = false;
    HostileViewer::CallBack() = [this, &rebuildWhenNotified](sxk::Markup&) {
        if (std::exchange(rebuildWhenNotified, false))
            shadow->MarkupChanged();
    };
    struct Row {
        bool jog;
        bool fromNotification;
    };
    for (const Row& row : {Row{true, false}, Row{true, true}, Row{false, false}}) {
        SCOPED_TRACE(testing::Message() << (row.jog ? "jog" : "end extension")
                                        << (row.fromNotification ? ", rebuilt when notified"
                                                                 : ", rebuilt by the controller"));
        MakeDragShadow(row.jog ? jogLine : straightLine, dragtest::kViewSetups[1]);
        sxmu::ModelBase* node = row.jog ? JogArrowNode() : EndArrowNode();
        const dg::DPoint3D at = WindowOf(node);
        sxmk::DragDriver pointer(S());
        pointer.Start(node, Round(at.x), Round(at.y));
        pointer.Move(Round(at.x) + (row.jog ? 15 : 30), Round(at.y));
        Translate(across);
        Translate(across);
        StoreAtEachStop(!row.fromNotification);
        if (row.fromNotification) {
            HostileViewer::Rebuild() = [this, &rebuildWhenNotified] {
                record->SetPoints(controller.calls.back().shadowPoints);
                rebuildWhenNotified = true;
            };
            SwitchOn(HostileViewer::NotifyCallsBack);
        }
        pointer.Release();
        ASSERT_EQ(controller.calls.size(), 1u);
        const std::vector<dg::DPoint3D> released = controller.calls[0].shadowPoints;
        StopMove(across);
        ExpectNear(Stored(), Moved(released, across), 1e-5);
        SwitchOff();
        ReleaseAll();
        MakeView();
    }
}

// The jog arrow is pressed and released without a step while the markup moves, and the shadow is
// rebuilt while the release stops another selected markup: the jog changed nothing, and the path
// handed on is the record's.
TEST_F(HandleDragDuringAMove, UnsteppedJogRebuiltDuringItsBroadcastHandsOnTheRecord) {
    MakeDragShadow(jogLine, dragtest::kViewSetups[1]);
    const std::vector<dg::DPoint3D> before = Stored();
    dragtest::CallingController other;
    const auto otherLine = AddOtherThatRebuilds(other);
    const dg::DPoint3D at = WindowOf(JogArrowNode());
    sxmk::DragDriver pointer(S());
    pointer.Start(JogArrowNode(), Round(at.x), Round(at.y));
    Translate(across);
    pointer.Release();
    otherLine->SetController(nullptr);
    ASSERT_EQ(controller.calls.size(), 1u);
    ExpectNear(controller.calls[0].shadowPoints, before, 1e-9);
}

// A controller that stores the shadow's points at each stop: a jog released during the move and
// the move's Stop leave the record with the jog's path moved once, drawn where it is stored.
TEST_F(HandleDragDuringAMove, MoveStoppedAfterTheReleaseReachesTheRecord) {
    StoreAtEachStop(false);
    MakeDragShadow(jogLine, dragtest::kViewSetups[1]);
    const dg::DPoint3D at = WindowOf(JogArrowNode());
    sxmk::DragDriver pointer(S());
    pointer.Start(JogArrowNode(), Round(at.x), Round(at.y));
    pointer.Move(Round(at.x) + 15, Round(at.y));
    Translate(across);
    Translate(across);
    pointer.Release();
    const std::vector<dg::DPoint3D> expected = Moved(Stored(), across);
    StopMove(across);
    ExpectNear(Stored(), expected, 1e-5);
    ExpectNear(Drawn(), Stored(), 1e-5);
}

// The record held a straight path at the press and the along-axis one again when the step found
// the jog; the markup moved along the main axis in between. The jog goes where the pointer takes
// it, as without the move: 15 pixels, ratio 0.65.
TEST_F(HandleDragDuringAMove, JogFoundAfterTheMoveFollowsThePointer) {
    MakeDragShadow(jogLine, dragtest::kViewSetups[1]);
    testsupport::LineInput straight = jogLine;
    straight.alongAxis = false;
    record->SetPoints(Built(straight));
    const dg::DPoint3D at = WindowOf(JogArrowNode());
    sxmk::DragDriver pointer(S());
    pointer.Start(JogArrowNode(), Round(at.x), Round(at.y));
    Translate(dg::DVec3(2, 0, 0));
    record->SetPoints(Built(jogLine));
    S().MarkupChanged();
    pointer.Move(Round(at.x) + 15, Round(at.y));
    pointer.Release();
    EXPECT_NEAR(record->GetDivRation(), 0.65f, 1e-5);
}

}  // namespace
