// The centre-line shadow: construction of its display model, rebuilding and accessors.
#include <sxmk/CenterLineXYZShadow.h>

#include <sxmk/MarkupData.h>

#include "Constants.h"
#include "Geometry.h"
#include "HandleTable.h"
#include "KeepAlive.h"
#include "LineLayout.h"
#include "PickEvent.h"
#include "PreselectionColour.h"
#include "ViewerAdapter.h"

#include <cstddef>
#include <new>

namespace sxmk {

namespace {

using detail::Handle;
using detail::HandleSet;

// The drawn centre line, empty: a line strip in world units with the centre-line appearance.
du::SmartPtr<sxmu::ModelLineStrip> MakeLineStrip() {
    du::SmartPtr<sxmu::ModelLineStrip> line(new sxmu::ModelLineStrip(detail::kLineStripKind));
    line->SetRenderAttrsByIndex(detail::kLineStripRenderAttrs);
    line->screenSized = false;
    line->screenSizeOption1 = 0;
    line->screenSizeOption2 = 0;
    return line;
}

// The preselection colour of the view's default preferences, or the default handle colour.
dg::Color PreselectionColourOf(const du::SmartPtr<sxk::View>& view) {
    du::SmartPtr<sxk::Preferences> preferences;
    if (detail::IsSet(view))
        static_cast<void>(view->GetDefaultPreferences(preferences));
    dg::Color colour = defaultHandleColor;
    static_cast<void>(ReadPreselectionColour(preferences, colour));
    return colour;
}

}  // namespace

CenterLineXYZShadow::CenterLineXYZShadow(const du::SmartPtr<sxk::View>& shadowView,
                                         CenterLineXYZ* centerLine)
    : MarkupShadow(shadowView, true),
      markup(centerLine),
      pickedNode(-1),
      preselectHighlighted(false),
      jogAxisEnabled(true),
      startExtensionDir(dg::DVec3::ZERO),
      endExtensionDir(dg::DVec3::ZERO),
      screenAxisLength(0.0),
      savedStartExtention(0.0f),
      savedEndExtention(0.0f),
      pickedDragger(NoDragger),
      pendingPick(nullptr),
      handleShown(),
      dragPhase(DragPhase::Idle),
      dropping(false),
      jogMoved(false),
      jogDisplacement(dg::DVec3::ZERO),
      jogAnchored(false),
      jogOrigin(dg::DPoint3D::ORIGIN),
      translatedBy(dg::DVec3::ZERO) {
    markup->AddReference();
    // The destructor does not run for a constructor that throws: give the reference back here.
    try {
        rootContainer = new sxmu::ModelContainer;

        lineStrip = MakeLineStrip();
        rootContainer->AddHead(detail::Upcast<sxmu::ModelBase>(lineStrip));

        SetType(detail::kCenterLineShadowType);

        // The preselected sets (the spheres' here, the arrows' in Initialize) are built once, in
        // the view's preselection colour when it has one, rather than in the default colour and
        // then again by the preference hook.
        const dg::Color preselectColour = PreselectionColourOf(view);
        preselectRenderAttrs =
            MakeRenderAttrs(preselectColour, detail::kSolidWeight, detail::kSolidMode);
        normalRenderAttrs =
            MakeRenderAttrs(defaultHandleColor, detail::kSolidWeight, detail::kSolidMode);
        normalFillAttrs = MakeFillAttrs(defaultHandleColor);
        preselectFillAttrs = MakeFillAttrs(preselectColour);

        // A record without an anchor node keeps the default reference point.
        if (detail::IsSet(markup->anchorNode))
            SetRefPoint(detail::PositionOf(markup->anchorNode->location));

        Initialize();

        du::SmartPtr<MarkupData> data(new MarkupData(this));
        data->SetModelBase(detail::Upcast<sxmu::ModelBase>(rootContainer));
        SetContent(data, false);

        pickedNode = -1;
    } catch (...) {
        markup->RemoveReference();
        throw;
    }
}

CenterLineXYZShadow::~CenterLineXYZShadow() {
    // A pick still on its way must not reach this shadow once it is gone, nor a drag start in
    // another view finish its drop.
    CenterLineXYZShadowPendingDrop::LetGo(*this);
    // A point drag that goes with its view never reaches the controller: the record gets back
    // the extension that the drag collapsed. The edit rebuilds into points, which has the room
    // for the line already; should it need more and the heap fail, the extension stays collapsed
    // rather than an exception leaving a destructor.
    const detail::DraggerRow* row = detail::RowOf(pickedDragger);
    if (row != nullptr && row->isPoint && pickedNode != -1 && dragPhase != DragPhase::HandedOn) {
        try {
            if (row->atStart)
                markup->MoveStartExt(savedStartExtention, points);
            else
                markup->MoveEndExt(savedEndExtention, points);
        } catch (const std::bad_alloc&) {
        }
    }

    // Fields go in reverse declaration order, the markup last.
    detail::Reset(normalFillAttrs);
    detail::Reset(preselectFillAttrs);
    detail::Reset(normalRenderAttrs);
    detail::Reset(preselectRenderAttrs);
    detail::Reset(startPointItem);
    detail::Reset(endPointItem);
    detail::Reset(connectionTarget);
    detail::Reset(endExtensionAxis);
    detail::Reset(startExtensionAxis);
    detail::Reset(jogAxis);
    points.clear();
    sphereDraggers.clear();
    detail::Reset(lineStrip);
    detail::Reset(rootContainer);
    markup->RemoveReference();
}

void CenterLineXYZShadow::Initialize() {
    const std::vector<dg::DPoint3D>& list = *markup->GetPoints();

    HandleSet::Forget(*this);
    sphereDraggers.resize(2);
    sphereDraggers[0] = SphereDraggerFactory(markup->GetStartPoint());
    sphereDraggers[1] = SphereDraggerFactory(markup->GetEndPoint());
    HandleSet::Place(*this, Handle::StartSphere, markup->GetStartPoint());
    HandleSet::Place(*this, Handle::EndSphere, markup->GetEndPoint());

    lineStrip->points.reserve(lineStrip->points.size() + list.size());
    for (const dg::DPoint3D& p : list)
        lineStrip->AppendPoint(p);
    points = lineStrip->points;

    // The arrows' preselected sets take the preselection colour in use, the one that the
    // spheres' preselected set holds.
    const dg::Color preselectColour = preselectRenderAttrs->color;
    jogAxis = new TranslatorAxis(markup->GetMainAxisDirection(), preselectColour);
    startExtensionAxis = new TranslatorAxis(startExtensionDir, preselectColour);
    endExtensionAxis = new TranslatorAxis(endExtensionDir, preselectColour);

    // Aimed without a notification: a constructor's shadow holds no reference yet, and a viewer
    // that takes and drops one while it handles a notification would delete it here. The viewer
    // draws the content once the constructor installs it; a rebuild notifies when it is done.
    HandleSet::AimArrows(*this);

    for (Handle handle :
         {Handle::StartArrow, Handle::EndArrow, Handle::StartSphere, Handle::EndSphere})
        HandleSet::Show(*this, handle, true);

    if (markup->IsAlongAxis() && jogAxisEnabled) {
        HandleSet::Show(*this, Handle::JogArrow, true);
        const int mid = markup->GetMidPointIndex();
        if (mid >= 0 && static_cast<std::size_t>(mid) < list.size())
            HandleSet::Place(*this, Handle::JogArrow, list[static_cast<std::size_t>(mid)]);
    }
}

du::SmartPtr<sxmu::ModelSphere> CenterLineXYZShadow::SphereDraggerFactory(
    const dg::DPoint3D& point) {
    du::SmartPtr<sxmu::ModelSphere> sphere(new sxmu::ModelSphere);
    sphere->screenScale.Set(detail::kHandleScreenScale, detail::kHandleScreenScale,
                            detail::kHandleScreenScale);
    sphere->radius = detail::kSphereRadius;
    sphere->SetRenderAttrsVector(normalRenderAttrs);
    sphere->SetFillAttrs(normalFillAttrs);
    sphere->location.SetPos(point);
    return sphere;
}

void CenterLineXYZShadow::MarkupChanged() {
    const detail::KeepAlive<CenterLineXYZShadow> alive(this);
    // An open drag keeps its preview through the rebuild: what it moved stands, in the drawn line
    // only, where the drag put it.
    const detail::DraggerRow* row = nullptr;
    dg::DPoint3D previewAt;
    const bool hasPreview = HandleSet::OpenPreview(*this, row, previewAt);

    // Initialize builds onto an empty line and a container holding only the line: take the
    // earlier vertices and handles out first so that a rebuild never duplicates them.
    lineStrip->points.clear();
    for (Handle handle : {Handle::JogArrow, Handle::StartArrow, Handle::EndArrow,
                          Handle::StartSphere, Handle::EndSphere})
        HandleSet::Show(*this, handle, false);
    // The new handles come with their normal sets.
    preselectHighlighted = false;

    Initialize();

    // A drag still open (above all a point drop waiting for its pick) follows its handle into the
    // new list: a rebuild that changes the layout moves the end's slot, and the drop must land on
    // that end, not on whatever point took the old index. A list without the full layout has no
    // such point: the drag ends here, and its pick is let go.
    const std::size_t n = lineStrip->points.size();
    if (pickedNode != -1) {
        if (n >= detail::LineLayout::kFewestPoints) {
            pickedNode = detail::MovedIndex(pickedDragger, n, markup->GetMidPointIndex());
        } else {
            CenterLineXYZShadowPendingDrop::LetGo(*this);
            pickedNode = -1;
        }
    }
    // Until a handle drag of this shadow is handed on, its preview shows the whole markup's move
    // not stopped yet, as Translate drew it. Once the drag is handed on, and on a grab of the
    // line itself, a rebuild shows the record.
    const bool open = dragPhase == DragPhase::Pressed || dragPhase == DragPhase::Releasing;
    if (open && pickedDragger != NoDragger && !detail::SameVector(translatedBy, dg::DVec3::ZERO))
        for (int i = 0; i < static_cast<int>(n); ++i)
            MoveNode(i, translatedBy);
    if (hasPreview)
        HandleSet::CarryPreview(*this, *row, previewAt);
    // Only a drag between its press and its release hides the other handles: one rebuilt while
    // its release is handed on (the jog's broadcast, the controller) shows them all.
    if (dragPhase == DragPhase::Pressed)
        SetOff(pickedDragger);
    NotifyContentChanged();
}

bool detail::HandleSet::OpenPreview(const CenterLineXYZShadow& s, const DraggerRow*& row,
                                    dg::DPoint3D& at) {
    row = RowOf(s.pickedDragger);
    if (row == nullptr)
        return false;
    using Phase = CenterLineXYZShadow::DragPhase;
    // A point drag stays open after its release, until its drop is handed on.
    const bool open = row->isPoint
                          ? s.pickedNode != -1 && s.dragPhase != Phase::HandedOn
                          : s.dragPhase == Phase::Pressed || s.dragPhase == Phase::Releasing;
    if (!open)
        return false;
    if (row->handle == Handle::JogArrow) {
        at = Add(s.jogOrigin, s.jogDisplacement);
        return s.jogMoved;
    }
    if (!IsIndexOf(s.pickedNode, s.lineStrip->points))
        return false;
    at = s.lineStrip->points[static_cast<std::size_t>(s.pickedNode)];
    return true;
}

void detail::HandleSet::CarryPreview(CenterLineXYZShadow& s, const DraggerRow& row,
                                     const dg::DPoint3D& at) {
    const std::vector<dg::DPoint3D>& stored = *s.markup->GetPoints();
    const int index = row.handle == Handle::JogArrow ? s.markup->GetMidPointIndex() : s.pickedNode;
    if (!IsIndexOf(index, stored) || !IsIndexOf(index, s.lineStrip->points))
        return;
    const dg::DVec3 d = Diff(at, stored[static_cast<std::size_t>(index)]);
    if (row.isPoint) {
        // The end moved as the drag moved it, the path rebuilt around it.
        if (row.atStart)
            s.MoveStartPoint(d);
        else
            s.MoveEndPoint(d);
    } else if (row.handle == Handle::JogArrow) {
        // The jog where the pointer holds it, placed as a step places it, on the path as stored
        // now and with the record's ratio that of that jog; a path without a jog has none.
        MoveJog(s);
    } else {
        s.MoveNode(index, d);
    }
    s.points = s.lineStrip->points;
}

std::vector<dg::DPoint3D> CenterLineXYZShadow::GetPoints() const {
    return points;
}

int CenterLineXYZShadow::GetPickedNode() const {
    return pickedNode;
}

du::SmartPtr<sxk::SelectionItem> CenterLineXYZShadow::GetStartPointItem() {
    return startPointItem;
}

du::SmartPtr<sxk::SelectionItem> CenterLineXYZShadow::GetEndPointItem() {
    return endPointItem;
}

du::SmartPtr<sxk::Markup> CenterLineXYZShadow::GetConnectionTarget() const {
    return connectionTarget;
}

du::SmartPtr<sxk::Markup> CenterLineXYZShadow::GetMarkup() {
    return du::SmartPtr<sxk::Markup>(markup);
}

}  // namespace sxmk
