#include "CalloutTestSupport.h"

#include <du/Localizer.h>
#include <sxk/MemoryPoolAllocated.h>
#include <sxmk/DragDriver.h>
#include <sxmk/MarkupShadow.h>

#include <initializer_list>
#include <string>
#include <utility>

namespace {

using callouttest::CalloutFixture;
using callouttest::DraggerOf;
using callouttest::ExpectPointNear;

std::string ModulesText(const char* key) {
    return du::Localizer("sxbase:sxmodulesStrings").LocalizeMessage(key, 0);
}

// In a plain view the framework moves one world unit per pixel, y up.
class CalloutShadow : public CalloutFixture {
protected:
    void SetUp() override {
        CalloutFixture::SetUp();
        MakeShadow();
        dragger = DraggerOf(*shadow);
        ASSERT_TRUE(dragger);
    }

    // Grabs the dragger at (10, 10), moves through the given pointer positions and releases.
    void Drag(std::initializer_list<std::pair<int, int>> moves) {
        sxmk::DragDriver driver(*shadow);
        ASSERT_TRUE(driver.Start(dragger, 10, 10));
        for (const auto& m : moves)
            driver.Move(m.first, m.second);
        driver.Release();
    }

    sxmu::ModelNoteDragger* dragger = nullptr;
};

TEST_F(CalloutShadow, ConstructionInstallsDraggerAtTheNote) {
    EXPECT_EQ(shadow->GetReferenceCount(), 1);
    EXPECT_EQ(label->GetReferenceCount(), 2);
    EXPECT_EQ(dragger->note.get(), note.get());
    EXPECT_EQ(shadow->GetRefPoint(), notePos);
    EXPECT_TRUE(shadow->interactive);
    EXPECT_EQ(shadow->setContentCount, 1);
    EXPECT_EQ(shadow->contentChangedCount, 0);
    // Before any drag the position asked for is where the label is.
    EXPECT_EQ(shadow->GetPos(), notePos);

    shadow.reset();
    EXPECT_EQ(label->GetReferenceCount(), 1);
    EXPECT_EQ(note->GetReferenceCount(), 2) << "test and label only";
}

TEST_F(CalloutShadow, GetMarkupIsTheLabelOrTheOwnerWithItsOwnReference) {
    {
        const du::SmartPtr<sxk::Markup> markup = shadow->GetMarkup();
        EXPECT_EQ(markup.get(), label.get());
        EXPECT_EQ(label->GetReferenceCount(), 3);
    }

    du::SmartPtr<sxk::Markup> owner(new sxk::Markup);
    du::SmartPtr<sxmk::CalloutLabelShadow> owned(
        new sxmk::CalloutLabelShadow(view, label.get(), note, nullptr, nullptr, owner));
    ASSERT_TRUE(owned);
    EXPECT_EQ(owner->GetReferenceCount(), 2);
    EXPECT_EQ(owned->GetMarkup().get(), owner.get());

    owned.reset();
    EXPECT_EQ(owner->GetReferenceCount(), 1);
}

TEST_F(CalloutShadow, DragCursorIsMoveForAnyNode) {
    du::SmartPtr<sxmu::ModelBase> other(new sxmu::ModelSphere);
    const du::SmartPtr<sxmu::ModelBase> nodes[] = {nullptr, other,
                                                   du::SmartPtr<sxmu::ModelBase>(dragger)};
    for (const auto& node : nodes) {
        du::Symbol cursor("something else");
        EXPECT_TRUE(shadow->GetDragCursor(node, cursor));
        EXPECT_EQ(cursor, sxmk::dragCursorMove);
    }
}

TEST_F(CalloutShadow, WindowShowsMoveCursorDuringDragAndDefaultAfter) {
    sxk::Window& window = *view->GetWindow();
    sxmk::DragDriver driver(*shadow);
    ASSERT_TRUE(driver.Start(dragger, 10, 10));
    EXPECT_EQ(window.currentCursor, sxmk::dragCursorMove);
    driver.Move(12, 10);
    EXPECT_EQ(window.currentCursor, sxmk::dragCursorMove);
    driver.Release();
    EXPECT_EQ(window.currentCursor, du::Symbol::EMPTY);
    EXPECT_EQ(window.setCursorCount, 1);
    EXPECT_EQ(window.resetCursorCount, 1);
}

TEST_F(CalloutShadow, StepsPreviewWorldDisplacementAndLeaveLabelAlone) {
    sxmk::DragDriver driver(*shadow);
    ASSERT_TRUE(driver.Start(dragger, 10, 10));
    EXPECT_EQ(shadow->contentChangedCount, 0);

    driver.Move(13, 10);
    EXPECT_EQ(dragger->dragDisplacement, dg::DVec3(3.0, 0.0, 0.0));
    EXPECT_EQ(shadow->contentChangedCount, 1);
    driver.Move(13, 6);  // displacement since the start, not added up
    EXPECT_EQ(dragger->dragDisplacement, dg::DVec3(3.0, 4.0, 0.0));
    EXPECT_EQ(shadow->contentChangedCount, 2);
    EXPECT_EQ(shadow->broadcastTranslateCount, 2);

    EXPECT_EQ(label->GetPos(), notePos);
    EXPECT_EQ(shadow->GetPos(), notePos);
    EXPECT_EQ(label->contentChangedCount, 0);

    driver.Release();
    EXPECT_EQ(shadow->contentChangedCount, 3);
}

TEST_F(CalloutShadow, StopWithoutControllerRecordsMoveCalloutAndComputesPosition) {
    Drag({{12, 10}, {15, 8}});

    ExpectPointNear(shadow->GetPos(), dg::DPoint3D(6.0, 4.0, 3.0));
    ASSERT_EQ(sxk::RecordedOperations().size(), 1u);
    const sxk::Operation& op = *sxk::RecordedOperations().front();
    EXPECT_EQ(op.GetName(), ModulesText("99"));
    EXPECT_EQ(op.GetScene(), view->GetScene().get());
    EXPECT_TRUE(op.IsUndoable());
    EXPECT_EQ(dragger->resetLocationCount, 1);
    EXPECT_EQ(dragger->dragDisplacement, dg::DVec3::ZERO);
    EXPECT_EQ(label->GetPos(), notePos) << "the shadow never moves the label";
}

TEST_F(CalloutShadow, DragWithoutMotionStillRecordsOneOperation) {
    label->SetController(&controller);
    Drag({});

    ASSERT_EQ(sxk::RecordedOperations().size(), 1u);
    EXPECT_EQ(sxk::RecordedOperations().front()->GetName(), ModulesText("99"));
    EXPECT_EQ(shadow->GetPos(), notePos);
    EXPECT_EQ(controller.calls.size(), 1u);
    EXPECT_EQ(shadow->contentChangedCount, 1);
}

TEST_F(CalloutShadow, ControllerGetsLabelShadowAndOperationAfterPositionIsComputed) {
    label->SetController(&controller);
    Drag({{14, 10}});

    ASSERT_EQ(controller.calls.size(), 1u);
    const auto& call = controller.calls.front();
    EXPECT_EQ(call.markup, label.get());
    EXPECT_EQ(call.shadow, shadow.get());
    ASSERT_EQ(sxk::RecordedOperations().size(), 1u);
    EXPECT_EQ(call.operation, sxk::RecordedOperations().front().get());
    EXPECT_EQ(call.operationName, ModulesText("99"));
    EXPECT_EQ(call.recordedBefore, 0u) << "the operation is recorded after the controller";
    EXPECT_EQ(call.resetLocationsBefore, 1);
    ExpectPointNear(call.shadowPos, dg::DPoint3D(5.0, 2.0, 3.0));
}

TEST_F(CalloutShadow, ControllerAnswerDecidesWhetherDraggerIsResetAgain) {
    struct Case {
        bool answer;
        int resets;
    };
    for (const Case c : {Case{false, 1}, Case{true, 2}}) {
        SCOPED_TRACE(c.answer);
        controller.answer = c.answer;
        label->SetController(&controller);
        const int resetsBefore = dragger->resetLocationCount;
        const int notesBefore = shadow->contentChangedCount;

        Drag({{11, 11}});

        EXPECT_EQ(dragger->resetLocationCount - resetsBefore, c.resets);
        EXPECT_EQ(shadow->contentChangedCount - notesBefore, 2) << "one step, one stop";
    }
}

TEST_F(CalloutShadow, ControllerThatMovesTheLabelSeesShadowFollowAtNextDrag) {
    // A controller as the viewer has one: it moves the label to the position asked for.
    class MovingController : public sxk::MarkupController {
    public:
        bool HandleShadowStop(const du::SmartPtr<sxk::Markup>& markup,
                              const du::SmartPtr<sxk::Markup>& shadowMarkup,
                              const du::SmartPtr<sxk::Operation>&) override {
            auto* l = dynamic_cast<sxmk::CalloutLabel*>(markup.get());
            auto* s = dynamic_cast<sxmk::CalloutLabelShadow*>(shadowMarkup.get());
            if (!l || !s || !l->note)
                return false;
            l->note->location.SetPos(s->GetPos());
            return true;
        }
    } moving;
    label->SetController(&moving);

    Drag({{13, 10}});
    ExpectPointNear(label->GetPos(), dg::DPoint3D(4.0, 2.0, 3.0));
    Drag({{10, 5}});
    ExpectPointNear(label->GetPos(), dg::DPoint3D(4.0, 7.0, 3.0));
    label->SetController(nullptr);
}

TEST_F(CalloutShadow, StopPositionIsConvertedIntoTheLabelsObjectSpace) {
    // A quarter turn about z: object x lies along world y.
    label->placement =
        dg::Location(dg::FMat33(0, 1, 0, -1, 0, 0, 0, 0, 1), dg::DPoint3D(5.0, 5.0, 5.0));
    sxmk::DragDriver driver(*shadow);
    ASSERT_TRUE(driver.Start(dragger, 10, 10));
    driver.Move(13, 10);
    EXPECT_EQ(dragger->dragDisplacement, dg::DVec3(3.0, 0.0, 0.0)) << "preview stays in world";
    driver.Release();

    ExpectPointNear(shadow->GetPos(), dg::DPoint3D(1.0, -1.0, 3.0));
}

TEST_F(CalloutShadow, DragWithOtherMarkupsRecordsMoveMarkupsOnceAndMovesThemAll) {
    du::SmartPtr<sxmk::CalloutLabel> otherLabel(new sxmk::CalloutLabel);
    otherLabel->note = new sxmu::ModelNote("other");
    otherLabel->SetController(&controller);
    label->SetController(&controller);
    du::SmartPtr<sxmk::CalloutLabelShadow> other(
        dynamic_cast<sxmk::CalloutLabelShadow*>(otherLabel->ConstructShadow(view)));
    ASSERT_TRUE(other);
    shadow->broadcastTargets.push_back(du::SmartPtr<sxmk::MarkupShadow>(other));

    sxmk::DragDriver driver(*shadow);
    ASSERT_TRUE(driver.Start(dragger, 10, 10));
    driver.Move(12, 10);
    EXPECT_EQ(DraggerOf(*other)->dragDisplacement, dg::DVec3(2.0, 0.0, 0.0));
    driver.Release();

    ASSERT_EQ(sxk::RecordedOperations().size(), 1u);
    const sxk::Operation* op = sxk::RecordedOperations().front().get();
    EXPECT_EQ(op->GetName(), ModulesText("97"));
    ASSERT_EQ(controller.calls.size(), 2u);
    EXPECT_EQ(controller.calls[0].shadow, other.get()) << "the others stop first";
    EXPECT_EQ(controller.calls[1].shadow, shadow.get());
    for (const auto& call : controller.calls)
        EXPECT_EQ(call.operation, op);
    EXPECT_EQ(controller.calls[1].operationName, ModulesText("97"));
    ExpectPointNear(other->GetPos(), dg::DPoint3D(2.0, 0.0, 0.0));
    ExpectPointNear(shadow->GetPos(), dg::DPoint3D(3.0, 2.0, 3.0));
    EXPECT_EQ(shadow->contentChangedCount, 2);

    shadow->broadcastTargets.clear();
}

TEST_F(CalloutShadow, MoveToLabelDropsThePreview) {
    sxmk::DragDriver driver(*shadow);
    ASSERT_TRUE(driver.Start(dragger, 10, 10));
    driver.Move(20, 10);
    shadow->MoveToLabel();
    EXPECT_EQ(dragger->dragDisplacement, dg::DVec3::ZERO);
    EXPECT_EQ(dragger->resetLocationCount, 1);
    EXPECT_EQ(shadow->contentChangedCount, 2);
    driver.Release();
}

TEST_F(CalloutShadow, ExhaustedPoolAtStopRecordsNothingButStillStops) {
    label->SetController(&controller);
    sxmk::DragDriver driver(*shadow);
    ASSERT_TRUE(driver.Start(dragger, 10, 10));
    driver.Move(11, 10);
    sxk::MemoryPoolAllocated::FailAllocation(1);
    driver.Release();
    EXPECT_FALSE(sxk::MemoryPoolAllocated::FailurePending());

    EXPECT_TRUE(sxk::RecordedOperations().empty());
    ASSERT_EQ(controller.calls.size(), 1u);
    EXPECT_EQ(controller.calls.front().operation, nullptr);
    ExpectPointNear(shadow->GetPos(), dg::DPoint3D(2.0, 2.0, 3.0));
    EXPECT_EQ(view->GetWindow()->currentCursor, du::Symbol::EMPTY);
}

TEST_F(CalloutShadow, ViewWithoutWindowDragsWithoutCursor) {
    view->window = nullptr;
    Drag({{12, 10}});
    EXPECT_EQ(sxk::RecordedOperations().size(), 1u);
    ExpectPointNear(shadow->GetPos(), dg::DPoint3D(3.0, 2.0, 3.0));
}

TEST_F(CalloutShadow, ShadowBuiltWithoutNoteIsSafeToDrag) {
    label->note = nullptr;
    du::SmartPtr<sxmk::CalloutLabelShadow> bare(
        new sxmk::CalloutLabelShadow(view, label.get(), nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->GetRefPoint(), dg::DPoint3D::ORIGIN);
    EXPECT_EQ(DraggerOf(*bare), nullptr);
    bare->MoveToLabel();

    sxmk::DragDriver driver(*bare);
    ASSERT_TRUE(driver.Start(nullptr, 10, 10));
    driver.Move(11, 10);
    driver.Release();
    ExpectPointNear(bare->GetPos(), dg::DPoint3D(1.0, 0.0, 0.0));
    EXPECT_EQ(bare->contentChangedCount, 3);
}

// A viewer's legal worst case around a drag: the controller lets go of the shadow and the label
// while it applies the drag, or rebuilds the label's shadow; every notification takes and drops a
// reference and calls back into the shadow. The drag still records one operation, the controller
// sees the position the drag asked for, and whatever the viewer let go of is gone once the calls
// return.
TEST_F(CalloutShadow, DragEndsTheSameWhateverTheViewerDoesMeanwhile) {
    using sxk::HostileViewer;
    struct Case {
        const char* name;
        unsigned behaviours;
        bool shadowLetGo;
    };
    const Case cases[] = {
        {"polite", 0, false},
        {"controller lets go", HostileViewer::ControllerLetsGo, true},
        {"controller rebuilds", HostileViewer::ControllerRebuilds, true},
        {"notification takes a reference and calls back",
         HostileViewer::NotifyTakesReference | HostileViewer::NotifyCallsBack, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        shadow.reset();
        const long objects = du::RefCounted::LiveObjects();
        MakeShadow();
        dragger = DraggerOf(*shadow);
        label->SetController(&controller);
        controller.calls.clear();
        sxk::RecordedOperations().clear();
        du::SmartPtr<sxk::Markup> rebuilt;
        HostileViewer::LetGo() = [this] {
            shadow.reset();
            label.reset();
        };
        HostileViewer::Rebuild() = [this, &rebuilt] {
            rebuilt = label->ConstructShadow(view);
            shadow.reset();
        };
        HostileViewer::CallBack() = [](sxk::Markup& notifying) {
            if (auto* s = dynamic_cast<sxmk::CalloutLabelShadow*>(&notifying)) {
                static_cast<void>(s->GetPos());
                static_cast<void>(s->GetMarkup());
                s->MoveToLabel();
            }
        };
        HostileViewer::Set(c.behaviours);
        sxmk::DragDriver driver(*shadow);
        ASSERT_TRUE(driver.Start(dragger, 10, 10));
        driver.Move(14, 10);
        driver.Release();
        HostileViewer::Set(0);

        ASSERT_EQ(controller.calls.size(), 1u);
        ExpectPointNear(controller.calls[0].shadowPos, dg::DPoint3D(5.0, 2.0, 3.0));
        ASSERT_EQ(sxk::RecordedOperations().size(), 1u);
        EXPECT_EQ(controller.calls[0].operationName, ModulesText("99"));
        EXPECT_EQ(!shadow, c.shadowLetGo);
        sxk::RecordedOperations().clear();
        rebuilt.reset();
        shadow.reset();
        // A label the viewer let go of is gone with its shadow; the next case gets a new one.
        if (!label) {
            label = new sxmk::CalloutLabel;
            label->note = note;
        }
        EXPECT_EQ(du::RefCounted::LiveObjects(), objects);
    }
}

using CalloutAllocationSweep = testsupport::HostFixture;

// Fails pool allocation 1, 2, ... across building a label, its shadow and one drag, until the
// whole flow runs without reaching the failure. Every run must end clean.
TEST_F(CalloutAllocationSweep, ConstructionAndDragEndCleanWhicheverAllocationFails) {
    const std::size_t blocks = sxk::MemoryPoolAllocated::LiveBlocks();
    const long objects = du::RefCounted::LiveObjects();

    bool completed = false;
    for (std::size_t nth = 1; nth < 32 && !completed; ++nth) {
        SCOPED_TRACE(nth);
        callouttest::RecordingController sweepController;
        {
            du::SmartPtr<sxk::View> v(new sxk::View);
            sxk::MemoryPoolAllocated::FailAllocation(nth);
            du::SmartPtr<sxmk::CalloutLabel> l(new sxmk::CalloutLabel);
            du::SmartPtr<sxk::Markup> s;
            if (l) {
                l->note = new sxmu::ModelNote;
                l->SetController(&sweepController);
                s = l->ConstructShadow(v);
            }
            auto* calloutShadow = dynamic_cast<sxmk::CalloutLabelShadow*>(s.get());
            if (calloutShadow) {
                sxmk::DragDriver driver(*calloutShadow);
                ASSERT_TRUE(driver.Start(DraggerOf(*calloutShadow), 0, 0));
                driver.Move(1, 0);
                driver.Release();
                ExpectPointNear(calloutShadow->GetPos(), dg::DPoint3D(1.0, 0.0, 0.0));
                ASSERT_EQ(sweepController.calls.size(), 1u);
                const bool recorded = !sxk::RecordedOperations().empty();
                EXPECT_EQ(recorded, sweepController.calls.front().operation != nullptr);
            } else {
                EXPECT_TRUE(sxk::RecordedOperations().empty());
            }
            // Still pending: the flow needed fewer allocations, so it ran without a failure.
            completed = sxk::MemoryPoolAllocated::FailurePending();
            sxk::MemoryPoolAllocated::FailAllocation(0);
            if (completed) {
                EXPECT_TRUE(calloutShadow);
                EXPECT_EQ(sxk::RecordedOperations().size(), 1u);
            }
            sxk::RecordedOperations().clear();
        }
        EXPECT_EQ(sxk::MemoryPoolAllocated::LiveBlocks(), blocks);
        EXPECT_EQ(du::RefCounted::LiveObjects(), objects);
    }
    EXPECT_TRUE(completed);
}

}  // namespace
