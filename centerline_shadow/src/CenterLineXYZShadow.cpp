// The centre-line shadow: construction of its display model, rebuilding and accessors.
#include <sxmk/CenterLineXYZShadow.h>

#include <sxmk/MarkupData.h>

#include "Constants.h"
#include "PickEvent.h"
#include "PreselectionColour.h"

#include <cstddef>

namespace sxmk {

namespace {

constexpr double kSphereRadius = 0.16;

// Takes a node out of the container, duplicates included; a node that is not there is left
// alone (the container must not be asked to remove what it does not hold).
void RemoveAll(sxmu::ModelContainer& container, const du::SmartPtr<sxmu::ModelBase>& node) {
    while (node && container.Contains(node.get()))
        container.Remove(node);
}

// The drawn centre line, empty: a line strip in world units with the centre-line appearance.
du::SmartPtr<sxmu::ModelLineStrip> MakeLineStrip() {
    du::SmartPtr<sxmu::ModelLineStrip> line(new sxmu::ModelLineStrip(detail::kLineStripKind));
    line->SetRenderAttrsByIndex(detail::kLineStripRenderAttrs);
    line->screenSized = false;
    line->screenSizeOption1 = 0;
    line->screenSizeOption2 = 0;
    return line;
}

// The preselection colour of the view's default preferences, or the default handle colour.
dg::Color PreselectionColourOf(const du::SmartPtr<sxk::View>& view) {
    du::SmartPtr<sxk::Preferences> preferences;
    if (view)
        static_cast<void>(view->GetDefaultPreferences(preferences));
    dg::Color colour = defaultHandleColor;
    static_cast<void>(ReadPreselectionColour(preferences, colour));
    return colour;
}

}  // namespace

CenterLineXYZShadow::CenterLineXYZShadow(const du::SmartPtr<sxk::View>& shadowView,
                                         CenterLineXYZ* centerLine)
    : MarkupShadow(shadowView, true),
      markup(centerLine),
      pickedNode(-1),
      preselectHighlighted(false),
      jogAxisEnabled(true),
      startExtensionDir(0.0, 0.0, 0.0),
      endExtensionDir(0.0, 0.0, 0.0),
      screenAxisLength(0.0),
      savedStartExtention(0.0f),
      savedEndExtention(0.0f),
      pickedDragger(NoDragger),
      pendingPick(nullptr) {
    markup->AddReference();
    // The destructor does not run for a constructor that throws: give the reference back here.
    try {
        rootContainer = new sxmu::ModelContainer;

        lineStrip = MakeLineStrip();
        rootContainer->AddHead(lineStrip);

        SetType(detail::kCenterLineShadowType);

        // The preselected sets (the spheres' here, the arrows' in Initialize) are built once, in
        // the view's preselection colour when it has one, rather than in the default colour and
        // then again by the preference hook.
        const dg::Color preselectColour = PreselectionColourOf(view);
        preselectRenderAttrs =
            MakeRenderAttrs(preselectColour, detail::kSolidWeight, detail::kSolidMode);
        normalRenderAttrs =
            MakeRenderAttrs(defaultHandleColor, detail::kSolidWeight, detail::kSolidMode);
        normalFillAttrs = MakeFillAttrs(defaultHandleColor);
        preselectFillAttrs = MakeFillAttrs(preselectColour);

        // A record without an anchor node keeps the default reference point.
        if (markup->anchorNode)
            SetRefPoint(markup->anchorNode->location.GetPos());

        Initialize();

        du::SmartPtr<MarkupData> data(new MarkupData(this));
        data->SetModelBase(rootContainer);
        SetContent(data, false);

        pickedNode = -1;
    } catch (...) {
        markup->RemoveReference();
        throw;
    }
}

CenterLineXYZShadow::~CenterLineXYZShadow() {
    // A pick still on its way must not reach this shadow once it is gone.
    if (pendingPick)
        pendingPick->Detach();
    pendingPick = nullptr;

    // Fields go in reverse declaration order, the markup last.
    normalFillAttrs.reset();
    preselectFillAttrs.reset();
    normalRenderAttrs.reset();
    preselectRenderAttrs.reset();
    startPointItem.reset();
    endPointItem.reset();
    connectionTarget.reset();
    endExtensionAxis.reset();
    startExtensionAxis.reset();
    jogAxis.reset();
    points.clear();
    sphereDraggers.clear();
    lineStrip.reset();
    rootContainer.reset();
    markup->RemoveReference();
}

void CenterLineXYZShadow::Initialize() {
    const std::vector<dg::DPoint3D>& list = *markup->GetPoints();

    sphereDraggers.resize(2);
    sphereDraggers[0] = SphereDraggerFactory(markup->GetStartPoint());
    sphereDraggers[1] = SphereDraggerFactory(markup->GetEndPoint());

    lineStrip->points.reserve(lineStrip->points.size() + list.size());
    for (const dg::DPoint3D& p : list)
        lineStrip->AppendPoint(p);
    points = lineStrip->points;

    // The arrows' preselected sets take the preselection colour in use, the one that the
    // spheres' preselected set holds.
    const dg::Color preselectColour = preselectRenderAttrs->color;
    jogAxis = new TranslatorAxis(markup->GetMainAxisDirection(), preselectColour);
    startExtensionAxis = new TranslatorAxis(startExtensionDir, preselectColour);
    endExtensionAxis = new TranslatorAxis(endExtensionDir, preselectColour);

    SetArrowsDir();

    rootContainer->AddHead(startExtensionAxis->arrow);
    rootContainer->AddHead(endExtensionAxis->arrow);
    rootContainer->AddHead(sphereDraggers[0]);
    rootContainer->AddHead(sphereDraggers[1]);

    if (markup->IsAlongAxis() && jogAxisEnabled) {
        rootContainer->AddHead(jogAxis->arrow);
        const int mid = markup->GetMidPointIndex();
        if (mid >= 0 && static_cast<std::size_t>(mid) < list.size())
            jogAxis->SetPlacement(
                dg::Location(dg::FMat33::IDENTITY, list[static_cast<std::size_t>(mid)]));
    }
}

du::SmartPtr<sxmu::ModelSphere> CenterLineXYZShadow::SphereDraggerFactory(
    const dg::DPoint3D& point) {
    du::SmartPtr<sxmu::ModelSphere> sphere(new sxmu::ModelSphere);
    sphere->screenScale.Set(detail::kHandleScreenScale, detail::kHandleScreenScale,
                            detail::kHandleScreenScale);
    sphere->radius = kSphereRadius;
    sphere->SetRenderAttrsVector(normalRenderAttrs);
    sphere->SetFillAttrs(normalFillAttrs);
    sphere->location.SetPos(point);
    return sphere;
}

void CenterLineXYZShadow::MarkupChanged() {
    // Initialize builds onto an empty line and a container holding only the line: take the
    // earlier vertices and handles out first so that a rebuild never duplicates them.
    lineStrip->points.clear();
    for (const du::SmartPtr<TranslatorAxis>* axis :
         {&jogAxis, &startExtensionAxis, &endExtensionAxis}) {
        if (*axis)
            RemoveAll(*rootContainer, (*axis)->arrow);
    }
    for (const du::SmartPtr<sxmu::ModelSphere>& sphere : sphereDraggers)
        RemoveAll(*rootContainer, sphere);
    // The new handles come with their normal sets.
    preselectHighlighted = false;

    Initialize();
    NotifyContentChanged();
}

std::vector<dg::DPoint3D> CenterLineXYZShadow::GetPoints() const {
    return points;
}

int CenterLineXYZShadow::GetPickedNode() const {
    return pickedNode;
}

du::SmartPtr<sxk::SelectionItem> CenterLineXYZShadow::GetStartPointItem() {
    return startPointItem;
}

du::SmartPtr<sxk::SelectionItem> CenterLineXYZShadow::GetEndPointItem() {
    return endPointItem;
}

du::SmartPtr<sxk::Markup> CenterLineXYZShadow::GetConnectionTarget() const {
    return connectionTarget;
}

du::SmartPtr<sxk::Markup> CenterLineXYZShadow::GetMarkup() {
    return du::SmartPtr<sxk::Markup>(markup);
}

}  // namespace sxmk
