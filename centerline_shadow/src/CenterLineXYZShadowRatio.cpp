// Constrained drags along an axis, and the jog (ratio) drag of an along-axis path.
#include <sxmk/CenterLineXYZShadow.h>

#include <dg/Camera3D.h>
#include <dg/Ray.h>
#include <sxk/View.h>

#include "Constants.h"
#include "Geometry.h"
#include "HandleTable.h"
#include "LineLayout.h"
#include "ViewerAdapter.h"

#include <cassert>
#include <cmath>
#include <cstddef>

namespace sxmk {

namespace {

using detail::Handle;
using detail::HandleSet;

// Width of the view, in world units, at the depth of the world point o.
double ViewWidthAt(const dg::Camera3D& camera, const dg::DPoint3D& o) {
    double left = 0.0;
    double right = 0.0;
    double bottom = 0.0;
    double top = 0.0;
    double distance = 0.0;
    bool parallel = false;
    camera.GetProjection(left, right, bottom, top, distance, parallel);
    if (parallel)
        return std::fabs(right - left);
    const dg::DVec3 w = camera.GetW();
    const double depth = detail::Dot(detail::Diff(o, camera.eye), w) / w.Norm();
    return std::fabs(depth * std::fabs(right - left) / distance);
}

// Whether the jog, going from ratio old to r, passes the end that sits at ratio end (0 the start,
// 1 the end): whether it changes side, beyond lying below 0 (beyondIsAbove false) or above 1.
// A ratio on the end itself belongs to the inner side. Path building decides which side an
// extension point goes to by the same signs, so a dragged path and a rebuilt one agree. NaN
// passes nothing.
bool PassesEnd(double old, double r, double end, bool beyondIsAbove) {
    if (std::isnan(old) || std::isnan(r))
        return false;
    const bool oldBeyond = beyondIsAbove ? old > end : old < end;
    const bool newBeyond = beyondIsAbove ? r > end : r < end;
    return oldBeyond != newBeyond;
}

}  // namespace

void CenterLineXYZShadow::SetupConstrainedDragParameters(const dg::FVec3& direction) {
    axisVector = dg::DVec3::ZERO;
    screenAxis = dg::DVec3::ZERO;
    screenAxisLength = 0.0;

    // Without a camera there is no window direction: the step moves nothing.
    const auto* shapeView = dynamic_cast<const sxk::ShapeView*>(detail::Raw(view));
    const detail::DraggerRow* row = detail::RowOf(pickedDragger);
    const HandleSet handles(*this);
    if (shapeView == nullptr || row == nullptr || handles.Axis(row->handle) == nullptr)
        return;

    const dg::Camera3D camera = detail::CameraOf(*shapeView);
    const dg::DMat44& toWindow = camera.worldToWindow;

    // The handle and its axis live in the markup's object space; the camera sees them through
    // the markup's placement, so they are projected from where they are in the world.
    const dg::DMat44 toWorld = detail::XformOf(detail::ObjectSpaceOf(*markup));
    const dg::DPoint3D handle = handles.PositionOf(row->handle);
    const dg::DPoint3D o = handle * toWorld;
    const double length = ViewWidthAt(camera, o) * detail::kAxisScreenFraction;
    axisVector.Set(direction);
    axisVector = detail::Scale(axisVector, length);

    const dg::DPoint3D p1 = o * toWindow;
    const dg::DPoint3D p2 = (detail::Add(handle, axisVector) * toWorld) * toWindow;
    screenAxis.Set(p2.x - p1.x, p2.y - p1.y, 0.0);
    screenAxisLength = screenAxis.Norm();
    if (screenAxisLength > 0.0 && std::isfinite(screenAxisLength))
        screenAxis = detail::Scale(screenAxis, 1.0 / screenAxisLength);
}

void CenterLineXYZShadow::ChangeRatio(const dg::DVec3& delta) {
    // A drag pressed on a path without a jog starts from the first jog that a step finds, drawn
    // where the whole markup's move not stopped yet has taken it.
    if (!jogAnchored) {
        jogAnchored = detail::StoredJogOf(*markup, jogOrigin);
        jogOrigin = detail::Add(jogOrigin, translatedBy);
    }
    jogDisplacement = delta;
    if (jogAnchored && HandleSet::MoveJog(*this))
        NotifyContentChanged();
}

bool detail::HandleSet::MoveJog(CenterLineXYZShadow& s) {
    CenterLineXYZ& record = *s.markup;
    const std::vector<dg::DPoint3D>& stored = *record.GetPoints();
    const std::vector<dg::DPoint3D>& drawn = s.lineStrip->points;
    if (!detail::HasJogIn(record, stored) || !detail::HasJogIn(record, drawn))
        return false;
    assert(s.sphereDraggers.size() == 2 && "a built shadow has both end spheres");
    // A move of the whole markup that the framework has not stopped yet is drawn but not stored,
    // and its own Stop hands it on: the jog is placed on the path as stored, and the whole path
    // is drawn moved by it. The end spheres stay where the record holds the ends, so the ratio
    // does not depend on the move.
    const dg::DVec3& moving = s.translatedBy;
    const dg::DPoint3D from = detail::Add(s.jogOrigin, detail::Negated(moving));
    const dg::DVec3& delta = s.jogDisplacement;
    const int m = record.GetMidPointIndex();
    const int reach = detail::LineLayout::kMidJog;
    // m >= reach and m + reach indexes both lists, so the sums below neither go negative nor
    // overflow.
    const std::size_t mid = static_cast<std::size_t>(m);
    const std::size_t span = static_cast<std::size_t>(reach);
    const std::size_t start = mid - span;
    const std::size_t firstJog = mid - 1;
    const std::size_t end = mid + span;
    const dg::DVec3 a = record.GetMainAxisDirection();

    // The jog's points move from where the record holds them now: by delta while it holds the
    // jog where the drag began. When the viewer has rewritten the record or the markup has moved
    // since, they slide along the main axis to where from + delta lies on it, whatever the record
    // held meanwhile; the other coordinates stay those of the path as stored now, whose legs then
    // keep to the axes (a displacement measured along an earlier main axis moves nothing across
    // this one). A main axis without length gives nowhere to slide to: the jog stays.
    dg::DVec3 shift = delta;
    if (!detail::SamePoint(from, stored[mid])) {
        const double along = detail::Dot(detail::Diff(detail::Add(from, delta), stored[mid]), a);
        if (std::isfinite(along))
            shift = detail::Scale(a, along);
    }
    s.jogMoved = true;

    const HandleSet handles(s);
    const dg::DPoint3D c0 = handles.PositionOf(Handle::StartSphere);
    const dg::DPoint3D c1 = handles.PositionOf(Handle::EndSphere);
    const dg::DPoint3D foot = detail::MakeRay(c0, detail::Negated(a)).NearestPoint(c1);

    // The ratio belongs to the jog as this step placed it, so that at release the record's
    // ratio and the path handed on are those of the jog the user sees.
    const dg::DVec3 toJog = detail::Diff(detail::Add(stored[firstJog], shift), c0);
    const dg::DVec3 toFoot = detail::Diff(foot, c0);
    float d1 = static_cast<float>(toJog.Norm());
    const float d2 = static_cast<float>(toFoot.Norm());
    // The jog lies beyond the start when it lies on the far side of it from the end's foot. The
    // jog moves along the main axis as the pointer's single-precision direction gives it, a hair
    // off the exact axis, so an angle of exactly pi would miss it: the side is the sign of the
    // projection on the way to the foot.
    if (detail::Dot(toJog, toFoot) < 0.0)
        d1 = d1 * -1.0f;
    const float r = d1 / d2;

    // Ends on one line across the main axis (d2 zero) give no ratio: the jog follows the
    // pointer, but the record keeps its ratio and extension points.
    if (d2 != 0.0f && std::isfinite(r)) {
        const double old = record.GetDivRation();
        // Jog passing the start (ratio changing sign): reflect the extended start through it.
        // The displacement is added to the stored point, so it is measured from the stored
        // point: another view may have moved it without this shadow being rebuilt.
        if (PassesEnd(old, r, 0.0, false))
            s.MoveExternalNode(m - reach, detail::Scale(detail::Diff(c0, stored[start]), 2.0));
        // Jog passing the end (ratio passing 1): reflect the extended end through it.
        if (PassesEnd(old, r, 1.0, true))
            s.MoveExternalNode(m + reach, detail::Scale(detail::Diff(c1, stored[end]), 2.0));
        record.SetDivRation(r);
    }

    // The path drawn: the stored one moved by the whole markup's move, its jog (and the jog
    // arrow) by the step too.
    std::vector<dg::DPoint3D>& line = s.lineStrip->points;
    const std::size_t shared = stored.size() < line.size() ? stored.size() : line.size();
    for (std::size_t i = 0; i < shared; ++i)
        line[i] = detail::Add(stored[i], moving);
    const dg::DVec3 jogMoving = detail::Sum(shift, moving);
    for (const int i : {m - 1, m, m + 1})
        s.MoveNode(i, jogMoving);
    s.points = drawn;
    return true;
}

double CenterLineXYZShadow::PointToSegmentDistance(const dg::DPoint3D& p,
                                                   const dg::Segment<double, 3>& segment) const {
    const dg::DPoint3D& first = detail::SegmentStart(segment);
    const dg::DVec3 e = detail::Diff(detail::SegmentEnd(segment), first);
    const double ee = detail::Dot(e, e);
    // A segment of one point: the distance to that point.
    if (!(ee > 0.0))
        return dg::Distance(p, first);
    const double t = detail::Dot(detail::Diff(p, first), e) / ee;
    return dg::Distance(p, detail::Add(first, detail::Scale(e, t)));
}

}  // namespace sxmk
