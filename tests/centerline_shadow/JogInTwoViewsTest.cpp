// A jog dragged in turn in two views of one record, neither view rebuilt by the viewer.
#include "DragTestSupport.h"

#include <gtest/gtest.h>

#include "CenterLineXYZShadowTestAccess.h"

#include <sxmk/DragDriver.h>

namespace {

using dragtest::ExpectNear;
using testsupport::AlongAxisLine;

class JogInTwoViews : public dragtest::FlowFixture {
protected:
    // Main axis X (stored jog at x = 5), ratio 0.5, start extension 1: extended start (-1, 0, 0).
    const testsupport::LineInput jogLine = AlongAxisLine({0, 0, 0}, {10, 4, 2}, 1.0f, 2.0f);
};

// A jog drag is pressed and stepped in the first view, a second drag in the other view takes the
// jog past the start (which reflects the extended start) and is released, then the first steps
// again inside the line. The record's extended start goes back to where the path of its ratio
// puts it, one extension before the start.
TEST_F(JogInTwoViews, JogDraggedInTurnInTwoViewsKeepsTheExtendedStartOnItsPath) {
    MakeDragShadow(jogLine, dragtest::kViewSetups[1]);
    du::SmartPtr<sxk::ShapeView> otherView(new sxk::ShapeView);
    otherView->camera = view->camera;
    const du::SmartPtr<Shadow> other(
        static_cast<Shadow*>(record->ConstructShadow(du::SmartPtr<sxk::View>(otherView))));
    const DrawnHandles otherHandles = FindHandles(*other, *record);
    ASSERT_NE(otherHandles.jogArrow, nullptr);

    const dg::DPoint3D at = WindowOf(JogArrowNode());
    sxmk::DragDriver first(S());
    ASSERT_TRUE(first.Start(JogArrowNode(), Round(at.x), Round(at.y)));
    first.Move(Round(at.x) + 15, Round(at.y));

    sxmk::DragDriver second(*other);
    const dg::DPoint3D otherAt = WindowOf(otherHandles.jogArrow);
    ASSERT_TRUE(second.Start(otherHandles.jogArrow, Round(otherAt.x), Round(otherAt.y)));
    second.Move(Round(otherAt.x) - 300, Round(otherAt.y));
    second.Release();
    ASSERT_LT(record->GetDivRation(), 0.0f);

    first.Move(Round(at.x) + 15, Round(at.y));
    ASSERT_GT(record->GetDivRation(), 0.0f);
    ExpectNear(Stored()[0], dg::DPoint3D(-1, 0, 0), 1e-6);
    first.Release();
}

}  // namespace
