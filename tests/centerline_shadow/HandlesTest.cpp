// Dragger handles: hiding and showing them around a drag, preselection highlight, the drag
// cursor, and aiming and placing the arrows.
#include "CenterLineFixture.h"

#include <gtest/gtest.h>

#include <sxmk/MarkupShadow.h>

#include <cmath>
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
    // Whether each handle shows its preselected sets.
    bool ShowsPreselected(char c) {
        if (c == 'S' || c == 'E') {
            const auto& sphere = Access::sphereDraggers(*shadow)[c == 'S' ? 0 : 1];
            return sphere->GetRenderAttrsVector() == Access::preselectRenderAttrs(*shadow) &&
                   sphere->fillAttrs == Access::preselectFillAttrs(*shadow);
        }
        const auto& axis = c == 'J'   ? Access::jogAxis(*shadow)
                           : c == 's' ? Access::startExtensionAxis(*shadow)
                                      : Access::endExtensionAxis(*shadow);
        const auto head = axis->arrow->GetArrowHead();
        return axis->arrow->GetRenderAttrsVector() == axis->preselectLineAttrs &&
               head->GetRenderAttrsVector() == axis->preselectHeadAttrs &&
               head->fillAttrs == axis->preselectHeadFill;
    }
    bool ShowsNormal(char c) {
        if (c == 'S' || c == 'E') {
            const auto& sphere = Access::sphereDraggers(*shadow)[c == 'S' ? 0 : 1];
            return sphere->GetRenderAttrsVector() == Access::normalRenderAttrs(*shadow) &&
                   sphere->fillAttrs == Access::normalFillAttrs(*shadow);
        }
        const auto& axis = c == 'J'   ? Access::jogAxis(*shadow)
                           : c == 's' ? Access::startExtensionAxis(*shadow)
                                      : Access::endExtensionAxis(*shadow);
        const auto head = axis->arrow->GetArrowHead();
        return axis->arrow->GetRenderAttrsVector() == axis->lineAttrs &&
               head->GetRenderAttrsVector() == axis->headAttrs && head->fillAttrs == axis->headFill;
    }
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
    Access::jogAxis(*shadow)->SetPlacement(dg::Location(dg::FMat33::IDENTITY, {7, 7, 7}));
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
    for (char target : {'S', 'E', 's', 'e', 'J'}) {
        const int notified = shadow->contentChangedCount;
        Highlight(Node(target));
        EXPECT_TRUE(Access::preselectHighlighted(*shadow));
        EXPECT_EQ(shadow->contentChangedCount, notified + 1);
        for (char c : {'S', 'E', 's', 'e', 'J'}) {
            if (c == target)
                EXPECT_TRUE(ShowsPreselected(c)) << target;
            else
                EXPECT_TRUE(ShowsNormal(c)) << target << " " << c;
        }

        shadow->ClearPreselectHighlight();
        EXPECT_FALSE(Access::preselectHighlighted(*shadow));
        EXPECT_EQ(shadow->contentChangedCount, notified + 2);
        for (char c : {'S', 'E', 's', 'e', 'J'})
            EXPECT_TRUE(ShowsNormal(c)) << target << " " << c;
    }
    EXPECT_EQ(shadow->baseHighlightCount, 0);
    EXPECT_EQ(shadow->baseClearHighlightCount, 0);
}

TEST_F(Handles, HighlightOfTheLineBlocksFurtherHighlightsUntilCleared) {
    MakeShadow(StraightLine({0, 0, 0}, {10, 0, 0}));
    ASSERT_TRUE(shadow);
    const int notified = shadow->contentChangedCount;
    Highlight(Line());
    EXPECT_TRUE(Access::preselectHighlighted(*shadow));
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
         {du::SmartPtr<sxmu::ModelBase>(Access::lineStrip(*shadow)), stranger,
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
        const auto& start = Access::startExtensionAxis(*shadow)->arrow;
        const auto& end = Access::endExtensionAxis(*shadow)->arrow;
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
    EXPECT_EQ(Access::startExtensionAxis(*shadow)->arrow->points[1], dg::DPoint3D(-1, 0, 0));
    EXPECT_EQ(Access::endExtensionAxis(*shadow)->arrow->points[1], dg::DPoint3D(1, 0, 0));
    EXPECT_EQ(Access::startExtensionAxis(*shadow)->arrow->location.GetPos(), list.front());
    EXPECT_EQ(Access::endExtensionAxis(*shadow)->arrow->location.GetPos(), list.back());
    EXPECT_EQ(JogArrow()->location.GetPos(), list[3]);
    const dg::DVec3 axis = record->GetMainAxisDirection();
    EXPECT_EQ(Access::jogAxis(*shadow)->arrow->points[1], dg::DPoint3D(axis.x, axis.y, axis.z));
}

TEST_F(Handles, ZeroLengthLineLeavesZeroDirections) {
    MakeShadow(StraightLine({1, 2, 3}, {1, 2, 3}));
    ASSERT_TRUE(shadow);
    EXPECT_EQ(Access::startExtensionDir(*shadow), dg::DVec3::ZERO);
    EXPECT_EQ(Access::endExtensionDir(*shadow), dg::DVec3::ZERO);
    EXPECT_FALSE(Access::jogAxisEnabled(*shadow));
}

TEST_F(Handles, DegenerateLegFallsBackToTheNextLeg) {
    // With the sphere on point 2, the start arrow takes the direction of points 2 to 3.
    MakeShadow(StraightLine({0, 0, 0}, {10, 0, 0}, 2.0f, 2.0f));
    ASSERT_TRUE(shadow);
    Access::sphereDraggers(*shadow)[0]->location.SetPos(dg::DPoint3D(10, 0, 0));
    Access::SetArrowsDir(*shadow);
    EXPECT_EQ(Access::startExtensionDir(*shadow), dg::DVec3(-1, 0, 0));
}

TEST_F(Handles, JogArrowAppliesWhenStartAndEndDifferAlongTwoAxes) {
    const double t = 4.76837158203125e-07;
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
        EXPECT_EQ(Access::jogAxisEnabled(*shadow), c.jog) << d.x << "," << d.y << "," << d.z;
        EXPECT_EQ(DrawnRoot()->Contains(JogArrow()), c.jog);
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
