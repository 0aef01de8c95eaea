#pragma once

#include <sxmk/IllsxmkExport.h>

#include <attrs/FillAttr.h>
#include <dg/Ray.h>
#include <dg/Vector.h>
#include <du/SmartPtr.h>
#include <du/Symbol.h>
#include <sxk/Instance.h>
#include <sxk/Pick.h>
#include <sxk/Preferences.h>
#include <sxk/View.h>
#include <sxmk/CenterLineXYZ.h>
#include <sxmk/MarkupShadow.h>
#include <sxmk/TranslatorAxis.h>
#include <sxmu/Model.h>

#include <deque>
#include <vector>

namespace sxmk {

class CenterLineXYZShadowPickEvent;
namespace detail {
class HandleSet;
}

// The per-view interactive shadow of a centre line: the drawn line strip, a sphere handle at
// each end point, an arrow handle at each extended end and the jog arrow of an along-axis path;
// it highlights the handle under the cursor, runs the drags and hands each finished drag to the
// markup's controller as one named operation.
class ILLSXMK_API CenterLineXYZShadow : public MarkupShadow {
public:
    // The handle that a drag moves.
    enum PickedDragger {
        StartExtensionDragger = 0,
        StartPointDragger = 1,
        JogDragger = 2,
        EndPointDragger = 3,
        EndExtensionDragger = 4,
        NoDragger = 5
    };

    CenterLineXYZShadow(const du::SmartPtr<sxk::View>& view, CenterLineXYZ* markup);
    ~CenterLineXYZShadow() override;

    void OnApplyPreferences(const du::SmartPtr<sxk::Preferences>& preferences) override;
    bool GetDragCursor(const du::SmartPtr<sxmu::ModelBase>& node,
                       du::Symbol& cursor) const override;
    void PreselectHighlight(const du::SmartPtr<sxmu::ModelBase>& node) override;
    void ClearPreselectHighlight() override;

    void MarkupChanged();
    std::vector<dg::DPoint3D> GetPoints() const;
    int GetPickedNode() const;
    du::SmartPtr<sxk::SelectionItem> GetStartPointItem();
    du::SmartPtr<sxk::SelectionItem> GetEndPointItem();
    du::SmartPtr<sxk::Markup> GetConnectionTarget() const;

    void OnReceivePick(const std::vector<sxk::PickResult>& results);

private:
    void Translate(const dg::DVec3& delta) override;
    void Stop(const dg::DVec3& delta, const du::SmartPtr<sxk::Operation>& operation) override;
    du::SmartPtr<sxk::Markup> GetMarkup() override;
    bool HandleDragStart() override;
    void HandleDragStep() override;
    void HandleDragStop() override;

    void Initialize();
    du::SmartPtr<sxmu::ModelSphere> SphereDraggerFactory(const dg::DPoint3D& point);

    void SetOff(PickedDragger dragger);
    void SetOn(PickedDragger dragger);
    void SetArrowsDir();
    void SetStartExtensionDir();
    void SetEndExtensionDir();

    void MoveNode(int index, const dg::DVec3& delta);
    void MoveExternalNode(int index, const dg::DVec3& delta);
    void MoveStartPoint(const dg::DVec3& delta);
    void MoveEndPoint(const dg::DVec3& delta);
    void ResetExtention();
    bool IsNegativeExtention(const dg::DPoint3D& p);

    void SetupConstrainedDragParameters(const dg::FVec3& direction);
    void ChangeRatio(const dg::DVec3& delta);
    double PointToSegmentDistance(const dg::DPoint3D& p,
                                  const dg::Segment<double, 3>& segment) const;

    void RequestPick(int x, int y);
    void SetDragStopPosition(const dg::DPoint3D& pos);

    CenterLineXYZ* markup;  // counted: referenced for the shadow's life
    du::SmartPtr<sxmu::ModelContainer> rootContainer;
    du::SmartPtr<sxmu::ModelLineStrip> lineStrip;
    std::deque<du::SmartPtr<sxmu::ModelSphere>> sphereDraggers;
    int pickedNode;
    bool preselectHighlighted;
    bool jogAxisEnabled;
    std::vector<dg::DPoint3D> points;
    du::SmartPtr<TranslatorAxis> jogAxis;
    du::SmartPtr<TranslatorAxis> startExtensionAxis;
    du::SmartPtr<TranslatorAxis> endExtensionAxis;
    dg::DVec3 axisVector;
    dg::DVec3 startExtensionDir;
    dg::DVec3 endExtensionDir;
    dg::DVec3 screenAxis;
    double screenAxisLength;
    float savedStartExtention;
    float savedEndExtention;
    PickedDragger pickedDragger;
    du::SmartPtr<sxk::Markup> connectionTarget;
    du::SmartPtr<sxk::SelectionItem> endPointItem;
    du::SmartPtr<sxk::SelectionItem> startPointItem;
    du::SmartPtr<sxmu::RenderAttrsVector> preselectRenderAttrs;
    du::SmartPtr<sxmu::RenderAttrsVector> normalRenderAttrs;
    du::ConstSmartPtr<attrs::FillAttr> preselectFillAttrs;
    du::ConstSmartPtr<attrs::FillAttr> normalFillAttrs;

    // The pick requested at the last point drop while it has not completed: the destructor
    // detaches it so that a late completion never reaches a destroyed shadow.
    CenterLineXYZShadowPickEvent* pendingPick;

    // Whether each handle is in rootContainer, by handle: start sphere, end sphere, start arrow,
    // end arrow, jog arrow. The viewer's containers are written, never queried, so the shadow
    // keeps what it did.
    bool handleShown[5];

    // Where a handle drag stands: between its press and its release (the other handles hidden),
    // inside its release (all handles shown), handed to the controller, or none of these (a point
    // drag's drop then stays open while pickedNode names its point). A rebuild or a Translate
    // carries an open drag's preview into the new line, never one handed on. And whether a drop
    // is being decided: a pick result handed in again meanwhile changes nothing.
    enum class DragPhase { Idle, Pressed, Releasing, HandedOn };
    DragPhase dragPhase;
    bool dropping;

    // Whether a step of the open jog drag has moved the jog, and the pointer's constrained
    // displacement since the press at its last step. Kept apart from the drawn line because a
    // rebuild may store a path of the other mode, whose list has no jog at that index, and
    // replaces the jog arrow: the preview must survive a round trip through it.
    bool jogMoved;
    dg::DVec3 jogDisplacement;

    // Where the mid jog point stood in the record when the open jog drag began (or, for a drag
    // pressed on a path without a jog, when its first step found one), moved since with the whole
    // markup (Translate). Each step and each rebuild put the jog at this point plus
    // jogDisplacement, so a record that the viewer rewrites during the drag neither adds to the
    // displacement nor takes from it, and a jog that one rewrite put elsewhere does not stay there
    // at the next.
    bool jogAnchored;
    dg::DPoint3D jogOrigin;

    // How far the markup's current move (Translate, which gives the displacement since that move
    // began) has already taken the shadow; the move ends with Stop.
    dg::DVec3 translatedBy;

    friend class CenterLineXYZShadowPickEvent;
    friend class detail::HandleSet;                // the handle table (internal)
    friend struct CenterLineXYZShadowPointDrag;    // a point drag's steps and its drop (internal)
    friend struct CenterLineXYZShadowPendingDrop;  // a drop waiting for its pick (internal)
    friend class CenterLineXYZShadowTestAccess;
};

}  // namespace sxmk
