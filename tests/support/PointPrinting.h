#pragma once

// Readable points and vectors in GoogleTest failure messages (instead of their bytes).

#include <dg/Vector.h>

#include <ostream>

namespace dg {
inline void PrintTo(const DPoint3D& p, std::ostream* os) {
    *os << "(" << p.x << ", " << p.y << ", " << p.z << ")";
}
inline void PrintTo(const DVec3& v, std::ostream* os) {
    *os << "<" << v.x << ", " << v.y << ", " << v.z << ">";
}
}  // namespace dg
