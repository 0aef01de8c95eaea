// A rebuild (MarkupChanged) while a drag or a drop is open, from a polite viewer or from inside one
// of the shadow's own notifications, keeps the drag's preview: what reaches the controller is what
// the drag did. A pick result handed to the shadow again while its drop is applied changes nothing.
#include "DragTestSupport.h"

#include <gtest/gtest.h>

#include <sxk/HostileViewer.h>
#include <sxmk/DragDriver.h>

#include <vector>

namespace {

using dragtest::ExpectNear;
using sxk::HostileViewer;
using testsupport::AlongAxisLine;

class OpenDragRebuilt : public dragtest::FlowFixture {
protected:
    // Grabs the end sphere of the straight line of SetUpLine, drags it by (20, -10) pixels and
    // releases it; the pick stays pending. Answers where the end slot was drawn at the release.
    dg::DPoint3D ReleaseEndAndLeavePickPending() {
        Drag(EndSphereNode(), 20, -10);
        EXPECT_EQ(view->pendingPicks.size(), 1u);
        return Drawn()[2];
    }
};

// A polite viewer rebuilds the shadow while a free end's pick is pending; the pick then finds
// nothing. A free end dropped on nothing stays where it was released: the controller gets a
// "Move End Point" with the end there, although the released position lived only in the drawn
// line that the rebuild replaced.
TEST_F(OpenDragRebuilt, FreeEndDroppedOnNothingAfterARebuildStaysWhereReleased) {
    SetUpLine();
    AnswerPicksWith({});
    const dg::DPoint3D released = ReleaseEndAndLeavePickPending();
    ASSERT_NE(released, dg::DPoint3D(10, 0, 0));

    shadow->MarkupChanged();
    CompletePicks();

    ASSERT_EQ(controller.calls.size(), 1u);
    EXPECT_EQ(controller.calls[0].operationName, dragtest::MoveEndPointName());
    ASSERT_EQ(controller.calls[0].shadowPoints.size(), 4u);
    ExpectNear(controller.calls[0].shadowPoints[2], released);
}

// A polite viewer rebuilds the shadow between the last jog step and the release. The record
// already holds the dragged ratio (each step writes it), and the stop hands over the path of that
// ratio, not the rebuilt line with its jog at the ratio before the drag.
TEST_F(OpenDragRebuilt, JogReleasedAfterARebuildHandsOnThePathOfItsRatio) {
    const testsupport::LineInput jogLine = AlongAxisLine({0, 0, 0}, {10, 4, 2}, 1.0f, 2.0f);
    MakeDragShadow(jogLine, dragtest::kViewSetups[1]);
    const dg::DPoint3D at = WindowOf(JogArrowNode());
    sxmk::DragDriver driver(S());
    ASSERT_TRUE(driver.Start(JogArrowNode(), Round(at.x), Round(at.y)));
    driver.Move(Round(at.x) + 15, Round(at.y));
    ASSERT_NE(record->GetDivRation(), 0.5f);

    shadow->MarkupChanged();
    driver.Release();

    ASSERT_EQ(controller.calls.size(), 1u);
    const auto& call = controller.calls[0];
    testsupport::LineInput handedRatio = jogLine;
    handedRatio.ratio = call.ratio;
    ExpectNear(call.shadowPoints, Built(handedRatio), 1e-5);
}

// While a drop is applied, the shadow notifies the viewer (the end moves to the pick); a viewer
// that rebuilds the shadow from that notification, as a notification may call the shadow's
// public methods, still hands the controller a path with the end on the pick.
TEST_F(OpenDragRebuilt, RebuildFromTheDropsNotificationKeepsTheDrop) {
    SetUpLine();
    AnswerPicksWith(endDrop);
    ReleaseEndAndLeavePickPending();

    HostileViewer::CallBack() = [](sxk::Markup& notifying) {
        if (auto* s = dynamic_cast<sxmk::CenterLineXYZShadow*>(&notifying))
            s->MarkupChanged();
    };
    HostileViewer::Set(HostileViewer::NotifyCallsBack);
    CompletePicks();
    HostileViewer::Set(0);

    ASSERT_EQ(controller.calls.size(), 1u);
    ASSERT_EQ(controller.calls[0].shadowPoints.size(), 4u);
    ExpectNear(controller.calls[0].shadowPoints[2], endDrop[0].point);
}

// While a drop is applied, the viewer hands the pick's result to the shadow once more from the
// drop's own notification. One drag reaches the controller once.
TEST_F(OpenDragRebuilt, PickResultHandedAgainDuringTheDropReachesTheControllerOnce) {
    SetUpLine();
    AnswerPicksWith(endDrop);
    ReleaseEndAndLeavePickPending();

    HostileViewer::CallBack() = [this](sxk::Markup& notifying) {
        if (auto* s = dynamic_cast<sxmk::CenterLineXYZShadow*>(&notifying))
            s->OnReceivePick(endDrop);
    };
    HostileViewer::Set(HostileViewer::NotifyCallsBack);
    CompletePicks();
    HostileViewer::Set(0);

    EXPECT_EQ(controller.calls.size(), 1u);
}

}  // namespace
