// End-point attachment by picking. Placeholder bodies until the drag work lands.
#include <sxmk/CenterLineXYZShadow.h>

#include "PickEvent.h"

namespace sxmk {

CenterLineXYZShadowPickEvent::CenterLineXYZShadowPickEvent(CenterLineXYZShadow* s) : shadow(s) {}
CenterLineXYZShadowPickEvent::~CenterLineXYZShadowPickEvent() = default;
du::Symbol CenterLineXYZShadowPickEvent::GetClassName() const { return du::Symbol::EMPTY; }
void CenterLineXYZShadowPickEvent::OnPickUpdate(int) {}
void CenterLineXYZShadowPickEvent::OnPickComplete(int) {}

void CenterLineXYZShadow::RequestPick(int, int) {}
void CenterLineXYZShadow::OnReceivePick(const std::vector<sxk::PickResult>&) {}
void CenterLineXYZShadow::SetDragStopPosition(const dg::DPoint3D&) {}

}  // namespace sxmk
