// The drop of a dragged end point: an asynchronous pick under the pointer decides where the point
// lands and what it is attached to.
#include <sxmk/CenterLineXYZShadow.h>

#include <sxk/Instance.h>
#include <sxk/Kernel.h>
#include <sxk/View.h>
#include <sxk/illustration/SbomInstance.h>
#include <sxmk/Label.h>

#include "DragOperation.h"
#include "PickEvent.h"

#include <cstddef>

namespace sxmk {

namespace {

const du::Symbol kPickEventClassName("sxmk::CenterLineXYZShadowPickEvent");

bool IsIndexOf(int index, const std::vector<dg::DPoint3D>& list) {
    return index >= 0 && static_cast<std::size_t>(index) < list.size();
}

}  // namespace

CenterLineXYZShadowPickEvent::CenterLineXYZShadowPickEvent(CenterLineXYZShadow* owner)
    : shadow(owner) {}

CenterLineXYZShadowPickEvent::~CenterLineXYZShadowPickEvent() {
    if (shadow != nullptr && shadow->pendingPick == this)
        shadow->pendingPick = nullptr;
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
        target->pendingPick = nullptr;
    // The controller may let go of the shadow while the drop is handed to it.
    const du::SmartPtr<CenterLineXYZShadow> keepAlive(target);
    if (pickStatus == 0)
        target->OnReceivePick(results);
    else
        SpringBack(*target);  // a failed pick must not leave the collapsed extension behind
}

void CenterLineXYZShadowPickEvent::SpringBack(CenterLineXYZShadow& s) {
    const bool atStart = s.pickedDragger == CenterLineXYZShadow::StartPointDragger;
    if (!atStart && s.pickedDragger != CenterLineXYZShadow::EndPointDragger)
        return;
    CenterLineXYZ& record = *s.markup;
    if (!IsIndexOf(s.pickedNode, *record.GetPoints()) || s.sphereDraggers.size() < 2)
        return;

    const dg::DPoint3D home = (*record.GetPoints())[static_cast<std::size_t>(s.pickedNode)];
    s.SetDragStopPosition(home);
    if (atStart) {
        record.MoveStartExt(s.savedStartExtention, s.points);
        s.sphereDraggers[0]->location.SetPos(record.GetStartPoint());
    } else {
        record.MoveEndExt(s.savedEndExtention, s.points);
        s.sphereDraggers[1]->location.SetPos(record.GetEndPoint());
    }
    // Drawn as the record holds it again, extension rule included.
    s.lineStrip->points = *record.GetPoints();
    s.NotifyContentChanged();
    s.Stop(s.dragVector, du::SmartPtr<sxk::Operation>());
}

void CenterLineXYZShadow::RequestPick(int x, int y) {
    sxk::Kernel* kernel = sxk::Kernel::GetKernel();
    sxk::ShapeView* shapeView = dynamic_cast<sxk::ShapeView*>(view.get());
    if (kernel == nullptr || shapeView == nullptr) {
        OnReceivePick(std::vector<sxk::PickResult>());
        return;
    }
    unsigned int flags = sxk::PICK_ALL;
    if (!pickPhantoms)
        flags |= sxk::PICK_EXCLUDE_PHANTOM;

    // A newer request supersedes one that has not completed.
    if (pendingPick != nullptr)
        pendingPick->Detach();
    const du::SmartPtr<CenterLineXYZShadowPickEvent> event(new CenterLineXYZShadowPickEvent(this));
    pendingPick = event.get();
    kernel->ManageObject(du::SmartPtr<dom::ManagedObject>(event));
    shapeView->PickAsync(x, y, flags, du::SmartPtr<sxk::PickEvent>(event));
}

void CenterLineXYZShadow::OnReceivePick(const std::vector<sxk::PickResult>& results) {
    // Only an open point drag has a point to drop.
    if (pickedDragger != StartPointDragger && pickedDragger != EndPointDragger)
        return;
    if (!IsIndexOf(pickedNode, *markup->GetPoints()) || !IsIndexOf(pickedNode, lineStrip->points))
        return;
    const int n = static_cast<int>(lineStrip->points.size());

    bool found = false;
    bool samePart = false;
    dg::DPoint3D drop;
    du::SmartPtr<sxk::Instance> instance;
    du::SmartPtr<sxk::illustration::SbomInstance> sbomInstance;
    du::Symbol idSbom = du::Symbol::EMPTY;
    du::Symbol idWeld = du::Symbol::EMPTY;

    for (const sxk::PickResult& result : results) {
        sxk::Object* obj = result.object.get();
        if (obj == nullptr)
            continue;
        if (obj->IsATypeOf(sxk::ShapeInstance::CLASS_TYPE)) {
            drop = result.point;
            found = true;
            if (const auto* shape = dynamic_cast<const sxk::ShapeInstance*>(obj))
                instance = shape->GetInstance();
            if (instance) {
                sbomInstance = instance->GetSbomInstance();
                if (sbomInstance) {
                    idSbom = sbomInstance->GetIDPath();
                    if (const du::SmartPtr<sxk::illustration::Weld> weld = sbomInstance->GetWeld())
                        idWeld = weld->GetIDPath();
                }
                const du::Symbol idInstance = instance->GetIDPath();
                const du::Symbol& partID = markup->GetPartID();
                samePart = idInstance == partID || idSbom == partID || idWeld == partID;
            }
            break;
        }
        if (!obj->IsATypeOf(sxk::Markup::CLASS_TYPE))
            continue;
        Label* label = dynamic_cast<Label*>(obj);
        if (label != nullptr && (pickedNode == 1 || pickedNode == n - 2)) {
            connectionTarget = label;
            drop = result.point;
            found = true;
            break;
        }
        if (dynamic_cast<CenterLineXYZShadow*>(obj) != nullptr)
            continue;  // centre-line handles are no drop target
        drop = result.point;
        found = true;
        break;
    }

    du::SmartPtr<sxk::SelectionItem> item;
    if (sbomInstance)
        item = sxk::illustration::SbomInstanceSelectionItem::Create(sbomInstance);
    else if (instance)
        item = new sxk::ObjectSelectionItem(instance);  // null when the pool has no memory

    // A drop that leaves the point where it is stored would keep the extension that the drag
    // collapsed, with no operation to undo that: it springs back instead, which restores it.
    const auto dropAt = [this](const dg::DPoint3D pos) {
        if (pos == (*markup->GetPoints())[static_cast<std::size_t>(pickedNode)]) {
            CenterLineXYZShadowPickEvent::SpringBack(*this);
            return;
        }
        SetDragStopPosition(pos);
        SetArrowsDir();
    };
    if (pickedDragger == EndPointDragger) {
        endPointItem = item;
        if (found)
            dropAt(drop);
        else if (markup->IsEndPointAttached())
            CenterLineXYZShadowPickEvent::SpringBack(*this);
        else
            dropAt(lineStrip->points[static_cast<std::size_t>(pickedNode)]);  // where released
    } else if (samePart) {
        startPointItem = item;
        dropAt(drop);
    } else {
        // The start point moves only on its own part.
        CenterLineXYZShadowPickEvent::SpringBack(*this);
    }
}

void CenterLineXYZShadow::SetDragStopPosition(const dg::DPoint3D& pos) {
    // Only an open point drag has a point to place.
    if (pickedDragger != StartPointDragger && pickedDragger != EndPointDragger)
        return;
    const std::vector<dg::DPoint3D>& stored = *markup->GetPoints();
    if (!IsIndexOf(pickedNode, stored))
        return;
    const dg::DVec3 delta = pos - stored[static_cast<std::size_t>(pickedNode)];
    const du::SmartPtr<sxk::Scene> scene = view ? view->GetScene() : nullptr;
    const du::SmartPtr<sxk::Operation> operation =
        detail::CreateDragOperation(scene, detail::kHarborAppStrings, "MoveEndPointDragger");

    if (pickedDragger == StartPointDragger)
        MoveStartPoint(delta);
    else
        MoveEndPoint(delta);
    points = lineStrip->points;
    // A drop onto the point's own place changes nothing (NaN counts as a change).
    if (delta != dg::DVec3::ZERO)
        Stop(dragVector, operation);
    NotifyContentChanged();
    pickedNode = -1;
}

}  // namespace sxmk
