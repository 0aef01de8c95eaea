#pragma once

// Reaches the private state and operations of a centre-line shadow where nothing public shows
// them. The shadow names this class a friend; every member here is a one-line pass-through.
//
// Tests drive a shadow through the framework's drag protocol (sxmk::DragDriver) and read what it
// shows where the viewer sees it: its public accessors, the drawn nodes (CenterLineFixture finds
// the handles among them), the view and the controller. They come here only for what no drag
// shows: an exact ratio step, the measured axis of a constrained drag, the exported distance
// helper, a pick requested while another is pending. The fuzz harness (fuzz/harness) and the
// benchmarks (bench/) read the handle nodes and the state their checks and traces name, and the
// benchmarks time a drag step alone.

#include <sxmk/CenterLineXYZShadow.h>

#include <deque>

namespace sxmk {

class CenterLineXYZShadowTestAccess {
public:
    using Shadow = CenterLineXYZShadow;
    using Dragger = CenterLineXYZShadow::PickedDragger;

    // Fields, read only.
    static const du::SmartPtr<sxmu::ModelContainer>& rootContainer(const Shadow& s) {
        return s.rootContainer;
    }
    static const du::SmartPtr<sxmu::ModelLineStrip>& lineStrip(const Shadow& s) {
        return s.lineStrip;
    }
    static const std::deque<du::SmartPtr<sxmu::ModelSphere>>& sphereDraggers(const Shadow& s) {
        return s.sphereDraggers;
    }
    static const du::SmartPtr<TranslatorAxis>& jogAxis(const Shadow& s) { return s.jogAxis; }
    static const du::SmartPtr<TranslatorAxis>& startExtensionAxis(const Shadow& s) {
        return s.startExtensionAxis;
    }
    static const du::SmartPtr<TranslatorAxis>& endExtensionAxis(const Shadow& s) {
        return s.endExtensionAxis;
    }
    static Dragger pickedDragger(const Shadow& s) { return s.pickedDragger; }
    static bool preselectHighlighted(const Shadow& s) { return s.preselectHighlighted; }
    static const du::SmartPtr<sxmu::RenderAttrsVector>& normalRenderAttrs(const Shadow& s) {
        return s.normalRenderAttrs;
    }
    static const du::ConstSmartPtr<attrs::FillAttr>& normalFillAttrs(const Shadow& s) {
        return s.normalFillAttrs;
    }
    static const dg::DVec3& axisVector(const Shadow& s) { return s.axisVector; }
    static const dg::DVec3& screenAxis(const Shadow& s) { return s.screenAxis; }
    static double screenAxisLength(const Shadow& s) { return s.screenAxisLength; }
    static const CenterLineXYZShadowPickEvent* pendingPick(const Shadow& s) {
        return s.pendingPick;
    }

    // Private operations.
    static void ChangeRatio(Shadow& s, const dg::DVec3& d) { s.ChangeRatio(d); }
    static double PointToSegmentDistance(const Shadow& s, const dg::DPoint3D& p,
                                         const dg::Segment<double, 3>& segment) {
        return s.PointToSegmentDistance(p, segment);
    }
    static void RequestPick(Shadow& s, int x, int y) { s.RequestPick(x, y); }
    static void HandleDragStep(Shadow& s) { s.HandleDragStep(); }
    static bool IsNegativeExtention(Shadow& s, const dg::DPoint3D& p) {
        return s.IsNegativeExtention(p);
    }
};

}  // namespace sxmk
