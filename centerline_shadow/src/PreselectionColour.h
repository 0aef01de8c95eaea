#pragma once

#include <dg/Color.h>
#include <du/SmartPtr.h>
#include <sxk/Preferences.h>

namespace sxmk {

// Reads the viewer's preselection colour into colour; false (colour unchanged) for absent
// preferences or a value that is not a colour. Not exported.
bool ReadPreselectionColour(const du::SmartPtr<sxk::Preferences>& preferences, dg::Color& colour);

}  // namespace sxmk
