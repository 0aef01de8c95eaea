// Dragger handles: hiding and showing them around a drag, preselection highlight, the drag
// cursor, and aiming and placing the arrows.
#include "CenterLineFixture.h"
#include "LibraryConstants.h"

#include <gtest/gtest.h>

#include <sxmk/MarkupShadow.h>

#include <cmath>
#include <cstddef>
#include <cstring>
#include <vector>

namespace {

using testsupport::AlongAxisLine;
using testsupport::StraightLine;
using Shadow = sxmk::CenterLineXYZShadow;

// Handles by letter: J jog arrow, E end sphere, S start sphere, e end arrow, s start arrow,
// L the line strip.
class Handles : public testsupport::CenterLineFixture {
protected:
    const sxmu::ModelBase* Node(char c) const {
        switch (c) {
            case 'J':
                return JogArrow();
            case 'E':
                return EndSphere();
            case 'S':
                return StartSphere();
            case 'e':
                return EndArrow();
            case 's':
                return StartArrow();
            default:
                return Line();
        }
    }
    // Nodes of letters, head first; the jog arrow only when withJog.
    std::vector<const sxmu::ModelBase*> Nodes(const char* letters, bool withJog) const {
        std::vector<const sxmu::ModelBase*> out;
        for (const char* c = letters; *c; ++c)
            if (*c != 'J' || withJog)
                out.push_back(Node(*c));
        return out;
    }
    void Highlight(const sxmu::ModelBase* node) {
        shadow->PreselectHighlight(
            du::SmartPtr<sxmu::ModelBase>(const_cast<sxmu::ModelBase*>(node)));
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

struct DragCase {
    Shadow::PickedDragger dragger;
    const char* duringDrag;
    const char* afterDrag;
};

// Built order: J E S e s L.
const DragCase kDragCases[] = {
    {Shadow::StartExtensionDragger, "sL", "JESesL"},
    {Shadow::StartPointDragger, "SL", "JEesSL"},
    {Shadow::JogDragger, "JL", "ESesJL"},
    {Shadow::EndPointDragger, "EL", "JSesEL"},
    {Shadow::EndExtensionDragger, "eL", "JESseL"},
};

TEST_F(Handles, DragHidesOtherHandlesAndPutsThemBackWithJogArrow) {
    MakeShadow(AlongAxisLine({0, 0, 0}, {10, 4, 3}, 1.0f, 1.0f));
    ASSERT_TRUE(shadow);
    for (const DragCase& c : kDragCases) {
        Access::SetOff(*shadow, c.dragger);
        EXPECT_EQ(Children(), Nodes(c.duringDrag, true)) << c.dragger;
        Access::SetOn(*shadow, c.dragger);
        EXPECT_EQ(Children(), Nodes(c.afterDrag, true)) << c.dragger;
        // Back to the built order for the next case.
        shadow->MarkupChanged();
        FindHandles();
    }
}

TEST_F(Handles, DragLeavesAnInapplicableJogArrowAlone) {
    for (const auto& lineInput : {StraightLine({0, 0, 0}, {10, 4, 3}, 1.0f, 1.0f),
                                  AlongAxisLine({0, 0, 0}, {10, 0, 0}, 1.0f, 1.0f)}) {
        MakeShadow(lineInput);
        ASSERT_TRUE(shadow);
        for (const DragCase& c : kDragCases) {
            if (c.dragger == Shadow::JogDragger)
                continue;  // not reachable without a shown jog arrow
            Access::SetOff(*shadow, c.dragger);
            EXPECT_EQ(Children(), Nodes(c.duringDrag, false)) << c.dragger;
            Access::SetOn(*shadow, c.dragger);
            EXPECT_EQ(Children(), Nodes(c.afterDrag, false)) << c.dragger;
            shadow->MarkupChanged();
            FindHandles();
        }
    }
}

TEST_F(Handles, NoDraggerHidesNothingAndShowsOnlyMissingHandles) {
    MakeShadow(AlongAxisLine({0, 0, 0}, {10, 4, 3}));
    ASSERT_TRUE(shadow);
    const auto built = Children();
    Access::SetOff(*shadow, Shadow::NoDragger);
    EXPECT_EQ(Children(), built);
    Access::SetOn(*shadow, Shadow::NoDragger);
    EXPECT_EQ(Children(), built);

    // After a hide, every handle comes back once, the jog arrow at the record's mid jog point.
    Access::SetOff(*shadow, Shadow::EndPointDragger);
    handleNodes.jogArrow->location = dg::Location(dg::FMat33::IDENTITY, {7, 7, 7});
    Access::SetOn(*shadow, Shadow::NoDragger);
    EXPECT_EQ(Children(), Nodes("JSesEL", true));
    EXPECT_EQ(JogArrow()->location.GetPos(), (*record->GetPoints())[3]);
}

TEST_F(Handles, ValuesOutsideTheDraggersChangeNothing) {
    MakeShadow(AlongAxisLine({0, 0, 0}, {10, 4, 3}));
    ASSERT_TRUE(shadow);
    const auto built = Children();
    for (int value : {6, 7}) {
        Access::SetOff(*shadow, static_cast<Shadow::PickedDragger>(value));
        Access::SetOn(*shadow, static_cast<Shadow::PickedDragger>(value));
        EXPECT_EQ(Children(), built) << value;
    }
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
    MakeShadow(StraightLine({0, 0, 0}, {10, 0, 0}));
    ASSERT_TRUE(shadow);
    NoteNormalLooks();
    Highlight(EndArrow());
    Access::SetOff(*shadow, Shadow::StartPointDragger);
    EXPECT_TRUE(ShowsPreselected('e'));
    Access::SetOn(*shadow, Shadow::StartPointDragger);
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

TEST_F(Handles, DegenerateLegFallsBackToTheNextLeg) {
    // With the sphere on point 2, the start arrow takes the direction of points 2 to 3.
    MakeShadow(StraightLine({0, 0, 0}, {10, 0, 0}, 2.0f, 2.0f));
    ASSERT_TRUE(shadow);
    // The start sphere is moved the way a start-point drag moves it.
    Access::pickedDragger(*shadow) = Shadow::StartPointDragger;
    Access::MoveNode(*shadow, 1, dg::DVec3(10, 0, 0));
    ASSERT_EQ(handleNodes.startSphere->location.GetPos(), dg::DPoint3D(10, 0, 0));
    Access::SetArrowsDir(*shadow);
    // The start extension is positive: the tip shows the direction itself.
    const auto* start = dynamic_cast<const sxmu::ModelLeaderLine*>(StartArrow());
    ASSERT_NE(start, nullptr);
    EXPECT_EQ(start->points.at(1), dg::DPoint3D(-1, 0, 0));
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

TEST_F(Handles, AimingNotifiesOnceAndPlacingAnArrowNotAtAll) {
    MakeShadow(StraightLine({0, 0, 0}, {10, 0, 0}, 2.0f, 2.0f));
    ASSERT_TRUE(shadow);
    const int notified = shadow->contentChangedCount;
    Access::SetStartExtensionDir(*shadow);
    Access::SetEndExtensionDir(*shadow);
    EXPECT_EQ(shadow->contentChangedCount, notified);
    Access::SetArrowsDir(*shadow);
    EXPECT_EQ(shadow->contentChangedCount, notified + 1);
}

}  // namespace
