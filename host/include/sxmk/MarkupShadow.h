#pragma once

#include <dg/Vector.h>
#include <du/Export.h>
#include <du/StandIn.h>
#include <du/Symbol.h>
#include <sxk/Markup.h>
#include <sxk/Operation.h>
#include <sxk/View.h>
#include <sxmk/MarkupData.h>
#include <sxmu/Model.h>

#include <vector>

SXHOST_HEADER_BEGIN

namespace sxmk {

class DragDriver;

// Name of the move cursor shown while a markup handle is dragged.
SXHOST_API extern const du::Symbol dragCursorMove;

// The per-view shadow of a markup. The framework fills the drag members and calls the drag
// handlers (see DragDriver).
class SXHOST_API MarkupShadow : public sxk::Markup {
public:
    MarkupShadow(const du::SmartPtr<sxk::View>& view, bool interactive);
    ~MarkupShadow() override;

    void DoPreDrawFixup(const dg::Location& placement) override;

private:
    virtual void Translate(const dg::DVec3& delta);
    virtual void Stop(const dg::DVec3& delta, const du::SmartPtr<sxk::Operation>& operation);
    virtual du::SmartPtr<sxk::Markup> GetMarkup();

public:
    virtual bool GetDragCursor(const du::SmartPtr<sxmu::ModelBase>& node, du::Symbol& cursor) const;
    virtual void PreselectHighlight(const du::SmartPtr<sxmu::ModelBase>& node);
    virtual void ClearPreselectHighlight();

private:
    virtual bool HandleDragStart();
    virtual void HandleDragStep();
    virtual void HandleDragStop();
    virtual void ChoosePickedMarkup();

public:
    void SetRefPoint(const dg::DPoint3D& p) { refPoint = p; }
    SXHOST_STANDIN_ONLY const dg::DPoint3D& GetRefPoint() const { return refPoint; }

    // Converts a displacement of the framework's (world) space into the markup's object space:
    // the inverse of the markup's placement rotation.
    void GetDeltaInObjectSpace(dg::DVec3& out, const dg::DVec3& delta);

    // Translates the other markups that move with this one; answers how many there were.
    int BroadcastTranslate(const dg::DVec3& delta);
    // Stops the other markups that moved with this one, with the same operation; answers how
    // many there were.
    int BroadcastStop(const dg::DVec3& delta, const du::SmartPtr<sxk::Operation>& operation);

    // Public accessor of the markup for the framework and tests (GetMarkup is private).
    SXHOST_STANDIN_ONLY du::SmartPtr<sxk::Markup> MarkupOfShadow() { return GetMarkup(); }

    du::SmartPtr<sxk::View> view;
    dg::DVec3 dragVector;
    int dragStartX = 0;
    int dragStartY = 0;
    int dragX = 0;
    int dragY = 0;
    sxmu::ModelBase* draggedNode = nullptr;
    bool pickPhantoms = false;

    SXHOST_STANDIN_ONLY bool interactive;
    SXHOST_STANDIN_ONLY dg::DPoint3D refPoint;
    // The shadows that BroadcastTranslate and BroadcastStop also move (settable by tests).
    SXHOST_STANDIN_ONLY std::vector<du::SmartPtr<MarkupShadow>> broadcastTargets;
    SXHOST_STANDIN_ONLY int broadcastTranslateCount = 0;
    SXHOST_STANDIN_ONLY int baseHighlightCount = 0;
    SXHOST_STANDIN_ONLY int baseClearHighlightCount = 0;

    friend class DragDriver;
};

}  // namespace sxmk

SXHOST_HEADER_END
