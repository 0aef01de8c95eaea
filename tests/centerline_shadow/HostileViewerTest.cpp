// The viewer's legal worst case: a controller that lets go of the shadow or rebuilds it while a
// drag is handed to it, notifications that take references or call back, picks completed inside
// the request or twice, pick requests that throw, rebuilds that change the layout under an open
// drop, preference reads that fail. Every drag flow must end as a polite viewer sees it end.
#include "Constants.h"
#include "DragTestSupport.h"

#include <gtest/gtest.h>

#include <sxk/HostileViewer.h>
#include <sxk/Kernel.h>
#include <sxk/MemoryPoolAllocated.h>
#include <sxmk/DragDriver.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <new>
#include <ostream>
#include <string>
#include <vector>

namespace {

using dragtest::ExpectNear;
using sxk::HostileViewer;
using testsupport::AlongAxisLine;
using testsupport::StraightLine;

// What the controller was handed, call by call, with the record as it stood then.
struct Handed {
    std::string operation;  // "-" for a null operation
    std::vector<dg::DPoint3D> shadowPoints;
    std::vector<dg::DPoint3D> recordPoints;
    float ratio;
    float startExtension;
    float endExtension;

    bool operator==(const Handed& o) const {
        return operation == o.operation && shadowPoints == o.shadowPoints &&
               recordPoints == o.recordPoints && ratio == o.ratio &&
               startExtension == o.startExtension && endExtension == o.endExtension;
    }
};

std::ostream& operator<<(std::ostream& os, const Handed& h) {
    os << h.operation << " ratio " << h.ratio << " extensions " << h.startExtension << ", "
       << h.endExtension << " shadow";
    for (const dg::DPoint3D& p : h.shadowPoints)
        dg::PrintTo(p, &os);
    os << " record";
    for (const dg::DPoint3D& p : h.recordPoints)
        dg::PrintTo(p, &os);
    return os;
}

class HostileViewerTest : public dragtest::FlowFixture {
protected:
    void SetUp() override {
        FlowFixture::SetUp();
        // The viewer's references to the shadow and its markup are the fixture's.
        HostileViewer::LetGo() = [this] {
            shadow = nullptr;
            record = nullptr;
        };
        HostileViewer::Rebuild() = [this] {
            if (shadow)
                shadow->MarkupChanged();
        };
        // A notification that calls back into the notifying shadow: reads, and a highlight and
        // its clear (which notify in turn, but are not called back again).
        HostileViewer::CallBack() = [](sxk::Markup& notifying) {
            auto* s = dynamic_cast<sxmk::CenterLineXYZShadow*>(&notifying);
            if (s == nullptr)
                return;
            static_cast<void>(s->GetPoints());
            static_cast<void>(s->GetPickedNode());
            static_cast<void>(s->GetEndPointItem());
            du::Symbol cursor;
            static_cast<void>(s->GetDragCursor(du::SmartPtr<sxmu::ModelBase>(), cursor));
            s->PreselectHighlight(du::SmartPtr<sxmu::ModelBase>());
            s->ClearPreselectHighlight();
        };
    }

    std::vector<Handed> HandedOn() const {
        std::vector<Handed> out;
        for (const auto& call : controller.calls)
            out.push_back({call.operation ? call.operationName : "-", call.shadowPoints,
                           call.recordPoints, call.ratio, call.startExtension, call.endExtension});
        return out;
    }

    // Runs a flow from a fresh scene and answers what the controller was handed; everything it
    // made is released afterwards.
    std::vector<Handed> Play(const Flow& flow, unsigned behaviours, bool* threw) {
        const std::size_t blocks = sxk::MemoryPoolAllocated::LiveBlocks();
        const long objects = du::RefCounted::LiveObjects();
        flow.setUp();
        HostileViewer::Set(behaviours);
        try {
            flow.run();
        } catch (const std::bad_alloc&) {
            *threw = true;
        }
        HostileViewer::Set(0);
        const std::vector<Handed> handed = HandedOn();
        ReleaseAll();
        MakeView();
        EXPECT_EQ(sxk::MemoryPoolAllocated::LiveBlocks(), blocks) << "pool leak";
        EXPECT_EQ(du::RefCounted::LiveObjects(), objects) << "reference leak";
        return handed;
    }
};

struct Behaviour {
    HostileViewer::Behaviour behaviour;
    // The pick request fails, so a flow that picks ends as after a failed pick.
    bool requestFails;
    // A notification that calls back rebuilds the shadow (MarkupChanged) as well.
    bool callBackRebuilds = false;
};

class EveryFlow : public HostileViewerTest, public testing::WithParamInterface<Behaviour> {};

// Each flow, played against the behaviour, hands the controller exactly what a polite viewer's
// run hands it: a pick that cannot be requested exactly what a failed pick hands it. A controller
// that rebuilds the shadow without applying the drop changes what a second drag starts from, so
// there only the first call is compared.
TEST_P(EveryFlow, EndsAsAPoliteViewerSeesIt) {
    const Behaviour b = GetParam();
    if (b.requestFails && !testsupport::kExceptionsCrossModules)
        GTEST_SKIP() << testsupport::kNoExceptionsAcrossModules;
    if (b.callBackRebuilds) {
        HostileViewer::CallBack() = [](sxk::Markup& notifying) {
            if (auto* s = dynamic_cast<sxmk::CenterLineXYZShadow*>(&notifying))
                s->MarkupChanged();
        };
    }
    for (const Flow& flow : Flows()) {
        SCOPED_TRACE(flow.name);
        bool politeThrew = false;
        failEveryPick = b.requestFails && flow.picks;
        std::vector<Handed> polite = Play(flow, 0, &politeThrew);
        failEveryPick = false;
        ASSERT_FALSE(politeThrew);
        ASSERT_EQ(polite.size(), flow.calls);

        bool threw = false;
        std::vector<Handed> hostile = Play(flow, b.behaviour, &threw);
        EXPECT_EQ(threw, b.requestFails && flow.picks);
        // A pick answered inside the request, or one that could not be requested, leaves no
        // drop for the next drag to finish.
        if ((b.behaviour == HostileViewer::PickAtOnce || b.requestFails) && flow.pickOutlivesDrag)
            continue;
        // A viewer that let go of the shadow drives it no further; one that rebuilt it without
        // applying the drop starts the next drag elsewhere; a failed request ends the flow.
        if (b.behaviour == HostileViewer::ControllerLetsGo ||
            b.behaviour == HostileViewer::ControllerRebuilds || b.callBackRebuilds || threw) {
            polite.resize(1);
            hostile.resize(std::min<std::size_t>(hostile.size(), 1));
        }
        EXPECT_EQ(hostile, polite);
    }
}

const Behaviour kBehaviours[] = {
    {HostileViewer::ControllerLetsGo, false},
    {HostileViewer::ControllerRebuilds, false},
    {HostileViewer::NotifyTakesReference, false},
    {HostileViewer::NotifyCallsBack, false},
    {HostileViewer::PickAtOnce, false},
    {HostileViewer::PickDeliveredTwice, false},
    {HostileViewer::PickRequestThrows, true},
    {HostileViewer::ManageObjectThrows, true},
    {HostileViewer::NotifyCallsBack, false, true},
};

std::string BehaviourName(const testing::TestParamInfo<Behaviour>& info) {
    std::string name;
    bool upper = true;
    for (const char c : std::string(HostileViewer::NameOf(info.param.behaviour))) {
        if (c == '-') {
            upper = true;
            continue;
        }
        name += upper ? static_cast<char>(c - 'a' + 'A') : c;
        upper = false;
    }
    return info.param.callBackRebuilds ? name + "AndRebuilds" : name;
}

INSTANTIATE_TEST_SUITE_P(Behaviours, EveryFlow, testing::ValuesIn(kBehaviours), BehaviourName);

// A viewer that lets go of everything while the controller applies a drag: the shadow and its
// markup live until the library's call returns, and then go.
TEST_F(HostileViewerTest, ShadowLetGoInsideTheStopGoesOnceTheCallReturns) {
    for (const Flow& flow : Flows()) {
        SCOPED_TRACE(flow.name);
        const long objects = du::RefCounted::LiveObjects();
        flow.setUp();
        du::SmartPtr<sxk::Markup> other = target;
        target = nullptr;
        const long built = du::RefCounted::LiveObjects();
        HostileViewer::Set(HostileViewer::ControllerLetsGo);
        flow.run();
        HostileViewer::Set(0);
        EXPECT_FALSE(shadow);
        EXPECT_LT(du::RefCounted::LiveObjects(), built) << "the shadow outlived its last reference";
        EXPECT_TRUE(view->pendingPicks.empty());
        ReleaseAll();
        other = nullptr;
        MakeView();
        EXPECT_EQ(du::RefCounted::LiveObjects(), objects);
    }
}

// A notification while the shadow is built reaches a shadow that nobody holds yet: a viewer
// that takes and drops a reference in its notification would delete it. The constructor does
// not notify; the rebuild notifies once it is done.
TEST_F(HostileViewerTest, ConstructionAndRebuildSurviveANotificationThatTakesAReference) {
    HostileViewer::Set(HostileViewer::NotifyTakesReference | HostileViewer::NotifyCallsBack);
    for (const bool alongAxis : {false, true}) {
        SCOPED_TRACE(alongAxis ? "along axis" : "straight");
        MakeShadow(alongAxis ? AlongAxisLine({0, 0, 0}, {10, 4, 2}, 1.0f, 2.0f)
                             : StraightLine({0, 0, 0}, {10, 0, 0}, 1.0f, 2.0f));
        ASSERT_TRUE(shadow);
        EXPECT_EQ(shadow->contentChangedCount, 0);
        EXPECT_EQ(Children(), BuiltOrder(alongAxis));
        shadow->MarkupChanged();
        FindHandles();
        EXPECT_EQ(Children(), BuiltOrder(alongAxis));
        EXPECT_EQ(shadow->GetPoints(), *record->GetPoints());
    }
}

// The viewer stores a path of another layout in the record and rebuilds the shadow while a
// dropped end waits for its pick: the drop follows the end to its new slot and lands exactly on
// the pick, and the jog points stay on the path. A list too short to have the end's slot lets the
// drop go: the late pick finds nothing to move.
TEST_F(HostileViewerTest, RebuildWithANewLayoutUnderAPendingDropMovesTheDropToItsEnd) {
    const dg::DPoint3D picked(14.0, 6.0, 2.0);
    for (const bool startPoint : {false, true}) {
        SCOPED_TRACE(startPoint ? "start" : "end");
        SetUpLine();
        du::Symbol other("/p/other");
        record->SetPartID(other);
        AnswerPicksWith({{shape, picked}});
        Drag(startPoint ? StartSphereNode() : EndSphereNode(), 20, -10);
        ASSERT_EQ(view->pendingPicks.size(), 1u);

        const testsupport::LineInput along = AlongAxisLine({0, 0, 0}, {10, 4, 2}, 0.0f, 0.0f);
        std::vector<dg::DPoint3D> stored;
        record->BuildPoints(along.start, along.end, along.alongAxis, along.startExt, along.endExt,
                            along.ratio, along.frame, along.axisOrder, stored);
        record->SetPoints(stored);
        shadow->MarkupChanged();
        CompletePicks();

        EXPECT_EQ(shadow->GetPickedNode(), -1);
        ASSERT_EQ(controller.calls.size(), 1u);
        const std::vector<dg::DPoint3D>& handed = controller.calls[0].shadowPoints;
        ASSERT_EQ(handed.size(), 7u);
        const std::size_t slot = startPoint ? 1 : 5;
        ExpectNear(handed[slot], picked);
        ExpectNear(handed[startPoint ? 5 : 1], stored[startPoint ? 5 : 1]);
        ReleaseAll();
        MakeView();
    }

    SetUpLine();
    AnswerPicksWith({{shape, picked}});
    Drag(EndSphereNode(), 20, -10);
    record->SetPoints({{0, 0, 0}, {3, 0, 0}});
    shadow->MarkupChanged();
    // The pick is let go: the event no longer points at the shadow, which may go before it ends.
    CompletePicks();
    EXPECT_EQ(view->detachedCompletions, 1);
    EXPECT_EQ(shadow->GetPickedNode(), -1);
    EXPECT_TRUE(controller.calls.empty());
    EXPECT_EQ(DrawnLine(S())->points, *record->GetPoints());
}

// The handles stand where their nodes' locations put them: a sphere that the viewer's framework
// moved is where an extension is measured from, and where a point drag collapses its extension.
TEST_F(HostileViewerTest, HandlePositionsAreReadFromTheNodes) {
    SetUpLine();
    EndSphereNode()->location.SetPos(dg::DPoint3D(11, 0, 0));
    Drag(EndArrowNode(), 0, 0);
    ASSERT_EQ(controller.calls.size(), 1u);
    EXPECT_EQ(record->GetEndExtention(), 1.0f);  // the arrow stays at 12, one unit from 11

    ReleaseAll();
    MakeView();
    SetUpLine();
    StartSphereNode()->location.SetPos(dg::DPoint3D(-0.5, 0, 0));
    const dg::DPoint3D at = WindowOf(StartSphereNode());
    sxmk::DragDriver driver(S());
    driver.Start(StartSphereNode(), Round(at.x), Round(at.y));
    EXPECT_EQ(Drawn()[0], dg::DPoint3D(-0.5, 0, 0));
    EXPECT_EQ(Drawn()[1], dg::DPoint3D(-0.5, 0, 0));
    driver.Release();
    view->pendingPicks.clear();
}

// A preference read that fails (and leaves garbage in the colour it was handed) changes no
// colour: the handles keep the default preselection colour, at construction and when the
// preferences are applied again.
TEST_F(HostileViewerTest, FailedPreferenceReadKeepsTheDefaultColour) {
    preferences->SetColor(sxmk::detail::kPreselectionColorKey, dg::Color(1.0f, 0.5f, 0.0f, 1.0f));
    HostileViewer::Set(HostileViewer::PreferenceReadFails);
    MakeShadow(AlongAxisLine({0, 0, 0}, {10, 4, 2}, 1.0f, 2.0f));
    ASSERT_TRUE(shadow);
    shadow->OnApplyPreferences(preferences);
    for (const sxmu::ModelBase* node : {StartSphere(), JogArrow(), EndArrow()}) {
        const Look look = HighlightedLook(node);
        ASSERT_NE(look.line, nullptr);
        EXPECT_EQ(look.line->color, sxmk::defaultHandleColor);
    }
}

}  // namespace
