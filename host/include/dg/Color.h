#pragma once

#include <du/StandIn.h>

SXHOST_HEADER_BEGIN

namespace dg {

// Red, green, blue, alpha in [0, 1]. The contract promises the four-float constructor; the
// library reads no component.
struct Color {
    SXHOST_STANDIN_ONLY float r = 0.0f;
    SXHOST_STANDIN_ONLY float g = 0.0f;
    SXHOST_STANDIN_ONLY float b = 0.0f;
    SXHOST_STANDIN_ONLY float a = 1.0f;

    SXHOST_STANDIN_ONLY constexpr Color() = default;
    constexpr Color(float rr, float gg, float bb, float aa) : r(rr), g(gg), b(bb), a(aa) {}

    SXHOST_STANDIN_ONLY bool operator==(const Color& o) const {
        return r == o.r && g == o.g && b == o.b && a == o.a;
    }
    SXHOST_STANDIN_ONLY bool operator!=(const Color& o) const { return !(*this == o); }
};

}  // namespace dg

SXHOST_HEADER_END
