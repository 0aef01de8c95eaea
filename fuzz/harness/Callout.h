#pragma once

// Callout harness: one callout label, its scene and notes decoded, shown by one or two shadows
// (made by the label, or directly with an owner markup), driven by drags started on any node,
// pointer moves, releases, Translate and Stop as the framework sends them, scene and preference
// changes, a controller that answers either way (and moves the label when it says so), shadows
// that move together, shadows destroyed and made again, and pool failures armed at decoded
// points.
//
// Checked after every action:
//  - a drag shows the move cursor from its start, and the window's cursor is reset at its
//    release;
//  - a release records exactly one operation (none only when the armed pool failure took its
//    memory), named "99" of the modules catalog alone and "97" when other shadows moved with it;
//  - after a release or a Stop the note dragger shows at its notes again (no displacement left);
//  - GetDragCursor answers true with the move cursor for any node;
//  - a note takes the stored illustration scene's minimum callout size whenever it is applied;
// and at the end that the pool's live blocks and the live reference-counted objects are back
// where they started.

#include "ByteReader.h"
#include "Check.h"
#include "ShadowSlot.h"

#include <du/Localizer.h>
#include <du/SmartPtr.h>
#include <du/Symbol.h>
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
#include <memory>
#include <string>

namespace fuzzharness {

namespace callout {

using Shadow = sxmk::CalloutLabelShadow;

constexpr int kMaxSteps = 96;
constexpr int kSlots = 2;

// Answers as told; when it answers true it moves the label (if it has a note) to where the
// shadow asks, as the viewer's does.
class Controller : public sxk::MarkupController {
public:
    bool HandleShadowStop(const du::SmartPtr<sxk::Markup>& markup,
                          const du::SmartPtr<sxk::Markup>& shadow,
                          const du::SmartPtr<sxk::Operation>& /*operation*/) override {
        ++calls;
        auto* label = dynamic_cast<sxmk::Label*>(markup.get());
        auto* from = dynamic_cast<Shadow*>(shadow.get());
        if (!answer)
            return false;
        if (label && from && label->note)
            label->note->location.SetPos(from->GetPos());
        return true;
    }

    bool answer = false;
    int calls = 0;
};

using Slot = ShadowSlot<Shadow>;

inline sxmu::ModelNoteDragger* DraggerOf(const Shadow& shadow) {
    const sxmk::MarkupData* data = shadow.GetContent();
    return data ? dynamic_cast<sxmu::ModelNoteDragger*>(data->GetModelBase().get()) : nullptr;
}

class Run {
public:
    Run(ByteReader& bytes, Checker& checker) : in(bytes), check(checker) {}

    int Go() {
        if (!Setup())
            return 0;
        int step = 0;
        for (; step < kMaxSteps && !in.Empty() && !check.Failed(); ++step) {
            check.SetStep(step);
            Act();
        }
        Teardown();
        return step;
    }

private:
    bool Setup() {
        label = new sxmk::CalloutLabel;
        if (!label)
            return false;
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
        label->placement =
            dg::Location(in.Bool() ? dg::FMat33::IDENTITY : in.Rotation(), in.Point());
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
        for (auto& view : views)
            view = nullptr;
        label->SetController(nullptr);
        label = nullptr;
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

    sxmu::ModelBase* Node(Slot& slot) {
        switch (in.Below(4)) {
            case 0:
                return DraggerOf(*slot.shadow);
            case 1:
                return label->note.get();
            case 2:
                return nullptr;
            default: {
                Slot& other = slots[&slot == &slots[0] ? 1 : 0];
                return other.shadow ? DraggerOf(*other.shadow) : nullptr;
            }
        }
    }

    void Act() {
        Slot& slot = slots[in.Below(kSlots)];
        const int action = in.Below(16);
        if (!slot.shadow && action < 10)
            return;
        switch (action) {
            case 0:
            case 1: {
                // A new press ends the drag before it; the node is picked from what is shown
                // after that (the release may rebuild the handles).
                if (slot.driver->IsDragging())
                    Release(slot);
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
                CheckDraggerAtNotes(*slot.shadow, "a stop shows the dragger at its notes");
                break;
            }
            case 8:
                slot.shadow->MoveToLabel();
                CheckDraggerAtNotes(*slot.shadow, "MoveToLabel shows the dragger at its notes");
                break;
            case 9: {
                du::Symbol cursor("fuzz::untouched");
                const bool answer =
                    slot.shadow->GetDragCursor(du::SmartPtr<sxmu::ModelBase>(Node(slot)), cursor);
                check.Expect(answer && cursor == sxmk::dragCursorMove,
                             "GetDragCursor answers the move cursor for any node");
                break;
            }
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

    void Host() {
        switch (in.Below(6)) {
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
        const bool dragging = slot.driver->IsDragging();
        const std::size_t recorded = sxk::RecordedOperations().size();
        const bool failureArmed = sxk::MemoryPoolAllocated::FailurePending();
        int movedWith = 0;
        for (const auto& target : slot.shadow->broadcastTargets)
            movedWith += target && target.get() != slot.shadow.get() ? 1 : 0;

        slot.driver->Release();
        if (!dragging)
            return;
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
        CheckDraggerAtNotes(*slot.shadow, "a released drag shows the dragger at its notes");
        CheckCursor(slot, false);
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
    Controller controller;
    du::SmartPtr<sxmk::CalloutLabel> label;
    du::SmartPtr<sxk::Scene> storedScene;
    du::SmartPtr<sxk::View> views[2];
    Slot slots[kSlots];
};

}  // namespace callout

inline Outcome RunCallout(const std::uint8_t* data, std::size_t size) {
    return RunHarness<callout::Run, ByteReader>(data, size);
}

}  // namespace fuzzharness
