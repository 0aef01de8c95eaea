#include <sxmk/DragDriver.h>

#include <sxk/View.h>

#include <cmath>

namespace sxmk {

DragDriver::DragDriver(MarkupShadow& driven) : shadow(driven) {}

bool DragDriver::Start(sxmu::ModelBase* node, int x, int y) {
    if (dragging)
        Release();
    shadow.draggedNode = node;
    shadow.dragStartX = shadow.dragX = x;
    shadow.dragStartY = shadow.dragY = y;
    shadow.dragVector = dg::DVec3::ZERO;
    anchor = node ? WorldPositionOf(*node) : dg::DPoint3D::ORIGIN;
    MarkupShadow& base = shadow;
    dragging = base.HandleDragStart();
    return dragging;
}

void DragDriver::Move(int x, int y) {
    if (!dragging)
        return;
    shadow.dragX = x;
    shadow.dragY = y;
    if (shadow.view) {
        shadow.dragVector =
            PointerDisplacement(*shadow.view, anchor, shadow.dragStartX, shadow.dragStartY, x, y);
    } else {
        shadow.dragVector = dg::DVec3(static_cast<double>(x - shadow.dragStartX),
                                      -static_cast<double>(y - shadow.dragStartY), 0.0);
    }
    MarkupShadow& base = shadow;
    base.HandleDragStep();
}

void DragDriver::Release() {
    if (!dragging)
        return;
    dragging = false;
    MarkupShadow& base = shadow;
    base.HandleDragStop();
}

dg::DPoint3D DragDriver::WorldPositionOf(const sxmu::ModelBase& node) {
    dg::DPoint3D p = node.location.GetPos();
    // A note dragger is drawn at its note (plus the displacement of a drag in progress), not at
    // its own location.
    if (const auto* dragger = dynamic_cast<const sxmu::ModelNoteDragger*>(&node)) {
        if (dragger->note)
            p = dragger->note->location.GetPos() + dragger->dragDisplacement;
    }
    const du::SmartPtr<sxk::Markup> markup = shadow.GetMarkup();
    if (!markup)
        return p;
    const dg::Location& placement = markup->placement;
    return placement.GetPos() + dg::DVec3(p.x, p.y, p.z) * placement.GetRotation();
}

namespace {

// Where the ray meets the plane through anchor with the given normal; false when it runs
// parallel to the plane.
bool HitPlane(const dg::DRay& ray, const dg::DPoint3D& anchor, const dg::DVec3& normal,
              dg::DPoint3D& hit) {
    const double denom = dg::Dot(ray.direction, normal);
    if (!(std::fabs(denom) > 1e-12))
        return false;
    hit = ray.Lirp(dg::Dot(anchor - ray.origin, normal) / denom);
    return std::isfinite(hit.x) && std::isfinite(hit.y) && std::isfinite(hit.z);
}

}  // namespace

dg::DVec3 DragDriver::PointerDisplacement(const sxk::View& view, const dg::DPoint3D& anchor, int x0,
                                          int y0, int x1, int y1) {
    const auto* shapeView = dynamic_cast<const sxk::ShapeView*>(&view);
    if (!shapeView) {
        return dg::DVec3(static_cast<double>(x1 - x0), -static_cast<double>(y1 - y0), 0.0);
    }
    dg::Camera3D camera;
    shapeView->GetCamera(camera);
    const dg::DVec3 normal = camera.GetW();
    dg::DPoint3D hit0, hit1;
    if (!HitPlane(camera.WindowRay(x0, y0), anchor, normal, hit0) ||
        !HitPlane(camera.WindowRay(x1, y1), anchor, normal, hit1))
        return dg::DVec3::ZERO;
    return hit1 - hit0;
}

}  // namespace sxmk
