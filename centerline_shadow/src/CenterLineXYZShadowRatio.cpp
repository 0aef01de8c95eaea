// Ratio (jog) drag and constrained drag parameters. Placeholder bodies until the drag work lands.
#include <sxmk/CenterLineXYZShadow.h>

namespace sxmk {

void CenterLineXYZShadow::SetupConstrainedDragParameters(const dg::FVec3&) {}
void CenterLineXYZShadow::ChangeRatio(const dg::DVec3&) {}
double CenterLineXYZShadow::PointToSegmentDistance(const dg::DPoint3D&,
                                                   const dg::Segment<double, 3>&) const {
    return 0.0;
}

}  // namespace sxmk
