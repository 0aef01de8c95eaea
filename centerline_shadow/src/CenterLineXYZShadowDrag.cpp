// Handle dragging: which handle a drag grabbed, the preview at each pointer move, and the end of
// the drag that hands the result to the markup's controller.
#include <sxmk/CenterLineXYZShadow.h>

#include <sxk/Markup.h>
#include <sxk/View.h>

#include "Constants.h"
#include "DragOperation.h"
#include "Geometry.h"
#include "HandleTable.h"
#include "KeepAlive.h"
#include "LineLayout.h"
#include "PickEvent.h"
#include "ViewerAdapter.h"

#include <cassert>
#include <cmath>
#include <cstddef>

namespace sxmk {

namespace {

using detail::Handle;
using detail::HandleSet;
using detail::LineLayout;

// The extension of one end of the record.
float ExtensionOf(const CenterLineXYZ& record, bool atStart) {
    return atStart ? record.GetStartExtention() : record.GetEndExtention();
}

// A released jog names its operation by whether other markups moved along with it.
void NameJogOperation(const du::SmartPtr<sxk::Operation>& operation, bool movedOthers) {
    if (movedOthers)
        detail::RenameDragOperation(operation, detail::kModulesStrings, detail::kMoveMarkupsKey);
    else
        detail::RenameDragOperation(operation, detail::kHarborAppStrings, detail::kMoveJogKey);
}

// Puts the end slots of a line with its full layout where the end spheres are.
void PinEndSlots(std::vector<dg::DPoint3D>& line, const HandleSet& handles) {
    const std::size_t n = line.size();
    if (n < LineLayout::kFewestPoints)
        return;
    line[LineLayout::SlotIndex(true, n)] = handles.PositionOf(Handle::StartSphere);
    line[LineLayout::SlotIndex(false, n)] = handles.PositionOf(Handle::EndSphere);
}

// Pointer motion since the drag began, projected on the window direction of the axis and taken
// back into object space along axisVector.
dg::DVec3 ConstrainedDisplacement(int dx, int dy, const dg::DVec3& screenAxis,
                                  double screenAxisLength, const dg::DVec3& axisVector) {
    // An axis seen end-on (or one that could not be measured) has no window direction to
    // follow: the step then moves nothing instead of dividing by (nearly) zero.
    if (!(screenAxisLength >= detail::kNearZero) || !std::isfinite(screenAxisLength))
        return dg::DVec3::ZERO;
    const double s =
        static_cast<double>(dx) * screenAxis.x + static_cast<double>(dy) * screenAxis.y;
    const dg::DVec3 d = detail::Scale(axisVector, s * (1.0 / screenAxisLength));
    if (!std::isfinite(d.x) || !std::isfinite(d.y) || !std::isfinite(d.z))
        return dg::DVec3::ZERO;
    return d;
}

}  // namespace

bool CenterLineXYZShadow::HandleDragStart() {
    const detail::KeepAlive<CenterLineXYZShadow> alive(this);
    // Which handle the press grabbed is read from the handles as they are now: finishing a
    // pending drop below hands it to the controller, which may rebuild the shadow with new nodes.
    assert(sphereDraggers.size() == 2 && "a built shadow has both end spheres");
    const detail::DraggerRow* grabbed = HandleSet(*this).Find(draggedNode);

    // A drop of this record whose pick has not come back, in this view or another: finish it as a
    // pick that found nothing, so that its late result cannot land on this drag and neither drag
    // saves an extension that the other has collapsed.
    CenterLineXYZShadowPendingDrop::FinishBefore(*this);
    pickedNode = -1;
    pickedDragger = NoDragger;
    jogMoved = false;
    jogDisplacement = dg::DVec3::ZERO;
    translatedBy = dg::DVec3::ZERO;
    points = lineStrip->points;
    jogAnchored = detail::StoredJogOf(*markup, jogOrigin);

    // A line without its full layout has no nodes to move: nothing is grabbed.
    if (grabbed != nullptr && points.size() >= LineLayout::kFewestPoints) {
        pickedDragger = grabbed->dragger;
        // An end's point or arrow: remember the end's extension, which a point drag collapses.
        if (grabbed->handle != Handle::JogArrow) {
            pickedNode = detail::MovedIndex(pickedDragger, points.size(), -1);
            (grabbed->atStart ? savedStartExtention : savedEndExtention) =
                ExtensionOf(*markup, grabbed->atStart);
            if (grabbed->isPoint)
                ResetExtention();
        }
    }
    SetOff(pickedDragger);
    // Open only once the start has succeeded: a start that throws leaves no drag to carry.
    dragPhase = DragPhase::Pressed;
    return true;
}

void CenterLineXYZShadow::HandleDragStep() {
    const detail::KeepAlive<CenterLineXYZShadow> alive(this);
    const int dx = dragX - dragStartX;
    const int dy = dragY - dragStartY;
    dg::DVec3 d;
    switch (pickedDragger) {
        case StartPointDragger:
            GetDeltaInObjectSpace(d, dragVector);
            MoveStartPoint(d);
            break;
        case EndPointDragger:
            GetDeltaInObjectSpace(d, dragVector);
            MoveEndPoint(d);
            break;
        case StartExtensionDragger:
        case EndExtensionDragger: {
            const bool atStart = pickedDragger == StartExtensionDragger;
            SetupConstrainedDragParameters(
                dg::FVec3(atStart ? startExtensionDir : endExtensionDir));
            // The arrow goes where the pointer takes it, and the whole markup's move not stopped
            // yet carries it with the rest of the drawn line.
            const dg::DVec3 moved = detail::Sum(
                ConstrainedDisplacement(dx, dy, screenAxis, screenAxisLength, axisVector),
                translatedBy);
            MoveNode(atStart ? 0 : pickedNode, moved);
            NotifyContentChanged();
            break;
        }
        case JogDragger:
            if (draggedNode == detail::Raw(markup->anchorNode))
                break;
            SetupConstrainedDragParameters(dg::FVec3(markup->GetMainAxisDirection()));
            ChangeRatio(ConstrainedDisplacement(dx, dy, screenAxis, screenAxisLength, axisVector));
            break;
        case NoDragger:
            break;
    }
}

void CenterLineXYZShadow::HandleDragStop() {
    const detail::KeepAlive<CenterLineXYZShadow> alive(this);
    // The release ends the drag however it ends, a failure of the viewer's included; a point
    // drag's drop stays open through pickedNode.
    struct Ended {
        DragPhase& phase;
        ~Ended() { phase = DragPhase::Idle; }
    } ended{dragPhase};
    SetOn(pickedDragger);
    if (dragPhase == DragPhase::Pressed)
        dragPhase = DragPhase::Releasing;
    const du::SmartPtr<sxk::Scene> scene = detail::SceneOf(view);
    const du::SmartPtr<sxk::Operation> operation =
        detail::CreateDragOperation(scene, detail::kHarborAppStrings, detail::kMoveExtensionKey);

    switch (pickedDragger) {
        case StartExtensionDragger:
        case EndExtensionDragger: {
            std::vector<dg::DPoint3D>& drawn = lineStrip->points;
            if (drawn.empty())
                break;
            // The extension is the released arrow's distance from its end point, negative when
            // the arrow lies on the inner side.
            const bool atStart = pickedDragger == StartExtensionDragger;
            // Measured where the record holds the line: the drawn arrow carries the move of the
            // whole markup not stopped yet, the end spheres do not.
            const dg::DPoint3D extended =
                detail::Add(atStart ? drawn.front() : drawn.back(), detail::Negated(translatedBy));
            const dg::DPoint3D end = HandleSet(*this).PositionOf(detail::EndSphereOf(atStart));
            const float e = static_cast<float>(dg::Distance(extended, end)) *
                            (IsNegativeExtention(extended) ? -1.0f : 1.0f);
            if (atStart) {
                markup->MoveStartExt(e, points);
                SetStartExtensionDir();
            } else {
                markup->MoveEndExt(e, points);
                SetEndExtensionDir();
            }
            dragPhase = DragPhase::HandedOn;
            Stop(dragVector, operation);
            break;
        }
        case JogDragger: {
            if (draggedNode == detail::Raw(markup->anchorNode))
                break;
            NameJogOperation(operation, BroadcastStop(dragVector, operation) > 0);
            // The line as drawn, less the whole markup's move that the framework has not stopped
            // yet: that move's own Stop hands it on.
            points = lineStrip->points;
            detail::MoveAll(points, detail::Negated(translatedBy));
            PinEndSlots(points, HandleSet(*this));
            dragPhase = DragPhase::HandedOn;
            Stop(dragVector, operation);
            SetArrowsDir();
            break;
        }
        case StartPointDragger:
        case EndPointDragger:
            // The drop point comes from a pick; the drop creates its own operation.
            dragPhase = DragPhase::Idle;
            if (dynamic_cast<sxk::ShapeView*>(detail::Raw(view)) != nullptr)
                RequestPick(dragX, dragY);
            else
                OnReceivePick(std::vector<sxk::PickResult>());
            break;
        case NoDragger:
            break;
    }
    // A move of the whole markup still going on hands on its own result at its Stop: the line as
    // the record now holds it, moved.
    if (dragPhase == DragPhase::HandedOn && !detail::SameVector(translatedBy, dg::DVec3::ZERO)) {
        points = *markup->GetPoints();
        detail::MoveAll(points, translatedBy);
    }
}

void CenterLineXYZShadow::Stop(const dg::DVec3& /*delta*/,
                               const du::SmartPtr<sxk::Operation>& operation) {
    const detail::KeepAlive<CenterLineXYZShadow> alive(this);
    // A move of the whole markup ends here; the next starts from no displacement. The shadow's
    // own hand-on of a handle drag ends no move.
    if (dragPhase != DragPhase::HandedOn)
        translatedBy = dg::DVec3::ZERO;
    sxk::MarkupController* const handler = markup->GetController();
    if (handler == nullptr)
        return;
    handler->HandleShadowStop(du::SmartPtr<sxk::Markup>(markup), du::SmartPtr<sxk::Markup>(this),
                              operation);
}

void CenterLineXYZShadow::Translate(const dg::DVec3& delta) {
    const detail::KeepAlive<CenterLineXYZShadow> alive(this);
    dg::DVec3 d;
    GetDeltaInObjectSpace(d, delta);
    // A displacement that is not finite has nowhere to put the markup: the line stays as it is.
    if (!std::isfinite(d.x) || !std::isfinite(d.y) || !std::isfinite(d.z))
        return;
    points = lineStrip->points;
    // What the move adds since its last Translate, d being the whole move's.
    const dg::DVec3 step =
        detail::Vec(d.x - translatedBy.x, d.y - translatedBy.y, d.z - translatedBy.z);
    translatedBy = d;
    // A jog drag's press anchor moves with the markup, so that its next step or rebuild puts the
    // jog under the pointer on the moved line, also once the viewer stores the moved path. (It is
    // set again at each press, so moving it outside a jog drag does nothing.)
    jogOrigin = detail::Add(jogOrigin, step);
    // An open drag moves with the markup as a whole, its preview included, so that a drop waiting
    // for its pick lands where it was released, moved too. Otherwise the drawn line is the record
    // moved by d.
    const detail::DraggerRow* row = nullptr;
    dg::DPoint3D previewAt;
    if (HandleSet::OpenPreview(*this, row, previewAt)) {
        for (dg::DPoint3D& p : lineStrip->points)
            p = detail::Add(p, step);
        HandleSet::Place(*this, row->handle,
                         detail::Add(HandleSet(*this).PositionOf(row->handle), step));
    } else {
        const int n = static_cast<int>(points.size());
        for (int i = 0; i < n; ++i)
            MoveNode(i, d);
    }
    NotifyContentChanged();
}

void CenterLineXYZShadow::MoveNode(int index, const dg::DVec3& delta) {
    const std::vector<dg::DPoint3D>& stored = *markup->GetPoints();
    std::vector<dg::DPoint3D>& drawn = lineStrip->points;
    if (!detail::IsIndexOf(index, stored) || !detail::IsIndexOf(index, drawn))
        return;
    const dg::DPoint3D p = detail::Add(stored[static_cast<std::size_t>(index)], delta);
    // The dragged handle follows its own node only: Translate moves every node through here, and
    // the handle must not end up on whichever node came last.
    const detail::DraggerRow* row = detail::RowOf(pickedDragger);
    if (row != nullptr &&
        index == detail::MovedIndex(pickedDragger, drawn.size(), markup->GetMidPointIndex()))
        HandleSet::Place(*this, row->handle, p);
    drawn[static_cast<std::size_t>(index)] = p;
}

void CenterLineXYZShadow::MoveExternalNode(int index, const dg::DVec3& delta) {
    if (pickedNode != -1)
        return;
    std::vector<dg::DPoint3D>& stored = *markup->GetPoints();
    std::vector<dg::DPoint3D>& drawn = lineStrip->points;
    if (!detail::IsIndexOf(index, stored) || !detail::IsIndexOf(index, drawn))
        return;
    const std::size_t i = static_cast<std::size_t>(index);
    stored[i] += delta;
    drawn[i] = stored[i];
}

void CenterLineXYZShadow::ResetExtention() {
    std::vector<dg::DPoint3D>& drawn = lineStrip->points;
    const std::size_t n = drawn.size();
    const detail::DraggerRow* row = detail::RowOf(pickedDragger);
    assert(sphereDraggers.size() == 2 && "a built shadow has both end spheres");
    if (n < LineLayout::kFewestPoints || row == nullptr || !row->isPoint)
        return;
    const bool atStart = row->atStart;
    if (!(std::fabs(ExtensionOf(*markup, atStart)) > detail::kNearZeroF))
        return;
    // The end's extension point and slot both go to the end point.
    drawn[LineLayout::ExtensionIndex(atStart, n)] = drawn[LineLayout::SlotIndex(atStart, n)] =
        HandleSet(*this).PositionOf(row->handle);
    markup->ResetExtentions(atStart ? 0.0f : markup->GetStartExtention(),
                            atStart ? markup->GetEndExtention() : 0.0f);
}

bool CenterLineXYZShadow::IsNegativeExtention(const dg::DPoint3D& p) {
    const detail::DraggerRow* row = detail::RowOf(pickedDragger);
    assert(sphereDraggers.size() == 2 && "a built shadow has both end spheres");
    if (row == nullptr || !detail::IsExtensionArrow(row->handle))
        return false;
    const dg::DVec3& dir = row->atStart ? startExtensionDir : endExtensionDir;
    const dg::DPoint3D& end = HandleSet(*this).PositionOf(detail::EndSphereOf(row->atStart));
    return detail::Dot(detail::Diff(p, end), dir) < 0.0;
}

}  // namespace sxmk
