// Building a centre-line shadow: its display model, node settings, appearance sets, rebuilds,
// references and allocation failures.
#include "CenterLineFixture.h"
#include "Constants.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sxmk/DragDriver.h>
#include <sxmk/MarkupData.h>
#include <sxmk/TranslatorAxis.h>

#include <cstddef>
#include <string>
#include <vector>

namespace {

using sxmk::defaultHandleColor;
using testsupport::AlongAxisLine;
using testsupport::LineInput;
using testsupport::StraightLine;

using sxmk::detail::kPreselectionColorKey;
const dg::Color kOrange(1.0f, 0.5f, 0.0f, 1.0f);

class ShadowConstruction : public testsupport::CenterLineFixture {
protected:
    // What a node shows: its kind, position and (for arrows) tip, for comparing two shadows.
    static std::string Describe(const sxmu::ModelBase* node) {
        const dg::DPoint3D& pos = node->location.GetPos();
        std::string text =
            std::to_string(pos.x) + "," + std::to_string(pos.y) + "," + std::to_string(pos.z);
        if (const auto* arrow = dynamic_cast<const sxmu::ModelLeaderLine*>(node)) {
            const dg::DPoint3D& tip = arrow->points.at(1);
            return "arrow@" + text + " tip " + std::to_string(tip.x) + "," + std::to_string(tip.y) +
                   "," + std::to_string(tip.z);
        }
        if (dynamic_cast<const sxmu::ModelSphere*>(node))
            return "sphere@" + text;
        if (const auto* line = dynamic_cast<const sxmu::ModelLineStrip*>(node))
            return "line of " + std::to_string(line->points.size());
        return "other";
    }
    std::vector<std::string> DescribeChildren(Shadow& s) const {
        std::vector<std::string> out;
        for (const auto& child : DrawnRoot(s)->GetChildren())
            out.push_back(Describe(child.get()));
        return out;
    }
};

TEST_F(ShadowConstruction, StraightLineShowsLineAndFourHandles) {
    MakeShadow(StraightLine({0, 0, 0}, {10, 0, 0}, 2.0f, 2.0f));
    ASSERT_TRUE(shadow);

    EXPECT_EQ(Children(), BuiltOrder(false));
    EXPECT_EQ(shadow->GetPickedNode(), -1);
    EXPECT_FALSE(shadow->GetStartPointItem());
    EXPECT_FALSE(shadow->GetEndPointItem());
    EXPECT_FALSE(shadow->GetConnectionTarget());
    EXPECT_EQ(shadow->GetPoints(), *record->GetPoints());
    EXPECT_EQ(DrawnLine(*shadow)->points, *record->GetPoints());
    // A straight line draws no jog arrow, not even when a drag that grabbed nothing (a grab of
    // the line) puts every handle back.
    EXPECT_EQ(DrawnArrows(), 2u);
    {
        sxmk::DragDriver line(*shadow);
        ASSERT_TRUE(line.Start(DrawnLine(*shadow), 300, 300));
        line.Release();
    }
    EXPECT_EQ(Children(), BuiltOrder(false));
    // Nothing is highlighted yet: a highlight takes effect.
    EXPECT_NE(HighlightedLook(StartSphere()), LookOf(StartSphere()));
    // No handle is picked: a Translate moves the line's nodes and leaves every handle alone.
    const std::vector<dg::DPoint3D> handlesAt{
        StartSphere()->location.GetPos(), EndSphere()->location.GetPos(),
        StartArrow()->location.GetPos(), EndArrow()->location.GetPos()};
    sxmk::DragDriver(*shadow).Translate(dg::DVec3(0, 0, 5));
    EXPECT_EQ(DrawnLine(*shadow)->points.front(), dg::DPoint3D(-2, 0, 5));
    EXPECT_EQ(handlesAt, (std::vector<dg::DPoint3D>{
                             StartSphere()->location.GetPos(), EndSphere()->location.GetPos(),
                             StartArrow()->location.GetPos(), EndArrow()->location.GetPos()}));
}

TEST_F(ShadowConstruction, AlongAxisLineShowsItsJogArrowAtTheMidJogPoint) {
    MakeShadow(AlongAxisLine({0, 0, 0}, {10, 4, 3}, 1.0f, 1.0f));
    ASSERT_TRUE(shadow);
    ASSERT_EQ(record->GetPoints()->size(), 7u);

    const auto* jog = dynamic_cast<const sxmu::ModelLeaderLine*>(JogArrow());
    ASSERT_NE(jog, nullptr);
    EXPECT_EQ(Children(), BuiltOrder(true));
    EXPECT_EQ(jog->location, dg::Location(dg::FMat33::IDENTITY, (*record->GetPoints())[3]));
    EXPECT_EQ(jog->points[1], dg::DPoint3D(-1.0, 0.0, 0.0));
}

TEST_F(ShadowConstruction, AlongAxisLineWithoutJogShowsFiveNodes) {
    MakeShadow(AlongAxisLine({0, 0, 0}, {10, 0, 0}, 1.0f, 1.0f));
    ASSERT_TRUE(shadow);
    EXPECT_EQ(JogArrow(), nullptr);
    EXPECT_EQ(DrawnArrows(), 2u);
    EXPECT_EQ(Children(), BuiltOrder(false));
}

TEST_F(ShadowConstruction, NodesCarryTheirDisplaySettings) {
    MakeShadow(StraightLine({0, 0, 0}, {10, 0, 0}, 2.0f, 2.0f));
    ASSERT_TRUE(shadow);
    EXPECT_EQ(shadow->GetType(), 4);

    // The drawn content is the root container of the line and the handles.
    ASSERT_NE(shadow->GetContent(), nullptr);
    ASSERT_NE(DrawnRoot(), nullptr);
    EXPECT_EQ(Children(), BuiltOrder(false));
    EXPECT_EQ(shadow->setContentCount, 1);
    // A construction does not notify: the shadow holds no reference yet, and the viewer draws
    // the content it installs.
    EXPECT_EQ(shadow->contentChangedCount, 0);

    const sxmu::ModelLineStrip* line = DrawnLine(*shadow);
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->kind, 8);
    EXPECT_EQ(line->renderAttrsIndex, 11);
    EXPECT_FALSE(line->screenSized);
    EXPECT_EQ(line->screenSizeOption1, 0);
    EXPECT_EQ(line->screenSizeOption2, 0);

    // Both spheres draw with the normal sets: one shared set and fill, the ones a cleared
    // highlight puts back.
    const Look normal = LookOf(StartSphere());
    EXPECT_EQ(LookOf(EndSphere()), normal);
    for (const sxmu::ModelBase* node : {StartSphere(), EndSphere()}) {
        const auto* sphere = dynamic_cast<const sxmu::ModelSphere*>(node);
        ASSERT_NE(sphere, nullptr);
        constexpr double kScale = sxmk::detail::kHandleScreenScale;
        EXPECT_EQ(sphere->screenScale, dg::DVec3(kScale, kScale, kScale));
        EXPECT_EQ(sphere->radius, sxmk::detail::kSphereRadius);
        EXPECT_NE(HighlightedLook(sphere), normal);
        EXPECT_EQ(LookOf(sphere), normal);
    }
}

TEST_F(ShadowConstruction, SpheresSitAtTheTrueEndsWhenExtensionsAreNegative) {
    MakeShadow(StraightLine({0, 0, 0}, {10, 0, 0}, -2.0f, -3.0f));
    ASSERT_TRUE(shadow);
    const auto& list = *record->GetPoints();
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[1], dg::DPoint3D(2, 0, 0));

    EXPECT_EQ(StartSphere()->location.GetPos(), dg::DPoint3D(0, 0, 0));
    EXPECT_EQ(EndSphere()->location.GetPos(), dg::DPoint3D(10, 0, 0));
    EXPECT_EQ(DrawnLine(*shadow)->points, list);
}

TEST_F(ShadowConstruction, ReferencePointIsTheAnchorPosition) {
    record = MakeRecord(StraightLine({0, 0, 0}, {10, 0, 0}));
    record->anchorNode->location.SetPos(dg::DPoint3D(1, 2, 3));
    shadow = ConstructFor(record);
    ASSERT_TRUE(shadow);
    EXPECT_EQ(shadow->GetRefPoint(), dg::DPoint3D(1, 2, 3));
}

TEST_F(ShadowConstruction, RecordWithoutAnchorKeepsTheDefaultReferencePoint) {
    record = MakeRecord(StraightLine({0, 0, 0}, {10, 0, 0}));
    record->anchorNode = nullptr;
    shadow = ConstructFor(record);
    ASSERT_TRUE(shadow);
    EXPECT_EQ(shadow->GetRefPoint(), dg::DPoint3D::ORIGIN);
}

TEST_F(ShadowConstruction, AppearanceSetsStartSeparateInTheDefaultColour) {
    // With a jog, so that all three arrows are drawn.
    MakeShadow(AlongAxisLine({0, 0, 0}, {10, 4, 3}));
    ASSERT_TRUE(shadow);
    ASSERT_NE(JogArrow(), nullptr);
    const Look normal = LookOf(StartSphere());
    const Look preselected = HighlightedLook(StartSphere());
    EXPECT_NE(preselected.line, normal.line);
    EXPECT_NE(preselected.fill, normal.fill);
    for (const Look& look : {preselected, normal}) {
        EXPECT_EQ(look.line->color, defaultHandleColor);
        EXPECT_EQ(look.line->weight, 2);
        EXPECT_EQ(look.line->mode, 2);
        EXPECT_EQ(look.fill->color, defaultHandleColor);
        EXPECT_EQ(look.fill->fillStyle, 0);
    }
    for (const sxmu::ModelBase* arrow : {JogArrow(), StartArrow(), EndArrow()})
        EXPECT_EQ(HighlightedLook(arrow).line->color, defaultHandleColor);
}

TEST_F(ShadowConstruction, ViewPreselectionColourReachesEveryPreselectedSet) {
    preferences->SetColor(kPreselectionColorKey, kOrange);
    MakeShadow(AlongAxisLine({0, 0, 0}, {10, 4, 3}));
    ASSERT_TRUE(shadow);
    ASSERT_NE(JogArrow(), nullptr);
    for (const sxmu::ModelBase* sphere : {StartSphere(), EndSphere()}) {
        const Look preselected = HighlightedLook(sphere);
        EXPECT_EQ(preselected.line->color, kOrange);
        EXPECT_EQ(preselected.fill->color, kOrange);
        EXPECT_EQ(LookOf(sphere).line->color, defaultHandleColor);
        EXPECT_EQ(LookOf(sphere).fill->color, defaultHandleColor);
    }
    for (const sxmu::ModelBase* arrow : {JogArrow(), StartArrow(), EndArrow()}) {
        const Look preselected = HighlightedLook(arrow);
        EXPECT_EQ(preselected.line->color, kOrange);
        EXPECT_EQ(preselected.head->color, kOrange);
        EXPECT_EQ(preselected.fill->color, kOrange);
        EXPECT_EQ(LookOf(arrow).line->color, defaultHandleColor);
    }
}

TEST_F(ShadowConstruction, ViewWithoutPreferencesBuildsInTheDefaultColour) {
    view->defaultPreferences = nullptr;
    MakeShadow(StraightLine({0, 0, 0}, {10, 0, 0}));
    ASSERT_TRUE(shadow);
    EXPECT_EQ(Children(), BuiltOrder(false));
    EXPECT_EQ(HighlightedLook(StartSphere()).line->color, defaultHandleColor);
}

TEST_F(ShadowConstruction, EachShadowIsNewUnreferencedAndHoldsTheRecord) {
    record = MakeRecord(StraightLine({0, 0, 0}, {10, 0, 0}));
    EXPECT_EQ(record->GetReferenceCount(), 1);

    sxk::Markup* raw = record->ConstructShadow(du::SmartPtr<sxk::View>(view));
    ASSERT_NE(raw, nullptr);
    EXPECT_EQ(raw->GetReferenceCount(), 0);
    shadow = static_cast<Shadow*>(raw);
    du::SmartPtr<Shadow> second = ConstructFor(record);
    ASSERT_TRUE(second);
    EXPECT_NE(second.get(), shadow.get());
    EXPECT_EQ(record->GetReferenceCount(), 3);
    EXPECT_EQ(shadow->MarkupOfShadow().get(), record.get());
    EXPECT_EQ(second->MarkupOfShadow().get(), record.get());

    second = nullptr;
    EXPECT_EQ(record->GetReferenceCount(), 2);
}

TEST_F(ShadowConstruction, ShadowKeepsItsRecordAliveAndReleasesItLast) {
    const std::size_t blocks = sxk::MemoryPoolAllocated::LiveBlocks();
    const long objects = du::RefCounted::LiveObjects();
    MakeShadow(AlongAxisLine({0, 0, 0}, {10, 4, 3}));
    ASSERT_TRUE(shadow);
    const sxk::Markup* held = record.get();
    record = nullptr;
    EXPECT_EQ(shadow->MarkupOfShadow().get(), held);
    shadow = nullptr;
    EXPECT_EQ(sxk::MemoryPoolAllocated::LiveBlocks(), blocks);
    EXPECT_EQ(du::RefCounted::LiveObjects(), objects);
}

TEST_F(ShadowConstruction, RebuildShowsExactlyWhatAFreshShadowShows) {
    struct Case {
        LineInput before;
        LineInput after;
        bool jogShown;  // after
    };
    const Case cases[] = {
        {StraightLine({0, 0, 0}, {10, 0, 0}, 2.0f, 2.0f),
         StraightLine({0, 0, 0}, {0, 6, 0}, -1.0f, 3.0f), false},
        {StraightLine({0, 0, 0}, {10, 0, 0}), AlongAxisLine({0, 0, 0}, {10, 4, 3}, 1.0f, 1.0f),
         true},
        {AlongAxisLine({0, 0, 0}, {10, 4, 3}, 1.0f, 1.0f), StraightLine({1, 1, 1}, {4, 5, 6}),
         false},
        {AlongAxisLine({0, 0, 0}, {10, 4, 3}), AlongAxisLine({0, 0, 0}, {-8, 2, 5}, 2.0f, -1.0f),
         true},
    };
    for (const Case& c : cases) {
        MakeShadow(c.before);
        ASSERT_TRUE(shadow);
        // Held, not just remembered by address: a released node's address may be reused by a
        // node of the rebuild.
        const std::vector<du::SmartPtr<sxmu::ModelBase>> earlier = DrawnRoot()->GetChildren();
        const int notified = shadow->contentChangedCount;

        std::vector<dg::DPoint3D> list;
        record->BuildPoints(c.after.start, c.after.end, c.after.alongAxis, c.after.startExt,
                            c.after.endExt, c.after.ratio, c.after.frame, c.after.axisOrder, list);
        record->SetPoints(list);
        shadow->MarkupChanged();
        FindHandles();

        const du::SmartPtr<Shadow> fresh = ConstructFor(record);
        ASSERT_TRUE(fresh);
        EXPECT_EQ(JogArrow() != nullptr, c.jogShown);
        EXPECT_EQ(Children(), BuiltOrder(c.jogShown));
        EXPECT_EQ(DescribeChildren(*shadow), DescribeChildren(*fresh));
        EXPECT_EQ(DrawnLine(*shadow)->points, *record->GetPoints());
        EXPECT_EQ(shadow->GetPoints(), *record->GetPoints());
        // Only the line strip survives a rebuild.
        for (const du::SmartPtr<sxmu::ModelBase>& node : earlier)
            EXPECT_EQ(DrawnRoot()->Contains(node.get()), node.get() == Line());
        // One notification, once the rebuild is done.
        EXPECT_EQ(shadow->contentChangedCount, notified + 1);
    }
}

TEST_F(ShadowConstruction, RebuildClearsAHighlightAndKeepsThePreselectionColour) {
    preferences->SetColor(kPreselectionColorKey, kOrange);
    MakeShadow(AlongAxisLine({0, 0, 0}, {10, 4, 3}));
    ASSERT_TRUE(shadow);
    shadow->PreselectHighlight(du::SmartPtr<sxmu::ModelBase>(handleNodes.startSphere));
    ASSERT_EQ(LookOf(StartSphere()).line->color, kOrange);

    shadow->MarkupChanged();
    FindHandles();
    ASSERT_NE(JogArrow(), nullptr);
    // The new handles draw with their normal sets: the spheres' shared default-coloured ones.
    EXPECT_EQ(LookOf(StartSphere()), LookOf(EndSphere()));
    for (const sxmu::ModelBase* sphere : {StartSphere(), EndSphere()}) {
        EXPECT_EQ(LookOf(sphere).line->color, defaultHandleColor);
        EXPECT_EQ(LookOf(sphere).fill->color, defaultHandleColor);
    }
    // The highlight is cleared with them: highlighting an arrow takes effect again, in the
    // preselection colour, and clearing it gives back the set it was built with.
    for (const sxmu::ModelBase* arrow : {JogArrow(), StartArrow(), EndArrow()}) {
        const Look normal = LookOf(arrow);
        EXPECT_EQ(normal.line->color, defaultHandleColor);
        const Look preselected = HighlightedLook(arrow);
        EXPECT_EQ(preselected.line->color, kOrange);
        EXPECT_EQ(preselected.head->color, kOrange);
        EXPECT_EQ(preselected.fill->color, kOrange);
        EXPECT_EQ(LookOf(arrow), normal);
    }

    shadow->PreselectHighlight(du::SmartPtr<sxmu::ModelBase>(handleNodes.jogArrow));
    EXPECT_EQ(JogArrow()->GetRenderAttrsVector()->color, kOrange);
}

TEST_F(ShadowConstruction, ShortAndEmptyListsBuildWithoutReadingOutside) {
    for (std::size_t size : {0u, 2u, 3u}) {
        record = new sxmk::CenterLineXYZ;
        std::vector<dg::DPoint3D> list;
        for (std::size_t i = 0; i < size; ++i)
            list.push_back(dg::DPoint3D(static_cast<double>(i), 0.0, 0.0));
        record->SetPoints(list);
        shadow = ConstructFor(record);
        ASSERT_TRUE(shadow) << size;
        EXPECT_EQ(shadow->GetPoints(), *record->GetPoints());
        EXPECT_EQ(DrawnArrows(), 2u);
        shadow->MarkupChanged();
        // A list without both slots and extension points has nothing to grab: every drawn node
        // dragged leaves all five drawn.
        const std::vector<du::SmartPtr<sxmu::ModelBase>> nodes = DrawnRoot()->GetChildren();
        for (const du::SmartPtr<sxmu::ModelBase>& node : nodes) {
            sxmk::DragDriver driver(*shadow);
            EXPECT_TRUE(driver.Start(node.get(), 400, 300));
            driver.Move(430, 280);
            driver.Release();
        }
        EXPECT_TRUE(view->pendingPicks.empty());
        EXPECT_EQ(Children().size(), 5u);
    }
}

// An along-axis record re-stored with two points keeps its mode and its mid index 3; with ends
// that differ along two axes its jog arrow applies, so every shadow operation meets a mid index
// past the end of the list and must not read there. The re-stored list keeps the capacity of the
// seven points it replaced: a read past its end would find the old jog point without a sanitizer
// report, so the test looks for that point on the jog arrow (container checks, where built in,
// stop at the read itself).
TEST_F(ShadowConstruction, AlongAxisRecordWithAShortListNeverReadsPastIt) {
    record = MakeRecord(AlongAxisLine({0, 0, 0}, {10, 4, 2}, 1.0f, 2.0f));
    const std::vector<dg::DPoint3D> two{{1, 2, 3}, {7, 9, 3}};
    record->SetPoints(two);
    ASSERT_EQ(*record->GetPoints(), two);
    ASSERT_TRUE(record->IsAlongAxis());
    ASSERT_EQ(record->GetMidPointIndex(), 3);

    // A list without the along-axis layout has no jog point: the jog arrow is not shown, although
    // the ends differ along two axes, and nothing is read past the list's end.
    const auto expectNoJog = [&](const char* after) {
        SCOPED_TRACE(after);
        EXPECT_THAT(Children(), testing::UnorderedElementsAreArray(BuiltOrder(false)));
        EXPECT_EQ(DrawnLine(*shadow)->points, two);
    };

    shadow = ConstructFor(record);
    ASSERT_TRUE(shadow);
    FindHandles();
    EXPECT_EQ(JogArrow(), nullptr);
    expectNoJog("construction");

    // Every handle and the line: highlighted, then grabbed.
    const std::vector<du::SmartPtr<sxmu::ModelBase>> nodes = DrawnRoot()->GetChildren();
    for (const du::SmartPtr<sxmu::ModelBase>& node : nodes) {
        shadow->PreselectHighlight(node);
        shadow->ClearPreselectHighlight();
        // A list without its layout has nothing to grab: the drag moves nothing.
        sxmk::DragDriver driver(*shadow);
        EXPECT_TRUE(driver.Start(node.get(), 400, 300));
        EXPECT_EQ(shadow->GetPickedNode(), -1);
        EXPECT_EQ(Children(), BuiltOrder(false)) << "nothing grabbed, nothing hidden";
        driver.Move(430, 280);
        driver.Release();
        EXPECT_TRUE(view->pendingPicks.empty());
        expectNoJog("a drag");
    }
    EXPECT_EQ(record->GetDivRation(), 0.5f);

    shadow->MarkupChanged();
    FindHandles();
    expectNoJog("rebuild");
}

// A record re-stored with three points while its shadow still draws the along-axis line: the
// mid index (3) equals the stored list's size, and placing the jog arrow at the stored mid point
// on showing the handles would read one past the list. The jog arrow stays where it was.
TEST_F(ShadowConstruction, StoredListAsShortAsTheMidIndexIsNotReadPastItsEnd) {
    record = MakeRecord(AlongAxisLine({0, 0, 0}, {10, 4, 2}, 1.0f, 2.0f));
    shadow = ConstructFor(record);
    ASSERT_TRUE(shadow);
    FindHandles();
    const dg::DPoint3D jogAt = JogArrow()->location.GetPos();
    record->SetPoints({{-1, 0, 0}, {0, 0, 0}, {10, 4, 2}});
    ASSERT_EQ(static_cast<std::size_t>(record->GetMidPointIndex()), record->GetPoints()->size());

    sxmk::DragDriver driver(*shadow);  // the line grabbed: all handles are shown again at release
    EXPECT_TRUE(driver.Start(DrawnLine(*shadow), 400, 300));
    driver.Move(430, 280);
    driver.Release();
    EXPECT_EQ(Children(), BuiltOrder(true));
    EXPECT_EQ(JogArrow()->location.GetPos(), jogAt);
}

TEST_F(ShadowConstruction, PoolFailureAtAnyPointLeavesNothingBehind) {
    for (const LineInput& lineInput :
         {StraightLine({0, 0, 0}, {10, 0, 0}, 2.0f, 2.0f), AlongAxisLine({0, 0, 0}, {10, 4, 3})}) {
        record = MakeRecord(lineInput);
        const std::size_t blocks = sxk::MemoryPoolAllocated::LiveBlocks();
        const long objects = du::RefCounted::LiveObjects();
        bool completed = false;
        for (std::size_t nth = 1; nth < 50 && !completed; ++nth) {
            sxk::MemoryPoolAllocated::FailAllocation(nth);
            shadow = ConstructFor(record);
            completed = sxk::MemoryPoolAllocated::FailurePending();
            sxk::MemoryPoolAllocated::FailAllocation(0);
            if (completed) {
                ASSERT_TRUE(shadow) << nth;
                EXPECT_EQ(Children().size(), lineInput.alongAxis ? 6u : 5u);
            } else {
                EXPECT_FALSE(shadow) << nth;
            }
            shadow = nullptr;
            EXPECT_EQ(sxk::MemoryPoolAllocated::LiveBlocks(), blocks) << nth;
            EXPECT_EQ(du::RefCounted::LiveObjects(), objects) << nth;
            EXPECT_EQ(record->GetReferenceCount(), 1) << nth;
        }
        EXPECT_TRUE(completed);
    }
}

}  // namespace
