// The centre-line record: construction, accessors, storing a point list and deriving the
// along-axis data from it.
#include <sxmk/CenterLineXYZ.h>

#include "Constants.h"
#include "Geometry.h"
#include "LineLayout.h"

#include <cstddef>

namespace sxmk {

using detail::LineLayout;

CenterLineXYZ::CenterLineXYZ()
    : alongAxis(false),
      endPointAttached(false),
      divRatio(0.5f),
      // The viewer's default point and vector constructors promise no value: the record's
      // points start at the origin and its direction at zero, whatever the SDK's defaults are.
      startAxisLimit(dg::DPoint3D::ORIGIN),
      midPointIndex(0),
      endAxisLimit(dg::DPoint3D::ORIGIN),
      mainAxisDirection(dg::DVec3::ZERO),
      startExtention(0.0f),
      endExtention(0.0f),
      startPoint(dg::DPoint3D::ORIGIN),
      endPoint(dg::DPoint3D::ORIGIN),
      axisFrame(),
      axisOrder{0, 1, 2},
      partID(du::Symbol::EMPTY),
      pendingDrop(nullptr) {}

CenterLineXYZ::~CenterLineXYZ() = default;

bool CenterLineXYZ::IsAlongAxis() const {
    return alongAxis;
}
float CenterLineXYZ::GetDivRation() const {
    return divRatio;
}
void CenterLineXYZ::SetDivRation(float ratio) {
    divRatio = ratio;
}
const dg::DPoint3D CenterLineXYZ::GetStartAxisLimit() const {
    return startAxisLimit;
}
int CenterLineXYZ::GetMidPointIndex() const {
    return midPointIndex;
}
const dg::DPoint3D CenterLineXYZ::GetEndAxisLimit() const {
    return endAxisLimit;
}
const dg::DVec3 CenterLineXYZ::GetMainAxisDirection() const {
    return mainAxisDirection;
}
float CenterLineXYZ::GetStartExtention() const {
    return startExtention;
}
float CenterLineXYZ::GetEndExtention() const {
    return endExtention;
}
const dg::DPoint3D CenterLineXYZ::GetStartPoint() const {
    return startPoint;
}
const dg::DPoint3D CenterLineXYZ::GetEndPoint() const {
    return endPoint;
}
bool CenterLineXYZ::IsEndPointAttached() const {
    return endPointAttached;
}
void CenterLineXYZ::SetEndPointAttached(bool attached) {
    endPointAttached = attached;
}
void CenterLineXYZ::SetPartID(du::Symbol& id) {
    partID = id;
}
du::Symbol& CenterLineXYZ::GetPartID() {
    return partID;
}

void CenterLineXYZ::SetPoints(std::vector<dg::DPoint3D> list) {
    const std::size_t n = list.size();
    // Without a start slot and an end slot there is nothing to store.
    if (n < LineLayout::kFewestStored)
        return;

    std::vector<dg::DPoint3D>& stored = *GetPoints();
    stored.clear();
    stored.reserve(n);
    for (const dg::DPoint3D& p : list)
        AppendPoint(p);
    if (alongAxis)
        SetAlongAxis(divRatio);

    startPoint = list[LineLayout::SlotIndex(true, n)];
    endPoint = list[LineLayout::SlotIndex(false, n)];
    // A negative extension stops the drawn line short: its slot holds the extension point.
    for (const bool atStart : {true, false}) {
        stored[LineLayout::SlotIndex(atStart, n)] = LineLayout::SlotPoint(
            atStart ? startExtention : endExtention, atStart ? startPoint : endPoint,
            stored[LineLayout::ExtensionIndex(atStart, n)]);
    }
}

void CenterLineXYZ::SetAlongAxis(float ratio) {
    const std::vector<dg::DPoint3D>& stored = *GetPoints();
    const std::size_t n = stored.size();
    if (n != LineLayout::kAlongAxisPoints)
        return;

    alongAxis = true;
    divRatio = ratio;
    const std::size_t startSlot = LineLayout::SlotIndex(true, n);
    const std::size_t endSlot = LineLayout::SlotIndex(false, n);
    startAxisLimit = stored[startSlot];
    midPointIndex = LineLayout::kMidJog;
    endAxisLimit = stored[endSlot];
    // The direction from the first jog point back to the start. At ratio 0 that first main-axis
    // leg has no length, and the last one, from the end back to the last jog point, points the
    // same way on a path whose ratio lies in [0, 1]. With neither leg (ends across the main axis)
    // nothing defines the axis, and the direction stays zero.
    mainAxisDirection = detail::Diff(stored[startSlot], stored[startSlot + 1]);
    if (!(mainAxisDirection.Norm() >= detail::kNearZero))
        mainAxisDirection = detail::Diff(stored[endSlot - 1], stored[endSlot]);
    detail::NormalizeUnlessZero(mainAxisDirection);
}

}  // namespace sxmk
