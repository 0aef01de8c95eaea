#pragma once

#include <sxmk/IllsxmkExport.h>

#include <dg/Vector.h>
#include <du/SmartPtr.h>
#include <du/Symbol.h>
#include <sxk/View.h>
#include <sxmk/CalloutLabel.h>
#include <sxmk/MarkupShadow.h>
#include <sxmu/Model.h>

namespace sxmk {

// The per-view shadow of a callout label: a note dragger that moves the label as a whole. It
// never moves the label: a finished drag computes the position it asks for (GetPos), records one
// operation and hands the result to the label's controller.
class ILLSXMK_API CalloutLabelShadow : public MarkupShadow {
public:
    CalloutLabelShadow(const du::SmartPtr<sxk::View>& view, CalloutLabel* label,
                       const du::SmartPtr<sxmu::ModelNote>& note,
                       const du::SmartPtr<sxmu::ModelNote>& descriptionNote,
                       const du::SmartPtr<sxmu::ModelNote>& titleNote,
                       const du::SmartPtr<sxk::Markup>& ownerMarkup);
    ~CalloutLabelShadow() override;

    dg::DPoint3D GetPos() const;
    void MoveToLabel();
    du::SmartPtr<sxk::Markup> GetMarkup() override;
    bool GetDragCursor(const du::SmartPtr<sxmu::ModelBase>& node,
                       du::Symbol& cursor) const override;

private:
    bool HandleDragStart() override;
    void HandleDragStep() override;
    void HandleDragStop() override;
    void Translate(const dg::DVec3& delta) override;
    void Stop(const dg::DVec3& delta, const du::SmartPtr<sxk::Operation>& operation) override;

    du::SmartPtr<CalloutLabel> label;
    du::SmartPtr<sxmu::ModelNote> note;
    du::SmartPtr<sxmu::ModelNoteDragger> dragger;
    du::SmartPtr<sxk::Markup> ownerMarkup;
    dg::DPoint3D pos;
};

}  // namespace sxmk
