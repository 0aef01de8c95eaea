// Dragging the centre-line handles through the framework's drag protocol: end points, extension
// arrows, a grab of the line itself, and the framework's Translate and Stop.
#include "DragTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sxk/Instance.h>
#include <sxk/Pick.h>
#include <sxk/View.h>
#include <sxmk/DragDriver.h>

#include <cmath>
#include <utility>
#include <vector>

namespace {

using dragtest::DragFixture;
using dragtest::ExpectNear;
using dragtest::ViewSetup;
using testing::UnorderedElementsAreArray;
using testsupport::LineInput;
using testsupport::StraightLine;

using Nodes = std::vector<const sxmu::ModelBase*>;

void ExpectWindowMoved(const dg::DPoint3D& now, const dg::DPoint3D& before, double dx, double dy) {
    EXPECT_NEAR(now.x - before.x, dx, 1e-6);
    EXPECT_NEAR(now.y - before.y, dy, 1e-6);
}

// ---------------------------------------------------------------------------------------------
// End points

class PointDrag : public DragFixture, public testing::WithParamInterface<ViewSetup> {
protected:
    // The host's view of the drag: the centre line records nothing and never sets a cursor.
    void ExpectHostUntouched() {
        EXPECT_TRUE(sxk::RecordedOperations().empty());
        EXPECT_EQ(window->currentCursor, du::Symbol::EMPTY);
        EXPECT_EQ(window->setCursorCount, 0);
    }
};

TEST_P(PointDrag, FreeEndFollowsThePointerAndStaysWhereDroppedOnNothing) {
    const LineInput lineInput = StraightLine({0, 0, 0}, {10, 0, 0}, 1.0f, 2.0f);
    MakeDragShadow(lineInput, GetParam());
    const std::vector<dg::DPoint3D> storedBefore = Stored();
    const dg::DPoint3D grabbed = WindowOf(EndSphere());
    const int x0 = Round(grabbed.x);
    const int y0 = Round(grabbed.y);

    sxmk::DragDriver driver(S());
    ASSERT_TRUE(driver.Start(EndSphereNode(), x0, y0));
    // The end point is grabbed: its node, and its sphere alone drawn with the line.
    EXPECT_EQ(shadow->GetPickedNode(), 2);
    // The dragged end loses its extension for the drag (a spring-back gives it back:
    // PointDragStart below).
    EXPECT_EQ(record->GetEndExtention(), 0.0f);
    EXPECT_EQ(Drawn()[2], dg::DPoint3D(10, 0, 0));
    EXPECT_EQ(Drawn()[3], dg::DPoint3D(10, 0, 0));
    EXPECT_EQ(Children(), (Nodes{EndSphere(), Line()}));

    // Every step places the end by the pointer motion since the drag began: the second step
    // replaces the first instead of adding to it.
    const int notesBefore = shadow->contentChangedCount;
    dg::DPoint3D end;
    for (const auto& [dx, dy] : {std::pair<int, int>{30, -20}, std::pair<int, int>{12, 25}}) {
        driver.Move(x0 + dx, y0 + dy);
        end = EndSphere()->location.GetPos();
        ExpectWindowMoved(WindowOf(end), grabbed, dx, dy);
        EXPECT_NEAR(end.z, 0.0, 1e-9);
        ExpectNear(Drawn(), Built(StraightLine({0, 0, 0}, end, 1.0f, 0.0f)));
        EXPECT_EQ(Stored()[2], storedBefore[2]) << "the record moves only when the drop is applied";
    }
    EXPECT_EQ(shadow->contentChangedCount - notesBefore, 2);

    driver.Release();
    // The handles are back and a pick at the release position is under way.
    EXPECT_THAT(Children(), UnorderedElementsAreArray(BuiltOrder(false)));
    ASSERT_EQ(view->pendingPicks.size(), 1u);
    EXPECT_EQ(view->pendingPicks.front().x, x0 + 12);
    EXPECT_EQ(view->pendingPicks.front().y, y0 + 25);
    EXPECT_EQ(view->pendingPicks.front().flags, sxk::PICK_ALL | sxk::PICK_EXCLUDE_PHANTOM);
    EXPECT_TRUE(controller.calls.empty());

    // The shadow waits for that pick: its completion reaches the drop, not a cancelled event.
    ASSERT_TRUE(view->CompletePick({}, 0));
    EXPECT_EQ(view->detachedCompletions, 0);
    const std::vector<dg::DPoint3D> dropped = Built(StraightLine({0, 0, 0}, end, 1.0f, 0.0f));
    ExpectNear(Drawn(), dropped);
    ExpectNear(EndSphere()->location.GetPos(), end);
    EXPECT_EQ(shadow->GetPickedNode(), -1);
    EXPECT_FALSE(shadow->GetEndPointItem());

    ASSERT_EQ(controller.calls.size(), 1u);
    const auto& call = controller.calls[0];
    EXPECT_EQ(call.markup, record.get());
    EXPECT_EQ(call.shadow, shadow.get());
    ASSERT_TRUE(call.operation);
    EXPECT_EQ(call.operationName, dragtest::MoveEndPointName());
    EXPECT_EQ(call.operation->GetScene(), scene.get());
    ExpectNear(call.shadowPoints, dropped);
    EXPECT_EQ(call.endExtension, 0.0f);
    // Two steps, then the drop: the rebuild, the drop itself and the arrows.
    EXPECT_EQ(shadow->contentChangedCount - notesBefore, 5);
    ExpectHostUntouched();
    // The completed pick is forgotten.
    ExpectNoDropPending();
}

TEST_P(PointDrag, StartDroppedOnItsOwnPartLandsOnThePickedPoint) {
    const LineInput lineInput = StraightLine({0, 0, 0}, {10, 0, 0}, 1.5f, 2.0f);
    MakeDragShadow(lineInput, GetParam());
    du::Symbol part("/product/shaft");
    record->SetPartID(part);
    const du::SmartPtr<sxk::Instance> instance(new sxk::Instance(part));
    const du::SmartPtr<sxk::Object> shape(new sxk::ShapeInstance(instance));

    const dg::DPoint3D grabbed = WindowOf(StartSphere());
    const int x0 = Round(grabbed.x);
    const int y0 = Round(grabbed.y);
    sxmk::DragDriver driver(S());
    ASSERT_TRUE(driver.Start(StartSphereNode(), x0, y0));
    EXPECT_EQ(shadow->GetPickedNode(), 1);
    EXPECT_EQ(record->GetStartExtention(), 0.0f);
    EXPECT_EQ(Children(), (Nodes{StartSphere(), Line()}));

    driver.Move(x0 - 15, y0 + 40);
    const dg::DPoint3D start = StartSphere()->location.GetPos();
    ExpectWindowMoved(WindowOf(start), grabbed, -15, 40);
    ExpectNear(Drawn(), Built(StraightLine(start, {10, 0, 0}, 0.0f, 2.0f)));

    driver.Release();
    const dg::DPoint3D picked(-1.0, 2.0, 0.0);
    ASSERT_TRUE(view->CompletePick({{shape, picked}}, 0));

    const std::vector<dg::DPoint3D> dropped = Built(StraightLine(picked, {10, 0, 0}, 0.0f, 2.0f));
    ExpectNear(Drawn(), dropped);
    ExpectNear(StartSphere()->location.GetPos(), picked);
    const auto* item = dynamic_cast<sxk::ObjectSelectionItem*>(shadow->GetStartPointItem().get());
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->GetObject().get(), instance.get());
    ASSERT_EQ(controller.calls.size(), 1u);
    EXPECT_EQ(controller.calls[0].operationName, dragtest::MoveEndPointName());
    ExpectNear(controller.calls[0].shadowPoints, dropped);
    ExpectHostUntouched();
}

INSTANTIATE_TEST_SUITE_P(Views, PointDrag, testing::ValuesIn(dragtest::kViewSetups),
                         dragtest::ViewSetupName);

class PointDragStart : public DragFixture {};

// The grabbed end's extension collapses for the drag and waits in the shadow: a drop that
// springs back (here a failed pick) gives it back to the record.
TEST_F(PointDragStart, CollapsesOnlyAnExtensionAboveTheThreshold) {
    struct Case {
        float extension;
        float duringDrag;
    };
    for (const bool atStart : {true, false}) {
        for (const Case& c : {Case{2.5f, 0.0f}, Case{-2.0f, 0.0f}, Case{1e-7f, 1e-7f}}) {
            SCOPED_TRACE(testing::Message() << (atStart ? "start " : "end ") << c.extension);
            MakeShadow(atStart ? StraightLine({0, 0, 0}, {10, 0, 0}, c.extension, 3.0f)
                               : StraightLine({0, 0, 0}, {10, 0, 0}, 3.0f, c.extension));
            // Outside an extension drag no point is on an extension's inner side.
            const dg::DPoint3D inside(5, 0, 0);
            EXPECT_FALSE(sxmk::CenterLineXYZShadowTestAccess::IsNegativeExtention(S(), inside));
            sxmk::DragDriver driver(S());
            driver.Start(atStart ? StartSphereNode() : EndSphereNode(), 100, 100);
            EXPECT_FALSE(sxmk::CenterLineXYZShadowTestAccess::IsNegativeExtention(S(), inside));
            EXPECT_EQ(atStart ? record->GetStartExtention() : record->GetEndExtention(),
                      c.duringDrag);
            EXPECT_EQ(atStart ? record->GetEndExtention() : record->GetStartExtention(), 3.0f);
            if (c.duringDrag == 0.0f) {
                // Drawn and stored, the end collapses onto its true end point.
                const dg::DPoint3D end = atStart ? dg::DPoint3D(0, 0, 0) : dg::DPoint3D(10, 0, 0);
                const std::size_t n = Drawn().size();
                EXPECT_EQ(Drawn()[atStart ? 0 : n - 1], end);
                EXPECT_EQ(Drawn()[atStart ? 1 : n - 2], end);
                EXPECT_EQ(Stored()[atStart ? 0 : Stored().size() - 1], end);
            }
            driver.Release();
            ASSERT_EQ(view->pendingPicks.size(), 1u);
            ASSERT_TRUE(view->CompletePick({}, 1));
            EXPECT_EQ(atStart ? record->GetStartExtention() : record->GetEndExtention(),
                      c.extension);
            EXPECT_EQ(atStart ? record->GetEndExtention() : record->GetStartExtention(), 3.0f);
        }
    }
}

TEST_F(PointDragStart, OutsideAShapeViewTheEndStaysWhereReleased) {
    MakeShadowIn(StraightLine({0, 0, 0}, {10, 0, 0}, 1.0f, 2.0f),
                 du::SmartPtr<sxk::View>(new sxk::View));
    sxmk::DragDriver driver(S());
    driver.Start(EndSphereNode(), 50, 50);
    driver.Move(53, 46);  // one world unit per pixel, y up
    driver.Release();

    // No pick is possible: the drop is handled at once as one that found nothing.
    const std::vector<dg::DPoint3D> dropped = Built(StraightLine({0, 0, 0}, {13, 4, 0}, 1.0f, 0));
    ExpectNear(Drawn(), dropped);
    EXPECT_EQ(shadow->GetPickedNode(), -1);
    ASSERT_EQ(controller.calls.size(), 1u);
    EXPECT_EQ(controller.calls[0].operationName, dragtest::MoveEndPointName());
    ExpectNear(controller.calls[0].shadowPoints, dropped);
}

// ---------------------------------------------------------------------------------------------
// Extension arrows

class ExtensionDrag : public DragFixture, public testing::WithParamInterface<ViewSetup> {};

TEST_P(ExtensionDrag, ArrowFollowsThePointerAlongItsAxisAndStoresTheSignedLength) {
    struct Case {
        bool atStart;
        double units;  // along the arrow, outwards
    };
    for (const Case& c : {Case{false, 1.0}, Case{false, -5.0}, Case{true, 3.0}, Case{true, -4.5}}) {
        SCOPED_TRACE(testing::Message() << (c.atStart ? "start " : "end ") << c.units);
        const LineInput lineInput = StraightLine({0, 0, 0}, {10, 0, 0}, 2.0f, 2.0f);
        MakeDragShadow(lineInput, GetParam());
        controller.calls.clear();
        const std::vector<dg::DPoint3D> storedBefore = Stored();
        const std::size_t index = c.atStart ? 0 : 3;
        const dg::DVec3 outwards = c.atStart ? dg::DVec3(-1, 0, 0) : dg::DVec3(1, 0, 0);
        const dg::DPoint3D arrowAt = storedBefore[index];

        // Pointer motions along the arrow's window direction; the part across it is ignored.
        const dg::DVec3 along = WindowDirection(arrowAt, outwards);
        const dg::DVec3 across(-along.y, along.x, 0.0);
        const double pixels = std::round(c.units * PixelsPerUnit(arrowAt, outwards));
        const double units = pixels / PixelsPerUnit(arrowAt, outwards);
        const dg::DPoint3D grabbed = WindowOf(arrowAt);
        const int x0 = Round(grabbed.x);
        const int y0 = Round(grabbed.y);

        sxmk::DragDriver driver(S());
        const sxmu::ModelBase* arrow = c.atStart ? StartArrow() : EndArrow();
        ASSERT_TRUE(driver.Start(c.atStart ? StartArrowNode() : EndArrowNode(), x0, y0));
        EXPECT_EQ(shadow->GetPickedNode(), static_cast<int>(index));
        EXPECT_EQ(Children(), (Nodes{arrow, Line()}));

        for (const double step : {10.0, pixels}) {
            driver.Move(x0 + Round(step * along.x + 7 * across.x),
                        y0 + Round(step * along.y + 7 * across.y));
            const dg::DPoint3D moved = arrowAt + outwards * (step / pixels * units);
            ExpectNear(arrow->location.GetPos(), moved, 1e-6);
            ExpectNear(Drawn()[index], moved, 1e-6);
            EXPECT_EQ(Stored(), storedBefore);
        }

        driver.Release();
        const float expected = 2.0f + static_cast<float>(units);
        const float stored = c.atStart ? record->GetStartExtention() : record->GetEndExtention();
        EXPECT_NEAR(stored, expected, 1e-4);
        // A negative extension puts its point into the slot of its end in the stored list.
        const std::size_t slot = c.atStart ? 1 : 2;
        ExpectNear(Stored()[index], arrowAt + outwards * units, 1e-5);
        ExpectNear(Stored()[slot], expected < 0 ? Stored()[index] : storedBefore[slot], 1e-5);
        EXPECT_THAT(Children(), UnorderedElementsAreArray(BuiltOrder(false)));

        LineInput result = lineInput;
        (c.atStart ? result.startExt : result.endExt) = stored;
        ASSERT_EQ(controller.calls.size(), 1u);
        EXPECT_EQ(controller.calls[0].operationName, dragtest::MoveExtensionName());
        ExpectNear(controller.calls[0].shadowPoints, Built(result), 1e-5);
        EXPECT_TRUE(sxk::RecordedOperations().empty());
        EXPECT_EQ(window->currentCursor, du::Symbol::EMPTY);
    }
}

INSTANTIATE_TEST_SUITE_P(Views, ExtensionDrag, testing::ValuesIn(dragtest::kViewSetups),
                         dragtest::ViewSetupName);

class ExtensionDragEdge : public DragFixture {};

TEST_F(ExtensionDragEdge, ReleasedWithoutMotionStoresTheSameExtension) {
    MakeShadow(StraightLine({0, 0, 0}, {10, 0, 0}, 2.0f, -3.0f));
    record->SetController(&controller);
    for (sxmu::ModelBase* arrow : {StartArrowNode(), EndArrowNode()}) {
        sxmk::DragDriver driver(S());
        driver.Start(arrow, 200, 200);
        driver.Move(200, 200);
        driver.Release();
    }
    EXPECT_NEAR(record->GetStartExtention(), 2.0f, 1e-6);
    EXPECT_NEAR(record->GetEndExtention(), -3.0f, 1e-6);
    ASSERT_EQ(controller.calls.size(), 2u);
    EXPECT_EQ(controller.calls[1].operationName, dragtest::MoveExtensionName());
}

// An axis seen end-on, or a view without a camera, gives the pointer no direction to follow:
// the arrow stays and the stop stores the extension it had.
TEST_F(ExtensionDragEdge, AxisWithoutWindowDirectionMovesNothing) {
    const LineInput lineInput = StraightLine({0, 0, 0}, {10, 0, 0}, 2.0f, 2.0f);
    for (const bool endOn : {true, false}) {
        SCOPED_TRACE(endOn ? "axis seen end-on" : "view without camera");
        if (endOn) {
            view->camera = dg::Camera3D::Perspective({50, 0, 0}, dg::DPoint3D::ORIGIN, {0, 1, 0},
                                                     0.8, 800, 600);
            MakeShadow(lineInput);
            record->SetController(&controller);
        } else {
            MakeShadowIn(lineInput, du::SmartPtr<sxk::View>(new sxk::View));
        }
        controller.calls.clear();
        sxmk::DragDriver driver(S());
        driver.Start(EndArrowNode(), 400, 300);
        driver.Move(440, 270);
        EXPECT_EQ(Drawn()[3], dg::DPoint3D(12, 0, 0));
        EXPECT_EQ(EndArrow()->location.GetPos(), dg::DPoint3D(12, 0, 0));
        driver.Release();
        EXPECT_NEAR(record->GetEndExtention(), 2.0f, 1e-6);
        EXPECT_EQ(controller.calls.size(), 1u);
    }
}

// The stop writes a negative extension into the record (its end slot takes the extension point),
// but the drawn line keeps running to the true end and back until the controller stores the
// shadow's points and the shadow is rebuilt from the record.
TEST_F(ExtensionDragEdge, NegativeExtensionIsDrawnToTheTrueEndUntilTheRebuild) {
    MakeShadow(StraightLine({0, 0, 0}, {8, 0, 0}, 2.0f, 2.0f));
    record->SetController(&controller);
    const dg::DPoint3D grabbed = WindowOf(EndArrow());
    const int pixels = Round(4 * PixelsPerUnit({10, 0, 0}, {1, 0, 0}));
    sxmk::DragDriver driver(S());
    driver.Start(EndArrowNode(), Round(grabbed.x), Round(grabbed.y));
    driver.Move(Round(grabbed.x) - pixels, Round(grabbed.y));
    driver.Release();

    ASSERT_LT(record->GetEndExtention(), 0.0f);
    const dg::DPoint3D extended = Stored()[3];
    ExpectNear(extended, {6, 0, 0}, 0.05);
    EXPECT_EQ(Stored()[2], extended);  // the record's line stops short
    EXPECT_EQ(record->GetEndPoint(), dg::DPoint3D(8, 0, 0));
    EXPECT_EQ(Drawn()[2], dg::DPoint3D(8, 0, 0));  // the drawn one still reaches the end
    ExpectNear(Drawn()[3], extended, 1e-5);
    // The controller is handed the drawn line; storing it applies the negative rule again.
    ASSERT_EQ(controller.calls.size(), 1u);
    EXPECT_EQ(controller.calls[0].shadowPoints[2], dg::DPoint3D(8, 0, 0));

    // What the controller does with it: store the shadow's points, then rebuild the shadow.
    record->SetPoints(shadow->GetPoints());
    shadow->MarkupChanged();
    FindHandles();
    EXPECT_EQ(Drawn(), Stored());
    EXPECT_EQ(Drawn()[2], extended);
    EXPECT_EQ(EndSphere()->location.GetPos(), dg::DPoint3D(8, 0, 0));
}

TEST_F(ExtensionDragEdge, WithoutControllerTheRecordStillTakesTheExtension) {
    MakeShadow(StraightLine({0, 0, 0}, {10, 0, 0}, 2.0f, 2.0f));
    const dg::DPoint3D grabbed = WindowOf(EndArrow());
    const int pixels = Round(PixelsPerUnit({12, 0, 0}, {1, 0, 0}));
    sxmk::DragDriver driver(S());
    driver.Start(EndArrowNode(), Round(grabbed.x), Round(grabbed.y));
    driver.Move(Round(grabbed.x) + pixels, Round(grabbed.y));
    driver.Release();
    EXPECT_NEAR(record->GetEndExtention(), 3.0f, 0.05);
}

// An extension is stored with its sign by where its arrow is let go: beyond its end it is
// positive, on the line's inner side negative, also past the other end. In the parallel view ten
// pixels are one unit.
TEST_F(ExtensionDragEdge, ArrowLetGoOnTheInnerSideStoresANegativeExtension) {
    struct Case {
        bool atStart;
        int pixels;  // pointer motion along +x
        float extension;
    };
    // Stored: (-1, 0, 0), (0, 0, 0), (10, 0, 0), (12, 0, 0).
    const Case cases[] = {
        {false, 10, 3.0f}, {false, -40, -2.0f}, {false, -140, -12.0f},
        {true, -10, 2.0f}, {true, 30, -2.0f},   {true, 130, -12.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.atStart ? "start " : "end ") << c.pixels);
        MakeDragShadow(StraightLine({0, 0, 0}, {10, 0, 0}, 1.0f, 2.0f), dragtest::kViewSetups[1]);
        sxmu::ModelBase* arrow = c.atStart ? StartArrowNode() : EndArrowNode();
        const dg::DPoint3D at = WindowOf(arrow);
        sxmk::DragDriver driver(S());
        ASSERT_TRUE(driver.Start(arrow, Round(at.x), Round(at.y)));
        driver.Move(Round(at.x) + c.pixels, Round(at.y));
        driver.Release();
        EXPECT_NEAR(c.atStart ? record->GetStartExtention() : record->GetEndExtention(),
                    c.extension, 1e-5);
    }
}

// ---------------------------------------------------------------------------------------------
// Grabbing no handle, Translate, Stop

class HandleDrag : public DragFixture {
protected:
    enum Handle { StartSphereHandle, EndSphereHandle, StartArrowHandle, EndArrowHandle, JogHandle };

    // Drags one handle of a line 20 pixels right and 10 up and lets go (a start point lands on
    // its own part, an end point where released), and has the controller apply the drag as the
    // viewer's does. A Translate then moves the drawn line and, of the handles, only the grabbed
    // one, onto its own node (node, its index in the stored list); every other handle stays where
    // the drag left it.
    void ExpectTranslateMovesOnlyTheGrabbedHandle(const LineInput& lineInput, Handle grabbed,
                                                  std::size_t node) {
        const char* const kHandleNames[] = {"start sphere", "end sphere", "start arrow",
                                            "end arrow", "jog arrow"};
        const dg::DVec3 d(1.5, -2.0, 3.0);
        const du::Symbol part("/product/shaft");
        const du::SmartPtr<sxk::Object> shape(
            new sxk::ShapeInstance(du::SmartPtr<sxk::Instance>(new sxk::Instance(part))));

        MakeDragShadow(lineInput, dragtest::kViewSetups[0]);
        controller.calls.clear();
        du::Symbol ownPart = part;
        record->SetPartID(ownPart);
        sxmu::ModelBase* const handles[] = {StartSphereNode(), EndSphereNode(), StartArrowNode(),
                                            EndArrowNode(), JogArrowNode()};
        sxmu::ModelBase* const dragged = handles[grabbed];
        ASSERT_NE(dragged, nullptr);

        const dg::DPoint3D at = WindowOf(dragged);
        sxmk::DragDriver driver(S());
        ASSERT_TRUE(driver.Start(dragged, Round(at.x), Round(at.y)));
        driver.Move(Round(at.x) + 20, Round(at.y) - 10);
        driver.Release();
        if (grabbed == StartSphereHandle || grabbed == EndSphereHandle) {
            std::vector<sxk::PickResult> found;
            if (grabbed == StartSphereHandle)
                found.push_back({shape, {-2, 1, 0}});
            ASSERT_TRUE(view->CompletePick(found, 0));
        }
        ASSERT_EQ(controller.calls.size(), 1u);
        record->SetPoints(controller.calls[0].shadowPoints);
        ExpectNear(Drawn(), Stored(), 1e-6);  // up to the extension stored as a float

        std::vector<dg::DPoint3D> before;
        for (const sxmu::ModelBase* handle : handles)
            before.push_back(handle ? handle->location.GetPos() : dg::DPoint3D::ORIGIN);
        sxmk::DragDriver(S()).Translate(d);

        for (std::size_t i = 0; i < Stored().size(); ++i)
            EXPECT_EQ(Drawn()[i], Stored()[i] + d) << "vertex " << i;
        for (int h = StartSphereHandle; h <= JogHandle; ++h) {
            const sxmu::ModelBase* handle = handles[static_cast<std::size_t>(h)];
            if (handle == nullptr)
                continue;  // a straight line has no jog arrow
            const dg::DPoint3D expected =
                h == grabbed ? Stored()[node] + d : before[static_cast<std::size_t>(h)];
            EXPECT_EQ(handle->location.GetPos(), expected) << kHandleNames[h];
        }
        EXPECT_EQ(controller.calls.size(), 1u);
    }
};

// The finished path of one drag of each kind, worked out by hand rather than by BuildPoints: in
// the parallel view ten pixels are one unit, x to the right and y up the window.
TEST_F(HandleDrag, EachDragKindHandsOverTheHandWorkedPath) {
    const double r = std::sqrt(185.0);  // |(13, 4, 0)|
    struct Case {
        const char* name;
        LineInput line;
        enum { EndSphere, EndArrow, Jog } grab;
        int dx, dy;  // pixels
        std::vector<dg::DPoint3D> expected;
    };
    const LineInput jogLine = testsupport::AlongAxisLine({0, 0, 0}, {10, 4, 2}, 1.0f, 2.0f);
    const Case cases[] = {
        // The end moves by (3, 4) and loses its extension; the start keeps 1 unit along the new
        // direction (13, 4, 0) / r.
        {"end point",
         StraightLine({0, 0, 0}, {10, 0, 0}, 1.0f, 2.0f),
         Case::EndSphere,
         30,
         -40,
         {{-13 / r, -4 / r, 0}, {0, 0, 0}, {13, 4, 0}, {13, 4, 0}}},
        // The end arrow moves 3 units out: the end extension becomes 5.
        {"end extension",
         StraightLine({0, 0, 0}, {10, 0, 0}, 1.0f, 2.0f),
         Case::EndArrow,
         30,
         0,
         {{-1, 0, 0}, {0, 0, 0}, {10, 0, 0}, {15, 0, 0}}},
        // The jog moves 2 units along the main axis X: the ratio goes from 0.5 to 0.7.
        {"jog",
         jogLine,
         Case::Jog,
         20,
         0,
         {{-1, 0, 0}, {0, 0, 0}, {7, 0, 0}, {7, 4, 0}, {7, 4, 2}, {10, 4, 2}, {12, 4, 2}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MakeDragShadow(c.line, dragtest::kViewSetups[1]);
        controller.calls.clear();
        sxmu::ModelBase* node = c.grab == Case::EndSphere  ? EndSphereNode()
                                : c.grab == Case::EndArrow ? EndArrowNode()
                                                           : JogArrowNode();
        const dg::DPoint3D at = WindowOf(node);
        sxmk::DragDriver driver(S());
        driver.Start(node, Round(at.x), Round(at.y));
        driver.Move(Round(at.x) + c.dx, Round(at.y) + c.dy);
        driver.Release();
        view->CompletePick({}, 0);  // a point drop that finds nothing stays where released
        ASSERT_EQ(controller.calls.size(), 1u);
        ExpectNear(controller.calls[0].shadowPoints, c.expected, 1e-6);
        ExpectNear(Drawn(), c.expected, 1e-6);
    }
}

TEST_F(HandleDrag, GrabbingTheLineChangesNothing) {
    MakeShadow(StraightLine({0, 0, 0}, {10, 0, 0}, 1.0f, 2.0f));
    record->SetController(&controller);
    const std::vector<dg::DPoint3D> stored = Stored();
    const std::vector<dg::DPoint3D> drawn = Drawn();
    const Nodes children = Children();
    const int notes = shadow->contentChangedCount;

    sxmk::DragDriver driver(S());
    EXPECT_TRUE(driver.Start(DrawnLine(S()), 300, 300));
    // No handle is grabbed: none is hidden for the drag.
    EXPECT_EQ(shadow->GetPickedNode(), -1);
    EXPECT_EQ(Children(), children);
    driver.Move(340, 280);
    driver.Move(250, 310);
    driver.Release();

    EXPECT_EQ(Stored(), stored);
    EXPECT_EQ(Drawn(), drawn);
    EXPECT_EQ(Children(), children);
    EXPECT_EQ(record->GetStartExtention(), 1.0f);
    EXPECT_EQ(shadow->contentChangedCount, notes);
    EXPECT_TRUE(controller.calls.empty());
    EXPECT_TRUE(view->pendingPicks.empty());
}

TEST_F(HandleDrag, TranslatePutsEveryVertexAtItsStoredPointPlusTheObjectDisplacement) {
    MakeShadow(StraightLine({0, 0, 0}, {10, 0, 0}, 1.0f, 2.0f));
    record->placement =
        dg::Location(dg::FMat33(0.0f, 1.0f, 0.0f, -1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f), {3, -4, 2});
    Drawn()[2] = dg::DPoint3D(99, 99, 99);  // a preview that the translation replaces
    const int notes = shadow->contentChangedCount;

    sxmk::DragDriver(S()).Translate(dg::DVec3(0, 2, 1));  // world y is object x
    ExpectNear(Drawn(), {{1, 0, 1}, {2, 0, 1}, {12, 0, 1}, {14, 0, 1}});
    EXPECT_EQ(StartSphere()->location.GetPos(), dg::DPoint3D(0, 0, 0));
    EXPECT_EQ(EndSphere()->location.GetPos(), dg::DPoint3D(10, 0, 0));
    EXPECT_EQ(shadow->contentChangedCount, notes + 1);
}

// The viewer may store a shorter list in the record and move the markup before it rebuilds the
// shadow: only the vertices that both lists have move, and nothing is read past the stored list.
TEST_F(HandleDrag, TranslateAfterTheRecordStoredAShorterListMovesOnlyTheVerticesBothHave) {
    MakeShadow(StraightLine({0, 0, 0}, {10, 0, 0}, 1.0f, 2.0f));
    const std::vector<dg::DPoint3D> drawn = Drawn();
    ASSERT_EQ(drawn.size(), 4u);
    record->SetPoints({{0, 0, 0}, {10, 0, 0}});

    sxmk::DragDriver(S()).Translate(dg::DVec3(0, 0, 5));
    EXPECT_EQ(Drawn(), (std::vector<dg::DPoint3D>{{0, 0, 5}, {10, 0, 5}, drawn[2], drawn[3]}));
}

// The handle of the last drag follows its own node, not whichever node Translate moved last:
// here on a straight line, whose four points put each end's slot and extension point elsewhere
// than an along-axis line's seven.
TEST_F(HandleDrag, TranslateMovesTheLastDraggedHandleWithItsOwnNode) {
    struct Case {
        const char* name;
        Handle grabbed;
        std::size_t node;  // where the grabbed handle sits in the stored list
    };
    const Case cases[] = {
        {"start point", StartSphereHandle, 1},
        {"end point", EndSphereHandle, 2},
        {"start extension", StartArrowHandle, 0},
        {"end extension", EndArrowHandle, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectTranslateMovesOnlyTheGrabbedHandle(StraightLine({0, 0, 0}, {10, 0, 0}, 1.0f, 2.0f),
                                                 c.grabbed, c.node);
    }
}

// A Translate after a finished drag (a group move started on another shadow, say) moves the
// drawn line and, of the handles, only the one that drag grabbed, onto its own node; every other
// handle stays where the drag left it.
TEST_F(HandleDrag, TranslateAfterAFinishedDragMovesOnlyThatDragsHandle) {
    struct Case {
        const char* name;
        Handle grabbed;
        std::size_t node;  // where the grabbed handle sits in the stored list
    };
    const Case cases[] = {
        {"start point", StartSphereHandle, 1},
        {"end point", EndSphereHandle, 5},
        {"start extension", StartArrowHandle, 0},
        {"end extension", EndArrowHandle, 6},
        {"jog", JogHandle, 3},
    };
    // Stored: (-1, 0, 0), (0, 0, 0), (5, 0, 0), (5, 4, 0), (5, 4, 2), (10, 4, 2), (12, 4, 2).
    const LineInput lineInput = testsupport::AlongAxisLine({0, 0, 0}, {10, 4, 2}, 1.0f, 2.0f);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectTranslateMovesOnlyTheGrabbedHandle(lineInput, c.grabbed, c.node);
    }
}

// After the release the shadow still names the handle and node of the last drag; a Translate then
// carries that handle along with its node, and only the next drag start picks anew.
TEST_F(HandleDrag, LastDraggedHandleStaysPickedUntilTheNextDragStarts) {
    MakeShadow(StraightLine({0, 0, 0}, {10, 0, 0}, 1.0f, 2.0f));
    const dg::DPoint3D grabbed = WindowOf(EndArrow());
    {
        sxmk::DragDriver driver(S());
        driver.Start(EndArrowNode(), Round(grabbed.x), Round(grabbed.y));
        driver.Move(Round(grabbed.x) + 20, Round(grabbed.y));
        driver.Release();
    }
    EXPECT_EQ(shadow->GetPickedNode(), 3);

    // The end arrow is still the picked handle: a Translate carries it with its node.
    const sxmu::ModelBase* endArrow = EndArrow();
    const sxmu::ModelBase* startArrow = StartArrow();
    ASSERT_NE(endArrow, nullptr);
    ASSERT_NE(startArrow, nullptr);
    sxmk::DragDriver(S()).Translate(dg::DVec3(0, 0, 5));
    ExpectNear(endArrow->location.GetPos(), Stored()[3] + dg::DVec3(0, 0, 5));
    EXPECT_EQ(startArrow->location.GetPos(), Stored()[0]);  // other handles stay

    sxmk::DragDriver line(S());
    line.Start(DrawnLine(S()), 300, 300);
    EXPECT_EQ(shadow->GetPickedNode(), -1);
    line.Release();
    // Grabbing the line picked no handle: a Translate now moves the line's nodes only.
    const dg::DPoint3D endArrowAt = endArrow->location.GetPos();
    sxmk::DragDriver(S()).Translate(dg::DVec3(0, 0, 5));
    EXPECT_EQ(endArrow->location.GetPos(), endArrowAt);
    EXPECT_EQ(startArrow->location.GetPos(), Stored()[0]);
}

}  // namespace
