// Compiled by the interface tests with the include folders and defines of one of the library's
// sources: a standard algorithm over the viewer's points compiles, and one that needs the
// stand-in's own point comparison (ILLSXMK_PROBE_STD_FIND) must be refused, although the
// comparison is used inside the standard library's headers.
#include <dg/Vector.h>

#include <algorithm>
#include <vector>

std::size_t ProbePoints(const std::vector<dg::DPoint3D>& points, const dg::DPoint3D& p) {
#if defined(ILLSXMK_PROBE_STD_FIND)
    return static_cast<std::size_t>(std::find(points.begin(), points.end(), p) - points.begin());
#else
    return static_cast<std::size_t>(std::count_if(
        points.begin(), points.end(),
        [&p](const dg::DPoint3D& q) { return q.x == p.x && q.y == p.y && q.z == p.z; }));
#endif
}
