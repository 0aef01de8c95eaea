// A jog drag during which the viewer stores other paths, or moves the whole markup, hands on the
// jog where the pointer holds it: releasing at once and stepping first with the pointer where it
// was give the same ratio and path, those of the drag without the viewer's edits.
#include "DragTestSupport.h"

#include <gtest/gtest.h>

#include <sxk/HostileViewer.h>
#include <sxmk/DragDriver.h>

#include <cmath>
#include <functional>
#include <vector>

namespace {

using dragtest::ExpectNear;
using sxk::HostileViewer;
using testsupport::AlongAxisLine;
using testsupport::LineInput;

class JogAcrossViewerEdits : public dragtest::FlowFixture {
protected:
    // Stores the path of layout and rebuilds the shadow, as the viewer does when it edits the
    // record; the ratio not a number also goes into the record.
    void Store(const LineInput& layout) {
        std::vector<dg::DPoint3D> list;
        layout.Build(*record, list);
        record->SetPoints(list);
        if (std::isnan(layout.ratio))
            record->SetDivRation(layout.ratio);
        shadow->MarkupChanged();
    }

    // Presses the jog, moves the pointer 15 pixels along the main axis, lets edit run, steps
    // again with the pointer where it is when stepAgain, and releases. The controller's call.
    dragtest::RecordingController::Call DragJog(const std::function<void()>& edit, bool stepAgain) {
        MakeDragShadow(line, dragtest::kViewSetups[1]);
        const dg::DPoint3D at = WindowOf(JogArrowNode());
        sxmk::DragDriver driver(S());
        EXPECT_TRUE(driver.Start(JogArrowNode(), Round(at.x), Round(at.y)));
        driver.Move(Round(at.x) + 15, Round(at.y));
        edit();
        if (stepAgain)
            driver.Move(Round(at.x) + 15, Round(at.y));
        driver.Release();
        EXPECT_FALSE(controller.calls.empty());
        const dragtest::RecordingController::Call call = controller.calls.empty()
                                                             ? dragtest::RecordingController::Call{}
                                                             : controller.calls.back();
        ReleaseAll();
        MakeView();
        return call;
    }

    // start (0, 0, 0), end (10, 4, 2), main axis X, ratio 0.5: 15 pixels take the jog to 0.65.
    const LineInput line = AlongAxisLine({0, 0, 0}, {10, 4, 2}, 1.0f, 2.0f);
};

// After one step the viewer stores, rebuilding each time, a path of another kind and then the
// path from before the drag or the path of the record's ratio again: another main axis (Y) and
// back; a path of a ratio that is not a number; a path whose main axis has no length. The jog
// goes on from where the pointer holds it, not from where the other path put it.
TEST_F(JogAcrossViewerEdits, ReleasedAtOnceOrSteppedInPlaceTheJogStaysUnderThePointer) {
    const dragtest::RecordingController::Call unedited = DragJog([] {}, false);
    ASSERT_NEAR(unedited.ratio, 0.65f, 1e-6);

    struct Row {
        const char* name;
        std::function<void()> edit;
    };
    const Row rows[] = {
        {"main axis Y and back",
         [this] {
             for (const int main : {1, 0}) {
                 LineInput layout = line;
                 layout.ratio = record->GetDivRation();
                 layout.axisOrder[0] = static_cast<unsigned short>(main);
                 layout.axisOrder[1] = static_cast<unsigned short>(1 - main);
                 Store(layout);
             }
         }},
        {"ratio not a number, then the path from before",
         [this] {
             LineInput layout = line;
             layout.ratio = std::nanf("");
             Store(layout);
             Store(line);
         }},
        {"main axis without length, then the path from before",
         [this] {
             LineInput layout = line;
             layout.end = dg::DPoint3D(0, 4, 2);
             Store(layout);
             Store(line);
         }},
    };
    for (const Row& row : rows) {
        for (const bool stepAgain : {false, true}) {
            SCOPED_TRACE(testing::Message()
                         << row.name << (stepAgain ? ", stepped in place" : ", released at once"));
            const dragtest::RecordingController::Call call = DragJog(row.edit, stepAgain);
            EXPECT_NEAR(call.ratio, unedited.ratio, 1e-6);
            ExpectNear(call.shadowPoints, unedited.shadowPoints, 1e-5);
        }
    }
}

// After one step the framework moves the whole markup by 2 along the main axis (Translate) and
// ends the move (Stop); the controller stores the moved path and rebuilds the shadow. The jog
// moved with the markup, its ratio unchanged, and a step with the pointer where it was leaves it
// there: the path handed on is the unedited drag's, moved by 2.
TEST_F(JogAcrossViewerEdits, JogMovedWithTheWholeMarkupStaysThereAtTheNextStep) {
    const dragtest::RecordingController::Call unedited = DragJog([] {}, false);
    const dg::DVec3 moved(2, 0, 0);
    std::vector<dg::DPoint3D> expected = unedited.shadowPoints;
    for (dg::DPoint3D& p : expected)
        p = p + moved;

    HostileViewer::Rebuild() = [this, moved] {
        std::vector<dg::DPoint3D> list = *record->GetPoints();
        for (dg::DPoint3D& p : list)
            p = p + moved;
        record->SetPoints(list);
        shadow->MarkupChanged();
    };
    for (const bool stepAgain : {false, true}) {
        SCOPED_TRACE(stepAgain ? "stepped in place" : "released at once");
        const dragtest::RecordingController::Call call = DragJog(
            [this, moved] {
                sxmk::DragDriver framework(S());
                framework.Translate(moved);
                const unsigned was = HostileViewer::Active();
                HostileViewer::Set(was | HostileViewer::ControllerRebuilds);
                framework.Stop(moved, du::SmartPtr<sxk::Operation>());
                HostileViewer::Set(was);
            },
            stepAgain);
        EXPECT_NEAR(call.ratio, unedited.ratio, 1e-6);
        ExpectNear(call.shadowPoints, expected, 1e-5);
    }
}

}  // namespace
