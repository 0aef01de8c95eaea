// The preselection colour of the centre-line handles, from the viewer's preferences.
#include <sxmk/CenterLineXYZShadow.h>

namespace sxmk {

namespace {

const char* const preselectionColorKey = "General/Navigation/preselection_color";

}  // namespace

void CenterLineXYZShadow::OnApplyPreferences(const du::SmartPtr<sxk::Preferences>& preferences) {
    // A view without default preferences hands the constructor none.
    if (!preferences)
        return;
    dg::Color colour(0.0f, 0.0f, 0.0f, 1.0f);
    if (!preferences->GetIntUIAsColor(preselectionColorKey, colour, nullptr))
        return;

    // Only the preselected sets are replaced: a handle highlighted now keeps drawing the sets
    // it holds until it is cleared and highlighted again.
    if (jogAxis)
        jogAxis->SetPreselectColor(colour);
    if (startExtensionAxis)
        startExtensionAxis->SetPreselectColor(colour);
    if (endExtensionAxis)
        endExtensionAxis->SetPreselectColor(colour);
    preselectRenderAttrs = MakeRenderAttrs(colour, 2, 2);
    preselectFillAttrs = MakeFillAttrs(colour);
}

}  // namespace sxmk
