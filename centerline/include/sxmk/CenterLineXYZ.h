#pragma once

#include <sxmk/IllsxmkExport.h>

#include <dg/Location.h>
#include <dg/Vector.h>
#include <du/SmartPtr.h>
#include <du/Symbol.h>
#include <sxk/View.h>
#include <sxmk/LeaderLine.h>

#include <vector>

namespace sxmk {

class CenterLineXYZShadow;
struct CenterLineXYZShadowPendingDrop;

// The persistent record of one centre line: start and end points, a signed extension beyond each
// end, the path mode (straight, or along the axes of a frame with a jog placed by a division
// ratio), and the drawn point list (4 points straight, 7 along axis):
//
//   index   straight        along axis
//   0       extended start  extended start
//   1       start slot      start slot
//   2       end slot        first jog point
//   3       extended end    mid jog point
//   4                       last jog point
//   5                       end slot
//   6                       extended end
//
// In the stored list a negative extension puts a copy of its extension point into the slot of
// its end (the drawn line stops short); startPoint and endPoint keep the true ends.
class ILLSXMK_API CenterLineXYZ : public LeaderLine {
public:
    CenterLineXYZ();
    ~CenterLineXYZ() override;

    sxk::Markup* ConstructShadow(const du::SmartPtr<sxk::View>& view) override;

    bool IsAlongAxis() const;
    float GetDivRation() const;
    void SetDivRation(float ratio);
    const dg::DPoint3D GetStartAxisLimit() const;
    int GetMidPointIndex() const;
    const dg::DPoint3D GetEndAxisLimit() const;
    const dg::DVec3 GetMainAxisDirection() const;
    float GetStartExtention() const;
    float GetEndExtention() const;
    const dg::DPoint3D GetStartPoint() const;
    const dg::DPoint3D GetEndPoint() const;
    bool IsEndPointAttached() const;
    void SetEndPointAttached(bool attached);
    void SetPartID(du::Symbol& id);
    du::Symbol& GetPartID();

    // Stores the list (at least two points; a shorter one leaves the record unchanged), takes
    // the true ends from its slots and applies the negative-extension rule.
    void SetPoints(std::vector<dg::DPoint3D> points);
    // Derives the along-axis data from a stored 7-point list and stores ratio.
    void SetAlongAxis(float ratio);

    // Builds the point list of a path into out and records mode, extensions, frame and axis
    // order; the stored list is not touched.
    void BuildPoints(dg::DPoint3D start, dg::DPoint3D end, bool mode, float startExt, float endExt,
                     float ratio, dg::Location frame, const unsigned short* axisOrder,
                     std::vector<dg::DPoint3D>& out);

    // Edits for the shadow's drags: rebuild into out from the stored values with one changed.
    void MoveStartPoint(dg::DVec3 delta, std::vector<dg::DPoint3D>& out, dg::DPoint3D& newStart);
    void MoveEndPoint(dg::DVec3 delta, std::vector<dg::DPoint3D>& out, dg::DPoint3D& newEnd);
    void MoveStartExt(float ext, std::vector<dg::DPoint3D>& out);
    void MoveEndExt(float ext, std::vector<dg::DPoint3D>& out);
    void ResetExtentions(float startValue, float endValue);

private:
    void GetExtentedPoints(dg::DPoint3D& outStart, dg::DPoint3D& outEnd, float startExt,
                           float endExt, dg::DPoint3D start, dg::DPoint3D end);
    void GetExtentedPointsOnAxis(dg::DPoint3D& outStart, dg::DPoint3D& outEnd,
                                 dg::DPoint3D& inStart, dg::DPoint3D& inEnd, float ratio,
                                 float startExt, float endExt, const unsigned short* axisOrder);

    bool alongAxis;
    bool endPointAttached;
    float divRatio;
    dg::DPoint3D startAxisLimit;
    int midPointIndex;
    dg::DPoint3D endAxisLimit;
    dg::DVec3 mainAxisDirection;
    float startExtention;
    float endExtention;
    dg::DPoint3D startPoint;
    dg::DPoint3D endPoint;
    dg::Location axisFrame;
    unsigned short axisOrder[3];
    du::Symbol partID;

    // Not persistent: the shadow, in whichever view, whose dropped end point waits for its pick.
    // A drag start in any view finishes that drop first, so that two drags of one record never
    // collapse and restore the same extension over each other. Not counted: the shadow clears it
    // when the drop ends or the shadow goes.
    CenterLineXYZShadow* pendingDrop;

    friend struct CenterLineXYZEndEdit;  // the drag edits, written once for either end (internal)
    friend struct CenterLineXYZShadowPendingDrop;  // a drop waiting for its pick (internal)
    friend class CenterLineXYZTestAccess;
};

}  // namespace sxmk
