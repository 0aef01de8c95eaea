// A point drag: its steps, which move an end point with the line, and its drop, where an
// asynchronous pick under the pointer decides where the point lands and what it is attached to.
#include <sxmk/CenterLineXYZShadow.h>

#include <sxk/Instance.h>
#include <sxk/Kernel.h>
#include <sxk/View.h>
#include <sxk/illustration/SbomInstance.h>
#include <sxmk/Label.h>

#include "DragOperation.h"
#include "Geometry.h"
#include "HandleTable.h"
#include "KeepAlive.h"
#include "LineLayout.h"
#include "PickEvent.h"
#include "PoolNew.h"
#include "ViewerAdapter.h"

#include <cassert>
#include <cstddef>
#include <type_traits>
#include <utility>

namespace sxmk {

namespace {

using detail::Handle;
using detail::HandleSet;
using detail::IsIndexOf;

const du::Symbol kPickEventClassName("sxmk::CenterLineXYZShadowPickEvent");

// The row of the dragger when it drags an end point; null otherwise.
const detail::DraggerRow* PointRowOf(CenterLineXYZShadow::PickedDragger dragger) {
    const detail::DraggerRow* row = detail::RowOf(dragger);
    return row != nullptr && row->isPoint ? row : nullptr;
}

// The part instance that a shape shows. Its class is not named: only that a shape instance
// answers one, and what the instance answers.
using InstanceRef = std::decay_t<decltype(std::declval<const sxk::ShapeInstance&>().GetInstance())>;

// What the pick under a dropped point found: the first result that can take the point.
struct DropHit {
    enum Kind { Nothing, Part, Label, Markup };
    Kind kind = Nothing;
    dg::DPoint3D point;
    InstanceRef instance;                                        // Part only
    du::SmartPtr<sxk::illustration::SbomInstance> sbomInstance;  // Part only, when it has one
    sxmk::Label* label = nullptr;                                // Label only
};

DropHit PartHit(const sxk::PickResult& result, const sxk::Object& obj) {
    DropHit hit;
    hit.kind = DropHit::Part;
    hit.point = result.point;
    if (const auto* shape = dynamic_cast<const sxk::ShapeInstance*>(&obj))
        hit.instance = shape->GetInstance();
    if (detail::IsSet(hit.instance))
        hit.sbomInstance = hit.instance->GetSbomInstance();
    return hit;
}

// Walks the results front to back. A part takes the point; so does a label while the dragged
// node lies next to an end (labelsTakePoint); the centre-line handles never do; any other markup
// does.
DropHit ClassifyPick(const std::vector<sxk::PickResult>& results, bool labelsTakePoint) {
    for (const sxk::PickResult& result : results) {
        sxk::Object* obj = detail::Raw(result.object);
        if (obj == nullptr)
            continue;
        if (obj->IsATypeOf(sxk::ShapeInstance::CLASS_TYPE))
            return PartHit(result, *obj);
        if (!obj->IsATypeOf(sxk::Markup::CLASS_TYPE))
            continue;
        DropHit hit;
        hit.point = result.point;
        hit.label = labelsTakePoint ? dynamic_cast<sxmk::Label*>(obj) : nullptr;
        if (hit.label != nullptr) {
            hit.kind = DropHit::Label;
            return hit;
        }
        if (dynamic_cast<CenterLineXYZShadow*>(obj) != nullptr)
            continue;
        hit.kind = DropHit::Markup;
        return hit;
    }
    return DropHit();
}

// Whether the hit part is the record's own: the instance, its assembly entry or that entry's
// weld carries the record's part ID.
bool IsOnPart(const DropHit& hit, const du::Symbol& partID) {
    if (!detail::IsSet(hit.instance))
        return false;
    du::Symbol idSbom = du::Symbol::EMPTY;
    du::Symbol idWeld = du::Symbol::EMPTY;
    if (detail::IsSet(hit.sbomInstance)) {
        idSbom = hit.sbomInstance->GetIDPath();
        // The weld's class is not named: only that it has an ID path.
        const auto weld = hit.sbomInstance->GetWeld();
        if (detail::IsSet(weld))
            idWeld = weld->GetIDPath();
    }
    return hit.instance->GetIDPath() == partID || idSbom == partID || idWeld == partID;
}

// The selection item that records what a dropped end is attached to; null without a part.
du::SmartPtr<sxk::SelectionItem> SelectionItemOf(const DropHit& hit) {
    if (detail::IsSet(hit.sbomInstance))
        return sxk::illustration::SbomInstanceSelectionItem::Create(hit.sbomInstance);
    if (detail::IsSet(hit.instance))  // null when the pool has no memory
        return detail::PoolNew<sxk::ObjectSelectionItem>(detail::Upcast<sxk::Object>(hit.instance));
    return du::SmartPtr<sxk::SelectionItem>();
}

}  // namespace

// A point drag's steps and the one place that ends it. Reaches the shadow's private state as its
// friend; it is defined in this file only and exports nothing.
struct CenterLineXYZShadowPointDrag {
    // A step: the drawn line rebuilt with the dragged end moved by delta from where it is stored,
    // and that end's sphere where the point went (it stays where it is when the record cannot
    // rebuild, for a list without its layout).
    static void Step(CenterLineXYZShadow& s, bool atStart, const dg::DVec3& delta) {
        if (s.pickedNode == -1)
            return;
        s.points = s.lineStrip->points;
        const Handle sphere = detail::EndSphereOf(atStart);
        dg::DPoint3D q = HandleSet(s).PositionOf(sphere);
        if (atStart)
            s.markup->MoveStartPoint(delta, s.lineStrip->points, q);
        else
            s.markup->MoveEndPoint(delta, s.lineStrip->points, q);
        HandleSet::Place(s, sphere, q);
        s.NotifyContentChanged();
    }

    // Ends the drag with the point at pos. A drop that leaves the point where it is stored would
    // keep the extension that the drag collapsed, with no operation to undo that: it springs back
    // instead, which restores it.
    static void AtPoint(CenterLineXYZShadow& s, const dg::DPoint3D& pos) {
        if (detail::SamePoint(pos,
                              (*s.markup->GetPoints())[static_cast<std::size_t>(s.pickedNode)])) {
            SpringBack(s);
            return;
        }
        s.SetDragStopPosition(pos);
        s.SetArrowsDir();
    }

    // Ends the drag without moving the point: it keeps its stored place and gets back the
    // extension it had before the drag, the drawn line and the handle show the record again, and
    // the controller is told with a null operation. Used by the drop rules and by a failed pick.
    static void SpringBack(CenterLineXYZShadow& s) {
        const detail::DraggerRow* row = PointRowOf(s.pickedDragger);
        if (row == nullptr)
            return;
        const bool atStart = row->atStart;
        CenterLineXYZ& record = *s.markup;
        assert(s.sphereDraggers.size() == 2 && "a built shadow has both end spheres");
        if (!IsIndexOf(s.pickedNode, *record.GetPoints()))
            return;
        s.pickedNode = -1;
        // One rebuild with the saved extension; the stored list (extension rule included) is
        // what the line draws.
        s.points = s.lineStrip->points;
        if (atStart)
            record.MoveStartExt(s.savedStartExtention, s.points);
        else
            record.MoveEndExt(s.savedEndExtention, s.points);
        HandleSet::Place(s, row->handle, atStart ? record.GetStartPoint() : record.GetEndPoint());
        s.lineStrip->points = *record.GetPoints();
        // The arrows go back to the restored extended ends (a rebuild during the drag aimed them
        // at the collapsed ones).
        HandleSet::AimArrows(s);
        s.NotifyContentChanged();
        s.Stop(s.dragVector, du::SmartPtr<sxk::Operation>());
    }

    // The drop rules. The end point lands on whatever the pick found, springs back when it is
    // attached and the pick found nothing, and otherwise stays where it was released. The start
    // point moves only on its own part.
    static void Decide(CenterLineXYZShadow& s, const DropHit& hit) {
        const du::SmartPtr<sxk::SelectionItem> item = SelectionItemOf(hit);
        if (hit.kind == DropHit::Label)
            s.connectionTarget = hit.label;
        if (s.pickedDragger == CenterLineXYZShadow::EndPointDragger) {
            s.endPointItem = item;
            if (hit.kind != DropHit::Nothing)
                AtPoint(s, hit.point);
            else if (s.markup->IsEndPointAttached())
                SpringBack(s);
            else
                AtPoint(s, s.lineStrip->points[static_cast<std::size_t>(s.pickedNode)]);
        } else if (IsOnPart(hit, s.markup->GetPartID())) {
            s.startPointItem = item;
            AtPoint(s, hit.point);
        } else {
            SpringBack(s);
        }
    }

    // A completed pick: status 0 delivers the results, any other status springs back, so that a
    // failed pick does not leave the collapsed extension behind.
    static void Complete(CenterLineXYZShadow& s, int pickStatus,
                         const std::vector<sxk::PickResult>& results) {
        if (pickStatus == 0)
            s.OnReceivePick(results);
        else
            SpringBack(s);
    }
};

CenterLineXYZShadowPickEvent::CenterLineXYZShadowPickEvent(CenterLineXYZShadow* owner)
    : shadow(owner) {}

CenterLineXYZShadowPickEvent::~CenterLineXYZShadowPickEvent() {
    if (shadow != nullptr && shadow->pendingPick == this)
        CenterLineXYZShadowPendingDrop::Hold(*shadow, nullptr);
}

du::Symbol CenterLineXYZShadowPickEvent::GetClassName() const {
    return kPickEventClassName;
}

void CenterLineXYZShadowPickEvent::OnPickUpdate(int /*progress*/) {}

void CenterLineXYZShadowPickEvent::OnPickComplete(int pickStatus) {
    CenterLineXYZShadow* target = shadow;
    shadow = nullptr;  // a pick completes once
    if (target == nullptr)
        return;
    if (target->pendingPick == this)
        CenterLineXYZShadowPendingDrop::Hold(*target, nullptr);
    // The controller may let go of the shadow while the drop is handed to it.
    const detail::KeepAlive<CenterLineXYZShadow> alive(target);
    CenterLineXYZShadowPointDrag::Complete(*target, pickStatus, results);
}

void CenterLineXYZShadow::RequestPick(int x, int y) {
    sxk::Kernel* kernel = sxk::Kernel::GetKernel();
    sxk::ShapeView* shapeView = dynamic_cast<sxk::ShapeView*>(detail::Raw(view));
    if (kernel == nullptr || shapeView == nullptr) {
        OnReceivePick(std::vector<sxk::PickResult>());
        return;
    }
    unsigned int flags = sxk::PICK_ALL;
    if (!pickPhantoms)
        flags |= sxk::PICK_EXCLUDE_PHANTOM;

    // A newer request supersedes one that has not completed.
    CenterLineXYZShadowPendingDrop::LetGo(*this);
    // Held outside the try, so that the handler can tell a pick that was never delivered from one
    // that the viewer completed inside PickAsync.
    du::SmartPtr<CenterLineXYZShadowPickEvent> event;
    try {
        event = new CenterLineXYZShadowPickEvent(this);
        CenterLineXYZShadowPendingDrop::Hold(*this, detail::Raw(event));
        kernel->ManageObject(detail::Upcast<dom::ManagedObject>(event));
        shapeView->PickAsync(x, y, flags, detail::Upcast<sxk::PickEvent>(event));
    } catch (...) {
        // The pick could not be requested, so no completion will finish the drop: it springs
        // back as after a failed pick (extension restored, preview gone, controller told) before
        // the failure goes on to the viewer.
        const bool delivered = detail::IsSet(event) && pendingPick != detail::Raw(event);
        if (!delivered) {
            CenterLineXYZShadowPendingDrop::LetGo(*this);
            CenterLineXYZShadowPointDrag::SpringBack(*this);
        }
        throw;
    }
}

void CenterLineXYZShadowPendingDrop::Hold(CenterLineXYZShadow& shadow,
                                          CenterLineXYZShadowPickEvent* event) {
    shadow.pendingPick = event;
    CenterLineXYZShadow*& waiting = shadow.markup->pendingDrop;
    if (event != nullptr)
        waiting = &shadow;
    else if (waiting == &shadow)
        waiting = nullptr;
}

void CenterLineXYZShadowPendingDrop::LetGo(CenterLineXYZShadow& shadow) {
    if (shadow.pendingPick != nullptr)
        shadow.pendingPick->Detach();
    Hold(shadow, nullptr);
}

void CenterLineXYZShadowPendingDrop::Finish(CenterLineXYZShadow& shadow) {
    // Finishing hands the drop to the controller, which may let go of that shadow.
    const detail::KeepAlive<CenterLineXYZShadow> alive(&shadow);
    LetGo(shadow);
    shadow.OnReceivePick(std::vector<sxk::PickResult>());
}

void CenterLineXYZShadowPendingDrop::FinishBefore(CenterLineXYZShadow& starting) {
    if (CenterLineXYZShadow* const waiting = starting.markup->pendingDrop)
        Finish(*waiting);
    // The record names the latest drop only; the starting shadow's own may be an earlier one.
    if (starting.pendingPick != nullptr)
        Finish(starting);
}

void CenterLineXYZShadow::MoveStartPoint(const dg::DVec3& delta) {
    CenterLineXYZShadowPointDrag::Step(*this, true, delta);
}

void CenterLineXYZShadow::MoveEndPoint(const dg::DVec3& delta) {
    CenterLineXYZShadowPointDrag::Step(*this, false, delta);
}

void CenterLineXYZShadow::OnReceivePick(const std::vector<sxk::PickResult>& results) {
    const detail::KeepAlive<CenterLineXYZShadow> alive(this);
    // Only an open point drag has a point to drop, and only once: a result handed in again while
    // the drop is decided (from one of its notifications, or from the controller) changes
    // nothing.
    if (PointRowOf(pickedDragger) == nullptr || dropping)
        return;
    if (!IsIndexOf(pickedNode, *markup->GetPoints()) || !IsIndexOf(pickedNode, lineStrip->points))
        return;
    // A label takes the point while the dragged node is an end's slot.
    const bool onSlot = detail::LineLayout::IsSlot(pickedNode, lineStrip->points.size());
    struct Deciding {
        bool& flag;
        explicit Deciding(bool& f) : flag(f) { flag = true; }
        ~Deciding() { flag = false; }
    } deciding(dropping);
    CenterLineXYZShadowPointDrag::Decide(*this, ClassifyPick(results, onSlot));
}

void CenterLineXYZShadow::SetDragStopPosition(const dg::DPoint3D& pos) {
    // Only an open point drag has a point to place.
    const detail::DraggerRow* row = PointRowOf(pickedDragger);
    if (row == nullptr)
        return;
    const std::vector<dg::DPoint3D>& stored = *markup->GetPoints();
    if (!IsIndexOf(pickedNode, stored))
        return;
    const dg::DVec3 delta = detail::Diff(pos, stored[static_cast<std::size_t>(pickedNode)]);
    const du::SmartPtr<sxk::Scene> scene = detail::SceneOf(view);
    const du::SmartPtr<sxk::Operation> operation =
        detail::CreateDragOperation(scene, detail::kHarborAppStrings, detail::kMoveEndPointKey);

    if (row->atStart)
        MoveStartPoint(delta);
    else
        MoveEndPoint(delta);
    points = lineStrip->points;
    // From here the drop is the controller's: a rebuild meanwhile, from the controller or from
    // the notification below, shows what the controller made of it; however this ends (a
    // controller may throw), the drop is over.
    struct HandedOn {
        CenterLineXYZShadow& shadow;
        const DragPhase before;
        ~HandedOn() {
            shadow.dragPhase = before;
            shadow.pickedNode = -1;
        }
    } handedOn{*this, dragPhase};
    dragPhase = DragPhase::HandedOn;
    // A drop onto the point's own place changes nothing (NaN counts as a change).
    if (!detail::SameVector(delta, dg::DVec3::ZERO))
        Stop(dragVector, operation);
    NotifyContentChanged();
}

}  // namespace sxmk
