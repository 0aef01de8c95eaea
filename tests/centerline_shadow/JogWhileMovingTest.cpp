// A handle drag released while the framework moves the whole markup (Translate) and has not
// stopped the move: the release hands on the drag's result where the record holds the line, and
// the move's own Stop hands on the move, each once.
#include "DragTestSupport.h"

#include <gtest/gtest.h>

#include <sxk/HostileViewer.h>
#include <sxmk/DragDriver.h>

#include <functional>
#include <vector>

namespace {

using dragtest::ExpectNear;
using sxk::HostileViewer;

class JogWhileMoving : public dragtest::FlowFixture {
protected:
    // Runs beforePress, presses the jog arrow of jogLine in a parallel view, runs between, steps
    // 15 pixels along the axis (1.5 units), runs beforeRelease and releases.
    void DragJog(const std::function<void()>& beforePress, const std::function<void()>& between,
                 const std::function<void()>& beforeRelease) {
        MakeDragShadow(jogLine, dragtest::kViewSetups[1]);
        const dg::DPoint3D at = WindowOf(JogArrowNode());
        sxmk::DragDriver pointer(S());
        beforePress();
        pointer.Start(JogArrowNode(), Round(at.x), Round(at.y));
        between();
        pointer.Move(Round(at.x) + 15, Round(at.y));
        beforeRelease();
        pointer.Release();
    }
    void Translate(const dg::DVec3& by) { sxmk::DragDriver(S()).Translate(by); }

    // Main axis X, ratio 0.5.
    const testsupport::LineInput jogLine =
        testsupport::AlongAxisLine({0, 0, 0}, {10, 4, 2}, 1.0f, 2.0f);
};

// A controller that stores the shadow's points at each stop: the jog released during the move and
// the move's Stop leave the record with the jog's path moved once, drawn where it is stored.
TEST_F(JogWhileMoving, MoveStoppedAfterTheReleaseReachesTheRecord) {
    HostileViewer::Rebuild() = [this] { record->SetPoints(controller.calls.back().shadowPoints); };
    HostileViewer::Set(HostileViewer::ControllerRebuilds);
    const dg::DVec3 across(0, 3, 0);
    DragJog([] {}, [] {}, [&] { Translate(across), Translate(across); });
    std::vector<dg::DPoint3D> expected = Stored();
    for (dg::DPoint3D& p : expected)
        p = p + across;
    sxmk::DragDriver(S()).Stop(across, du::SmartPtr<sxk::Operation>());
    ExpectNear(Stored(), expected, 1e-5);
    ExpectNear(Drawn(), Stored(), 1e-5);
}

// The record held a straight path at the press and the along-axis one again when the step found
// the jog; the markup moved along the main axis in between. The jog goes where the pointer takes
// it, as without the move: ratio 0.65.
TEST_F(JogWhileMoving, JogFoundAfterTheMoveFollowsThePointer) {
    testsupport::LineInput straight = jogLine;
    straight.alongAxis = false;
    DragJog([&] { record->SetPoints(Built(straight)); },
            [&] {
                Translate(dg::DVec3(2, 0, 0));
                record->SetPoints(Built(jogLine));
                S().MarkupChanged();
            },
            [] {});
    EXPECT_NEAR(record->GetDivRation(), 0.65f, 1e-5);
}

}  // namespace
