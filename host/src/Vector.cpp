#include <dg/Vector.h>
#include <sxk/HostileViewer.h>

#include <cmath>
#include <limits>

namespace dg {

bool DVec3::Normalize() {
    const double n = Norm();
    if (!(n > 0.0) || !std::isfinite(n)) {
        // The contract leaves a zero vector's answer open; the stand-in can give the worst one.
        if (n == 0.0 && sxk::HostileViewer::IsOn(sxk::HostileViewer::NormalizeZeroGivesNaN))
            x = y = z = std::numeric_limits<double>::quiet_NaN();
        return false;
    }
    x /= n;
    y /= n;
    z /= n;
    return true;
}

}  // namespace dg
