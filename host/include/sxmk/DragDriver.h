#pragma once

#include <dg/Vector.h>
#include <du/Export.h>
#include <du/SmartPtr.h>
#include <du/StandIn.h>
#include <sxmk/MarkupShadow.h>

SXHOST_HEADER_BEGIN

namespace sxmk {

// Drives the markup framework's drag protocol on one shadow, as the viewer does: start on a node
// at a window position, move the pointer, release. It fills the shadow's drag members and calls
// its handlers through the base class.
//
// dragVector is the world displacement of the pointer on the plane through the grabbed node
// parallel to the view plane (shape views), or one world unit per pixel with y up (other views).
class SXHOST_STANDIN_ONLY SXHOST_API DragDriver {
public:
    explicit DragDriver(MarkupShadow& shadow);

    // Grabs node at (x, y); answers HandleDragStart's result. A refused drag is not stepped.
    bool Start(sxmu::ModelBase* node, int x, int y);
    void Move(int x, int y);
    void Release();
    bool IsDragging() const { return dragging; }

    // The framework's other entry points, for tests.
    void Translate(const dg::DVec3& delta) { shadow.Translate(delta); }
    void Stop(const dg::DVec3& delta, const du::SmartPtr<sxk::Operation>& operation) {
        shadow.Stop(delta, operation);
    }

    // The world position of a node of the shadow (its position in the markup's placement).
    dg::DPoint3D WorldPositionOf(const sxmu::ModelBase& node);
    // World displacement on the plane through anchor parallel to the view plane, for a pointer
    // moving from (x0, y0) to (x1, y1).
    static dg::DVec3 PointerDisplacement(const sxk::View& view, const dg::DPoint3D& anchor, int x0,
                                         int y0, int x1, int y1);

private:
    MarkupShadow& shadow;
    dg::DPoint3D anchor;
    bool dragging = false;
};

}  // namespace sxmk

SXHOST_HEADER_END
