#include <sxmk/CalloutLabelShadow.h>

#include <sxk/Operation.h>
#include <sxmk/MarkupData.h>

#include "DragOperation.h"
#include "Geometry.h"
#include "KeepAlive.h"
#include "ViewerAdapter.h"

namespace sxmk {

namespace {

dg::DPoint3D NotePosition(const du::SmartPtr<sxmu::ModelNote>& note) {
    return detail::IsSet(note) ? detail::PositionOf(note->location) : dg::DPoint3D::ORIGIN;
}

du::SmartPtr<sxk::Window> WindowOf(const du::SmartPtr<sxk::View>& view) {
    return detail::IsSet(view) ? view->GetWindow() : du::SmartPtr<sxk::Window>();
}

}  // namespace

CalloutLabelShadow::CalloutLabelShadow(const du::SmartPtr<sxk::View>& shadowView,
                                       CalloutLabel* calloutLabel,
                                       const du::SmartPtr<sxmu::ModelNote>& labelNote,
                                       const du::SmartPtr<sxmu::ModelNote>& descriptionNote,
                                       const du::SmartPtr<sxmu::ModelNote>& titleNote,
                                       const du::SmartPtr<sxk::Markup>& owner)
    : MarkupShadow(shadowView, true),
      label(calloutLabel),
      note(labelNote),
      ownerMarkup(owner),
      // Until a drag has stopped, the position asked for is where the label already is.
      pos(calloutLabel ? calloutLabel->GetPos() : dg::DPoint3D::ORIGIN) {
    // Without a note the dragger would have nothing to show and nothing to drag, so the shadow
    // stays without one and draws nothing.
    if (detail::IsSet(note))
        dragger = new sxmu::ModelNoteDragger(note, descriptionNote, titleNote);
    SetRefPoint(NotePosition(note));
    const du::SmartPtr<MarkupData> data(new MarkupData(this));
    data->SetModelBase(detail::Upcast<sxmu::ModelBase>(dragger));
    SetContent(data, false);
}

CalloutLabelShadow::~CalloutLabelShadow() {
    detail::Reset(ownerMarkup);
    detail::Reset(dragger);
    detail::Reset(note);
    detail::Reset(label);
}

dg::DPoint3D CalloutLabelShadow::GetPos() const {
    return pos;
}

void CalloutLabelShadow::MoveToLabel() {
    const detail::KeepAlive<CalloutLabelShadow> alive(this);
    if (detail::IsSet(dragger))
        dragger->ResetLocation();
    NotifyContentChanged();
}

du::SmartPtr<sxk::Markup> CalloutLabelShadow::GetMarkup() {
    if (detail::IsSet(ownerMarkup))
        return ownerMarkup;
    return detail::Upcast<sxk::Markup>(label);
}

bool CalloutLabelShadow::GetDragCursor(const du::SmartPtr<sxmu::ModelBase>& /*node*/,
                                       du::Symbol& cursor) const {
    cursor = dragCursorMove;
    return true;
}

bool CalloutLabelShadow::HandleDragStart() {
    const detail::KeepAlive<CalloutLabelShadow> alive(this);
    const du::SmartPtr<sxk::Window> window = WindowOf(view);
    if (detail::IsSet(window))
        window->SetCursor(dragCursorMove);
    return true;
}

void CalloutLabelShadow::HandleDragStep() {
    const detail::KeepAlive<CalloutLabelShadow> alive(this);
    BroadcastTranslate(dragVector);
    Translate(dragVector);
}

void CalloutLabelShadow::HandleDragStop() {
    const detail::KeepAlive<CalloutLabelShadow> alive(this);
    const du::SmartPtr<sxk::Scene> scene = detail::SceneOf(view);
    // Null when the pool has no memory: the drag still ends, but nothing is recorded.
    const du::SmartPtr<sxk::Operation> operation =
        detail::CreateDragOperation(scene, detail::kModulesStrings, detail::kMoveCalloutKey);
    if (BroadcastStop(dragVector, operation) > 0)
        detail::RenameDragOperation(operation, detail::kModulesStrings, detail::kMoveMarkupsKey);
    Stop(dragVector, operation);
    if (detail::IsSet(operation))
        sxk::RecordOperation(operation);
    const du::SmartPtr<sxk::Window> window = WindowOf(view);
    if (detail::IsSet(window))
        window->ResetCursor();
}

void CalloutLabelShadow::Translate(const dg::DVec3& delta) {
    const detail::KeepAlive<CalloutLabelShadow> alive(this);
    // The dragger shows its displacement in world space, so the delta is not converted.
    if (detail::IsSet(dragger))
        dragger->dragDisplacement = delta;
    NotifyContentChanged();
}

void CalloutLabelShadow::Stop(const dg::DVec3& delta,
                              const du::SmartPtr<sxk::Operation>& operation) {
    const detail::KeepAlive<CalloutLabelShadow> alive(this);
    dg::DVec3 objectDelta;
    GetDeltaInObjectSpace(objectDelta, delta);
    pos = detail::Add(detail::IsSet(label) ? label->GetPos() : dg::DPoint3D::ORIGIN, objectDelta);

    if (detail::IsSet(dragger))
        dragger->ResetLocation();
    SetRefPoint(NotePosition(note));

    if (sxk::MarkupController* labelController =
            detail::IsSet(label) ? label->GetController() : nullptr) {
        const bool changed = labelController->HandleShadowStop(
            detail::Upcast<sxk::Markup>(label), du::SmartPtr<sxk::Markup>(this), operation);
        // The controller moved the label: show the dragger at the label's new place.
        if (changed && detail::IsSet(dragger))
            dragger->ResetLocation();
    }
    NotifyContentChanged();
}

}  // namespace sxmk
