// Handle dragging: dragger selection, steps, stops, Translate/Stop and the node moves.
// Placeholder bodies until the drag work lands; they keep the library linkable.
#include <sxmk/CenterLineXYZShadow.h>

namespace sxmk {

bool CenterLineXYZShadow::HandleDragStart() { return true; }
void CenterLineXYZShadow::HandleDragStep() {}
void CenterLineXYZShadow::HandleDragStop() {}
void CenterLineXYZShadow::Translate(const dg::DVec3&) {}
void CenterLineXYZShadow::Stop(const dg::DVec3&, const du::SmartPtr<sxk::Operation>&) {}
void CenterLineXYZShadow::MoveNode(int, const dg::DVec3&) {}
void CenterLineXYZShadow::MoveExternalNode(int, const dg::DVec3&) {}
void CenterLineXYZShadow::MoveStartPoint(const dg::DVec3&) {}
void CenterLineXYZShadow::MoveEndPoint(const dg::DVec3&) {}
void CenterLineXYZShadow::ResetExtention() {}
bool CenterLineXYZShadow::IsNegativeExtention(const dg::DPoint3D&) { return false; }

}  // namespace sxmk
