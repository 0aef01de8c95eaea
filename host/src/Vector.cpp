#include <dg/Vector.h>
#include <sxk/HostileViewer.h>

#include <cmath>
#include <limits>

namespace dg {

bool DVec3::Normalize() {
    const double n = Norm();
    if (!(n > 0.0) || !std::isfinite(n)) {
        // The contract leaves a zero vector's answer open; the stand-in can give the worst one.
#if defined(ILLSXMK_DEVIANT_NORMALIZE_ZERO_NAN)
        // Test-only: always the not-a-number answer, as a viewer may give it.
        const bool nan = true;
#else
        const bool nan = sxk::HostileViewer::IsOn(sxk::HostileViewer::NormalizeZeroGivesNaN);
#endif
        if (n == 0.0 && nan)
            x = y = z = std::numeric_limits<double>::quiet_NaN();
        return false;
    }
    x /= n;
    y /= n;
    z /= n;
    return true;
}

}  // namespace dg
