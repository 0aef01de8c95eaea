// The preselection colour of the centre-line handles, from the viewer's preferences.
#include <sxmk/CenterLineXYZShadow.h>

#include "Constants.h"
#include "KeepAlive.h"
#include "PreselectionColour.h"
#include "ViewerAdapter.h"

namespace sxmk {

bool ReadPreselectionColour(const du::SmartPtr<sxk::Preferences>& preferences, dg::Color& colour) {
    // A view without default preferences hands the constructor none.
    if (!detail::IsSet(preferences))
        return false;
    dg::Color read(0.0f, 0.0f, 0.0f, 1.0f);
    if (!preferences->GetIntUIAsColor(detail::kPreselectionColorKey, read, nullptr))
        return false;
    colour = read;
    return true;
}

void CenterLineXYZShadow::OnApplyPreferences(const du::SmartPtr<sxk::Preferences>& preferences) {
    const detail::KeepAlive<CenterLineXYZShadow> alive(this);
    dg::Color colour = defaultHandleColor;
    if (!ReadPreselectionColour(preferences, colour))
        return;

    // Only the preselected sets are replaced: a handle highlighted now keeps drawing the sets
    // it holds until it is cleared and highlighted again.
    for (TranslatorAxis* axis :
         {detail::Raw(jogAxis), detail::Raw(startExtensionAxis), detail::Raw(endExtensionAxis)}) {
        if (axis != nullptr)
            axis->SetPreselectColor(colour);
    }
    preselectRenderAttrs = MakeRenderAttrs(colour, detail::kSolidWeight, detail::kSolidMode);
    preselectFillAttrs = MakeFillAttrs(colour);
}

}  // namespace sxmk
