// Arrow handles and the builders of every handle appearance set.
#include <sxmk/TranslatorAxis.h>

#include <attrs/Server.h>

#include "Constants.h"
#include "Geometry.h"
#include "ViewerAdapter.h"

#include <cmath>

namespace sxmk {

const dg::Color defaultHandleColor(0.1f, 0.1f, 0.6f, 0.8f);

namespace {

// Arrowhead cone: the tip lies this far ahead of the line's end, the ring has this radius.
constexpr double kHeadTip = 0.0675;
constexpr double kHeadRing = 0.135;
constexpr int kRingSegments = 10;

}  // namespace

du::SmartPtr<sxmu::RenderAttrsVector> MakeRenderAttrs(const dg::Color& colour, int weight,
                                                      int mode) {
    du::SmartPtr<sxmu::RenderAttrsVector> attrs(new sxmu::RenderAttrsVector);
    attrs->weight = weight;
    attrs->color = colour;
    attrs->renderOption3 = 0;
    attrs->renderSwitch1 = 1;
    attrs->renderSwitch2 = 1;
    attrs->renderOption2 = 0;
    attrs->renderOption1 = 0;
    attrs->mode = mode;
    return attrs;
}

du::ConstSmartPtr<attrs::FillAttr> MakeFillAttrs(const dg::Color& colour) {
    attrs::FillAttr fill;
    fill.fillStyle = 0;
    fill.color = colour;
    du::ConstSmartPtr<attrs::FillAttr> shared;
    attrs::Server::Instance()->ShareFillAttr(shared, fill);
    return shared;
}

du::SmartPtr<sxmu::ModelLeaderLine> MakeArrow(const dg::DVec3& tip) {
    du::SmartPtr<sxmu::ModelLeaderLine> line(new sxmu::ModelLeaderLine);
    line->screenSized = true;
    line->screenSizeOption1 = 0;
    line->screenSizeOption2 = 0;
    line->leaderStyle = 3;

    du::SmartPtr<sxmu::ModelArrowhead> head(new sxmu::ModelArrowhead);
    head->screenSized = true;
    head->screenSizeOption1 = 0;
    head->screenSizeOption2 = 0;

    // A cone along +X: its tip, then a closed ring behind it (the last ring point repeats the
    // first). The ring's x is scaled together with its radius.
    const double k = kHeadTip - 1.0 / std::tan(detail::kPi / 8.0);
    head->AppendPoint(detail::Point(kHeadTip, 0.0, 0.0));
    for (int i = 0; i <= kRingSegments; ++i) {
        const double theta = i * 2.0 * detail::kPi / kRingSegments;
        head->AppendPoint(
            detail::Point(kHeadRing * k, kHeadRing * std::sin(theta), kHeadRing * std::cos(theta)));
    }
    line->SetArrowHead(head);

    line->points.reserve(2);
    line->AppendPoint(dg::DPoint3D::ORIGIN);
    line->AppendPoint(detail::AsPoint(tip));
    return line;
}

TranslatorAxis::TranslatorAxis(const dg::DVec3& tip) : TranslatorAxis(tip, defaultHandleColor) {}

TranslatorAxis::TranslatorAxis(const dg::DVec3& tip, const dg::Color& preselectColour) {
    arrow = MakeArrow(tip);
    arrow->screenScale.Set(detail::kHandleScreenScale, detail::kHandleScreenScale,
                           detail::kHandleScreenScale);

    preselectHeadFill = MakeFillAttrs(preselectColour);
    preselectLineAttrs =
        MakeRenderAttrs(preselectColour, detail::kArrowLinePreselectWeight, detail::kArrowLineMode);
    lineAttrs =
        MakeRenderAttrs(defaultHandleColor, detail::kArrowLineWeight, detail::kArrowLineMode);
    preselectHeadAttrs = MakeRenderAttrs(preselectColour, detail::kSolidWeight, detail::kSolidMode);
    headAttrs = MakeRenderAttrs(defaultHandleColor, detail::kSolidWeight, detail::kSolidMode);
    headFill = MakeFillAttrs(defaultHandleColor);

    ClearHighlight();
}

// Members go in reverse declaration order: the arrow first, then the six sets.
TranslatorAxis::~TranslatorAxis() = default;

void TranslatorAxis::Highlight() {
    arrow->SetRenderAttrsVector(preselectLineAttrs);
    const du::SmartPtr<sxmu::ModelArrowhead> head = arrow->GetArrowHead();
    head->SetRenderAttrsVector(preselectHeadAttrs);
    head->SetFillAttrs(preselectHeadFill);
}

void TranslatorAxis::ClearHighlight() {
    arrow->SetRenderAttrsVector(lineAttrs);
    const du::SmartPtr<sxmu::ModelArrowhead> head = arrow->GetArrowHead();
    head->SetRenderAttrsVector(headAttrs);
    head->SetFillAttrs(headFill);
}

void TranslatorAxis::SetPlacement(const dg::Location& placement) {
    if (&placement == &arrow->location)
        return;
    arrow->location = placement;
}

void TranslatorAxis::SetPreselectColor(const dg::Color& colour) {
    preselectHeadFill = MakeFillAttrs(colour);
    preselectLineAttrs =
        MakeRenderAttrs(colour, detail::kArrowLinePreselectWeight, detail::kArrowLineMode);
    preselectHeadAttrs = MakeRenderAttrs(colour, detail::kSolidWeight, detail::kSolidMode);
}

}  // namespace sxmk
