// Dropping a dragged end point: the asynchronous pick under the pointer and what the point lands
// on, attaches to, or springs back from.
#include "DragTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sxk/HostileViewer.h>
#include <sxk/Instance.h>
#include <sxk/Kernel.h>
#include <sxk/Pick.h>
#include <sxk/illustration/SbomInstance.h>
#include <sxmk/DragDriver.h>
#include <sxmk/Label.h>
#include <sxmk/TranslatorAxis.h>

#include <new>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using dragtest::DragFixture;
using dragtest::ExpectNear;
using testsupport::LineInput;
using testsupport::StraightLine;

using sxk::illustration::SbomInstance;
using sxk::illustration::SbomInstanceSelectionItem;
using sxk::illustration::Weld;

const dg::DPoint3D kPicked(4.0, 5.0, 0.0);
const dg::DPoint3D kElsewhere(7.0, -2.0, 0.0);

// A part under the pointer: its shape, instance, and the SBOM instance if it has one.
struct Part {
    du::SmartPtr<sxk::Instance> instance;
    du::SmartPtr<SbomInstance> sbom;
    du::SmartPtr<sxk::Object> shape;
};

Part MakePart(const char* id, const char* sbomId = nullptr, const char* weldId = nullptr) {
    Part part;
    part.instance = new sxk::Instance(du::Symbol(id));
    if (sbomId) {
        part.sbom = new SbomInstance(du::Symbol(sbomId));
        if (weldId)
            part.sbom->SetWeld(du::SmartPtr<Weld>(new Weld(du::Symbol(weldId))));
        part.instance->SetSbomInstance(part.sbom);
    }
    part.shape = new sxk::ShapeInstance(part.instance);
    return part;
}

enum class Lands { OnThePick, WhereReleased, BackHome };
enum class Item { None, Sbom, Object };

class PointDrop : public DragFixture {
protected:
    void ReleaseAll() override {
        part = Part();
        label = nullptr;
        otherMarkup = nullptr;
        otherShadow = nullptr;
        otherRecord = nullptr;
        notAMarkup = nullptr;
        DragFixture::ReleaseAll();
    }

    const LineInput lineInput = StraightLine({0, 0, 0}, {10, 0, 0}, 1.0f, 2.0f);

    // A fresh line owned by "/p/own" and the things a pick may find.
    void MakeScene(const char* partID = "/p/own") {
        MakeDragShadow(lineInput, dragtest::kViewSetups[1]);
        du::Symbol id(partID);
        record->SetPartID(id);
        controller.calls.clear();
        label = new sxmk::Label;
        otherMarkup = new sxmk::Markup;
        otherRecord = MakeRecord(StraightLine({0, 5, 0}, {3, 5, 0}));
        otherShadow = ConstructFor(otherRecord);
        notAMarkup = new sxk::Instance(du::Symbol("/not/a/shape"));
        shownBefore = Shown();
    }

    // Where the handles stand: both spheres, then each arrow's position and tip.
    std::vector<dg::DPoint3D> Shown() const {
        std::vector<dg::DPoint3D> out{StartSphere()->location.GetPos(),
                                      EndSphere()->location.GetPos()};
        for (const sxmu::ModelBase* node : {StartArrow(), EndArrow()}) {
            const auto* arrow = dynamic_cast<const sxmu::ModelLeaderLine*>(node);
            out.push_back(arrow->location.GetPos());
            out.push_back(arrow->points.at(1));
        }
        return out;
    }

    // Drags the handle 20 pixels right and 10 up and releases it; answers where it was released.
    dg::DPoint3D DragAndRelease(bool startPoint) {
        sxmu::ModelBase* node = startPoint ? StartSphereNode() : EndSphereNode();
        const dg::DPoint3D at = WindowOf(node);
        sxmk::DragDriver driver(S());
        driver.Start(node, Round(at.x), Round(at.y));
        driver.Move(Round(at.x) + 20, Round(at.y) - 10);
        driver.Release();
        return node->location.GetPos();
    }

    du::SmartPtr<sxk::Object> Self() { return du::SmartPtr<sxk::Object>(shadow.get()); }

    // The shadow after a drop: where the dragged end is, what is drawn, what the controller got.
    void ExpectLanded(bool startPoint, Lands lands, const dg::DPoint3D& released) {
        EXPECT_EQ(shadow->GetPickedNode(), -1);
        ASSERT_EQ(controller.calls.size(), 1u);
        const auto& call = controller.calls[0];
        const sxmu::ModelBase* sphere = startPoint ? StartSphere() : EndSphere();
        if (lands == Lands::BackHome) {
            // The drag is undone: the point and its extension are back, drawn as stored, and
            // every handle stands where it stood before the drag, the other end's included.
            EXPECT_EQ(sphere->location.GetPos(), startPoint ? lineInput.start : lineInput.end);
            EXPECT_EQ(record->GetStartExtention(), lineInput.startExt);
            EXPECT_EQ(record->GetEndExtention(), lineInput.endExt);
            EXPECT_EQ(Stored(), Built(lineInput));
            EXPECT_EQ(Drawn(), Stored());
            EXPECT_EQ(StartSphere()->location.GetPos(), record->GetStartPoint());
            EXPECT_EQ(EndSphere()->location.GetPos(), record->GetEndPoint());
            EXPECT_EQ(StartArrow()->location.GetPos(), Stored().front());
            EXPECT_EQ(EndArrow()->location.GetPos(), Stored().back());
            EXPECT_EQ(Shown(), shownBefore);
            EXPECT_FALSE(call.operation);
            EXPECT_EQ(call.shadowPoints, Built(lineInput));
            return;
        }
        const dg::DPoint3D to = lands == Lands::OnThePick ? kPicked : released;
        LineInput moved = lineInput;
        (startPoint ? moved.start : moved.end) = to;
        (startPoint ? moved.startExt : moved.endExt) = 0.0f;
        ExpectNear(sphere->location.GetPos(), to);
        ExpectNear(Drawn(), Built(moved));
        // The other end's sphere stays; the arrows stand at the ends of the new line.
        const sxmu::ModelBase* other = startPoint ? EndSphere() : StartSphere();
        EXPECT_EQ(other->location.GetPos(), startPoint ? lineInput.end : lineInput.start);
        EXPECT_EQ(StartArrow()->location.GetPos(), Drawn().front());
        EXPECT_EQ(EndArrow()->location.GetPos(), Drawn().back());
        EXPECT_EQ(call.operationName, dragtest::MoveEndPointName());
        ExpectNear(call.shadowPoints, Built(moved));
        EXPECT_EQ(startPoint ? record->GetStartExtention() : record->GetEndExtention(), 0.0f);
    }

    void ExpectItem(const du::SmartPtr<sxk::SelectionItem>& item, Item kind) {
        switch (kind) {
            case Item::None:
                EXPECT_FALSE(item);
                break;
            case Item::Sbom: {
                const auto* sbomItem = dynamic_cast<SbomInstanceSelectionItem*>(item.get());
                ASSERT_NE(sbomItem, nullptr);
                EXPECT_EQ(sbomItem->GetSbomInstance(), part.sbom);
                break;
            }
            case Item::Object: {
                const auto* objectItem = dynamic_cast<sxk::ObjectSelectionItem*>(item.get());
                ASSERT_NE(objectItem, nullptr);
                EXPECT_EQ(objectItem->GetObject().get(), part.instance.get());
                break;
            }
        }
    }

    Part part;
    du::SmartPtr<sxmk::Label> label;
    du::SmartPtr<sxmk::Markup> otherMarkup;
    du::SmartPtr<sxmk::CenterLineXYZ> otherRecord;
    du::SmartPtr<Shadow> otherShadow;
    du::SmartPtr<sxk::Object> notAMarkup;
    std::vector<dg::DPoint3D> shownBefore;  // the handles before the drag
};

TEST_F(PointDrop, EndPointTakesTheFirstPartLabelOrMarkupUnderThePointer) {
    struct Case {
        const char* name;
        bool sbom;
        bool attached;
        std::vector<int> found;  // 0 part, 1 label, 2 markup, 3 other shadow, 4 self, 5 object
        Lands lands;
        Item item;
        bool label;
    };
    const Case cases[] = {
        {"part with SBOM instance", true, false, {0}, Lands::OnThePick, Item::Sbom, false},
        {"part without SBOM instance", false, false, {0}, Lands::OnThePick, Item::Object, false},
        {"label", false, false, {1, 0}, Lands::OnThePick, Item::None, true},
        {"other markup", false, false, {2}, Lands::OnThePick, Item::None, false},
        {"centre lines skipped", false, false, {3, 4, 0}, Lands::OnThePick, Item::Object, false},
        {"only centre lines", false, false, {3, 4}, Lands::WhereReleased, Item::None, false},
        {"no markup, no part", false, false, {5}, Lands::WhereReleased, Item::None, false},
        {"nothing", false, false, {}, Lands::WhereReleased, Item::None, false},
        {"nothing, attached", false, true, {}, Lands::BackHome, Item::None, false},
        {"centre lines, attached", false, true, {4}, Lands::BackHome, Item::None, false},
        {"label, attached", false, true, {1}, Lands::OnThePick, Item::None, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MakeScene();
        part = c.sbom ? MakePart("/p/other", "/s/other") : MakePart("/p/other");
        record->SetEndPointAttached(c.attached);
        const du::SmartPtr<sxk::Object> objects[] = {part.shape,  label,  otherMarkup,
                                                     otherShadow, Self(), notAMarkup};
        // The first part, label or markup in the list lies at kPicked, everything else elsewhere.
        std::vector<sxk::PickResult> results;
        bool placed = false;
        for (const int i : c.found) {
            const bool candidate = i <= 2 && !placed;
            placed = placed || candidate;
            results.push_back({objects[i], candidate ? kPicked : kElsewhere});
        }

        const dg::DPoint3D released = DragAndRelease(false);
        ASSERT_TRUE(view->CompletePick(results, 0));

        ExpectLanded(false, c.lands, released);
        ExpectItem(shadow->GetEndPointItem(), c.item);
        EXPECT_EQ(shadow->GetConnectionTarget().get(), c.label ? label.get() : nullptr);
        EXPECT_FALSE(shadow->GetStartPointItem());
    }
}

// A dropped end point rebuilds the along-axis path, and the jog arrow comes back on the new
// path's mid jog point, not where it stood before the drag.
TEST_F(PointDrop, JogArrowFollowsTheNewPathOfADroppedEnd) {
    MakeDragShadow(testsupport::AlongAxisLine({0, 0, 0}, {10, 4, 2}, 1.0f, 2.0f),
                   dragtest::kViewSetups[1]);
    const dg::DPoint3D jogBefore = JogArrow()->location.GetPos();
    const dg::DPoint3D at = WindowOf(EndSphereNode());
    sxmk::DragDriver driver(S());
    ASSERT_TRUE(driver.Start(EndSphereNode(), Round(at.x), Round(at.y)));
    driver.Move(Round(at.x) + 30, Round(at.y) - 20);
    driver.Release();
    ASSERT_TRUE(view->CompletePick({}, 0));  // nothing there: the free end stays where released

    ASSERT_EQ(Drawn().size(), 7u);
    EXPECT_EQ(JogArrow()->location.GetPos(), Drawn()[3]);
    EXPECT_NE(JogArrow()->location.GetPos(), jogBefore);
}

TEST_F(PointDrop, StartPointLandsOnlyOnItsOwnPart) {
    struct Case {
        const char* name;
        const char* partID;
        const char* ids[3];  // instance, SBOM instance, weld
        int on;              // 0 the part, 1 a label, 2 nothing
        Lands lands;
        Item item;
    };
    const Case cases[] = {
        {"own instance", "/p/own", {"/p/own"}, 0, Lands::OnThePick, Item::Object},
        {"own SBOM instance", "/p/own", {"/i", "/p/own"}, 0, Lands::OnThePick, Item::Sbom},
        {"own weld", "/p/own", {"/i", "/s", "/p/own"}, 0, Lands::OnThePick, Item::Sbom},
        {"another part", "/p/own", {"/i", "/s", "/w"}, 0, Lands::BackHome, Item::None},
        {"label", "/p/own", {"/i"}, 1, Lands::BackHome, Item::None},
        {"nothing", "/p/own", {"/i"}, 2, Lands::BackHome, Item::None},
        // Without a part of its own, the empty identifiers of a part without SBOM instance or
        // weld compare equal to it.
        {"no part of its own, plain part", "", {"/i"}, 0, Lands::OnThePick, Item::Object},
        {"no part of its own, welded part", "", {"/i", "/s", "/w"}, 0, Lands::BackHome, Item::None},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MakeScene(c.partID);
        part = MakePart(c.ids[0], c.ids[1], c.ids[2]);
        std::vector<sxk::PickResult> results;
        if (c.on < 2)
            results.push_back({c.on == 1 ? du::SmartPtr<sxk::Object>(label) : part.shape, kPicked});

        const dg::DPoint3D released = DragAndRelease(true);
        ASSERT_TRUE(view->CompletePick(results, 0));

        ExpectLanded(true, c.lands, released);
        ExpectItem(shadow->GetStartPointItem(), c.item);
        EXPECT_EQ(shadow->GetConnectionTarget().get(), c.on == 1 ? label.get() : nullptr);
    }
}

// Releasing a point where it is stored drops nothing; the extension collapsed for the drag must
// come back rather than be lost without an operation.
TEST_F(PointDrop, DropOntoTheStoredPointRestoresTheExtension) {
    MakeScene();
    sxmk::DragDriver driver(S());
    driver.Start(EndSphereNode(), 100, 100);
    driver.Release();
    ASSERT_TRUE(view->CompletePick({}, 0));
    ExpectLanded(false, Lands::BackHome, {});
}

TEST_F(PointDrop, FailedPickSpringsBackInsteadOfKeepingTheCollapsedExtension) {
    for (const bool startPoint : {true, false}) {
        SCOPED_TRACE(startPoint ? "start" : "end");
        MakeScene();
        part = MakePart("/p/own");
        DragAndRelease(startPoint);
        const int notes = shadow->contentChangedCount;
        ASSERT_TRUE(view->CompletePick({{part.shape, kPicked}}, 3));
        ExpectLanded(startPoint, Lands::BackHome, {});
        // One rebuild, drawn once.
        EXPECT_EQ(shadow->contentChangedCount, notes + 1);
        EXPECT_FALSE(shadow->GetStartPointItem());
        EXPECT_FALSE(shadow->GetEndPointItem());
        ExpectNoDropPending();
    }
}

// A spring-back gives the end its extension back in one rebuild: a negative extension's slot holds
// the extension point again, and an along-axis path keeps its jog.
TEST_F(PointDrop, SpringBackRestoresNegativeExtensionsAndAlongAxisPaths) {
    const LineInput inputs[] = {
        StraightLine({0, 0, 0}, {10, 0, 0}, -1.5f, -2.0f),
        testsupport::AlongAxisLine({0, 0, 0}, {10, 4, 0}, -1.0f, 2.0f, 0.25f),
        testsupport::AlongAxisLine({0, 0, 0}, {10, 4, 3}, 1.0f, -2.0f, 0.75f),
    };
    for (const LineInput& input : inputs) {
        for (const bool startPoint : {true, false}) {
            SCOPED_TRACE(std::string(input.alongAxis ? "along axis, " : "straight, ") +
                         (startPoint ? "start" : "end"));
            MakeDragShadow(input, dragtest::kViewSetups[1]);
            if (input.alongAxis)
                record->SetAlongAxis(input.ratio);  // as the viewer's records hold it
            controller.calls.clear();
            const std::vector<dg::DPoint3D> storedBefore = Stored();
            DragAndRelease(startPoint);
            const int notes = shadow->contentChangedCount;
            ASSERT_TRUE(view->CompletePick({}, 3));

            EXPECT_EQ(record->GetStartExtention(), input.startExt);
            EXPECT_EQ(record->GetEndExtention(), input.endExt);
            EXPECT_EQ(Stored(), storedBefore);
            EXPECT_EQ(Drawn(), Stored());
            EXPECT_EQ(shadow->GetPoints(), Built(input));
            EXPECT_EQ(StartSphere()->location.GetPos(), input.start);
            EXPECT_EQ(EndSphere()->location.GetPos(), input.end);
            EXPECT_EQ(shadow->GetPickedNode(), -1);
            EXPECT_EQ(shadow->contentChangedCount, notes + 1);
            ASSERT_EQ(controller.calls.size(), 1u);
            EXPECT_FALSE(controller.calls[0].operation);
        }
    }
}

TEST_F(PointDrop, WithoutKernelTheDropIsHandledAtOnce) {
    MakeScene();
    sxk::Kernel::Remove();
    const dg::DPoint3D released = DragAndRelease(false);
    EXPECT_TRUE(view->pendingPicks.empty());
    ExpectLanded(false, Lands::WhereReleased, released);
}

TEST_F(PointDrop, PickAsksForPhantomsOnlyWhenTheyArePickable) {
    for (const bool phantoms : {false, true}) {
        MakeScene();
        shadow->pickPhantoms = phantoms;
        DragAndRelease(false);
        ASSERT_EQ(view->pendingPicks.size(), 1u);
        EXPECT_EQ(view->pendingPicks.front().flags,
                  phantoms ? sxk::PICK_ALL : (sxk::PICK_ALL | sxk::PICK_EXCLUDE_PHANTOM));
        EXPECT_EQ(view->pendingPicks.front().event->GetClassName(),
                  du::Symbol("sxmk::CenterLineXYZShadowPickEvent"));
        ASSERT_TRUE(view->CompletePick({}, 0));
    }
}

// The event holds its shadow by a plain pointer: a shadow gone before the pick completes must
// not be touched (AddressSanitizer reports any use).
TEST_F(PointDrop, ShadowDestroyedWhilePickIsPendingIsNotTouched) {
    MakeScene();
    part = MakePart("/p/own");
    DragAndRelease(false);
    shadow = nullptr;
    ASSERT_TRUE(view->CompletePick({{part.shape, kPicked}}, 0));
    EXPECT_EQ(view->detachedCompletions, 1);
    EXPECT_TRUE(controller.calls.empty());
    EXPECT_TRUE(sxk::Kernel::GetKernel()->managed.empty());
}

TEST_F(PointDrop, NewerPickSupersedesOneStillPending) {
    MakeScene();
    part = MakePart("/p/other");
    DragAndRelease(false);
    // A drag start finishes a pending drop first, so no drag requests a pick while one is pending.
    Access::RequestPick(S(), 5, 5);
    ASSERT_EQ(view->pendingPicks.size(), 2u);
    ASSERT_TRUE(view->CompletePick({{part.shape, kElsewhere}}, 0));
    EXPECT_EQ(view->detachedCompletions, 1);
    EXPECT_TRUE(controller.calls.empty());
    ASSERT_TRUE(view->CompletePick({{part.shape, kPicked}}, 0));
    EXPECT_EQ(view->detachedCompletions, 1);
    ExpectLanded(false, Lands::OnThePick, {});
}

// A drag that starts before the previous drop's pick has come back finishes that drop as a pick
// that found nothing; the late result then changes nothing.
TEST_F(PointDrop, NextDragFinishesADropWhosePickIsStillPending) {
    MakeScene();
    part = MakePart("/p/own");
    const dg::DPoint3D released = DragAndRelease(false);
    ASSERT_EQ(view->pendingPicks.size(), 1u);

    sxmk::DragDriver next(S());
    next.Start(StartSphereNode(), 10, 10);
    // The end stayed where it was released, as when a pick finds nothing.
    ASSERT_EQ(controller.calls.size(), 1u);
    LineInput moved = lineInput;
    moved.end = released;
    moved.endExt = 0.0f;
    EXPECT_EQ(controller.calls[0].operationName, dragtest::MoveEndPointName());
    ExpectNear(controller.calls[0].shadowPoints, Built(moved));
    // The new drag holds the start point: only its sphere is drawn with the line.
    EXPECT_EQ(shadow->GetPickedNode(), 1);
    EXPECT_EQ(Children(), (std::vector<const sxmu::ModelBase*>{StartSphere(), Line()}));

    // The old pick was cancelled: its late result reaches no drop and leaves the new drag open.
    ASSERT_TRUE(view->CompletePick({{part.shape, kPicked}}, 0));
    EXPECT_EQ(view->detachedCompletions, 1);
    EXPECT_EQ(controller.calls.size(), 1u);
    EXPECT_EQ(shadow->GetPickedNode(), 1);
    EXPECT_EQ(Children(), (std::vector<const sxmu::ModelBase*>{StartSphere(), Line()}));
    next.Release();
    ASSERT_TRUE(view->CompletePick({}, 0));
    // The new drop was the start's: found nothing of its part, it springs back.
    ASSERT_EQ(controller.calls.size(), 2u);
    EXPECT_FALSE(controller.calls[1].operation);
    EXPECT_EQ(record->GetStartPoint(), lineInput.start);
}

// Neither a request that the view cannot queue nor a completion whose handling throws may leave
// the event managed by the kernel or queued on the view: it would never be let go. A pick that
// cannot be requested (the kernel cannot manage the event, or the view cannot queue it) springs
// the point back as a failed pick does, before the failure goes on: no collapsed extension, no
// preview, and the controller hears of the end of the drag.
TEST_F(PointDrop, PickRequestThatCannotBeQueuedLeavesNoEventBehind) {
    if (!testsupport::kExceptionsCrossModules)
        GTEST_SKIP() << testsupport::kNoExceptionsAcrossModules;
    for (const auto failing :
         {sxk::HostileViewer::PickRequestThrows, sxk::HostileViewer::ManageObjectThrows})
        for (const bool startPoint : {true, false}) {
            SCOPED_TRACE(testing::Message() << sxk::HostileViewer::NameOf(failing) << ", "
                                            << (startPoint ? "start" : "end"));
            MakeScene();
            sxk::HostileViewer::Set(failing);
            EXPECT_THROW(DragAndRelease(startPoint), std::bad_alloc);
            sxk::HostileViewer::Set(0);
            EXPECT_TRUE(sxk::Kernel::GetKernel()->managed.empty());
            EXPECT_TRUE(view->pendingPicks.empty());
            ExpectLanded(startPoint, Lands::BackHome, {});
            controller.calls.clear();
            ExpectNoDropPending();

            // The shadow can be dragged and dropped again.
            part = MakePart("/p/own");
            DragAndRelease(startPoint);
            ASSERT_TRUE(view->CompletePick({{part.shape, kPicked}}, 0));
            ExpectLanded(startPoint, Lands::OnThePick, {});
            EXPECT_TRUE(sxk::Kernel::GetKernel()->managed.empty());
        }
}

TEST_F(PointDrop, CompletionWhoseHandlingThrowsLeavesNoEventBehind) {
    if (!testsupport::kExceptionsCrossModules)
        GTEST_SKIP() << testsupport::kNoExceptionsAcrossModules;
    struct RefusingController : sxk::MarkupController {
        bool HandleShadowStop(const du::SmartPtr<sxk::Markup>&, const du::SmartPtr<sxk::Markup>&,
                              const du::SmartPtr<sxk::Operation>&) override {
            throw std::runtime_error("controller failed");
        }
    } refusing;
    for (const int status : {0, 3}) {
        SCOPED_TRACE(status);
        MakeScene();
        record->SetController(&refusing);
        part = MakePart("/p/own");
        DragAndRelease(false);
        EXPECT_THROW(view->CompletePick({{part.shape, kPicked}}, status), std::runtime_error);
        EXPECT_TRUE(sxk::Kernel::GetKernel()->managed.empty());
        EXPECT_TRUE(view->pendingPicks.empty());
        // The drop whose controller failed is over: a rebuild shows the record.
        shadow->MarkupChanged();
        EXPECT_EQ(Drawn(), Stored());
        record->SetController(&controller);
        ExpectNoDropPending();
    }
}

// Applies each drag the way a viewer does: stores the shadow's points, then rebuilds the shadow
// (new handle nodes) at once.
class RebuildingController : public dragtest::RecordingController {
public:
    bool HandleShadowStop(const du::SmartPtr<sxk::Markup>& markup,
                          const du::SmartPtr<sxk::Markup>& shadow,
                          const du::SmartPtr<sxk::Operation>& operation) override {
        RecordingController::HandleShadowStop(markup, shadow, operation);
        auto* line = dynamic_cast<sxmk::CenterLineXYZ*>(markup.get());
        auto* lineShadow = dynamic_cast<sxmk::CenterLineXYZShadow*>(shadow.get());
        if (line && lineShadow) {
            line->SetPoints(lineShadow->GetPoints());
            lineShadow->MarkupChanged();
        }
        return true;
    }
};

// The drop that a new drag finishes reaches such a controller in the middle of HandleDragStart;
// the new drag still holds the handle it grabbed, as one of the rebuilt nodes.
TEST_F(PointDrop, NextDragKeepsItsHandleWhenTheFinishedDropRebuildsTheShadow) {
    MakeScene();
    RebuildingController rebuilding;
    record->SetController(&rebuilding);
    const dg::DPoint3D released = DragAndRelease(false);
    ASSERT_EQ(view->pendingPicks.size(), 1u);

    const du::SmartPtr<sxmu::ModelBase> grabbed(StartSphereNode());
    const dg::DPoint3D at = WindowOf(grabbed.get());
    sxmk::DragDriver next(S());
    next.Start(grabbed.get(), Round(at.x), Round(at.y));
    ASSERT_EQ(rebuilding.calls.size(), 1u);
    EXPECT_EQ(record->GetEndPoint(), released);
    FindHandles();
    ASSERT_NE(StartSphereNode(), nullptr);
    EXPECT_NE(StartSphereNode(), grabbed.get());  // the rebuild made new handles
    EXPECT_EQ(shadow->GetPickedNode(), 1);
    EXPECT_EQ(record->GetStartExtention(), 0.0f);
    EXPECT_THAT(Children(), testing::UnorderedElementsAre(StartSphere(), Line()));

    next.Move(Round(at.x) + 20, Round(at.y));
    EXPECT_NE(StartSphere()->location.GetPos(), lineInput.start);
    next.Release();
    ASSERT_TRUE(view->CompletePick({}, 0));  // the end point's late pick changes nothing
    EXPECT_EQ(rebuilding.calls.size(), 1u);
    ASSERT_TRUE(view->CompletePick({}, 0));  // nothing of its part: the start springs back
    EXPECT_EQ(record->GetStartPoint(), lineInput.start);
    EXPECT_EQ(record->GetStartExtention(), lineInput.startExt);
    EXPECT_EQ(rebuilding.calls.size(), 2u);
    record->SetController(nullptr);
}

// A viewer may store a shorter list in the record while a drop's pick is pending, without
// rebuilding the shadow: the dragged end's slot is then past the stored list though the drawn
// line still has it. The late pick then drops nothing: the end keeps what it is attached to, and
// neither the record, the drawing nor the controller hears of it.
TEST_F(PointDrop, PickAfterTheRecordLostTheDraggedSlotDropsNothing) {
    struct Case {
        const char* name;
        LineInput line;
        std::vector<dg::DPoint3D> storedMeanwhile;
    };
    const Case cases[] = {
        {"along axis, a straight list stored",
         testsupport::AlongAxisLine({0, 0, 0}, {10, 4, 2}, 1.0f, 2.0f),
         {{-1, 0, 0}, {0, 0, 0}, {10, 4, 2}, {12, 4, 2}}},
        {"straight, two points stored", lineInput, {{0, 0, 0}, {10, 0, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MakeDragShadow(c.line, dragtest::kViewSetups[1]);
        // The end was dropped on a part before, and the viewer attached it there.
        part = MakePart("/p/other");
        DragAndRelease(false);
        ASSERT_TRUE(view->CompletePick({{part.shape, kPicked}}, 0));
        const du::SmartPtr<sxk::SelectionItem> item = shadow->GetEndPointItem();
        ASSERT_TRUE(item);
        record->SetEndPointAttached(true);

        DragAndRelease(false);
        record->SetPoints(c.storedMeanwhile);
        const std::vector<dg::DPoint3D> stored = Stored();
        const std::vector<dg::DPoint3D> drawn = Drawn();
        const std::size_t calls = controller.calls.size();
        const int notes = shadow->contentChangedCount;
        ASSERT_TRUE(view->CompletePick({}, 0));

        EXPECT_EQ(shadow->GetEndPointItem().get(), item.get());
        EXPECT_FALSE(shadow->GetConnectionTarget());
        EXPECT_EQ(Stored(), stored);
        EXPECT_EQ(Drawn(), drawn);
        EXPECT_EQ(controller.calls.size(), calls);
        EXPECT_EQ(shadow->contentChangedCount, notes);
        EXPECT_TRUE(view->pendingPicks.empty());
    }
}

// A pick result that reaches the shadow when no point drag waits for one (after a finished drop,
// an extension drag or a grab of the line) moves nothing and attaches nothing.
TEST_F(PointDrop, DropWithoutAnOpenPointDragDoesNothing) {
    enum Before { FinishedDrop, ExtensionDrag, LineGrab };
    for (const Before before : {FinishedDrop, ExtensionDrag, LineGrab}) {
        SCOPED_TRACE(before);
        MakeScene();
        if (before == FinishedDrop) {
            DragAndRelease(false);
            ASSERT_TRUE(view->CompletePick({}, 0));
        } else {
            sxmu::ModelBase* node = before == ExtensionDrag ? EndArrowNode() : DrawnLine(S());
            const dg::DPoint3D at = WindowOf(EndArrow());
            sxmk::DragDriver driver(S());
            driver.Start(node, Round(at.x), Round(at.y));
            driver.Move(Round(at.x) + 20, Round(at.y));
            driver.Release();
        }
        ASSERT_TRUE(view->pendingPicks.empty());
        const std::vector<dg::DPoint3D> drawn = Drawn();
        const std::vector<dg::DPoint3D> stored = Stored();
        const std::size_t calls = controller.calls.size();
        const int notes = shadow->contentChangedCount;

        shadow->OnReceivePick({{du::SmartPtr<sxk::Object>(label), kPicked}});
        EXPECT_EQ(Drawn(), drawn);
        EXPECT_EQ(Stored(), stored);
        EXPECT_EQ(shadow->contentChangedCount, notes);
        EXPECT_EQ(controller.calls.size(), calls);
        EXPECT_FALSE(shadow->GetConnectionTarget());
    }
}

}  // namespace
