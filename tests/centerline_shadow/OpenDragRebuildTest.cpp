// A rebuild (MarkupChanged) or a Translate while a drag or a drop is open, from a polite viewer or
// from inside one of the shadow's own notifications, keeps the drag's preview: what reaches the
// controller is what the drag did. Once the result is handed to the controller, a rebuild shows
// what the controller made of it. A pick result handed to the shadow again while its drop is
// applied changes nothing, and drags of one record in two views never undo each other.
#include "DragTestSupport.h"

#include <gtest/gtest.h>

#include "CenterLineXYZShadowTestAccess.h"

#include <sxk/HostileViewer.h>
#include <sxmk/DragDriver.h>

#include <functional>
#include <utility>
#include <vector>

namespace {

using dragtest::ExpectNear;
using sxk::HostileViewer;
using testsupport::AlongAxisLine;
using Access = sxmk::CenterLineXYZShadowTestAccess;

// A controller of another markup that runs a callback at each stop.
struct CallingController : sxk::MarkupController {
    std::function<void()> onStop;
    bool HandleShadowStop(const du::SmartPtr<sxk::Markup>&, const du::SmartPtr<sxk::Markup>&,
                          const du::SmartPtr<sxk::Operation>&) override {
        onStop();
        return true;
    }
};

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

// Between the last jog step and the release the viewer rebuilds the shadow, or stores a straight
// path and rebuilds, then the along-axis path again and rebuilds. The record already holds the
// dragged ratio (each step writes it), and the stop hands over the path of that ratio, with the
// jog where the drag put it, not at the ratio before the drag nor at another list's vertex.
TEST_F(OpenDragRebuilt, JogReleasedAfterRebuildsHandsOnThePathOfItsRatio) {
    const testsupport::LineInput jogLine = AlongAxisLine({0, 0, 0}, {10, 4, 2}, 1.0f, 2.0f);
    for (const bool layoutRoundTrip : {false, true}) {
        SCOPED_TRACE(layoutRoundTrip ? "layout round trip" : "rebuild");
        MakeDragShadow(jogLine, dragtest::kViewSetups[1]);
        const dg::DPoint3D at = WindowOf(JogArrowNode());
        sxmk::DragDriver driver(S());
        ASSERT_TRUE(driver.Start(JogArrowNode(), Round(at.x), Round(at.y)));
        driver.Move(Round(at.x) + 15, Round(at.y));
        ASSERT_NE(record->GetDivRation(), 0.5f);
        for (const bool alongAxis : {false, true}) {
            if (layoutRoundTrip) {
                testsupport::LineInput layout = jogLine;
                layout.alongAxis = alongAxis;
                std::vector<dg::DPoint3D> list;
                layout.Build(*record, list);
                record->SetPoints(list);
            }
            if (layoutRoundTrip || alongAxis)
                shadow->MarkupChanged();
        }
        driver.Release();

        ASSERT_EQ(controller.calls.size(), 1u);
        testsupport::LineInput handedRatio = jogLine;
        handedRatio.ratio = controller.calls[0].ratio;
        ExpectNear(controller.calls[0].shadowPoints, Built(handedRatio), 1e-5);
        ReleaseAll();
        MakeView();
    }
}

// After a first jog step of 15 pixels the viewer stores a straight path and the along-axis path
// again, of the ratio the step wrote, rebuilding each time; a second step goes to 30 pixels. The
// jog goes on from where it was pressed, not from the rebuilt jog (which would count the first
// step twice): the release hands on what a drag without the rewrites hands on.
TEST_F(OpenDragRebuilt, JogFollowsThePointerWhateverTheViewerStoresMeanwhile) {
    const testsupport::LineInput layout = AlongAxisLine({0, 0, 0}, {10, 4, 2}, 1.0f, 2.0f);
    float unrewrittenRatio = 0.0f;
    std::vector<dg::DPoint3D> unrewritten;
    for (const bool rewrites : {false, true}) {
        MakeDragShadow(layout, dragtest::kViewSetups[1]);
        const dg::DPoint3D at = WindowOf(JogArrowNode());
        sxmk::DragDriver driver(S());
        ASSERT_TRUE(driver.Start(JogArrowNode(), Round(at.x), Round(at.y)));
        driver.Move(Round(at.x) + 15, Round(at.y));
        for (const bool alongAxis : {false, true}) {
            if (!rewrites)
                break;
            testsupport::LineInput rewritten = layout;
            rewritten.alongAxis = alongAxis;
            rewritten.ratio = record->GetDivRation();
            std::vector<dg::DPoint3D> list;
            rewritten.Build(*record, list);
            record->SetPoints(list);
            shadow->MarkupChanged();
        }
        driver.Move(Round(at.x) + 30, Round(at.y));
        driver.Release();

        ASSERT_EQ(controller.calls.size(), 1u);
        if (!rewrites) {
            unrewrittenRatio = controller.calls[0].ratio;
            unrewritten = controller.calls[0].shadowPoints;
        }
        EXPECT_NEAR(controller.calls[0].ratio, unrewrittenRatio, 1e-6);
        ExpectNear(controller.calls[0].shadowPoints, unrewritten, 1e-5);
        ReleaseAll();
        MakeView();
    }
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

// The controller snaps a drop to a grid or refuses it, and the shadow is rebuilt inside the
// controller's call or from the drop's notification that follows it, whether the pick completed
// later or inside the request: the drawn line and the end sphere show the record as the
// controller left it, never the raw drop, and the next extension drag that does not move stores
// the extension the record had.
TEST_F(OpenDragRebuilt, DropChangedByTheControllerShowsWhatTheControllerStored) {
    // A viewer that rebuilds when notified does so once, at the first notification after the
    // controller changed the record.
    bool rebuildWhenNotified = false;
    HostileViewer::CallBack() = [this, &rebuildWhenNotified](sxk::Markup&) {
        if (std::exchange(rebuildWhenNotified, false))
            shadow->MarkupChanged();
    };
    for (const bool snaps : {true, false})
        for (const bool atOnce : {false, true})
            for (const bool fromNotification : {false, true}) {
                SCOPED_TRACE(testing::Message()
                             << (snaps ? "snapped" : "refused")
                             << (atOnce ? ", picked at once" : "")
                             << (fromNotification ? ", rebuilt when notified" : ""));
                SetUpLine();
                HostileViewer::Rebuild() = [this, snaps, fromNotification, &rebuildWhenNotified] {
                    if (snaps) {
                        std::vector<dg::DPoint3D> snapped = controller.calls.back().shadowPoints;
                        snapped[2] = snapped[3] = {4.0, 4.0, 0.0};
                        record->SetPoints(snapped);
                    }
                    rebuildWhenNotified = fromNotification;
                    if (!fromNotification)
                        shadow->MarkupChanged();
                };
                HostileViewer::Set(HostileViewer::ControllerRebuilds |
                                   HostileViewer::NotifyCallsBack |
                                   (atOnce ? HostileViewer::PickAtOnce : 0u));
                DropEnd(endDrop, 0);
                HostileViewer::Set(0);

                ASSERT_EQ(controller.calls.size(), 1u);
                EXPECT_EQ(Drawn(), Stored());
                ExpectNear(Access::sphereDraggers(S())[1]->location.GetPos(),
                           record->GetEndPoint());
                FindNearestHandles();
                Drag(EndArrowNode(), 0, 0);
                EXPECT_FLOAT_EQ(record->GetEndExtention(), 0.0f);
                ReleaseAll();
                MakeView();
            }
}

// A jog drag stops another selected markup whose controller rebuilds the dragged shadow during the
// broadcast: once the drag is over, every handle is shown.
TEST_F(OpenDragRebuilt, RebuildDuringTheJogsBroadcastShowsEveryHandle) {
    SetUpJog(false);
    const auto otherLine = MakeRecord(testsupport::StraightLine({0, 5, 0}, {3, 5, 0}));
    CallingController other;
    other.onStop = [this] { shadow->MarkupChanged(); };
    otherLine->SetController(&other);
    target = ConstructFor(otherLine);
    shadow->broadcastTargets.push_back(target);
    Drag(JogArrowNode(), 15, 0);
    otherLine->SetController(nullptr);

    ASSERT_EQ(controller.calls.size(), 1u);
    EXPECT_EQ(controller.calls[0].operationName, dragtest::MoveMarkupsName());
    EXPECT_EQ(DrawnRoot()->GetChildren().size(), 6u);
}

// Two views of one record: an attached end with extension 2 is dragged in one view, its pick left
// pending, then in the other; both picks find nothing. The second press finishes the first drop,
// so the extension is saved and put back once, never lost.
TEST_F(OpenDragRebuilt, EndDraggedInTwoViewsKeepsItsExtension) {
    SetUpLine();
    record->SetEndPointAttached(true);
    AnswerPicksWith({});
    du::SmartPtr<sxk::ShapeView> otherView(new sxk::ShapeView);
    otherView->camera = view->camera;
    const du::SmartPtr<Shadow> other(
        static_cast<Shadow*>(record->ConstructShadow(du::SmartPtr<sxk::View>(otherView))));
    ReleaseEndAndLeavePickPending();
    sxmk::DragDriver second(*other);
    const dg::DPoint3D at = WindowOf(Access::sphereDraggers(*other)[1].get());
    second.Start(Access::sphereDraggers(*other)[1].get(), Round(at.x), Round(at.y));
    second.Move(Round(at.x) + 20, Round(at.y) - 10);
    second.Release();
    CompletePicks();
    while (otherView->CompletePick({}, 0)) {
    }

    EXPECT_FLOAT_EQ(record->GetEndExtention(), 2.0f);
    EXPECT_EQ(controller.calls.size(), 2u);
    EXPECT_EQ(DrawnLine(*other)->points, Stored());
}

// The view of a drop that waits for its pick goes (the viewer lets go of its shadow) before the
// pick completes: the drag never reaches the controller, and the record keeps the extension that
// the drag collapsed.
TEST_F(OpenDragRebuilt, ShadowGoneUnderAPendingDropLeavesTheRecordsExtension) {
    SetUpLine();
    AnswerPicksWith({});
    ReleaseEndAndLeavePickPending();
    shadow = nullptr;
    CompletePicks();

    EXPECT_TRUE(controller.calls.empty());
    EXPECT_FLOAT_EQ(record->GetEndExtention(), 2.0f);
}

// A free end is released with its pick pending; the framework then moves the markup (Translate),
// by nothing or in two steps, each passing the displacement since its drag began; the pick finds
// nothing: the end lands where it was released, moved with the markup once.
TEST_F(OpenDragRebuilt, TranslateUnderAPendingDropMovesTheDropWithTheMarkup) {
    for (const dg::DVec3& moved : {dg::DVec3(0, 0, 0), dg::DVec3(1, 2, 0)}) {
        SCOPED_TRACE(testing::Message() << "moved by " << moved.x << ", " << moved.y);
        SetUpLine();
        AnswerPicksWith({});
        const dg::DPoint3D released = ReleaseEndAndLeavePickPending();
        sxmk::DragDriver(S()).Translate(dg::DVec3(moved.x / 2, moved.y / 2, moved.z / 2));
        sxmk::DragDriver(S()).Translate(moved);
        ExpectNear(Drawn()[1], Stored()[1] + moved);
        CompletePicks();

        ASSERT_EQ(controller.calls.size(), 1u);
        EXPECT_EQ(controller.calls[0].operationName, dragtest::MoveEndPointName());
        ExpectNear(controller.calls[0].shadowPoints[2], released + moved);
        ReleaseAll();
        MakeView();
    }
}

}  // namespace
