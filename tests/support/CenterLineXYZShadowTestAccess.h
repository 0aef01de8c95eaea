#pragma once

// Reaches the private state and operations of a centre-line shadow for tests. The shadow names
// this class a friend; every member here is a one-line pass-through, so tests set up states in
// the shadow's fields and call its private operations as the framework would. What a shadow
// shows is read where the viewer sees it instead: its public accessors, the drawn nodes
// (CenterLineFixture finds the handles among them), the view and the controller.

#include <sxmk/CenterLineXYZShadow.h>

#include <deque>
#include <vector>

namespace sxmk {

class CenterLineXYZShadowTestAccess {
public:
    using Shadow = CenterLineXYZShadow;
    using Dragger = CenterLineXYZShadow::PickedDragger;

    // Fields (references: tests may set them, and read what nothing drawn can show).
    static du::SmartPtr<sxmu::ModelContainer>& rootContainer(Shadow& s) { return s.rootContainer; }
    static du::SmartPtr<sxmu::ModelLineStrip>& lineStrip(Shadow& s) { return s.lineStrip; }
    static std::deque<du::SmartPtr<sxmu::ModelSphere>>& sphereDraggers(Shadow& s) {
        return s.sphereDraggers;
    }
    static std::vector<dg::DPoint3D>& points(Shadow& s) { return s.points; }
    static du::SmartPtr<TranslatorAxis>& jogAxis(Shadow& s) { return s.jogAxis; }
    static du::SmartPtr<TranslatorAxis>& startExtensionAxis(Shadow& s) {
        return s.startExtensionAxis;
    }
    static du::SmartPtr<TranslatorAxis>& endExtensionAxis(Shadow& s) { return s.endExtensionAxis; }
    static int& pickedNode(Shadow& s) { return s.pickedNode; }
    static Dragger& pickedDragger(Shadow& s) { return s.pickedDragger; }
    static bool& preselectHighlighted(Shadow& s) { return s.preselectHighlighted; }
    static bool& jogAxisEnabled(Shadow& s) { return s.jogAxisEnabled; }
    static dg::DVec3& startExtensionDir(Shadow& s) { return s.startExtensionDir; }
    static dg::DVec3& endExtensionDir(Shadow& s) { return s.endExtensionDir; }
    static du::SmartPtr<sxmu::RenderAttrsVector>& preselectRenderAttrs(Shadow& s) {
        return s.preselectRenderAttrs;
    }
    static du::SmartPtr<sxmu::RenderAttrsVector>& normalRenderAttrs(Shadow& s) {
        return s.normalRenderAttrs;
    }
    static du::ConstSmartPtr<attrs::FillAttr>& preselectFillAttrs(Shadow& s) {
        return s.preselectFillAttrs;
    }
    static du::ConstSmartPtr<attrs::FillAttr>& normalFillAttrs(Shadow& s) {
        return s.normalFillAttrs;
    }
    static float& savedStartExtention(Shadow& s) { return s.savedStartExtention; }
    static float& savedEndExtention(Shadow& s) { return s.savedEndExtention; }
    static dg::DVec3& axisVector(Shadow& s) { return s.axisVector; }
    static dg::DVec3& screenAxis(Shadow& s) { return s.screenAxis; }
    static double& screenAxisLength(Shadow& s) { return s.screenAxisLength; }
    static du::SmartPtr<sxk::Markup>& connectionTarget(Shadow& s) { return s.connectionTarget; }
    static du::SmartPtr<sxk::SelectionItem>& endPointItem(Shadow& s) { return s.endPointItem; }
    static du::SmartPtr<sxk::SelectionItem>& startPointItem(Shadow& s) { return s.startPointItem; }
    static CenterLineXYZShadowPickEvent*& pendingPick(Shadow& s) { return s.pendingPick; }
    static CenterLineXYZ* markup(Shadow& s) { return s.markup; }

    // Private operations.
    static void SetOff(Shadow& s, Dragger d) { s.SetOff(d); }
    static void SetOn(Shadow& s, Dragger d) { s.SetOn(d); }
    static void SetArrowsDir(Shadow& s) { s.SetArrowsDir(); }
    static void SetStartExtensionDir(Shadow& s) { s.SetStartExtensionDir(); }
    static void SetEndExtensionDir(Shadow& s) { s.SetEndExtensionDir(); }
    static void Initialize(Shadow& s) { s.Initialize(); }
    static du::SmartPtr<sxmu::ModelSphere> SphereDraggerFactory(Shadow& s, const dg::DPoint3D& p) {
        return s.SphereDraggerFactory(p);
    }
    static void MoveNode(Shadow& s, int i, const dg::DVec3& d) { s.MoveNode(i, d); }
    static void MoveExternalNode(Shadow& s, int i, const dg::DVec3& d) { s.MoveExternalNode(i, d); }
    static void MoveStartPoint(Shadow& s, const dg::DVec3& d) { s.MoveStartPoint(d); }
    static void MoveEndPoint(Shadow& s, const dg::DVec3& d) { s.MoveEndPoint(d); }
    static void ResetExtention(Shadow& s) { s.ResetExtention(); }
    static bool IsNegativeExtention(Shadow& s, const dg::DPoint3D& p) {
        return s.IsNegativeExtention(p);
    }
    static void SetupConstrainedDragParameters(Shadow& s, const dg::FVec3& direction) {
        s.SetupConstrainedDragParameters(direction);
    }
    static void ChangeRatio(Shadow& s, const dg::DVec3& d) { s.ChangeRatio(d); }
    static double PointToSegmentDistance(const Shadow& s, const dg::DPoint3D& p,
                                         const dg::Segment<double, 3>& segment) {
        return s.PointToSegmentDistance(p, segment);
    }
    static void RequestPick(Shadow& s, int x, int y) { s.RequestPick(x, y); }
    static void SetDragStopPosition(Shadow& s, const dg::DPoint3D& pos) {
        s.SetDragStopPosition(pos);
    }
    static bool HandleDragStart(Shadow& s) { return s.HandleDragStart(); }
    static void HandleDragStep(Shadow& s) { s.HandleDragStep(); }
    static void HandleDragStop(Shadow& s) { s.HandleDragStop(); }
    static void Translate(Shadow& s, const dg::DVec3& d) { s.Translate(d); }
    static void Stop(Shadow& s, const dg::DVec3& d, const du::SmartPtr<sxk::Operation>& op) {
        s.Stop(d, op);
    }
    static du::SmartPtr<sxk::Markup> GetMarkup(Shadow& s) { return s.GetMarkup(); }
};

}  // namespace sxmk
