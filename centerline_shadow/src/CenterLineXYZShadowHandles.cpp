// Dragger handles: showing and hiding them around a drag, preselection highlight, the drag
// cursor, and aiming and placing the three arrows.
#include <sxmk/CenterLineXYZShadow.h>

#include "Constants.h"
#include "Geometry.h"
#include "HandleTable.h"
#include "KeepAlive.h"
#include "LineLayout.h"
#include "ViewerAdapter.h"

#include <cassert>
#include <cmath>
#include <cstddef>

namespace sxmk {

namespace {

using detail::Handle;
using detail::HandleSet;

// The handles that a drag of each dragger hides, in removal order, and shows again afterwards,
// in the order they are put back at the head. The jog arrow is hidden and shown only while it
// belongs to the path.
struct HandleList {
    Handle handles[5];
    int count;
};

const HandleList kHiddenDuring[] = {
    /* StartExtensionDragger */ {
        {Handle::StartSphere, Handle::EndSphere, Handle::EndArrow, Handle::JogArrow}, 4},
    /* StartPointDragger */
    {{Handle::EndArrow, Handle::StartArrow, Handle::EndSphere, Handle::JogArrow}, 4},
    /* JogDragger */
    {{Handle::EndArrow, Handle::StartArrow, Handle::StartSphere, Handle::EndSphere}, 4},
    /* EndPointDragger */
    {{Handle::EndArrow, Handle::StartArrow, Handle::StartSphere, Handle::JogArrow}, 4},
    /* EndExtensionDragger */
    {{Handle::StartSphere, Handle::EndSphere, Handle::StartArrow, Handle::JogArrow}, 4},
};

const HandleList kShownAfter[] = {
    /* StartExtensionDragger */
    {{Handle::EndArrow, Handle::StartSphere, Handle::EndSphere, Handle::JogArrow}, 4},
    /* StartPointDragger */
    {{Handle::StartArrow, Handle::EndArrow, Handle::EndSphere, Handle::JogArrow}, 4},
    /* JogDragger */
    {{Handle::StartArrow, Handle::EndArrow, Handle::StartSphere, Handle::EndSphere}, 4},
    /* EndPointDragger */
    {{Handle::StartArrow, Handle::EndArrow, Handle::StartSphere, Handle::JogArrow}, 4},
    /* EndExtensionDragger */
    {{Handle::StartArrow, Handle::StartSphere, Handle::EndSphere, Handle::JogArrow}, 4},
    /* NoDragger */
    {{Handle::StartArrow, Handle::EndArrow, Handle::StartSphere, Handle::EndSphere,
      Handle::JogArrow},
     5},
};

bool IsZero(const dg::DVec3& v) {
    return detail::SameVector(v, dg::DVec3::ZERO);
}

const dg::DPoint3D& At(const std::vector<dg::DPoint3D>& p, int i) {
    return p[static_cast<std::size_t>(i)];
}

// Direction of an extension arrow: from the line's point next to the end slot (index first)
// towards the end's sphere; where that is a zero vector, along the following legs (index first
// + step, then first + 2 * step). A candidate whose points lie outside the list does not count,
// so a short or degenerate list leaves the zero vector.
dg::DVec3 ExtensionDirection(const dg::DPoint3D& sphere, const std::vector<dg::DPoint3D>& p,
                             int first, int step) {
    dg::DVec3 dir = dg::DVec3::ZERO;
    if (!detail::IsIndexOf(first, p))
        return dir;
    dir = detail::Diff(sphere, At(p, first));
    for (int k = 0; k < 2 && IsZero(dir); ++k) {
        const int a = first + k * step;
        const int b = a + step;
        if (!detail::IsIndexOf(b, p))
            break;
        dir = detail::Diff(At(p, a), At(p, b));
    }
    return dir;
}

void SetTip(TranslatorAxis& axis, const dg::DVec3& tip) {
    std::vector<dg::DPoint3D>& vertices = axis.arrow->points;
    if (vertices.size() > 1)
        vertices[1] = detail::AsPoint(tip);
}

// Aims an extension arrow along dir, reversed for a negative extension, and places its base at
// the drawn line's first (atStart) or last point.
void AimExtensionArrow(CenterLineXYZShadow& shadow, Handle arrow, float extension,
                       const dg::DVec3& dir, const std::vector<dg::DPoint3D>& drawn) {
    TranslatorAxis* axis = HandleSet(shadow).Axis(arrow);
    assert(axis != nullptr && "a built shadow has both extension arrows");
    SetTip(*axis, extension < 0.0f ? detail::Negated(dir) : dir);
    if (!drawn.empty())
        HandleSet::Place(shadow, arrow, arrow == Handle::StartArrow ? drawn.front() : drawn.back());
}

// Shows (show) or hides the handles of a list, in its order; the jog arrow only while it belongs
// to the path.
void ShowHandles(CenterLineXYZShadow& shadow, const HandleList& list, bool jogBelongs, bool show) {
    for (int i = 0; i < list.count; ++i) {
        const Handle handle = list.handles[i];
        if (handle == Handle::JogArrow && !jogBelongs)
            continue;
        HandleSet::Show(shadow, handle, show);
    }
}

}  // namespace

void CenterLineXYZShadow::SetOff(PickedDragger dragger) {
    if (dragger < StartExtensionDragger || dragger > EndExtensionDragger)
        return;
    ShowHandles(*this, kHiddenDuring[dragger], markup->IsAlongAxis() && jogAxisEnabled, false);
}

void CenterLineXYZShadow::SetOn(PickedDragger dragger) {
    if (dragger < StartExtensionDragger || dragger > NoDragger)
        return;
    const bool jogBelongs = markup->IsAlongAxis() && jogAxisEnabled;
    ShowHandles(*this, kShownAfter[dragger], jogBelongs, true);
    if (dragger == NoDragger && jogBelongs) {
        assert(detail::IsSet(jogAxis) && "a built shadow has its jog arrow");
        const std::vector<dg::DPoint3D>& stored = *markup->GetPoints();
        const int mid = markup->GetMidPointIndex();
        if (detail::IsIndexOf(mid, stored))
            HandleSet::Place(*this, Handle::JogArrow, At(stored, mid));
    }
}

void CenterLineXYZShadow::PreselectHighlight(const du::SmartPtr<sxmu::ModelBase>& node) {
    const detail::KeepAlive<CenterLineXYZShadow> alive(this);
    if (preselectHighlighted)
        return;
    const HandleSet handles(*this);
    if (const detail::DraggerRow* row = handles.Find(detail::Raw(node))) {
        if (TranslatorAxis* axis = handles.Axis(row->handle)) {
            axis->Highlight();
        } else if (sxmu::ModelSphere* sphere = handles.Sphere(row->handle)) {
            sphere->SetRenderAttrsVector(preselectRenderAttrs);
            sphere->SetFillAttrs(preselectFillAttrs);
        }
    }
    // Also for a node that is no handle: the highlight state holds until the next clear.
    preselectHighlighted = true;
    NotifyContentChanged();
}

void CenterLineXYZShadow::ClearPreselectHighlight() {
    const detail::KeepAlive<CenterLineXYZShadow> alive(this);
    if (!preselectHighlighted)
        return;
    for (TranslatorAxis* axis :
         {detail::Raw(jogAxis), detail::Raw(startExtensionAxis), detail::Raw(endExtensionAxis)}) {
        if (axis != nullptr)
            axis->ClearHighlight();
    }
    for (const du::SmartPtr<sxmu::ModelSphere>& sphere : sphereDraggers) {
        if (!detail::IsSet(sphere))
            continue;
        sphere->SetRenderAttrsVector(normalRenderAttrs);
        sphere->SetFillAttrs(normalFillAttrs);
    }
    preselectHighlighted = false;
    NotifyContentChanged();
}

bool CenterLineXYZShadow::GetDragCursor(const du::SmartPtr<sxmu::ModelBase>& node,
                                        du::Symbol& cursor) const {
    const bool isHandle = HandleSet(*this).Find(detail::Raw(node)) != nullptr;
    if (isHandle)
        cursor = dragCursorMove;
    return true;
}

void CenterLineXYZShadow::SetArrowsDir() {
    HandleSet::AimArrows(*this);
    NotifyContentChanged();
}

void detail::HandleSet::AimArrows(CenterLineXYZShadow& s) {
    const std::vector<dg::DPoint3D>& p = s.points;
    const int n = static_cast<int>(p.size());
    assert(s.sphereDraggers.size() == 2 && "a built shadow has both end spheres");
    const HandleSet handles(s);
    const dg::DPoint3D startSphere = handles.PositionOf(Handle::StartSphere);
    const dg::DPoint3D endSphere = handles.PositionOf(Handle::EndSphere);

    // From the point next to each end's slot, inwards.
    const int startSlot = detail::LineLayout::SlotIndex(true, n);
    const int endSlot = detail::LineLayout::SlotIndex(false, n);
    s.endExtensionDir = ExtensionDirection(endSphere, p, endSlot - 1, -1);
    s.startExtensionDir = ExtensionDirection(startSphere, p, startSlot + 1, +1);
    detail::NormalizeUnlessZero(s.startExtensionDir);
    detail::NormalizeUnlessZero(s.endExtensionDir);

    // The jog arrow applies while the line has the along-axis layout (a shorter list has no jog
    // point to put it on) and start and end differ along at least two axes: only then does the
    // path have a jog to move.
    s.jogAxisEnabled = false;
    if (p.size() == detail::LineLayout::kAlongAxisPoints) {
        const dg::DVec3 d = detail::Diff(At(p, startSlot), At(p, endSlot));
        const int realAxes = (std::fabs(d.x) >= detail::kNearZero ? 1 : 0) +
                             (std::fabs(d.y) >= detail::kNearZero ? 1 : 0) +
                             (std::fabs(d.z) >= detail::kNearZero ? 1 : 0);
        s.jogAxisEnabled = realAxes >= 2;
    }

    // A jog arrow shown for the path before (a drop put the end level with the start) would
    // stand off the line with no jog to move: it goes. One that now belongs comes with the next
    // release, as the other handles do.
    if (!(s.markup->IsAlongAxis() && s.jogAxisEnabled))
        Show(s, Handle::JogArrow, false);
    if (s.markup->IsAlongAxis() && s.jogAxisEnabled) {
        assert(detail::IsSet(s.jogAxis) && "a built shadow has its jog arrow");
        SetTip(*s.jogAxis, s.markup->GetMainAxisDirection());
        const int mid = s.markup->GetMidPointIndex();
        if (detail::IsIndexOf(mid, p))
            Place(s, Handle::JogArrow, At(p, mid));
    }

    s.SetStartExtensionDir();
    s.SetEndExtensionDir();
}

void CenterLineXYZShadow::SetStartExtensionDir() {
    AimExtensionArrow(*this, Handle::StartArrow, markup->GetStartExtention(), startExtensionDir,
                      lineStrip->points);
}

void CenterLineXYZShadow::SetEndExtensionDir() {
    AimExtensionArrow(*this, Handle::EndArrow, markup->GetEndExtention(), endExtensionDir,
                      lineStrip->points);
}

}  // namespace sxmk
