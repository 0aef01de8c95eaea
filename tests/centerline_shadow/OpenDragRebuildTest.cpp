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

#include <cmath>
#include <functional>
#include <utility>
#include <vector>

namespace {

using dragtest::ExpectNear;
using sxk::HostileViewer;
using testsupport::AlongAxisLine;
using Access = sxmk::CenterLineXYZShadowTestAccess;
using Call = dragtest::RecordingController::Call;

class OpenDragRebuilt : public dragtest::FlowFixture {
protected:
    // Grabs the end sphere of the straight line of SetUpLine, drags it by (20, -10) pixels and
    // releases it; the pick stays pending. Answers where the end slot was drawn at the release.
    dg::DPoint3D ReleaseEndAndLeavePickPending() {
        Drag(EndSphereNode(), 20, -10);
        EXPECT_EQ(view->pendingPicks.size(), 1u);
        return Drawn()[2];
    }

    // Stores the path of layout, as the viewer does when it edits the record (a ratio that is
    // not a number goes into the record too), and rebuilds the shadow.
    void Store(const testsupport::LineInput& layout) {
        std::vector<dg::DPoint3D> list;
        layout.Build(*record, list);
        record->SetPoints(list);
        if (std::isnan(layout.ratio))
            record->SetDivRation(layout.ratio);
        shadow->MarkupChanged();
    }

    // Presses the jog arrow of jogLine, moves the pointer along the main axis to each of before
    // (pixels from the press), lets edit run, moves it to each of after and releases: the
    // controller's last call.
    Call DragJog(const std::vector<int>& before, const std::function<void()>& edit,
                 const std::vector<int>& after) {
        MakeDragShadow(jogLine, dragtest::kViewSetups[1]);
        const dg::DPoint3D at = WindowOf(JogArrowNode());
        sxmk::DragDriver driver(S());
        EXPECT_TRUE(driver.Start(JogArrowNode(), Round(at.x), Round(at.y)));
        for (const int dx : before)
            driver.Move(Round(at.x) + dx, Round(at.y));
        edit();
        for (const int dx : after)
            driver.Move(Round(at.x) + dx, Round(at.y));
        driver.Release();
        EXPECT_FALSE(controller.calls.empty());
        Call call{};
        if (!controller.calls.empty())
            call = controller.calls.back();
        ReleaseAll();
        MakeView();
        return call;
    }

    // Main axis X, ratio 0.5: 15 pixels take the jog to 0.65.
    const testsupport::LineInput jogLine = AlongAxisLine({0, 0, 0}, {10, 4, 2}, 1.0f, 2.0f);
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
    for (const bool layoutRoundTrip : {false, true}) {
        SCOPED_TRACE(layoutRoundTrip ? "layout round trip" : "rebuild");
        const auto edit = [this, layoutRoundTrip] {
            EXPECT_NE(record->GetDivRation(), 0.5f);
            for (const bool alongAxis : {false, true}) {
                testsupport::LineInput layout = jogLine;
                layout.alongAxis = alongAxis;
                if (layoutRoundTrip)
                    Store(layout);
                else if (alongAxis)
                    shadow->MarkupChanged();
            }
        };
        const Call call = DragJog({15}, edit, {});
        testsupport::LineInput handedRatio = jogLine;
        handedRatio.ratio = call.ratio;
        ExpectNear(call.shadowPoints, Built(handedRatio), 1e-5);
    }
}

// While a jog drag is open the viewer stores other paths and then the jog line again, rebuilding
// each time, or the framework moves the whole markup by 2 along the main axis and the controller
// stores the moved path when the move stops. Released at once, stepped with the pointer where it
// was or stepped on, the drag hands on the ratio and the path of the same drag without the edit,
// moved as the markup moved: the jog goes on from where it was pressed, neither counting a step
// twice nor staying where another path or the markup's old place put it. A move that has not
// stopped yet is the move's to hand on: the jog's path is handed on where the record holds it.
TEST_F(OpenDragRebuilt, JogFollowsThePointerWhateverTheViewerStoresMeanwhile) {
    const std::function<void()> nothing = [] {};
    const dg::DVec3 moved(2, 0, 0);
    HostileViewer::Rebuild() = [this, moved] {
        std::vector<dg::DPoint3D> list = *record->GetPoints();
        for (dg::DPoint3D& p : list)
            p = p + moved;
        record->SetPoints(list);
        shadow->MarkupChanged();
    };
    const auto moveMarkup = [this, moved] {
        sxmk::DragDriver framework(S());
        framework.Translate(moved);
        const unsigned was = HostileViewer::Active();
        HostileViewer::Set(was | HostileViewer::ControllerRebuilds);
        framework.Stop(moved, du::SmartPtr<sxk::Operation>());
        HostileViewer::Set(was);
    };
    // The framework moves the whole markup and has not stopped the move when the jog is released.
    const auto moving = [this](const dg::DVec3& by) {
        return [this, by] { sxmk::DragDriver(S()).Translate(by); };
    };
    const dg::DVec3 across(0, 3, 0);
    const auto movingAndRebuilt = [this, across] {
        sxmk::DragDriver(S()).Translate(across);
        shadow->MarkupChanged();
    };
    // A displacement that is not finite, then none: the markup is back where it was.
    const auto movedNowhereAndBack = [this] {
        sxmk::DragDriver framework(S());
        framework.Translate(dg::DVec3(std::nan(""), 0, 0));
        framework.Translate(dg::DVec3(0, HUGE_VAL, 0));
        framework.Translate(dg::DVec3::ZERO);
    };
    // Stores the jog line changed by change, then the jog line, rebuilding each time; both with
    // the ratio the drag wrote when withDraggedRatio.
    using Change = std::function<void(testsupport::LineInput&)>;
    const auto storeAndBack = [this](const Change& change, bool withDraggedRatio) {
        return [this, change, withDraggedRatio] {
            for (const bool changed : {true, false}) {
                testsupport::LineInput layout = jogLine;
                if (withDraggedRatio)
                    layout.ratio = record->GetDivRation();
                if (changed)
                    change(layout);
                Store(layout);
            }
        };
    };
    struct Row {
        const char* name;
        std::function<void()> edit;
        std::vector<int> before{15};     // the pointer's positions before the edit
        dg::DVec3 by = dg::DVec3::ZERO;  // how far the edit moved the markup
    };
    const Row rows[] = {
        {"straight", storeAndBack([](auto& l) { l.alongAxis = false; }, true)},
        {"main axis Y", storeAndBack(
                            [](auto& l) {
                                l.axisOrder[0] = 1;
                                l.axisOrder[1] = 0;
                            },
                            true)},
        {"ratio not a number", storeAndBack([](auto& l) { l.ratio = std::nanf(""); }, false)},
        {"main axis without length",
         storeAndBack([](auto& l) { l.end = dg::DPoint3D(0, 4, 2); }, false)},
        {"markup moved", moveMarkup, {15}, moved},
        {"markup moved before the first step", moveMarkup, {}, moved},
        {"markup moving along the main axis", moving(moved)},
        {"markup moving across it", moving(across)},
        {"markup moving before the first step", moving(across), {}},
        {"markup moving, rebuilt before the first step", movingAndRebuilt, {}},
        {"markup moved by no finite displacement and back", movedNowhereAndBack},
    };
    for (const Row& row : rows) {
        for (const std::vector<int>& after : {std::vector<int>{}, {15}, {30}}) {
            SCOPED_TRACE(testing::Message() << row.name << ", pointer afterwards at "
                                            << testing::PrintToString(after));
            const Call unedited = DragJog(row.before, nothing, after);
            const Call call = DragJog(row.before, row.edit, after);
            EXPECT_NEAR(call.ratio, unedited.ratio, 1e-6);
            std::vector<dg::DPoint3D> expected = unedited.shadowPoints;
            for (dg::DPoint3D& p : expected)
                p = p + row.by;
            ExpectNear(call.shadowPoints, expected, 1e-5);
        }
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
    dragtest::CallingController other;
    const auto otherLine = AddOtherThatRebuilds(other);
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
