#pragma once

// The library's own numbers, for tests that check them: read from the library rather than typed
// again, so that a value changed there is changed here.

#include "Constants.h"

namespace sxmk {
namespace detail {

// Two values the library still keeps in its own files (the sphere's radius in
// CenterLineXYZShadow.cpp, the preference key in CenterLineXYZShadowPreferences.cpp), written
// here once under the names they take in Constants.h. Once Constants.h has them, these two go
// (a redefinition error points here until they do).
constexpr double kSphereRadius = 0.16;
constexpr const char* kPreselectionColorKey = "General/Navigation/preselection_color";

}  // namespace detail
}  // namespace sxmk
