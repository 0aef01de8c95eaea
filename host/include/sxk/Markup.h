#pragma once

#include <dg/Location.h>
#include <du/Export.h>
#include <du/StandIn.h>
#include <sxk/Object.h>

SXHOST_HEADER_BEGIN

namespace sxmk {
class MarkupData;
}

namespace sxk {

class Operation;
class Preferences;
class MarkupController;

// A markup of the kernel: something the viewer draws in a view.
class SXHOST_API Markup : public ObjectWithRWLock {
public:
    static const ClassType CLASS_TYPE;

    SXHOST_STANDIN_ONLY Markup();
    ~Markup() override;

    const ClassType* GetClassType() const override;
    virtual void OnApplyPreferences(const du::SmartPtr<Preferences>& preferences);
    virtual bool IsEphemeral() const;
    virtual void OnSetSelected(bool selected);

private:
    virtual void OnChildSetSelected(bool selected);

public:
    virtual void OnRemovedFromHolder();
    virtual void DoPreDrawFixup(const dg::Location& placement);

    // Asks the viewer to redraw this markup's content.
    void NotifyContentChanged();
    // Makes data the drawn content.
    void SetContent(const du::SmartPtr<sxmk::MarkupData>& data, bool notify);
    SXHOST_STANDIN_ONLY sxmk::MarkupData* GetContent() const;
    void SetType(int markupType);
    SXHOST_STANDIN_ONLY int GetType() const { return typeCode; }

    // The controller that applies finished drags; may be null.
    MarkupController* GetController() const { return markupController; }
    SXHOST_STANDIN_ONLY void SetController(MarkupController* c) { markupController = c; }

    // Object space of the markup in the world (identity unless set).
    SXHOST_STANDIN_ONLY dg::Location placement;
    SXHOST_STANDIN_ONLY int contentChangedCount = 0;
    SXHOST_STANDIN_ONLY int setContentCount = 0;

private:
    // Private names that derived markups are unlikely to reuse for their own locals.
    MarkupController* markupController = nullptr;
    du::SmartPtr<sxmk::MarkupData> drawnContent;
    int typeCode = 0;
};

// Applies a finished drag of a markup's shadow to the markup and makes it undoable.
class SXHOST_API MarkupController {
public:
    virtual ~MarkupController();
    // True when the markup changed.
    virtual bool HandleShadowStop(const du::SmartPtr<Markup>& markup,
                                  const du::SmartPtr<Markup>& shadow,
                                  const du::SmartPtr<Operation>& operation) = 0;
};

}  // namespace sxk

SXHOST_HEADER_END
