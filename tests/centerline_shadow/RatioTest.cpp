// The jog (ratio) drag of an along-axis centre line and the mapping of pointer motion onto an
// axis.
#include "Constants.h"
#include "DragTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <dg/Matrix.h>
#include <sxmk/DragDriver.h>
#include <sxmk/MarkupShadow.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

using dragtest::DragFixture;
using dragtest::ExpectNear;
using dragtest::ViewSetup;
using testing::UnorderedElementsAreArray;
using testsupport::AlongAxisLine;
using testsupport::LineInput;
using testsupport::StraightLine;

// start (0, 0, 0), end (10, 4, 2), main axis X: stored list (-1, 0, 0), (0, 0, 0), (5, 0, 0),
// (5, 4, 0), (5, 4, 2), (10, 4, 2), (12, 4, 2).
LineInput JogLine(float ratio = 0.5f) {
    return AlongAxisLine({0, 0, 0}, {10, 4, 2}, 1.0f, 2.0f, ratio);
}

class JogDrag : public DragFixture, public testing::WithParamInterface<ViewSetup> {};

TEST_P(JogDrag, JogFollowsThePointerAndTheControllerGetsTheDrawnRatioAndPath) {
    MakeDragShadow(JogLine(), GetParam());
    const std::vector<dg::DPoint3D> storedBefore = Stored();
    const dg::DPoint3D mid = storedBefore[3];
    const dg::DVec3 along = WindowDirection(mid, {1, 0, 0});
    const dg::DVec3 across(-along.y, along.x, 0.0);
    const double ppu = PixelsPerUnit(mid, {1, 0, 0});
    const dg::DPoint3D grabbed = WindowOf(mid);
    const int x0 = Round(grabbed.x);
    const int y0 = Round(grabbed.y);

    sxmk::DragDriver driver(S());
    ASSERT_TRUE(driver.Start(JogArrowNode(), x0, y0));
    // The jog is grabbed: no end node, and its arrow alone drawn with the line.
    EXPECT_EQ(shadow->GetPickedNode(), -1);
    EXPECT_EQ(Children(), (std::vector<const sxmu::ModelBase*>{JogArrow(), Line()}));
    const int notes = shadow->contentChangedCount;

    float ratio = 0.5f;
    for (const double pixels : {8.0, std::round(2.0 * ppu)}) {
        driver.Move(x0 + Round(pixels * along.x + 6 * across.x),
                    y0 + Round(pixels * along.y + 6 * across.y));
        const dg::DVec3 d(pixels / ppu, 0, 0);
        for (int i = 2; i <= 4; ++i)
            ExpectNear(Drawn()[static_cast<std::size_t>(i)],
                       storedBefore[static_cast<std::size_t>(i)] + d, 1e-6);
        ExpectNear(JogArrow()->location.GetPos(), mid + d, 1e-6);
        ratio = static_cast<float>((5.0 + d.x) / 10.0);
        EXPECT_NEAR(record->GetDivRation(), ratio, 1e-6);
        EXPECT_EQ(shadow->GetPoints(), Drawn()) << "the working copy follows the drawn jog";
        EXPECT_EQ(Stored()[0], storedBefore[0]);
        EXPECT_EQ(Stored()[6], storedBefore[6]);
    }

    driver.Release();
    EXPECT_THAT(Children(), UnorderedElementsAreArray(BuiltOrder(true)));
    ASSERT_EQ(controller.calls.size(), 1u);
    const auto& call = controller.calls[0];
    EXPECT_EQ(call.operationName, dragtest::MoveJogName());
    EXPECT_EQ(call.ratio, record->GetDivRation());
    // What the controller receives is the path of the ratio it receives: the jog on screen.
    ExpectNear(call.shadowPoints, Built(JogLine(call.ratio)), 1e-5);
    ExpectNear(call.shadowPoints, Drawn(), 1e-9);
    EXPECT_EQ(shadow->contentChangedCount - notes, 3);  // two steps and the arrows
    EXPECT_TRUE(sxk::RecordedOperations().empty());
    EXPECT_EQ(window->currentCursor, du::Symbol::EMPTY);
}

INSTANTIATE_TEST_SUITE_P(Views, JogDrag, testing::ValuesIn(dragtest::kViewSetups),
                         dragtest::ViewSetupName);

class Ratio : public DragFixture {
protected:
    // Grabs the jog arrow where it is drawn: the shadow then holds a jog drag of its own.
    void GrabJog(sxmk::DragDriver& driver) {
        const dg::DPoint3D at = WindowOf(JogArrow());
        ASSERT_TRUE(driver.Start(JogArrowNode(), Round(at.x), Round(at.y)));
        ASSERT_EQ(shadow->GetPickedNode(), -1);
    }
    // Drags the jog arrow the given number of pixels along the main axis's window direction.
    void DragJog(sxmk::DragDriver& driver, double pixels) {
        const dg::DPoint3D mid = WindowOf(JogArrow());
        const dg::DVec3 along =
            WindowDirection(JogArrow()->location.GetPos(), record->GetMainAxisDirection());
        GrabJog(driver);
        driver.Move(Round(mid.x + pixels * along.x), Round(mid.y + pixels * along.y));
    }
};

// Steps of one jog drag, each given by its displacement from the drag's start; the extended
// start reflects through the start point when the ratio changes sign, the extended end through
// the end point when the ratio passes 1, each time the jog passes over, and only then.
TEST_F(Ratio, ExtensionPointsReflectWhenTheJogPassesAnEnd) {
    struct Step {
        double dx;
        float ratio;
        dg::DPoint3D extStart;
        dg::DPoint3D extEnd;
    };
    struct Case {
        const char* name;
        float startRatio;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {"inside", 0.5f, {{-2, 0.3f, {-1, 0, 0}, {12, 4, 2}}}},
        {"past the start and further",
         0.5f,
         {{-7, -0.2f, {1, 0, 0}, {12, 4, 2}}, {-8, -0.3f, {1, 0, 0}, {12, 4, 2}}}},
        {"past the start and back",
         0.5f,
         {{-7, -0.2f, {1, 0, 0}, {12, 4, 2}}, {-2, 0.3f, {-1, 0, 0}, {12, 4, 2}}}},
        {"past the end", 0.9f, {{3, 1.2f, {-1, 0, 0}, {8, 4, 2}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MakeShadow(JogLine(c.startRatio));
        record->SetAlongAxis(c.startRatio);  // as the viewer's records hold it
        sxmk::DragDriver driver(S());
        GrabJog(driver);
        for (const Step& step : c.steps) {
            // Exact steps: a pointer step lands on a ratio only up to rounding.
            Access::ChangeRatio(S(), dg::DVec3(step.dx, 0, 0));
            EXPECT_NEAR(record->GetDivRation(), step.ratio, 1e-6);
            ExpectNear(Stored()[0], step.extStart);
            ExpectNear(Stored()[6], step.extEnd);
            ExpectNear(Drawn()[0], step.extStart);
            ExpectNear(Drawn()[6], step.extEnd);
            // The record's extension points are where a path of the new ratio puts them.
            const std::vector<dg::DPoint3D> built = Built(JogLine(step.ratio));
            ExpectNear(Stored()[0], built[0], 1e-6);
            ExpectNear(Stored()[6], built[6], 1e-6);
            ExpectNear(Drawn(), built, 1e-6);
        }
    }
}

// A jog on an end (ratio 0 or 1) lies on the path's inner side: it passes that end, and the
// extension point there is reflected through it, only when it goes on beyond. A jog a hair inside
// an end passes it no more when it moves inwards. After every step the extension points are
// where a path of that step's ratio has them: each crossing reflects once, and a step that
// crosses nothing leaves them where they were.
TEST_F(Ratio, JogOnAnEndPassesItOnlyByGoingBeyond) {
    struct Case {
        const char* name;
        float from;
        std::vector<double> steps;  // main-axis displacement of each step from the drag's start
    };
    const Case cases[] = {
        {"onto the start, then beyond", 0.5f, {-5, -7}},
        {"from the start inwards", 0.0f, {2}},
        {"from the start beyond, then further", 0.0f, {-2, -3}},
        {"beyond the start, then back onto it", 0.5f, {-7, -5, -3}},
        {"a hair inside the start, inwards", 1e-6f, {2}},
        {"a hair inside the start, beyond", 1e-6f, {-2}},
        {"a hair beyond the start, inwards", -1e-6f, {2}},
        {"to just inside the start", 0.5f, {-4.95}},
        {"over the start and back, twice", 0.5f, {-7, -2, -6, -1}},
        {"onto the end, then beyond", 0.5f, {5, 7}},
        {"from the end inwards", 1.0f, {-2}},
        {"from the end beyond", 1.0f, {2}},
        {"beyond the end, then back onto it", 0.5f, {7, 5, 3}},
        {"a hair inside the end, inwards", 1.0f - 1e-6f, {-2}},
        {"a hair inside the end, beyond", 1.0f - 1e-6f, {2}},
        {"a hair beyond the end, inwards", 1.0f + 1e-6f, {-2}},
        {"over the end and back, twice", 0.5f, {7, 2, 6, 1}},
        {"over both ends in one step each", 0.5f, {-7, 8, -6}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MakeShadow(JogLine(c.from));
        record->SetAlongAxis(c.from);  // as the viewer's records hold it; a build keeps 0.5
        sxmk::DragDriver driver(S());
        GrabJog(driver);
        // Exact steps: a pointer step puts the jog on an end only up to rounding (just off it).
        for (const double x : c.steps) {
            SCOPED_TRACE(testing::Message() << "step " << x);
            Access::ChangeRatio(S(), dg::DVec3(x, 0, 0));
            // The main axis runs 10 units from the start.
            const float ratio = static_cast<float>(static_cast<double>(c.from) + x / 10.0);
            EXPECT_NEAR(record->GetDivRation(), ratio, 1e-6);
            const std::vector<dg::DPoint3D> built = Built(JogLine(ratio));
            ExpectNear(Stored()[0], built[0]);
            ExpectNear(Stored()[6], built[6]);
            ExpectNear(Drawn()[0], built[0]);
            ExpectNear(Drawn()[6], built[6]);
        }
    }
}

constexpr int kRandomTurns = 60;

// A frame turned by degrees about axis in equal steps, each step's rotation and each product
// rounded to float as a viewer's frame holds them (a frame turned once is the rotation rounded;
// more steps leave its rows a few roundings off unit length). Row i is the frame's axis i in
// object coordinates.
dg::Location TurnedFrame(const dg::DVec3& axis, double degrees, int steps) {
    const double n = axis.Norm();
    const double x = axis.x / n;
    const double y = axis.y / n;
    const double z = axis.z / n;
    const double a = degrees / steps * sxmk::detail::kPi / 180.0;
    const double c = std::cos(a);
    const double s = std::sin(a);
    const double k = 1.0 - c;
    auto f = [](double v) { return static_cast<float>(v); };
    const dg::FMat33 step(f(c + x * x * k), f(y * x * k + z * s), f(z * x * k - y * s),
                          f(x * y * k - z * s), f(c + y * y * k), f(z * y * k + x * s),
                          f(x * z * k + y * s), f(y * z * k - x * s), f(c + z * z * k));
    dg::FMat33 turned = step;
    for (int i = 1; i < steps; ++i) {
        dg::FMat33 product;
        for (int r = 0; r < 3; ++r)
            for (int col = 0; col < 3; ++col)
                product.m[r][col] = turned.m[r][0] * step.m[0][col] +
                                    turned.m[r][1] * step.m[1][col] +
                                    turned.m[r][2] * step.m[2][col];
        turned = product;
    }
    return dg::Location(turned, dg::DPoint3D::ORIGIN);
}

// Row i of a frame's rotation.
dg::DVec3 FrameAxis(const dg::Location& frame, int i) {
    dg::DPoint3D unit;
    (i == 0 ? unit.x : i == 1 ? unit.y : unit.z) = 1.0;
    dg::DMat44 xform;
    frame.GetXform(xform);
    const dg::DPoint3D row = unit * xform;
    return dg::DVec3(row.x, row.y, row.z);
}

// Pointer drags of the jog in frames turned every way, in the parallel views (where a pixel is a
// fixed length along the axis, so each step lands where it is aimed). Each drag visits both sides
// of both ends, in steps that land a fraction of a unit beyond an end as well as far beyond it,
// and crossing one end or both. After every step the ratio is where the first jog point lies
// along the main axis, its sign telling the side of the start (below 0 exactly when the jog lies
// beyond the start, above 1 exactly when beyond the end's foot), and each extension point is on
// the side that a path with the jog there has it: reflected exactly when the jog lies past its
// end.
TEST_F(Ratio, DraggedJogRatioAndExtensionsFollowItsSideOfEachEndInAnyFrame) {
    struct Turn {
        dg::DVec3 axis;
        double degrees;
        int steps;
    };
    std::vector<Turn> turns = {
        {{0, 0, 1}, 0.0, 1},          {{0, 0, 1}, 10.0, 1},     {{0, 0, 1}, 33.3, 1},
        {{0, 0, 1}, 54.8, 1},         {{0, 0, 1}, 72.5, 1},     {{0, 0, 1}, 90.0, 1},
        {{0, 0, 1}, 137.1, 1},        {{0, 0, 1}, 181.0, 1},    {{0, 0, 1}, 241.7, 1},
        {{0, 0, 1}, 303.9, 1},        {{1, 0, 0}, 40.0, 1},     {{1, 0, 0}, 121.3, 1},
        {{0, 1, 0}, 28.6, 1},         {{0, 1, 0}, -61.2, 1},    {{0, 1, 0}, 155.0, 1},
        {{1, 1, 1}, 120.0, 1},        {{1, 1, 1}, 47.9, 1},     {{1, -2, 0.5}, 77.0, 1},
        {{0.3, 0.9, -0.2}, 203.4, 1}, {{-1, 0.4, 2}, 311.8, 1},
    };
    // And turns about axes spread over the sphere, drawn from a fixed seed (the generator's raw
    // output, which every standard library gives alike).
    std::mt19937 gen(20261208u);
    const auto uniform = [&gen] { return static_cast<double>(gen()) / 4294967296.0; };
    for (int i = 0; i < kRandomTurns; ++i) {
        const double z = 2.0 * uniform() - 1.0;
        const double phi = 2.0 * sxmk::detail::kPi * uniform();
        const double r = std::sqrt(1.0 - z * z);
        turns.push_back({{r * std::cos(phi), r * std::sin(phi), z}, 360.0 * uniform(), 1 + i % 3});
    }
    // Where each step of one drag aims the pointer: a number of pixels on from the point of the
    // main axis at a ratio, towards the end (negative: towards the start). Those beyond an end lie
    // clear of a pixel's rounding. The jog starts at 0.5.
    struct Aim {
        double ratio;
        double pixels;
    };
    const Aim aims[] = {{0, -5},  {0.3, 0}, {0, -2},  {0, -9},  {1, 6},
                        {0.6, 0}, {1, 3},   {1.2, 0}, {0, -30}, {0.45, 0}};
    const double run = 19.92;  // main-axis length from the start to the end's foot
    const dg::DPoint3D start(1.0, -2.0, 0.5);
    int dragged = 0;
    for (const ViewSetup& setup : {dragtest::kViewSetups[1], dragtest::kViewSetups[3]}) {
        for (const Turn& turn : turns) {
            SCOPED_TRACE(testing::Message()
                         << setup.name << ", " << turn.degrees << " degrees about (" << turn.axis.x
                         << ", " << turn.axis.y << ", " << turn.axis.z << ") in " << turn.steps
                         << " steps");
            LineInput line;
            line.alongAxis = true;
            line.startExt = 1.0f;
            line.endExt = 2.0f;
            line.frame = TurnedFrame(turn.axis, turn.degrees, turn.steps);
            const dg::DVec3 u = FrameAxis(line.frame, 0);
            line.start = start;
            line.end =
                start + u * run + FrameAxis(line.frame, 1) * 4.0 + FrameAxis(line.frame, 2) * 2.0;
            MakeDragShadow(line, setup);
            ASSERT_TRUE(JogArrow());
            const dg::DPoint3D jog = JogArrow()->location.GetPos();
            const dg::DVec3 along = WindowDirection(jog, u);
            // A main axis seen nearly end-on has too few pixels to aim a step with.
            const double pixelsPerRatio = run * PixelsPerUnit(jog, u);
            if (pixelsPerRatio < 50.0)
                continue;
            ++dragged;

            sxmk::DragDriver driver(S());
            GrabJog(driver);
            const dg::DPoint3D grabbed = WindowOf(jog);
            for (const Aim& aim : aims) {
                const double aimedAt = aim.ratio + aim.pixels / pixelsPerRatio;
                SCOPED_TRACE(testing::Message() << "aimed at ratio " << aimedAt);
                const double pixels = (aimedAt - 0.5) * pixelsPerRatio;
                driver.Move(Round(grabbed.x) + Round(pixels * along.x),
                            Round(grabbed.y) + Round(pixels * along.y));
                // Where the first jog point lies along the main axis, as a share of the run: where
                // it was aimed, up to the pointer's rounding to whole pixels.
                const double at = dg::Dot(Drawn()[2] - start, u) / (run * dg::Dot(u, u));
                EXPECT_NEAR(at, aimedAt, 1.0 / pixelsPerRatio);
                EXPECT_EQ(at < 0.0, aimedAt < 0.0);
                EXPECT_EQ(at > 1.0, aimedAt > 1.0);

                const float ratio = record->GetDivRation();
                EXPECT_EQ(ratio < 0.0f, at < 0.0);
                EXPECT_EQ(ratio > 1.0f, at > 1.0);
                EXPECT_NEAR(ratio, at, 1e-5);
                LineInput there = line;
                there.ratio = static_cast<float>(at);
                const std::vector<dg::DPoint3D> built = Built(there);
                ExpectNear(Stored()[0], built[0], 1e-5);
                ExpectNear(Stored()[6], built[6], 1e-5);
                ExpectNear(Drawn()[0], built[0], 1e-5);
                ExpectNear(Drawn()[6], built[6], 1e-5);
            }
            driver.Release();
        }
    }
    // Only a few axes drawn at random are seen nearly end-on.
    EXPECT_GE(dragged, static_cast<int>(2 * turns.size()) - 8);
}

// A line left at ratio 0 keeps a main axis (its last main-axis leg's), so its jog drags again and
// the controller gets the new ratio with its path.
TEST_F(Ratio, JogAtRatioZeroDragsAndHandsOnItsNewRatio) {
    MakeDragShadow(JogLine(0.0f), dragtest::kViewSetups[0]);
    ASSERT_EQ(record->GetMainAxisDirection(), dg::DVec3(-1, 0, 0));
    const dg::DPoint3D mid = Stored()[3];
    const dg::DVec3 along = WindowDirection(mid, {1, 0, 0});
    const double pixels = std::round(2.0 * PixelsPerUnit(mid, {1, 0, 0}));
    const dg::DPoint3D grabbed = WindowOf(mid);
    const int x0 = Round(grabbed.x);
    const int y0 = Round(grabbed.y);

    sxmk::DragDriver driver(S());
    ASSERT_TRUE(driver.Start(JogArrowNode(), x0, y0));
    driver.Move(x0 + Round(pixels * along.x), y0 + Round(pixels * along.y));
    driver.Release();

    ASSERT_EQ(controller.calls.size(), 1u);
    const auto& call = controller.calls[0];
    EXPECT_NEAR(call.ratio, 0.2f, 0.02f);
    ExpectNear(call.shadowPoints, Built(JogLine(call.ratio)), 1e-5);
    ExpectNear(JogArrow()->location.GetPos(), call.shadowPoints[3], 1e-9);
}

// With a negative extension the stored list, and so the line a rebuild draws, holds a copy of
// the extension point in that end's slot. A released jog hands the controller the true ends,
// where the end handles stand, not those copies.
TEST_F(Ratio, ReleasedJogHandsOnTheEndHandlesNotANegativeExtensionsCopy) {
    MakeDragShadow(AlongAxisLine({0, 0, 0}, {10, 4, 2}, -1.0f, -2.0f), dragtest::kViewSetups[0]);
    shadow->MarkupChanged();
    FindHandles();
    ASSERT_EQ(Drawn()[1], Stored()[0]);
    ASSERT_EQ(Drawn()[5], Stored()[6]);
    const dg::DPoint3D grabbed = WindowOf(Stored()[3]);

    sxmk::DragDriver driver(S());
    ASSERT_TRUE(driver.Start(JogArrowNode(), Round(grabbed.x), Round(grabbed.y)));
    driver.Move(Round(grabbed.x) + 20, Round(grabbed.y));
    driver.Release();
    ASSERT_EQ(controller.calls.size(), 1u);
    const std::vector<dg::DPoint3D>& handedOn = controller.calls[0].shadowPoints;
    ASSERT_EQ(handedOn.size(), 7u);
    EXPECT_EQ(handedOn[1], StartSphere()->location.GetPos());
    EXPECT_EQ(handedOn[5], EndSphere()->location.GetPos());
    ExpectNear(handedOn[1], {0, 0, 0});
    ExpectNear(handedOn[5], {10, 4, 2});
}

// A straight line draws no jog arrow to grab. A record made straight while its shadow still
// draws the along-axis line (the viewer has not rebuilt it yet) leaves that jog arrow grabbable:
// dragging it moves nothing.
TEST_F(Ratio, StraightLineHasNoJogToMove) {
    MakeDragShadow(JogLine(), dragtest::kViewSetups[1]);
    const LineInput straight = StraightLine({0, 0, 0}, {10, 4, 2}, 1.0f, 2.0f);
    std::vector<dg::DPoint3D> unused;
    straight.Build(*record, unused);  // the record's mode, the stored list untouched
    ASSERT_FALSE(record->IsAlongAxis());
    const std::vector<dg::DPoint3D> drawn = Drawn();
    const std::vector<dg::DPoint3D> stored = Stored();
    const int notes = shadow->contentChangedCount;
    sxmk::DragDriver driver(S());
    DragJog(driver, 30);
    EXPECT_EQ(Drawn(), drawn);
    EXPECT_EQ(Stored(), stored);
    EXPECT_EQ(record->GetDivRation(), 0.5f);
    EXPECT_EQ(shadow->contentChangedCount, notes);
}

// Start and end on one line across the main axis leave no main-axis run to divide, and no main
// axis either: a drag of the jog moves nothing.
TEST_F(Ratio, EndsAcrossTheMainAxisKeepTheRatioWhileTheJogFollows) {
    MakeDragShadow(AlongAxisLine({0, 0, 0}, {0, 4, 2}, 1.0f, 2.0f), dragtest::kViewSetups[1]);
    ASSERT_EQ(record->GetMainAxisDirection(), dg::DVec3::ZERO);
    const std::vector<dg::DPoint3D> stored = Stored();
    {
        sxmk::DragDriver driver(S());
        GrabJog(driver);
        const dg::DPoint3D at = WindowOf(JogArrow());
        driver.Move(Round(at.x) + 30, Round(at.y) - 20);
        EXPECT_EQ(Drawn(), stored);
        driver.Release();
    }
    EXPECT_EQ(record->GetDivRation(), 0.5f);
    EXPECT_EQ(Stored(), stored);

    // A step along X, which the ratio must not divide by the zero run into; no drag makes one
    // (a zero axis turns the pointer's motion into none).
    sxmk::DragDriver driver(S());
    GrabJog(driver);
    Access::ChangeRatio(S(), dg::DVec3(1, 0, 0));
    for (std::size_t i = 2; i <= 4; ++i)
        ExpectNear(Drawn()[i], stored[i] + dg::DVec3(1, 0, 0));
    EXPECT_EQ(record->GetDivRation(), 0.5f);
    EXPECT_EQ(Stored(), stored);
}

// A record re-stored without its jog layout (four points, along-axis mode kept) while its shadow
// still draws the along-axis line: its jog has no points to move, and a drag of the drawn jog
// arrow touches neither the line nor the ratio.
TEST_F(Ratio, ListWithoutItsJogLayoutIsNotTouched) {
    MakeDragShadow(JogLine(), dragtest::kViewSetups[1]);
    record->SetPoints({{-1, 0, 0}, {0, 0, 0}, {10, 4, 2}, {12, 4, 2}});
    ASSERT_TRUE(record->IsAlongAxis());
    const std::vector<dg::DPoint3D> drawn = Drawn();
    sxmk::DragDriver driver(S());
    DragJog(driver, -200);
    EXPECT_EQ(Drawn(), drawn);
    EXPECT_EQ(record->GetDivRation(), 0.5f);
}

TEST_F(Ratio, JogOnTheAnchorNodeIsNotDragged) {
    MakeDragShadow(JogLine(), dragtest::kViewSetups[0]);
    record->anchorNode = JogArrowNode();
    const std::vector<dg::DPoint3D> drawn = Drawn();
    sxmk::DragDriver driver(S());
    driver.Start(JogArrowNode(), 400, 300);
    driver.Move(460, 300);
    EXPECT_EQ(Drawn(), drawn);
    driver.Release();
    EXPECT_EQ(record->GetDivRation(), 0.5f);
    EXPECT_TRUE(controller.calls.empty());
}

// The viewer's anchor node is no handle of the shadow. When it is the jog arrow's node, a drag of
// that node moves neither the jog nor the ratio, redraws nothing and hands the controller
// nothing; the same drag of the jog arrow moves the jog when the anchor is another node.
TEST_F(Ratio, JogArrowThatIsTheAnchorNodeStaysWhereItIs) {
    for (const ViewSetup& setup : dragtest::kViewSetups) {
        for (const bool anchored : {true, false}) {
            SCOPED_TRACE(testing::Message() << setup.name << (anchored ? ", anchored" : ", free"));
            MakeDragShadow(JogLine(), setup);
            if (anchored)
                record->anchorNode = JogArrowNode();
            const std::vector<dg::DPoint3D> drawn = Drawn();
            const std::vector<dg::DPoint3D> stored = Stored();
            const dg::DPoint3D jog = JogArrow()->location.GetPos();
            const int notes = shadow->contentChangedCount;
            controller.calls.clear();
            sxmk::DragDriver driver(S());
            DragJog(driver, 40);  // towards the start, more than a unit in every view
            if (anchored) {
                EXPECT_EQ(Drawn(), drawn);
                EXPECT_EQ(JogArrow()->location.GetPos(), jog);
                EXPECT_EQ(record->GetDivRation(), 0.5f);
                EXPECT_EQ(shadow->contentChangedCount, notes);
            } else {
                EXPECT_LT(Drawn()[3].x, jog.x - 1.0);
                EXPECT_LT(record->GetDivRation(), 0.4f);
            }
            driver.Release();
            EXPECT_EQ(controller.calls.size(), anchored ? 0u : 1u);
            if (anchored) {
                EXPECT_EQ(Stored(), stored);
            }
        }
    }
}

// A markup moved along with the jog's: the framework stops it with the jog's operation.
class StopRecorder : public sxmk::MarkupShadow {
public:
    explicit StopRecorder(const du::SmartPtr<sxk::View>& v) : MarkupShadow(v, true) {}
    std::vector<const sxk::Operation*> stops;

private:
    void Stop(const dg::DVec3&, const du::SmartPtr<sxk::Operation>& operation) override {
        stops.push_back(operation.get());
    }
};

TEST_F(Ratio, JogStoppedTogetherWithOtherMarkupsIsNamedForThem) {
    MakeDragShadow(JogLine(), dragtest::kViewSetups[1]);
    du::SmartPtr<StopRecorder> a(new StopRecorder(view));
    du::SmartPtr<StopRecorder> b(new StopRecorder(view));
    shadow->broadcastTargets = {a, b};

    sxmk::DragDriver driver(S());
    const dg::DPoint3D grabbed = WindowOf(JogArrow());
    driver.Start(JogArrowNode(), Round(grabbed.x), Round(grabbed.y));
    driver.Move(Round(grabbed.x) + 10, Round(grabbed.y));
    driver.Release();

    ASSERT_EQ(controller.calls.size(), 1u);
    EXPECT_EQ(controller.calls[0].operationName, dragtest::MoveMarkupsName());
    const sxk::Operation* op = controller.calls[0].operation.get();
    EXPECT_EQ(a->stops, std::vector<const sxk::Operation*>{op});
    EXPECT_EQ(b->stops, std::vector<const sxk::Operation*>{op});
    shadow->broadcastTargets.clear();
}

// An axis parallel to the view plane spans a fixed share of the window's width (the handles'
// screen scale), whatever the camera, the depth or the markup's placement; its world length is
// that share of the view's width at the handle.
TEST_F(Ratio, ConstrainedAxisSpansAFixedShareOfTheWindow) {
    for (const ViewSetup& setup : dragtest::kViewSetups) {
        const double widthAtOrigin = setup.parallel ? 80.0 : 2.0 * 40.0 * std::tan(0.4);
        for (const double z : {0.0, -30.0}) {
            SCOPED_TRACE(testing::Message() << setup.name << ", depth " << z);
            // The end arrow stands at (12, 0, z); one step of its drag measures the axis there.
            MakeDragShadow(StraightLine({0, 0, z}, {10, 0, z}, 1.0f, 2.0f), setup);
            const dg::DPoint3D at = WindowOf(EndArrow());
            sxmk::DragDriver driver(S());
            ASSERT_TRUE(driver.Start(EndArrowNode(), Round(at.x), Round(at.y)));
            driver.Move(Round(at.x) + 10, Round(at.y));
            // A drag step uses only the ratio of these lengths (ExtensionDrag checks how far an
            // arrow follows the pointer); the share itself shows nowhere, so it is read here.
            const double depth = 40.0 - z - (setup.rotated ? 2.0 : 0.0);
            const double width = setup.parallel ? widthAtOrigin : widthAtOrigin * depth / 40.0;
            EXPECT_NEAR(Access::axisVector(S()).Norm(), width * sxmk::detail::kAxisScreenFraction,
                        1e-9);
            EXPECT_NEAR(Access::screenAxisLength(S()), 800 * sxmk::detail::kAxisScreenFraction,
                        1e-6);
            ExpectNear(dg::DPoint3D() + Access::screenAxis(S()),
                       dg::DPoint3D() + WindowDirection({12, 0, z}, {1, 0, 0}), 1e-9);
            driver.Release();
        }
    }
}

// The library never calls this helper, but it is part of the shadow's exported interface: a
// fault there is a fault of that interface.
TEST_F(Ratio, PointToSegmentDistanceMeasuresToTheWholeLine) {
    MakeShadow(StraightLine({0, 0, 0}, {10, 0, 0}));
    struct Case {
        dg::DPoint3D p;
        dg::DPoint3D a;
        dg::DPoint3D b;
        double distance;
    };
    for (const Case& c :
         {Case{{5, 3, 0}, {0, 0, 0}, {1, 0, 0}, 3.0}, Case{{0.5, 0, -4}, {0, 0, 0}, {1, 0, 0}, 4.0},
          Case{{-7, 0, 0}, {0, 0, 0}, {2, 0, 0}, 0.0},
          Case{{2, 2, 5}, {2, 2, 2}, {2, 2, 2}, 3.0}}) {
        EXPECT_NEAR(Access::PointToSegmentDistance(S(), c.p, dg::Segment<double, 3>(c.a, c.b)),
                    c.distance, 1e-12);
    }
}

}  // namespace
