#pragma once

// Callout harness: one callout label, its scene and notes decoded, shown by one or two shadows
// (made by the label, or directly with an owner markup), driven by drags started on any node,
// pointer moves, releases, Translate and Stop as the framework sends them, scene and preference
// changes, a controller that answers either way (and moves the label when it says so), shadows
// that move together, shadows destroyed and made again, and pool failures armed at decoded
// points.
//
// An input may open with a hostile viewer's plan (HostilePlan.h): behaviours switched on and off
// before decoded steps and the hooks' options. The controller plays the behaviours after it has
// answered. LetGo drops the view's reference to the stopped shadow (and the label, with
// kLetGoOfMarkup), after which the harness drives that shadow no more; it makes a new one while
// it still holds the label, and ends the run once it holds neither the label nor a shadow.
// Rebuild shows the stopped shadow at its label again (MoveToLabel), or with
// kRebuildMakesNewShadow lets go of it and puts a new shadow of the label in its slot. CallBack
// asks the notifying shadow for its position, its markup and its drag cursor on the node the
// options choose.
//
// Checked after every action:
//  - a drag shows the move cursor from its start, and the window's cursor is reset at its
//    release;
//  - a release records exactly one operation (none only when the armed pool failure took its
//    memory), named "99" of the modules catalog alone and "97" when other shadows moved with it;
//  - after a release or a Stop the note dragger shows at its notes again (no displacement left);
//  - GetDragCursor answers true with the move cursor for any node, also while the shadow
//    notifies;
//  - a note takes the stored illustration scene's minimum callout size whenever it is applied;
// and at the end that the pool's live blocks and the live reference-counted objects are back
// where they started.

#include "ByteReader.h"
#include "Check.h"
#include "HostilePlan.h"
#include "ShadowSlot.h"

#include <du/Localizer.h>
#include <du/SmartPtr.h>
#include <du/Symbol.h>
#include <sxk/HostileViewer.h>
#include <sxk/Markup.h>
#include <sxk/MemoryPoolAllocated.h>
#include <sxk/Operation.h>
#include <sxk/Preferences.h>
#include <sxk/Scene.h>
#include <sxk/View.h>
#include <sxk/illustration/Illustration3dScene.h>
#include <sxmk/CalloutLabel.h>
#include <sxmk/CalloutLabelShadow.h>
#include <sxmk/CenterLineXYZ.h>
#include <sxmk/DragDriver.h>
#include <sxmk/Label.h>
#include <sxmk/MarkupData.h>
#include <sxmu/Model.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace fuzzharness {

namespace callout {

using Shadow = sxmk::CalloutLabelShadow;

constexpr int kMaxSteps = 96;
constexpr int kSlots = 2;

// Answers as told; when it answers true it moves the label (if it has a note) to where the
// shadow asks, as the viewer's does. Then it plays the hostile viewer's controller behaviours
// that are on, with stopped naming the shadow for the hooks.
class Controller : public sxk::MarkupController {
public:
    bool HandleShadowStop(const du::SmartPtr<sxk::Markup>& markup,
                          const du::SmartPtr<sxk::Markup>& shadow,
                          const du::SmartPtr<sxk::Operation>& /*operation*/) override {
        ++calls;
        auto* label = dynamic_cast<sxmk::Label*>(markup.get());
        auto* from = dynamic_cast<Shadow*>(shadow.get());
        if (answer && label && from && label->note)
            label->note->location.SetPos(from->GetPos());
        Shadow* const outer = stopped;
        stopped = from;
        sxk::HostileViewer::AfterShadowStop();
        stopped = outer;
        return answer;
    }

    bool answer = false;
    int calls = 0;
    Shadow* stopped = nullptr;
};

using Slot = ShadowSlot<Shadow>;

inline sxmu::ModelNoteDragger* DraggerOf(const Shadow& shadow) {
    const sxmk::MarkupData* data = shadow.GetContent();
    return data ? dynamic_cast<sxmu::ModelNoteDragger*>(data->GetModelBase().get()) : nullptr;
}

class Run {
public:
    Run(ByteReader& bytes, Checker& checker) : in(bytes), check(checker), hostile(bytes) {}

    int Go() {
        if (hostile.On())
            SetHooks();
        if (!Setup()) {
            Teardown();
            return 0;
        }
        int step = 0;
        for (; step < kMaxSteps && !in.Empty() && !check.Failed() && Label() != nullptr; ++step) {
            check.SetStep(step);
            hostile.Before(step, [](ByteReader&) {});
            Act();
            retired.clear();
            if (tracing)
                Trace(step);
        }
        Teardown();
        return step;
    }

private:
    void SetHooks() {
        sxk::HostileViewer::LetGo() = [this] {
            if (Slot* slot = SlotOf(controller.stopped))
                LetGoOfSlot(slots, *slot, retired);
            if (hostile.Has(kLetGoOfMarkup))
                label = nullptr;
        };
        sxk::HostileViewer::Rebuild() = [this] {
            Shadow* const shadow = controller.stopped;
            Slot* const slot = SlotOf(shadow);
            if (hostile.Has(kRebuildMakesNewShadow) && slot != nullptr && label) {
                LetGoOfSlot(slots, *slot, retired);
                if (sxk::Markup* made = label->ConstructShadow(views[slot->view]))
                    Attach(*slot, static_cast<Shadow*>(made));
            } else if (shadow != nullptr) {
                shadow->MoveToLabel();
            }
        };
        sxk::HostileViewer::CallBack() = [this](sxk::Markup& notifying) {
            auto* const shadow = dynamic_cast<Shadow*>(&notifying);
            if (shadow == nullptr)
                return;
            static_cast<void>(shadow->GetPos());
            static_cast<void>(shadow->GetMarkup());
            Shadow* other = nullptr;
            for (Slot& slot : slots)
                if (slot.shadow && slot.shadow.get() != shadow)
                    other = slot.shadow.get();
            CheckDragCursor(*shadow, NodeOf(*shadow, other, hostile.CallBackNode() % 4));
        };
    }

    // The slot that shows shadow; null when the harness no longer holds it.
    Slot* SlotOf(const Shadow* shadow) {
        for (Slot& slot : slots)
            if (shadow != nullptr && slot.shadow.get() == shadow)
                return &slot;
        return nullptr;
    }

    // The label while the harness holds it or drives a shadow, each of which holds it; null once
    // the viewer let go of both.
    sxmk::CalloutLabel* Label() {
        if (label)
            return label.get();
        for (Slot& slot : slots)
            if (slot.shadow)
                return seen;
        return nullptr;
    }

    bool Setup() {
        label = new sxmk::CalloutLabel;
        if (!label)
            return false;
        seen = label.get();
        if (in.Below(4) != 0) {
            label->note = new sxmu::ModelNote("note");
            label->note->location.SetPos(in.Point());
        }
        if (in.Bool())
            label->description = new sxmk::Description(
                in.Bool() ? du::SmartPtr<sxmu::ModelNote>(new sxmu::ModelNote("description"))
                          : nullptr);
        if (in.Bool())
            label->title = new sxmk::Title(
                in.Bool() ? du::SmartPtr<sxmu::ModelNote>(new sxmu::ModelNote("title")) : nullptr);
        // Read one by one, rotation first: arguments may be evaluated in any order.
        const dg::FMat33 rotation = in.Bool() ? dg::FMat33::IDENTITY : in.Rotation();
        label->placement = dg::Location(rotation, in.Point());
        SetScene();
        for (auto& view : views) {
            const std::uint8_t kind = in.U8();
            // Rarely no view at all: the shadow then has no window to set a cursor in.
            if (kind == 255)
                continue;
            view = kind % 3 == 0 ? du::SmartPtr<sxk::View>(new sxk::View)
                                 : du::SmartPtr<sxk::View>(new sxk::ShapeView);
            if (in.Below(4) == 0)
                view->window = nullptr;
        }
        for (int i = 0; i < kSlots; ++i) {
            slots[i].view = in.Below(2);
            if (i == 0 || in.Bool())
                Construct(slots[i]);
        }
        return true;
    }

    void Destroy(Slot& slot) { ReleaseSlot(slots, slot); }

    void Teardown() {
        for (Slot& slot : slots)
            Destroy(slot);
        retired.clear();
        for (auto& view : views)
            view = nullptr;
        if (label)
            label->SetController(nullptr);
        label = nullptr;
        seen = nullptr;
        // The hooks call into this run.
        sxk::HostileViewer::Reset();
    }

    du::SmartPtr<sxk::Scene> DecodedScene() {
        switch (in.Below(4)) {
            case 0:
            case 1: {
                du::SmartPtr<sxk::illustration::Illustration3dScene> scene(
                    new sxk::illustration::Illustration3dScene);
                scene->SetMinCalloutSize(static_cast<sxmu::ModelNote::MinimumSize>(in.Below(4)));
                return du::SmartPtr<sxk::Scene>(scene);
            }
            case 2:
                return du::SmartPtr<sxk::Scene>(new sxk::Scene);
            default:
                return nullptr;
        }
    }

    void SetScene() {
        storedScene = in.Bool() ? storedScene : DecodedScene();
        label->SetScene(storedScene);
        CheckMinimumSize(storedScene.get());
    }

    // The note carries the minimum size of the illustration scene just applied.
    void CheckMinimumSize(const sxk::Scene* applied) {
        const auto* illustration =
            dynamic_cast<const sxk::illustration::Illustration3dScene*>(applied);
        if (illustration && label->note)
            check.Expect(label->note->minimumSize == illustration->GetMinCalloutSize(),
                         "the note takes the scene's minimum callout size");
    }

    void Construct(Slot& slot) {
        slot.driver.reset();
        slot.shadow = nullptr;
        // Only the holder of the label can show it in a view.
        if (!label)
            return;
        const du::SmartPtr<sxk::View>& view = views[slot.view];
        if (in.Below(3) != 0) {
            slot.shadow = static_cast<Shadow*>(label->ConstructShadow(view));
        } else {
            // A shadow shown for an owning markup (another label, or a centre line).
            du::SmartPtr<sxk::Markup> owner;
            switch (in.Below(3)) {
                case 0:
                    owner = new sxmk::CalloutLabel;
                    break;
                case 1:
                    owner = new sxmk::CenterLineXYZ;
                    break;
                default:
                    break;
            }
            const du::SmartPtr<sxmu::ModelNote> none;
            void* memory = sxk::MemoryPoolAllocated::operator new(sizeof(Shadow));
            if (memory)
                slot.shadow =
                    ::new (memory) Shadow(view, label.get(), label->note, none, none, owner);
        }
        if (slot.shadow)
            slot.driver.reset(new sxmk::DragDriver(*slot.shadow));
    }

    void Attach(Slot& slot, Shadow* shadow) {
        slot.shadow = shadow;
        slot.driver.reset(new sxmk::DragDriver(*slot.shadow));
    }

    sxmu::ModelBase* Node(Slot& slot) {
        Slot& other = slots[&slot == &slots[0] ? 1 : 0];
        return NodeOf(*slot.shadow, other.shadow.get(), in.Below(4));
    }

    // The node that choice (0 to 3) names: own's dragger, the label's note, none, or other's
    // dragger.
    sxmu::ModelBase* NodeOf(const Shadow& own, const Shadow* other, int choice) {
        switch (choice) {
            case 0:
                return DraggerOf(own);
            case 1:
                return seen->note.get();
            case 2:
                return nullptr;
            default:
                return other ? DraggerOf(*other) : nullptr;
        }
    }

    void Act() {
        Slot& slot = slots[in.Below(kSlots)];
        const int action = in.Below(16);
        lastAction = action;
        lastSlot = &slot == &slots[0] ? 0 : 1;
        if (!slot.shadow && action < 10)
            return;
        switch (action) {
            case 0:
            case 1: {
                // A new press ends the drag before it; the node is picked from what is shown
                // after that (the release may rebuild the handles).
                if (slot.driver->IsDragging())
                    Release(slot);
                // The release may have made the viewer let go of the shadow.
                if (!slot.shadow)
                    break;
                sxmu::ModelBase* node = Node(slot);
                const int x = in.Pixel();
                slot.driver->Start(node, x, in.Pixel());
                CheckCursor(slot, true);
                break;
            }
            case 2:
            case 3: {
                const int x = in.Pixel();
                slot.driver->Move(x, in.Pixel());
                break;
            }
            case 4:
            case 5:
                Release(slot);
                break;
            case 6:
                slot.driver->Translate(in.Vec());
                break;
            case 7: {
                const du::SmartPtr<sxk::Operation> operation(
                    in.Bool() ? new sxk::Operation("move", nullptr, true) : nullptr);
                slot.driver->Stop(in.Vec(), operation);
                if (slot.shadow)
                    CheckDraggerAtNotes(*slot.shadow, "a stop shows the dragger at its notes");
                break;
            }
            case 8:
                slot.shadow->MoveToLabel();
                CheckDraggerAtNotes(*slot.shadow, "MoveToLabel shows the dragger at its notes");
                break;
            case 9:
                CheckDragCursor(*slot.shadow, Node(slot));
                break;
            case 10:
                if (slot.shadow) {
                    Destroy(slot);
                } else {
                    Construct(slot);
                }
                break;
            case 11:
                sxk::MemoryPoolAllocated::FailAllocation(static_cast<std::size_t>(1 + in.Below(8)));
                break;
            default:
                Host();
                break;
        }
    }

    // The host's calls on the label, made only while it holds the label.
    void Host() {
        const int change = in.Below(6);
        if (!label && change != 4)
            return;
        switch (change) {
            case 0:
                SetScene();
                break;
            case 1: {
                du::SmartPtr<sxk::Scene> scene = DecodedScene();
                label->SetPrefsFromScene(du::SmartPtr<sxk::illustration::Illustration3dScene>(
                    dynamic_cast<sxk::illustration::Illustration3dScene*>(scene.get())));
                CheckMinimumSize(scene.get());
                break;
            }
            case 2: {
                const du::SmartPtr<sxk::Preferences> preferences(new sxk::Preferences);
                label->OnApplyPreferences(preferences);
                CheckMinimumSize(storedScene.get());
                break;
            }
            case 3:
                controller.answer = in.Bool();
                label->SetController(in.Below(3) != 0 ? &controller : nullptr);
                break;
            case 4:
                for (int i = 0; i < kSlots; ++i) {
                    if (!slots[i].shadow)
                        continue;
                    slots[i].shadow->broadcastTargets.clear();
                    const int targets = in.Below(3);
                    for (int t = 0; t < targets; ++t)
                        slots[i].shadow->broadcastTargets.push_back(
                            du::SmartPtr<sxmk::MarkupShadow>(slots[in.Below(kSlots)].shadow));
                }
                break;
            default: {
                const dg::DVec3 delta = in.Vec();
                label->Translate(delta, label->placement);
                break;
            }
        }
    }

    void Release(Slot& slot) {
        const Shadow* const released = slot.shadow.get();
        const bool dragging = slot.driver->IsDragging();
        const std::size_t recorded = sxk::RecordedOperations().size();
        const bool failureArmed = sxk::MemoryPoolAllocated::FailurePending();
        int movedWith = 0;
        for (const auto& target : slot.shadow->broadcastTargets)
            movedWith += target && target.get() != slot.shadow.get() ? 1 : 0;

        slot.driver->Release();
        if (!dragging)
            return;
        // Let go of (or replaced) during its stop: the check below reads the shadow as released.
        const bool kept = slot.shadow.get() == released;
        const std::size_t added = sxk::RecordedOperations().size() - recorded;
        const bool failureHit = failureArmed && !sxk::MemoryPoolAllocated::FailurePending();
        check.Expect(added == 1 || (added == 0 && failureHit),
                     "a released drag records one operation");
        if (added == 1) {
            const std::string expected = du::Localizer("sxbase:sxmodulesStrings")
                                             .LocalizeMessage(movedWith > 0 ? "97" : "99", 0);
            check.Expect(sxk::RecordedOperations().back()->GetName() == expected,
                         "a drag's operation is named for one markup or for several");
        }
        if (kept)
            CheckDraggerAtNotes(*slot.shadow, "a released drag shows the dragger at its notes");
        CheckCursor(slot, false);
    }

    // ILLSXMK_FUZZ_TRACE=1 prints what each step did, for reading a found input.
    void Trace(int step) {
        std::fprintf(stderr, "step %d: slot %d action %d;", step, lastSlot, lastAction);
        if (hostile.On())
            std::fprintf(stderr, " hostile %#x options %#x;", sxk::HostileViewer::Active(),
                         hostile.Options());
        for (int i = 0; i < kSlots; ++i)
            std::fprintf(stderr, " [%d: %s]", i,
                         !slots[i].shadow                ? "none"
                         : slots[i].driver->IsDragging() ? "dragging"
                                                         : "shown");
        std::fprintf(stderr, " operations %zu, controller calls %d%s\n",
                     sxk::RecordedOperations().size(), controller.calls,
                     label ? "" : ", label let go");
    }

    void CheckDragCursor(const Shadow& shadow, sxmu::ModelBase* node) {
        du::Symbol cursor("fuzz::untouched");
        const bool answer = shadow.GetDragCursor(du::SmartPtr<sxmu::ModelBase>(node), cursor);
        check.Expect(answer && cursor == sxmk::dragCursorMove,
                     "GetDragCursor answers the move cursor for any node");
    }

    void CheckCursor(Slot& slot, bool dragging) {
        const du::SmartPtr<sxk::View>& view = views[slot.view];
        const du::SmartPtr<sxk::Window> window = view ? view->GetWindow() : nullptr;
        if (!window)
            return;
        check.Expect(window->currentCursor == (dragging ? sxmk::dragCursorMove : du::Symbol::EMPTY),
                     "the move cursor shows from a drag's start until its release");
    }

    void CheckDraggerAtNotes(const Shadow& shadow, const char* what) {
        if (const sxmu::ModelNoteDragger* dragger = DraggerOf(shadow))
            check.Expect(Same(dragger->dragDisplacement, dg::DVec3::ZERO), what);
    }

    ByteReader& in;
    Checker& check;
    HostilePlan hostile;
    Controller controller;
    // The harness's own reference to the label (the viewer's), and the label itself, which stays
    // valid while the label or a shadow is held (see Label).
    du::SmartPtr<sxmk::CalloutLabel> label;
    sxmk::CalloutLabel* seen = nullptr;
    du::SmartPtr<sxk::Scene> storedScene;
    du::SmartPtr<sxk::View> views[2];
    Slot slots[kSlots];
    // Drivers of shadows let go of during an action, destroyed after it.
    std::vector<std::unique_ptr<sxmk::DragDriver>> retired;
    const bool tracing = std::getenv("ILLSXMK_FUZZ_TRACE") != nullptr;
    int lastAction = -1;
    int lastSlot = 0;
};

}  // namespace callout

inline Outcome RunCallout(const std::uint8_t* data, std::size_t size) {
    return RunHarness<callout::Run, ByteReader>(data, size);
}

}  // namespace fuzzharness
