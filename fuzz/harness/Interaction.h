#pragma once

// Interaction harness: one centre-line record shown by one or two shadows, each in a view with a
// decoded camera, driven the way the viewer drives them. Decoded actions: preselection and its
// clearing on any node (handles, the line, the root, foreign nodes, another shadow's handles,
// null), drags started on any node and stepped with any pointer positions, releases, pick
// completions with decoded results (parts with and without an SBOM instance and a weld, labels,
// other markups, centre-line shadows, null objects) or a failure status, direct pick results,
// preference changes, MarkupChanged, Translate and Stop as the framework sends them, shadows
// destroyed (also while their pick is pending) and made again, a record rebuilt between drags,
// the kernel removed and installed, and pool failures armed at decoded points.
//
// An input may open with a hostile viewer's plan (HostilePlan.h): behaviours switched on and off
// before decoded steps, the hooks' options, and what a pick completed at once answers in each
// view (its own kind of change: the view, results decoded as for CompletePick, the status). The
// hooks: LetGo drops the view's reference to the stopped shadow (and the record's, with
// kLetGoOfMarkup), after which the harness drives that shadow no more; it makes a new one for
// the record while it still holds the record, and ends the run once it holds neither the record
// nor a shadow. Rebuild calls MarkupChanged on the stopped shadow. CallBack reads the notifying
// shadow's points, picked node, selection items, connection target and drag cursor for a node
// the options choose, and preselects that node or clears the preselection as they say. A release
// may then throw std::bad_alloc (the pick request or its kernel registration failed): the
// harness catches it, and the viewer goes on.
//
// Checked after every action, for every live shadow:
//  - the root container never holds a node twice, and holds only the shadow's own nodes;
//  - between its drags it shows the line and all four end handles, and perhaps the jog arrow
//    (5 or 6 children);
//  - a point drag that is over (released, no pick pending) has no picked node left;
//  - the drawn line has as many vertices as the record's stored list, whose size changes only
//    when the record is rebuilt;
//  - without a preselection highlight every handle shows its normal appearance sets;
//  - the drag cursor is the move cursor on handles and untouched elsewhere;
//  - the centre-line shadow records no operation itself (its controller does);
//  - while a shadow notifies, its picked node is -1 or a vertex of its drawn line, and its drag
//    cursor follows the rule above;
//  - a release throws only when the viewer failed its pick request, and then no pick waits and
//    no point is picked.
// After every action that leaves no drag open and no pick pending in any view, the values
// (CenterLineOracle.h): the record's persistent fields equal a model that only the stops with an
// operation and the harness's own edits change (a spring-back carries nothing); every finished
// drag handed its controller exactly one stop; a free end whose pick found nothing lands where
// it was released; a shadow built from the record as it is draws the stored list with every
// shown handle where the record puts it; and while the controller applies every stop as drawn,
// the stored list is the path of the record's own fields.
// At the end, once everything is released, the pool's live blocks and the live
// reference-counted objects are back where they started.
//
// An input may also go on (after the hostile plan, if any) with the extras of
// InteractionExtras.h: a controller that snaps or refuses a drop and may rebuild the stopped
// shadow, a second selected centre line whose shadow a jog stops along with its own (its
// controller may rebuild ours meanwhile), the host's edits of the record while drags and picks
// are open, and the host's layout change (the record's own path stored in the other mode, every
// shadow rebuilt).

#include "ByteReader.h"
#include "CenterLineOracle.h"
#include "CenterLineXYZShadowTestAccess.h"
#include "Check.h"
#include "HostilePlan.h"
#include "InteractionExtras.h"
#include "ShadowSlot.h"

#include <dg/Camera3D.h>
#include <dg/Location.h>
#include <du/SmartPtr.h>
#include <du/Symbol.h>
#include <sxk/HostileViewer.h>
#include <sxk/Instance.h>
#include <sxk/Kernel.h>
#include <sxk/Markup.h>
#include <sxk/MemoryPoolAllocated.h>
#include <sxk/Operation.h>
#include <sxk/Pick.h>
#include <sxk/Preferences.h>
#include <sxk/View.h>
#include <sxk/illustration/SbomInstance.h>
#include <sxmk/CenterLineXYZ.h>
#include <sxmk/CenterLineXYZShadow.h>
#include <sxmk/DragDriver.h>
#include <sxmk/Label.h>
#include <sxmu/Model.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

namespace fuzzharness {

namespace interaction {

using Shadow = sxmk::CenterLineXYZShadow;
using Access = sxmk::CenterLineXYZShadowTestAccess;

constexpr int kMaxSteps = 96;
constexpr int kSlots = 2;

// Identifier paths that records, instances, SBOM instances and welds take.
inline du::Symbol IdPath(int index) {
    static const char* const kPaths[] = {"", "/part/1", "/part/2", "/weld/7"};
    return du::Symbol(kPaths[index % 4]);
}

class Run;

// The markup's controller. Depending on its mode it only answers, applies the shadow's point
// list to the record as the viewer's controller does, or also rebuilds every shadow; then it plays
// the hostile viewer's controller behaviours that are on.
class Controller : public sxk::MarkupController {
public:
    explicit Controller(Run& owner) : run(owner) {}
    bool HandleShadowStop(const du::SmartPtr<sxk::Markup>& markup,
                          const du::SmartPtr<sxk::Markup>& shadow,
                          const du::SmartPtr<sxk::Operation>& operation) override;

    int mode = 0;

private:
    Run& run;
};

// The controller of another selected centre line, whose shadow the slots' shadows stop along with
// theirs: it applies nothing, and may rebuild the slots' shadows while it is handed the stop.
class SecondController : public sxk::MarkupController {
public:
    explicit SecondController(Run& owner) : run(owner) {}
    bool HandleShadowStop(const du::SmartPtr<sxk::Markup>& markup,
                          const du::SmartPtr<sxk::Markup>& shadow,
                          const du::SmartPtr<sxk::Operation>& operation) override;

private:
    Run& run;
};

using Slot = ShadowSlot<Shadow>;

class Run {
public:
    Run(ByteReader& bytes, Checker& checker)
        : in(bytes),
          check(checker),
          controller(*this),
          secondController(*this),
          hostile(bytes),
          extras(bytes),
          oracle(checker) {}

    int Go() {
        if (hostile.On())
            SetHooks();
        if (!Setup()) {
            Teardown();
            return 0;
        }
        int step = 0;
        for (; step < kMaxSteps && !in.Empty() && !check.Failed() && Record() != nullptr; ++step) {
            check.SetStep(step);
            hostile.Before(step, [this](ByteReader& plan) { AnswerAtOnce(plan); });
            poolArmed = sxk::MemoryPoolAllocated::FailurePending();
            nothingFound = false;
            Act();
            retired.clear();
            CheckAll();
            if (tracing)
                Trace(step);
        }
        Teardown();
        return step;
    }

    // Called by the controller with a shadow's finished drag: applies the shadow's point list to
    // the record as the viewer's controller does (snapped or refused, as the extras say), tells
    // the oracle, then rebuilds as the mode and the extras say.
    bool Apply(const du::SmartPtr<sxk::Markup>& markup, const du::SmartPtr<sxk::Markup>& from,
               const du::SmartPtr<sxk::Operation>& operation, int mode) {
        check.Expect(markup.get() == seen, "the controller is handed its own record");
        Shadow* const shadow = dynamic_cast<Shadow*>(from.get());
        check.Expect(shadow != nullptr, "the controller is handed a centre-line shadow");
        if (mode == 0 || shadow == nullptr || markup.get() != seen) {
            if (shadow != nullptr && markup.get() == seen)
                Stopped(*shadow, operation, false);
            return false;
        }
        // A stop without an operation (a spring-back) carries nothing to snap.
        bool applied = false;
        if (!extras.Has(kRefuseDrop)) {
            std::vector<dg::DPoint3D> list = shadow->GetPoints();
            const bool snap = extras.Has(kSnapDrop) && operation && list.size() >= 2;
            if (snap) {
                dg::DPoint3D& end = list[list.size() - 2];
                end = dg::DPoint3D(std::round(end.x), std::round(end.y), std::round(end.z));
            }
            seen->SetPoints(list);
            applied = !snap;
        }
        Stopped(*shadow, operation, applied);
        if (mode == 2)
            RebuildAll();
        if (extras.Has(kRebuildStopped))
            Rebuilt(*shadow);
        return applied;
    }

    // The second markup's controller: the slots' shadows rebuilt while it is handed the stop
    // that a jog broadcast.
    void SecondStopped() {
        if (extras.Has(kSecondRebuilds))
            RebuildAll();
    }

    // Called by the controller at the end of HandleShadowStop: the hooks act on that shadow.
    void AfterShadowStop(const du::SmartPtr<sxk::Markup>& from) {
        Shadow* const outer = stopped;
        stopped = dynamic_cast<Shadow*>(from.get());
        sxk::HostileViewer::AfterShadowStop();
        stopped = outer;
    }

private:
    void SetHooks() {
        sxk::HostileViewer::LetGo() = [this] { LetGo(); };
        sxk::HostileViewer::Rebuild() = [this] {
            if (stopped != nullptr)
                Rebuilt(*stopped);
        };
        sxk::HostileViewer::CallBack() = [this](sxk::Markup& notifying) { CallBack(notifying); };
    }

    // The viewer lets go of the stopped shadow (and of the record, when the options say so).
    void LetGo() {
        for (int i = 0; i < kSlots; ++i) {
            if (slots[i].shadow && slots[i].shadow.get() == stopped) {
                oracle.Forget(i);
                oracle.LoseTrack();
                LetGoOfSlot(slots, slots[i], retired);
            }
        }
        if (hostile.Has(kLetGoOfMarkup))
            record = nullptr;
    }

    // A notification calls back into the notifying shadow: its read-only accessors, then perhaps
    // a preselection change.
    void CallBack(sxk::Markup& notifying) {
        auto* const shadow = dynamic_cast<Shadow*>(&notifying);
        if (shadow == nullptr)
            return;
        static_cast<void>(shadow->GetPoints());
        const int picked = shadow->GetPickedNode();
        check.Expect(picked == -1 || (picked >= 0 && static_cast<std::size_t>(picked) <
                                                         Access::lineStrip(*shadow)->points.size()),
                     "a notifying shadow's picked node is -1 or a vertex of its drawn line");
        static_cast<void>(shadow->GetStartPointItem());
        static_cast<void>(shadow->GetEndPointItem());
        static_cast<void>(shadow->GetConnectionTarget());
        Shadow* other = nullptr;
        for (Slot& slot : slots)
            if (slot.shadow && slot.shadow.get() != shadow)
                other = slot.shadow.get();
        sxmu::ModelBase* const node = NodeOf(shadow, other, hostile.CallBackNode() % 12);
        CheckDragCursor(*shadow, node);
        if (hostile.Has(kCallBackHighlights))
            shadow->PreselectHighlight(du::SmartPtr<sxmu::ModelBase>(node));
        if (hostile.Has(kCallBackClears))
            shadow->ClearPreselectHighlight();
    }

    // The plan's own change: what a pick completed inside PickAsync answers in one view.
    void AnswerAtOnce(ByteReader& plan) {
        auto* shape = dynamic_cast<sxk::ShapeView*>(views[plan.Below(2)].get());
        std::vector<sxk::PickResult> results = PickResults(plan);
        const int status = plan.Below(4) == 0 ? static_cast<int>(plan.U8()) - 128 : 0;
        if (shape == nullptr)
            return;
        shape->atOnceResults = std::move(results);
        shape->atOnceStatus = status;
    }

    // The record while the harness holds it or drives a shadow, each of which holds it; null
    // once the viewer let go of both.
    sxmk::CenterLineXYZ* Record() {
        if (record)
            return record.get();
        for (Slot& slot : slots)
            if (slot.shadow)
                return seen;
        return nullptr;
    }

    bool Setup() {
        record = new sxmk::CenterLineXYZ;
        if (!record)
            return false;
        seen = record.get();
        oracle.SetScratch(new sxmk::CenterLineXYZ);
        Rebuild();
        du::Symbol part = IdPath(in.Below(4));
        record->SetPartID(part);
        record->SetEndPointAttached(in.Bool());
        // Read one by one, rotation first: arguments may be evaluated in any order.
        const dg::FMat33 rotation = in.Bool() ? dg::FMat33::IDENTITY : in.Rotation();
        record->placement = dg::Location(rotation, in.Point());
        controller.mode = in.Below(4);
        if (controller.mode < 3)
            record->SetController(&controller);
        // Modes 1 and 2 apply every stop as drawn unless the extras snap or refuse drops.
        const bool applies = (controller.mode == 1 || controller.mode == 2) &&
                             !extras.Has(kRefuseDrop) && !extras.Has(kSnapDrop);
        oracle.SetController(applies, controller.mode < 3);
        oracle.HarnessEdited(*record, false);
        foreign = new sxmu::ModelSphere;

        for (auto& view : views)
            view = MakeView();
        if (extras.Has(kSecondMarkup))
            MakeSecondMarkup();
        for (int i = 0; i < kSlots; ++i) {
            slots[i].view = in.Below(2);
            if (i == 0 || in.Bool())
                Construct(slots[i]);
        }
        return true;
    }

    // Another selected centre line, shown in the first view; reads no bytes.
    void MakeSecondMarkup() {
        second = new sxmk::CenterLineXYZ;
        if (!second)
            return;
        const unsigned short order[3] = {0, 1, 2};
        std::vector<dg::DPoint3D> list;
        second->BuildPoints(dg::DPoint3D(0.0, 0.0, 0.0), dg::DPoint3D(4.0, 2.0, 1.0), true, 1.0f,
                            1.0f, 0.5f, dg::Location(), order, list);
        second->SetPoints(list);
        second->SetController(&secondController);
        secondShadow = static_cast<Shadow*>(second->ConstructShadow(views[0]));
    }

    // The second markup's shadow moves with the slot's.
    void MovesWithSecond(Slot& slot) {
        if (slot.shadow && secondShadow)
            slot.shadow->broadcastTargets.push_back(du::SmartPtr<sxmk::MarkupShadow>(secondShadow));
    }

    void Destroy(Slot& slot) {
        const int i = &slot == &slots[0] ? 0 : 1;
        // A drag or a drop let go of midway keeps what it wrote into the record.
        if (slot.shadow && (slot.driver->IsDragging() || Access::pendingPick(*slot.shadow)))
            oracle.LoseTrack();
        oracle.Forget(i);
        ReleaseSlot(slots, slot);
    }

    void Teardown() {
        for (Slot& slot : slots)
            Destroy(slot);
        retired.clear();
        secondShadow = nullptr;
        if (second)
            second->SetController(nullptr);
        second = nullptr;
        oracle.SetScratch(nullptr);
        // The answers of picks completed at once may hold shadows, which hold their views.
        for (auto& view : views) {
            if (auto* shape = dynamic_cast<sxk::ShapeView*>(view.get()))
                shape->atOnceResults.clear();
            view = nullptr;
        }
        if (record)
            record->SetController(nullptr);
        record = nullptr;
        seen = nullptr;
        foreign = nullptr;
        // The hooks call into this run.
        sxk::HostileViewer::Reset();
    }

    du::SmartPtr<sxk::View> MakeView() {
        du::SmartPtr<sxk::View> view;
        const std::uint8_t kind = in.U8();
        // Rarely no view at all: the shadow must then neither draw its camera nor pick.
        if (kind == 255)
            return view;
        if (kind % 4 == 3) {
            view = new sxk::View;
        } else {
            du::SmartPtr<sxk::ShapeView> shape(new sxk::ShapeView);
            const dg::DPoint3D eye = in.Point();
            const dg::DPoint3D target = in.Point();
            const dg::DVec3 up = in.Bool() ? dg::DVec3(0.0, 1.0, 0.0) : in.Vec();
            const double extent = in.AnyDouble();
            const int width = static_cast<int>(in.U16() % 2048);
            const int height = static_cast<int>(in.U16() % 2048);
            shape->camera = in.Bool()
                                ? dg::Camera3D::Perspective(eye, target, up, extent, width, height)
                                : dg::Camera3D::Parallel(eye, target, up, extent, width, height);
            view = shape;
        }
        if (in.Below(4) != 0)
            view->defaultPreferences = MakePreferences();
        return view;
    }

    du::SmartPtr<sxk::Preferences> MakePreferences() {
        du::SmartPtr<sxk::Preferences> prefs(new sxk::Preferences);
        const char* const key = "General/Navigation/preselection_color";
        switch (in.Below(4)) {
            case 0: {
                const float r = in.AnyFloat();
                const float g = in.AnyFloat();
                const float b = in.AnyFloat();
                prefs->SetColor(key, dg::Color(r, g, b, in.AnyFloat()));
                break;
            }
            case 1:
                prefs->SetInt(key, static_cast<int>(in.U32()));
                break;
            case 2:
                prefs->SetText(key, "orange");
                break;
            default:
                break;
        }
        return prefs;
    }

    void Construct(Slot& slot) {
        slot.driver.reset();
        slot.shadow = nullptr;
        // Only the holder of the record can show it in a view.
        if (!record)
            return;
        sxk::Markup* made = record->ConstructShadow(views[slot.view]);
        slot.shadow = static_cast<Shadow*>(made);
        if (slot.shadow) {
            slot.driver.reset(new sxmk::DragDriver(*slot.shadow));
            oracle.Rebuilt(SlotIndex(slot), *seen);
            MovesWithSecond(slot);
        }
    }

    int SlotIndex(const Slot& slot) const { return &slot == &slots[0] ? 0 : 1; }
    int SlotOf(const Shadow* shadow) const {
        for (int i = 0; i < kSlots; ++i)
            if (shadow != nullptr && slots[i].shadow.get() == shadow)
                return i;
        return -1;
    }

    // Harness-called rebuilds: the oracle knows the shadow is drawn from the record as it is.
    void Rebuilt(Shadow& shadow) {
        shadow.MarkupChanged();
        const int i = SlotOf(&shadow);
        if (i >= 0 && slots[i].shadow)
            oracle.Rebuilt(i, *seen);
    }
    void RebuildAll() {
        for (Slot& slot : slots)
            if (slot.shadow)
                Rebuilt(*slot.shadow);
    }

    // Tells the oracle of a stop handed to the controller.
    void Stopped(Shadow& shadow, const du::SmartPtr<sxk::Operation>& operation, bool applied) {
        const int i = SlotOf(&shadow);
        const bool own = !frameworkStop && (releasing < 0 || releasing == i);
        const bool poolFailed = poolArmed && !sxk::MemoryPoolAllocated::FailurePending();
        oracle.Stopped(i, shadow, *seen, operation != nullptr, applied, own, poolFailed,
                       nothingFound);
    }

    // Builds and stores a new path in the record, as the host does when it edits the record.
    void Rebuild() {
        const dg::DPoint3D start = in.Point();
        const dg::DPoint3D end = in.Point();
        const bool mode = in.Bool();
        const float startExt = in.AnyFloat();
        const float endExt = in.AnyFloat();
        const float ratio = in.Bool() ? 0.5f : in.AnyFloat();
        const dg::FMat33 rotation = in.Bool() ? dg::FMat33::IDENTITY : in.Rotation();
        unsigned short order[3];
        in.AxisOrder(order);
        std::vector<dg::DPoint3D> list;
        const dg::Location frame(rotation, dg::DPoint3D());
        record->BuildPoints(start, end, mode, startExt, endExt, ratio, frame, order, list);
        record->SetPoints(list);
        storedSize = record->GetPoints()->size();
        oracle.SetPath(frame, order, ratio);
    }

    // Stores the path of the record's own fields in the other mode (straight or along the axes),
    // as the host does when the user switches the layout, and rebuilds every shadow.
    void Relayout() {
        std::vector<dg::DPoint3D> list;
        unsigned short order[3];
        oracle.Order(order);
        record->BuildPoints(record->GetStartPoint(), record->GetEndPoint(), !record->IsAlongAxis(),
                            record->GetStartExtention(), record->GetEndExtention(),
                            record->GetDivRation(), oracle.Frame(), order, list);
        record->SetPoints(list);
        storedSize = record->GetPoints()->size();
        oracle.SetPath(oracle.Frame(), order, record->GetDivRation());
        oracle.HarnessEdited(*record, AnyDragOrPick());
        RebuildAll();
    }

    bool AnyDragOrPick() {
        for (Slot& slot : slots)
            if (slot.shadow &&
                (slot.driver->IsDragging() || Access::pendingPick(*slot.shadow) != nullptr))
                return true;
        return false;
    }

    // A node for preselection or a drag: one of the shadow's, another shadow's, or none of them.
    sxmu::ModelBase* Node(Slot& slot) {
        Shadow* other = slots[&slot == &slots[0] ? 1 : 0].shadow.get();
        return NodeOf(slot.shadow.get(), other, in.Below(12));
    }

    // The node that choice (0 to 11) names: nodes of own or other, a foreign node, or none.
    sxmu::ModelBase* NodeOf(Shadow* own, Shadow* other, int choice) {
        Shadow* owner = choice >= 9 ? other : own;
        if (owner == nullptr)
            return nullptr;
        switch (choice % 9) {
            case 0:
                return Access::sphereDraggers(*owner)[0].get();
            case 1:
                return Access::sphereDraggers(*owner)[1].get();
            case 2:
                return Access::startExtensionAxis(*owner)->arrow.get();
            case 3:
                return Access::endExtensionAxis(*owner)->arrow.get();
            case 4:
                return Access::jogAxis(*owner)->arrow.get();
            case 5:
                return Access::lineStrip(*owner).get();
            case 6:
                return Access::rootContainer(*owner).get();
            case 7:
                return choice == 7 ? foreign.get() : seen->anchorNode.get();
            default:
                return nullptr;
        }
    }

    // A pick result's object: parts (with or without SBOM instance and weld), labels, other
    // markups, centre-line shadows, other objects, or none. Allocations may meet an armed pool
    // failure and give null objects, as the viewer's would.
    du::SmartPtr<sxk::Object> PickedObject(ByteReader& from) {
        switch (from.Below(9)) {
            case 0:
            case 1: {
                du::SmartPtr<sxk::Instance> instance(new sxk::Instance(IdPath(from.Below(4))));
                if (instance && from.Bool()) {
                    du::SmartPtr<sxk::illustration::SbomInstance> sbom(
                        new sxk::illustration::SbomInstance(IdPath(from.Below(4))));
                    if (sbom && from.Bool())
                        sbom->SetWeld(new sxk::illustration::Weld(IdPath(from.Below(4))));
                    instance->SetSbomInstance(sbom);
                }
                return du::SmartPtr<sxk::Object>(new sxk::ShapeInstance(instance));
            }
            case 2:
                return du::SmartPtr<sxk::Object>(new sxk::ShapeInstance(nullptr));
            case 3: {
                du::SmartPtr<sxmk::Label> label(new sxmk::Label);
                if (label && from.Bool())
                    label->note = new sxmu::ModelNote("label");
                return du::SmartPtr<sxk::Object>(label);
            }
            case 4:
                return du::SmartPtr<sxk::Object>(slots[from.Below(kSlots)].shadow);
            case 5:
                return from.Bool() ? du::SmartPtr<sxk::Object>(record)
                                   : du::SmartPtr<sxk::Object>(new sxmk::CenterLineXYZ);
            case 6:
                return du::SmartPtr<sxk::Object>(new sxk::Instance(IdPath(from.Below(4))));
            default:
                return nullptr;
        }
    }

    std::vector<sxk::PickResult> PickResults(ByteReader& from) {
        std::vector<sxk::PickResult> results(static_cast<std::size_t>(from.Below(5)));
        for (sxk::PickResult& result : results) {
            result.object = PickedObject(from);
            result.point = from.Point();
        }
        return results;
    }

    void Act() {
        Slot& slot = slots[in.Below(kSlots)];
        const int action = in.Below(20);
        lastAction = action;
        lastSlot = &slot == &slots[0] ? 0 : 1;
        // Only a few actions make sense without a shadow in the slot.
        if (!slot.shadow && action < 14)
            return;
        switch (action) {
            case 0:
            case 1:
                slot.shadow->PreselectHighlight(du::SmartPtr<sxmu::ModelBase>(Node(slot)));
                break;
            case 2:
                slot.shadow->ClearPreselectHighlight();
                break;
            case 3:
                DragCursor(slot);
                break;
            case 4:
            case 5: {
                // A new press ends the drag before it; the node is picked from what is shown
                // after that (the release may rebuild the handles).
                if (slot.driver->IsDragging())
                    Release(slot);
                // The release may have made the viewer let go of the shadow.
                if (!slot.shadow)
                    break;
                sxmu::ModelBase* node = Node(slot);
                const int x = in.Pixel();
                const int y = in.Pixel();
                // The press first finishes a drop still waiting for its pick, as one that found
                // nothing.
                const int i = SlotIndex(slot);
                const bool fresh = oracle.Fresh(i, *seen);
                // Two drags pressed at once (one per view, which a single pointer cannot do):
                // the stops carry what the other press collapsed, which its spring-back may put
                // back. The model follows the record once both are over.
                const Slot& other = slots[1 - i];
                if (other.shadow && other.driver && other.driver->IsDragging())
                    oracle.LoseTrack();
                nothingFound = Access::pendingPick(*slot.shadow) != nullptr;
                slot.driver->Start(node, x, y);
                nothingFound = false;
                if (slot.shadow)
                    oracle.Pressed(i, *slot.shadow, *seen, fresh);
                break;
            }
            case 6:
            case 7:
            case 8: {
                const int x = in.Pixel();
                slot.driver->Move(x, in.Pixel());
                break;
            }
            case 9:
            case 10:
                Release(slot);
                break;
            case 11:
                slot.shadow->OnApplyPreferences(MakePreferences());
                break;
            case 12:
                Rebuilt(*slot.shadow);
                break;
            case 13:
                if (in.Bool()) {
                    const dg::DVec3 delta = in.Vec();
                    // A move of the whole markup while its own drag is pressed takes a second
                    // pointer: the drag then measures from translated points (a jog reflects an
                    // extension point through one).
                    if (slot.driver->IsDragging())
                        oracle.LoseTrack();
                    slot.driver->Translate(delta);
                    if (slot.shadow)
                        oracle.Translated(SlotIndex(slot), *slot.shadow, delta);
                } else {
                    const du::SmartPtr<sxk::Operation> operation(
                        in.Bool() ? new sxk::Operation("move", nullptr, true) : nullptr);
                    const dg::DVec3 delta = in.Vec();
                    frameworkStop = true;
                    slot.driver->Stop(delta, operation);
                    frameworkStop = false;
                    if (slot.shadow)
                        oracle.MoveEnded(SlotIndex(slot));
                }
                break;
            case 14:
            case 15: {
                auto* shape = dynamic_cast<sxk::ShapeView*>(views[in.Below(2)].get());
                const std::vector<sxk::PickResult> results = PickResults(in);
                const int status = in.Below(4) == 0 ? static_cast<int>(in.U8()) - 128 : 0;
                nothingFound = results.empty() && status == 0;
                if (shape)
                    shape->CompletePick(results, status);
                break;
            }
            case 16:
                if (slot.shadow) {
                    const std::vector<sxk::PickResult> results = PickResults(in);
                    nothingFound = results.empty();
                    slot.shadow->OnReceivePick(results);
                }
                break;
            case 17:
                // The view lets go of its shadow (maybe with its pick on the way), or shows a
                // new one.
                if (slot.shadow) {
                    Destroy(slot);
                } else {
                    Construct(slot);
                }
                break;
            case 18:
                sxk::MemoryPoolAllocated::FailAllocation(static_cast<std::size_t>(1 + in.Below(8)));
                break;
            default:
                Host();
                break;
        }
    }

    // Changes on the host's side: the kernel, the record, the shadows that move together.
    void Host() {
        switch (in.Below(extras.On() ? 6 : 5)) {
            case 0:
                if (sxk::Kernel::GetKernel())
                    sxk::Kernel::Remove();
                else
                    sxk::Kernel::Install();
                break;
            case 1:
                // The host edits the record only while it holds it and, unless the extras say
                // otherwise, no shadow is busy with it.
                if (record && (extras.Has(kEditDuringDrags) || !AnyDragOrPick())) {
                    Rebuild();
                    oracle.HarnessEdited(*record, AnyDragOrPick());
                    RebuildAll();
                }
                break;
            case 2: {
                du::Symbol part = IdPath(in.Below(4));
                const bool attached = in.Bool();
                if (record) {
                    record->SetPartID(part);
                    record->SetEndPointAttached(attached);
                    oracle.SetAttachment(*record);
                }
                break;
            }
            case 3:
                // The shadows move together (both ways), or each alone.
                for (int i = 0; i < kSlots; ++i) {
                    if (!slots[i].shadow)
                        continue;
                    slots[i].shadow->broadcastTargets.clear();
                    if (in.Bool())
                        slots[i].shadow->broadcastTargets.push_back(
                            du::SmartPtr<sxmk::MarkupShadow>(slots[1 - i].shadow));
                    MovesWithSecond(slots[i]);
                }
                break;
            case 4:
                if (const du::SmartPtr<sxk::View>& view = views[in.Below(2)])
                    view->defaultPreferences = MakePreferences();
                break;
            default:
                if (record && (extras.Has(kEditDuringDrags) || !AnyDragOrPick()))
                    Relayout();
                break;
        }
    }

    void Release(Slot& slot) {
        // Stops of other shadows during a release are those a jog broadcast.
        releasing = SlotIndex(slot);
        struct Done {
            int& releasing;
            ~Done() { releasing = -1; }
        } done{releasing};
        try {
            // A release with no drag open does nothing: a waiting drop keeps where it was
            // released, moved by the Translates since.
            const bool open = slot.driver->IsDragging();
            slot.driver->Release();
            if (slot.shadow && open)
                oracle.Released(releasing, *slot.shadow);
        } catch (const std::bad_alloc&) {
            check.Expect(sxk::HostileViewer::IsOn(sxk::HostileViewer::PickRequestThrows) ||
                             sxk::HostileViewer::IsOn(sxk::HostileViewer::ManageObjectThrows),
                         "a release throws only when the viewer failed its pick request");
            // The drop could not ask for its pick: it sprang back instead of waiting.
            if (slot.shadow)
                check.Expect(Access::pendingPick(*slot.shadow) == nullptr &&
                                 slot.shadow->GetPickedNode() == -1,
                             "a drop whose pick request failed leaves no pick and no point");
        }
    }

    void DragCursor(Slot& slot) { CheckDragCursor(*slot.shadow, Node(slot)); }

    void CheckDragCursor(Shadow& shadow, sxmu::ModelBase* node) {
        const du::Symbol before("fuzz::untouched");
        du::Symbol cursor = before;
        const bool answer = shadow.GetDragCursor(du::SmartPtr<sxmu::ModelBase>(node), cursor);
        check.Expect(answer, "GetDragCursor always answers true");
        const bool handle = node != nullptr && IsHandle(shadow, node);
        check.Expect(cursor == (handle ? sxmk::dragCursorMove : before),
                     "the drag cursor is the move cursor on handles and untouched elsewhere");
    }

    static bool IsHandle(Shadow& shadow, const sxmu::ModelBase* node) {
        return node == Access::sphereDraggers(shadow)[0].get() ||
               node == Access::sphereDraggers(shadow)[1].get() ||
               node == Access::startExtensionAxis(shadow)->arrow.get() ||
               node == Access::endExtensionAxis(shadow)->arrow.get() ||
               node == Access::jogAxis(shadow)->arrow.get();
    }

    // ILLSXMK_FUZZ_TRACE=1 prints what each step did, for reading a found input.
    void Trace(int step) {
        std::fprintf(stderr, "step %d: slot %d action %d;", step, lastSlot, lastAction);
        if (hostile.On())
            std::fprintf(stderr, " hostile %#x options %#x;", sxk::HostileViewer::Active(),
                         hostile.Options());
        for (int i = 0; i < kSlots; ++i) {
            if (!slots[i].shadow) {
                std::fprintf(stderr, " [%d: none]", i);
                continue;
            }
            Shadow& shadow = *slots[i].shadow;
            std::fprintf(stderr, " [%d: dragger %d node %d children %zu%s%s]", i,
                         static_cast<int>(Access::pickedDragger(shadow)), shadow.GetPickedNode(),
                         Access::rootContainer(shadow)->GetChildren().size(),
                         slots[i].driver->IsDragging() ? " dragging" : "",
                         Access::pendingPick(shadow) ? " pick pending" : "");
        }
        if (sxmk::CenterLineXYZ* line = Record())
            std::fprintf(stderr, " ratio %g", static_cast<double>(line->GetDivRation()));
        std::fprintf(stderr, "%s\n", record ? "" : " record let go");
    }

    void CheckAll() {
        const sxmk::CenterLineXYZ* line = Record();
        if (line == nullptr)
            return;
        check.Expect(line->GetPoints()->size() == storedSize,
                     "the record's stored list keeps its size");
        check.Expect(sxk::RecordedOperations().empty(),
                     "the centre-line shadow leaves recording operations to its controller");
        for (Slot& slot : slots)
            if (slot.shadow)
                CheckShadow(slot);
        if (AnyDragOrPick())
            return;
        sxmk::CenterLineXYZShadow* const shadows[kSlots] = {slots[0].shadow.get(),
                                                            slots[1].shadow.get()};
        oracle.CheckQuiet(*seen, shadows);
    }

    void CheckShadow(Slot& slot) {
        Shadow& shadow = *slot.shadow;
        const std::vector<du::SmartPtr<sxmu::ModelBase>>& children =
            Access::rootContainer(shadow)->GetChildren();
        const sxmu::ModelBase* line = Access::lineStrip(shadow).get();
        const sxmu::ModelBase* jog = Access::jogAxis(shadow)->arrow.get();
        const sxmu::ModelBase* always[] = {line, Access::sphereDraggers(shadow)[0].get(),
                                           Access::sphereDraggers(shadow)[1].get(),
                                           Access::startExtensionAxis(shadow)->arrow.get(),
                                           Access::endExtensionAxis(shadow)->arrow.get()};
        bool distinct = true;
        bool known = true;
        for (std::size_t i = 0; i < children.size(); ++i) {
            for (std::size_t j = i + 1; j < children.size(); ++j)
                distinct = distinct && children[i] != children[j];
            const sxmu::ModelBase* child = children[i].get();
            known = known && (child == jog || IsHandle(shadow, child) || child == line);
        }
        check.Expect(distinct, "the root container never holds a node twice");
        check.Expect(known, "the root container holds only the shadow's own nodes");

        if (!slot.driver->IsDragging()) {
            bool allShown = children.size() == 5 || children.size() == 6;
            for (const sxmu::ModelBase* node : always)
                allShown = allShown && Access::rootContainer(shadow)->Contains(node);
            check.Expect(allShown, "between drags the line and every end handle are shown");
            const auto dragger = Access::pickedDragger(shadow);
            const bool pointDrag =
                dragger == Shadow::StartPointDragger || dragger == Shadow::EndPointDragger;
            if (pointDrag && Access::pendingPick(shadow) == nullptr)
                check.Expect(shadow.GetPickedNode() == -1,
                             "a point drag whose pick is over has no picked node left");
        }
        check.Expect(Access::lineStrip(shadow)->points.size() == storedSize,
                     "the drawn line has as many vertices as the stored list");
        if (!Access::preselectHighlighted(shadow))
            CheckNormalAppearance(shadow);
    }

    void CheckNormalAppearance(Shadow& shadow) {
        bool normal = true;
        for (const auto& sphere : Access::sphereDraggers(shadow))
            normal = normal &&
                     sphere->GetRenderAttrsVector() == Access::normalRenderAttrs(shadow) &&
                     sphere->fillAttrs == Access::normalFillAttrs(shadow);
        for (const du::SmartPtr<sxmk::TranslatorAxis>* axis :
             {&Access::jogAxis(shadow), &Access::startExtensionAxis(shadow),
              &Access::endExtensionAxis(shadow)}) {
            const sxmk::TranslatorAxis& a = **axis;
            const du::SmartPtr<sxmu::ModelArrowhead> head = a.arrow->GetArrowHead();
            normal = normal && a.arrow->GetRenderAttrsVector() == a.lineAttrs && head &&
                     head->GetRenderAttrsVector() == a.headAttrs && head->fillAttrs == a.headFill;
        }
        check.Expect(normal, "without a preselection highlight every handle looks normal");
    }

    ByteReader& in;
    Checker& check;
    Controller controller;
    SecondController secondController;
    HostilePlan hostile;
    InteractionExtras extras;
    ValueOracle oracle;
    // The second selected markup and its shadow (extras only).
    du::SmartPtr<sxmk::CenterLineXYZ> second;
    du::SmartPtr<Shadow> secondShadow;
    // The harness's own reference to the record (the viewer's), and the record itself, which
    // stays valid while the record or a shadow is held (see Record).
    du::SmartPtr<sxmk::CenterLineXYZ> record;
    sxmk::CenterLineXYZ* seen = nullptr;
    du::SmartPtr<sxmu::ModelBase> foreign;
    du::SmartPtr<sxk::View> views[2];
    Slot slots[kSlots];
    // Drivers of shadows let go of during an action, destroyed after it.
    std::vector<std::unique_ptr<sxmk::DragDriver>> retired;
    // The shadow whose stop the controller is handling, for the hooks.
    Shadow* stopped = nullptr;
    std::size_t storedSize = 0;
    const bool tracing = std::getenv("ILLSXMK_FUZZ_TRACE") != nullptr;
    int lastAction = -1;
    int lastSlot = 0;
    // What the current action is doing, for telling the oracle where a stop comes from: the slot
    // being released (-1 none), the harness's own framework Stop, a pick result that finds
    // nothing, and whether a pool failure was armed when it began.
    int releasing = -1;
    bool frameworkStop = false;
    bool nothingFound = false;
    bool poolArmed = false;
};

inline bool Controller::HandleShadowStop(const du::SmartPtr<sxk::Markup>& markup,
                                         const du::SmartPtr<sxk::Markup>& shadow,
                                         const du::SmartPtr<sxk::Operation>& operation) {
    const bool applied = run.Apply(markup, shadow, operation, mode);
    run.AfterShadowStop(shadow);
    return applied;
}

inline bool SecondController::HandleShadowStop(const du::SmartPtr<sxk::Markup>& /*markup*/,
                                               const du::SmartPtr<sxk::Markup>& /*shadow*/,
                                               const du::SmartPtr<sxk::Operation>& /*operation*/) {
    run.SecondStopped();
    return false;
}

}  // namespace interaction

inline Outcome RunInteraction(const std::uint8_t* data, std::size_t size) {
    return RunHarness<interaction::Run, ByteReader>(data, size);
}

}  // namespace fuzzharness
