// Dragger handles: hiding and showing them around a drag, preselection highlight, the drag
// cursor, and aiming and placing the arrows.
#include "Constants.h"
#include "DragTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sxmk/DragDriver.h>
#include <sxmk/MarkupShadow.h>

#include <cmath>
#include <cstddef>
#include <cstring>
#include <vector>

namespace {

using testing::UnorderedElementsAreArray;
using testsupport::AlongAxisLine;
using testsupport::LineInput;
using testsupport::StraightLine;

// Handles by letter: J jog arrow, E end sphere, S start sphere, e end arrow, s start arrow,
// L the line strip.
class Handles : public dragtest::DragFixture {
protected:
    sxmu::ModelBase* Node(char c) const {
        switch (c) {
            case 'J':
                return handleNodes.jogArrow;
            case 'E':
                return handleNodes.endSphere;
            case 'S':
                return handleNodes.startSphere;
            case 'e':
                return handleNodes.endArrow;
            case 's':
                return handleNodes.startArrow;
            default:
                return DrawnLine(*shadow);
        }
    }
    void Highlight(const sxmu::ModelBase* node) {
        shadow->PreselectHighlight(
            du::SmartPtr<sxmu::ModelBase>(const_cast<sxmu::ModelBase*>(node)));
    }
    // Grabs a handle where it is drawn and moves the pointer 20 pixels right and 10 up.
    void GrabAndMove(sxmk::DragDriver& driver, char c) {
        const dg::DPoint3D at = WindowOf(Node(c));
        ASSERT_TRUE(driver.Start(Node(c), Round(at.x), Round(at.y)));
        driver.Move(Round(at.x) + 20, Round(at.y) - 10);
    }
    // Lets go of the handle; an end point's drop waits for its pick, which then finds nothing.
    void LetGo(sxmk::DragDriver& driver, char c) {
        driver.Release();
        if (c != 'S' && c != 'E') {
            EXPECT_TRUE(view->pendingPicks.empty());
            return;
        }
        ASSERT_EQ(view->pendingPicks.size(), 1u);
        ASSERT_TRUE(view->CompletePick({}, 0));
    }
    // The views come without a preselection colour: preselected and normal sets differ in their
    // objects (and an arrow's line in its weight), not in colour. normalLooks := what each
    // handle draws with as built, before any highlight.
    void NoteNormalLooks() {
        for (char c : {'S', 'E', 's', 'e', 'J'})
            normalLooks[Index(c)] = LookOf(Node(c));
    }
    // Whether a handle shows its preselected sets: none of the sets it was built with, the
    // preselection colour, and an arrow's line in the preselected weight.
    bool ShowsPreselected(char c) const {
        const Look look = LookOf(Node(c));
        const Look& normal = normalLooks[Index(c)];
        const bool arrow = normal.head != nullptr;
        if (look.line == normal.line || look.fill == normal.fill ||
            (arrow && look.head == normal.head))
            return false;
        return look.line->color == sxmk::defaultHandleColor &&
               look.fill->color == sxmk::defaultHandleColor && (!arrow || look.line->weight == 4);
    }
    // Whether a handle shows the sets it was built with.
    bool ShowsNormal(char c) const { return LookOf(Node(c)) == normalLooks[Index(c)]; }

private:
    static std::size_t Index(char c) {
        const char* const letters = "SEseJ";
        return static_cast<std::size_t>(std::strchr(letters, c) - letters);
    }
    Look normalLooks[5];
};

// The three kinds of line: the jog arrow is drawn only on an along-axis line whose ends differ
// along two axes.
struct LineKind {
    const char* name;
    LineInput input;
    bool jog;
};
const LineKind kLineKinds[] = {
    {"along axis with a jog", AlongAxisLine({0, 0, 0}, {10, 4, 3}, 1.0f, 1.0f), true},
    {"straight", StraightLine({0, 0, 0}, {10, 4, 3}, 1.0f, 1.0f), false},
    {"along axis without a jog", AlongAxisLine({0, 0, 0}, {10, 0, 0}, 1.0f, 1.0f), false},
};

// While a handle is dragged only that handle is drawn with the line; once it is let go every
// handle of the line is drawn again, each once, and the jog arrow only on a line that has one.
TEST_F(Handles, DragShowsOnlyTheGrabbedHandleAndThenEveryHandleOnce) {
    for (const LineKind& kind : kLineKinds) {
        for (const char grabbed : {'s', 'S', 'J', 'E', 'e'}) {
            if (grabbed == 'J' && !kind.jog)
                continue;  // no jog arrow to grab
            SCOPED_TRACE(testing::Message() << kind.name << ", handle " << grabbed);
            MakeDragShadow(kind.input, dragtest::kViewSetups[0]);
            ASSERT_EQ(JogArrow() != nullptr, kind.jog);
            const std::vector<const sxmu::ModelBase*> built = BuiltOrder(kind.jog);

            sxmk::DragDriver driver(S());
            GrabAndMove(driver, grabbed);
            EXPECT_EQ(Children(), (std::vector<const sxmu::ModelBase*>{Node(grabbed), Line()}));
            driver.Release();
            EXPECT_THAT(Children(), UnorderedElementsAreArray(built));
            // An end point's drop, here on nothing, leaves the handles drawn as they are.
            if (grabbed == 'S' || grabbed == 'E') {
                ASSERT_EQ(view->pendingPicks.size(), 1u);
                ASSERT_TRUE(view->CompletePick({}, 0));
                EXPECT_THAT(Children(), UnorderedElementsAreArray(built));
            }
            EXPECT_EQ(DrawnArrows(), kind.jog ? 3u : 2u);
        }
    }
}

// The viewer draws the container's children head first. The grabbed handle is never taken out:
// it keeps its place next to the line at the tail, and the handles put back come ahead of it in
// the order a fresh shadow draws them.
TEST_F(Handles, HandlesPutBackAfterADragKeepTheirDrawnOrderAheadOfTheGrabbedOne) {
    for (const char grabbed : {'J', 'E', 'S', 'e', 's'}) {
        SCOPED_TRACE(testing::Message() << "handle " << grabbed);
        MakeDragShadow(kLineKinds[0].input, dragtest::kViewSetups[0]);
        std::vector<const sxmu::ModelBase*> expected;
        for (const sxmu::ModelBase* node : BuiltOrder(true)) {
            if (node != Node(grabbed) && node != Line())
                expected.push_back(node);
        }
        expected.push_back(Node(grabbed));
        expected.push_back(Line());

        sxmk::DragDriver driver(S());
        GrabAndMove(driver, grabbed);
        LetGo(driver, grabbed);
        EXPECT_EQ(Children(), expected);
    }
}

// Grabbing the line grabs no handle: nothing is hidden, and letting go draws no handle twice. It
// puts the jog arrow on the record's jog point, here one that the record took after the shadow
// was built.
TEST_F(Handles, LineGrabHidesNothingAndPutsTheJogArrowOnTheRecordsJogPoint) {
    MakeDragShadow(kLineKinds[0].input, dragtest::kViewSetups[0]);
    const std::vector<const sxmu::ModelBase*> built = Children();
    LineInput moved = kLineKinds[0].input;
    moved.ratio = 0.8f;
    record->SetPoints(Built(moved));
    ASSERT_NE(JogArrow()->location.GetPos(), Stored()[3]);

    sxmk::DragDriver driver(S());
    ASSERT_TRUE(driver.Start(DrawnLine(S()), 300, 300));
    EXPECT_EQ(shadow->GetPickedNode(), -1);
    EXPECT_EQ(Children(), built);
    driver.Move(340, 280);
    driver.Release();
    EXPECT_EQ(Children(), built);
    EXPECT_EQ(JogArrow()->location.GetPos(), Stored()[3]);
    EXPECT_TRUE(controller.calls.empty());
}

TEST_F(Handles, HighlightRecolorsOnlyTheHandleUnderTheCursorUntilCleared) {
    MakeShadow(AlongAxisLine({0, 0, 0}, {10, 4, 3}));
    ASSERT_TRUE(shadow);
    ASSERT_NE(JogArrow(), nullptr);
    NoteNormalLooks();
    for (char target : {'S', 'E', 's', 'e', 'J'}) {
        const int notified = shadow->contentChangedCount;
        Highlight(Node(target));
        EXPECT_EQ(shadow->contentChangedCount, notified + 1);
        for (char c : {'S', 'E', 's', 'e', 'J'}) {
            if (c == target)
                EXPECT_TRUE(ShowsPreselected(c)) << target;
            else
                EXPECT_TRUE(ShowsNormal(c)) << target << " " << c;
        }
        // The highlight holds: another handle under the cursor changes nothing until cleared.
        const char other = target == 'S' ? 'E' : 'S';
        Highlight(Node(other));
        EXPECT_TRUE(ShowsNormal(other)) << target;
        EXPECT_EQ(shadow->contentChangedCount, notified + 1);

        shadow->ClearPreselectHighlight();
        EXPECT_EQ(shadow->contentChangedCount, notified + 2);
        for (char c : {'S', 'E', 's', 'e', 'J'})
            EXPECT_TRUE(ShowsNormal(c)) << target << " " << c;
    }
    // Cleared, the next highlight takes effect again.
    Highlight(Node('S'));
    EXPECT_TRUE(ShowsPreselected('S'));
    shadow->ClearPreselectHighlight();
    EXPECT_EQ(shadow->baseHighlightCount, 0);
    EXPECT_EQ(shadow->baseClearHighlightCount, 0);
}

TEST_F(Handles, HighlightOfTheLineBlocksFurtherHighlightsUntilCleared) {
    MakeShadow(StraightLine({0, 0, 0}, {10, 0, 0}));
    ASSERT_TRUE(shadow);
    NoteNormalLooks();
    const int notified = shadow->contentChangedCount;
    Highlight(Line());
    EXPECT_EQ(shadow->contentChangedCount, notified + 1);

    Highlight(StartSphere());
    EXPECT_TRUE(ShowsNormal('S'));
    EXPECT_EQ(shadow->contentChangedCount, notified + 1);

    shadow->ClearPreselectHighlight();
    Highlight(StartSphere());
    EXPECT_TRUE(ShowsPreselected('S'));
    EXPECT_EQ(shadow->contentChangedCount, notified + 3);
}

TEST_F(Handles, ClearWithoutHighlightDoesNotNotify) {
    MakeShadow(StraightLine({0, 0, 0}, {10, 0, 0}));
    ASSERT_TRUE(shadow);
    const int notified = shadow->contentChangedCount;
    shadow->ClearPreselectHighlight();
    EXPECT_EQ(shadow->contentChangedCount, notified);
}

TEST_F(Handles, HiddenHandleKeepsItsHighlightUntilCleared) {
    MakeDragShadow(StraightLine({0, 0, 0}, {10, 0, 0}), dragtest::kViewSetups[0]);
    NoteNormalLooks();
    Highlight(EndArrow());
    sxmk::DragDriver driver(S());
    GrabAndMove(driver, 'S');
    ASSERT_FALSE(DrawnRoot()->Contains(EndArrow()));
    EXPECT_TRUE(ShowsPreselected('e'));
    LetGo(driver, 'S');
    ASSERT_TRUE(DrawnRoot()->Contains(EndArrow()));
    EXPECT_TRUE(ShowsPreselected('e'));
    shadow->ClearPreselectHighlight();
    EXPECT_TRUE(ShowsNormal('e'));
}

TEST_F(Handles, EveryHandleShowsTheMoveCursorAndOtherNodesKeepTheirs) {
    MakeShadow(AlongAxisLine({0, 0, 0}, {10, 4, 3}));
    ASSERT_TRUE(shadow);
    const du::Symbol unchanged("keep");
    for (char c : {'S', 'E', 's', 'e', 'J'}) {
        du::Symbol cursor = unchanged;
        EXPECT_TRUE(shadow->GetDragCursor(
            du::SmartPtr<sxmu::ModelBase>(const_cast<sxmu::ModelBase*>(Node(c))), cursor));
        EXPECT_EQ(cursor, sxmk::dragCursorMove) << c;
    }
    du::SmartPtr<sxmu::ModelBase> stranger(new sxmu::ModelBase);
    for (const du::SmartPtr<sxmu::ModelBase>& node :
         {du::SmartPtr<sxmu::ModelBase>(DrawnLine(*shadow)), stranger,
          du::SmartPtr<sxmu::ModelBase>()}) {
        du::Symbol cursor = unchanged;
        EXPECT_TRUE(shadow->GetDragCursor(node, cursor));
        EXPECT_EQ(cursor, unchanged);
    }
}

TEST_F(Handles, ExtensionArrowsPointOutwardsAtTheDrawnEnds) {
    struct Case {
        float startExt;
        float endExt;
        dg::DPoint3D startTip, startAt, endTip, endAt;
    };
    const Case cases[] = {
        {2.0f, 2.0f, {-1, 0, 0}, {-2, 0, 0}, {1, 0, 0}, {12, 0, 0}},
        {2.0f, -2.0f, {-1, 0, 0}, {-2, 0, 0}, {-1, 0, 0}, {8, 0, 0}},
        {-3.0f, 0.0f, {1, 0, 0}, {3, 0, 0}, {1, 0, 0}, {10, 0, 0}},
    };
    for (const Case& c : cases) {
        MakeShadow(StraightLine({0, 0, 0}, {10, 0, 0}, c.startExt, c.endExt));
        ASSERT_TRUE(shadow);
        const auto* start = dynamic_cast<const sxmu::ModelLeaderLine*>(StartArrow());
        const auto* end = dynamic_cast<const sxmu::ModelLeaderLine*>(EndArrow());
        ASSERT_NE(start, nullptr);
        ASSERT_NE(end, nullptr);
        EXPECT_EQ(start->points[1], c.startTip) << c.startExt;
        EXPECT_EQ(start->location, dg::Location(dg::FMat33::IDENTITY, c.startAt)) << c.startExt;
        EXPECT_EQ(end->points[1], c.endTip) << c.endExt;
        EXPECT_EQ(end->location, dg::Location(dg::FMat33::IDENTITY, c.endAt)) << c.endExt;
    }
}

TEST_F(Handles, AlongAxisArrowsFollowTheOuterLegsAndTheMainAxis) {
    MakeShadow(AlongAxisLine({0, 0, 0}, {10, 4, 3}, 1.0f, 1.0f));
    ASSERT_TRUE(shadow);
    const auto& list = *record->GetPoints();
    const auto* start = dynamic_cast<const sxmu::ModelLeaderLine*>(StartArrow());
    const auto* end = dynamic_cast<const sxmu::ModelLeaderLine*>(EndArrow());
    const auto* jog = dynamic_cast<const sxmu::ModelLeaderLine*>(JogArrow());
    ASSERT_NE(start, nullptr);
    ASSERT_NE(end, nullptr);
    ASSERT_NE(jog, nullptr);
    EXPECT_EQ(start->points[1], dg::DPoint3D(-1, 0, 0));
    EXPECT_EQ(end->points[1], dg::DPoint3D(1, 0, 0));
    EXPECT_EQ(start->location.GetPos(), list.front());
    EXPECT_EQ(end->location.GetPos(), list.back());
    EXPECT_EQ(jog->location.GetPos(), list[3]);
    const dg::DVec3 axis = record->GetMainAxisDirection();
    EXPECT_EQ(jog->points[1], dg::DPoint3D(axis.x, axis.y, axis.z));
}

// The arrows' tips show their directions (reversed for a negative extension).
TEST_F(Handles, ZeroLengthLineLeavesZeroDirections) {
    for (const auto& lineInput :
         {StraightLine({1, 2, 3}, {1, 2, 3}), AlongAxisLine({1, 2, 3}, {1, 2, 3})}) {
        MakeShadow(lineInput);
        ASSERT_TRUE(shadow);
        // Two arrows, no jog: both extension arrows, with zero tips.
        EXPECT_EQ(DrawnArrows(), 2u);
        for (const auto& child : DrawnRoot()->GetChildren()) {
            if (const auto* arrow = dynamic_cast<const sxmu::ModelLeaderLine*>(child.get())) {
                EXPECT_EQ(arrow->points.at(1), dg::DPoint3D::ORIGIN);
            }
        }
    }
}

// A line whose length is not zero but whose squared length underflows: Norm() is 0, so a
// viewer's Normalize sees a zero vector there. The arrows' tips must stay numbers.
TEST_F(Handles, LineWhoseNormUnderflowsLeavesNoNaNInTheArrows) {
    sxk::HostileViewer::Set(sxk::HostileViewer::Active() |
                            sxk::HostileViewer::NormalizeZeroGivesNaN);
    const double tiny = 1e-170;
    for (const auto& lineInput :
         {StraightLine({0, 0, 0}, {tiny, 0, 0}), StraightLine({0, 0, 0}, {tiny, tiny, 0})}) {
        MakeShadow(lineInput);
        ASSERT_TRUE(shadow);
        for (const auto& child : DrawnRoot()->GetChildren()) {
            if (const auto* arrow = dynamic_cast<const sxmu::ModelLeaderLine*>(child.get())) {
                const dg::DPoint3D tip = arrow->points.at(1);
                EXPECT_TRUE(std::isfinite(tip.x) && std::isfinite(tip.y) && std::isfinite(tip.z))
                    << tip.x << ", " << tip.y << ", " << tip.z;
            }
        }
    }
}

// An extension arrow points from the line's point next to its end towards the end. Where that
// leg has no length (an along-axis line whose ends do not differ along the main axis), it takes
// the next leg's direction, and the one after where that has none either.
TEST_F(Handles, DegenerateLegFallsBackToTheNextLeg) {
    struct Case {
        const char* name;
        dg::DPoint3D end;
        dg::DPoint3D startTip;
        dg::DPoint3D endTip;
    };
    const Case cases[] = {
        {"first leg without length", {0, 4, 2}, {0, -1, 0}, {0, 0, 1}},
        {"first two legs without length", {0, 0, 2}, {0, 0, -1}, {0, 0, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MakeShadow(AlongAxisLine({0, 0, 0}, c.end, 1.0f, 1.0f));
        ASSERT_TRUE(shadow);
        const auto* start = dynamic_cast<const sxmu::ModelLeaderLine*>(StartArrow());
        const auto* end = dynamic_cast<const sxmu::ModelLeaderLine*>(EndArrow());
        ASSERT_NE(start, nullptr);
        ASSERT_NE(end, nullptr);
        EXPECT_EQ(start->points.at(1), c.startTip);
        EXPECT_EQ(end->points.at(1), c.endTip);
    }
}

TEST_F(Handles, JogArrowAppliesWhenStartAndEndDifferAlongTwoAxes) {
    const double t = sxmk::detail::kNearZero;
    struct Case {
        dg::DVec3 startMinusEnd;
        bool jog;
    };
    const Case cases[] = {
        {{1, 0, 0}, false}, {{0, 0, 0}, false},     {{0, 0, -3}, false},
        {{1, -1, 5}, true}, {{-1, -1, 0}, true},    {{2, 0, 2}, true},
        {{1, t, 0}, true},  {{1, t / 2, 0}, false}, {{t / 2, t / 2, 1}, false},
    };
    for (const Case& c : cases) {
        const dg::DPoint3D start(1, 2, 3);
        MakeShadow(AlongAxisLine(start, start - c.startMinusEnd));
        ASSERT_TRUE(shadow);
        const dg::DVec3 d = c.startMinusEnd;
        EXPECT_EQ(JogArrow() != nullptr, c.jog) << d.x << "," << d.y << "," << d.z;
        EXPECT_EQ(DrawnArrows(), c.jog ? 3u : 2u);
    }
}

// Aiming the arrows is one notification (a jog's release; a construction none, since the new
// shadow holds no reference yet); an extension drag notifies once per step, and its release,
// which aims only the dragged arrow, adds none.
TEST_F(Handles, AimingNotifiesOnceAndPlacingAnArrowNotAtAll) {
    for (const char arrow : {'s', 'e'}) {
        SCOPED_TRACE(testing::Message() << "handle " << arrow);
        MakeDragShadow(StraightLine({0, 0, 0}, {10, 0, 0}, 2.0f, 2.0f), dragtest::kViewSetups[1]);
        EXPECT_EQ(shadow->contentChangedCount, 0);
        const dg::DPoint3D at = WindowOf(Node(arrow));
        sxmk::DragDriver driver(S());
        ASSERT_TRUE(driver.Start(Node(arrow), Round(at.x), Round(at.y)));
        driver.Move(Round(at.x) + 10, Round(at.y));
        driver.Move(Round(at.x) + 20, Round(at.y));
        EXPECT_EQ(shadow->contentChangedCount, 2);
        driver.Release();
        EXPECT_EQ(shadow->contentChangedCount, 2);
    }
    MakeDragShadow(AlongAxisLine({0, 0, 0}, {10, 4, 2}, 1.0f, 2.0f), dragtest::kViewSetups[1]);
    const dg::DPoint3D at = WindowOf(JogArrow());
    sxmk::DragDriver driver(S());
    ASSERT_TRUE(driver.Start(Node('J'), Round(at.x), Round(at.y)));
    driver.Move(Round(at.x) + 10, Round(at.y));
    EXPECT_EQ(shadow->contentChangedCount, 1);
    driver.Release();
    EXPECT_EQ(shadow->contentChangedCount, 2);
}

}  // namespace
