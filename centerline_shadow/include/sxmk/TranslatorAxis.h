#pragma once

#include <sxmk/IllsxmkExport.h>

#include <attrs/FillAttr.h>
#include <dg/Color.h>
#include <dg/Location.h>
#include <du/RefCounted.h>
#include <du/SmartPtr.h>
#include <sxmu/Model.h>

namespace sxmk {

// Colour of every handle appearance set until the viewer's preselection colour replaces the
// preselected ones.
ILLSXMK_API extern const dg::Color defaultHandleColor;

// A new render attribute set of the colour, weight and mode.
ILLSXMK_API du::SmartPtr<sxmu::RenderAttrsVector> MakeRenderAttrs(const dg::Color& colour,
                                                                  int weight, int mode);
// The attribute server's shared solid fill of the colour (a new request each call).
ILLSXMK_API du::ConstSmartPtr<attrs::FillAttr> MakeFillAttrs(const dg::Color& colour);
// A leader line from the origin to tip with a cone arrowhead.
ILLSXMK_API du::SmartPtr<sxmu::ModelLeaderLine> MakeArrow(const dg::DVec3& tip);

// An arrow handle: its display node and its normal and preselected appearance sets.
class ILLSXMK_API TranslatorAxis : public du::RefCounted {
public:
    explicit TranslatorAxis(const dg::DVec3& tip);
    // The same with the preselected sets built in the given colour rather than the default one
    // (as if SetPreselectColor had followed, without building the default sets first).
    TranslatorAxis(const dg::DVec3& tip, const dg::Color& preselectColour);
    TranslatorAxis(const TranslatorAxis&) = delete;
    TranslatorAxis& operator=(const TranslatorAxis&) = delete;
    ~TranslatorAxis() override;

    void Highlight();
    void ClearHighlight();
    void SetPlacement(const dg::Location& placement);
    void SetPreselectColor(const dg::Color& colour);

    du::SmartPtr<sxmu::RenderAttrsVector> preselectLineAttrs;
    du::SmartPtr<sxmu::RenderAttrsVector> lineAttrs;
    du::SmartPtr<sxmu::RenderAttrsVector> preselectHeadAttrs;
    du::SmartPtr<sxmu::RenderAttrsVector> headAttrs;
    du::ConstSmartPtr<attrs::FillAttr> preselectHeadFill;
    du::ConstSmartPtr<attrs::FillAttr> headFill;
    du::SmartPtr<sxmu::ModelLeaderLine> arrow;
};

}  // namespace sxmk
