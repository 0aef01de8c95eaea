// Writing a scenario's values (ScenarioWriting.h): doubles in their shortest exact form,
// single-precision values in the shortest decimal that reads back to the same float.
#include "ScenarioWriting.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace replay {
namespace writing {

Json Number(double v) {
    // -0 stays a double: as an integer it would come back as +0.
    if (std::fabs(v) < 1e15 && v == std::trunc(v) && !(v == 0.0 && std::signbit(v)))
        return static_cast<long long>(v);
    return v;
}

// Reading goes through a double, as the parser does.
Json Single(float v) {
    char buffer[32];
    for (int digits = 6; digits <= 9; ++digits) {
        std::snprintf(buffer, sizeof buffer, "%.*g", digits, static_cast<double>(v));
        if (static_cast<float>(std::strtod(buffer, nullptr)) == v)
            break;
    }
    return Number(std::strtod(buffer, nullptr));
}

Json Point(const dg::DPoint3D& p) {
    return Json::array({Number(p.x), Number(p.y), Number(p.z)});
}

Json Points(const std::vector<dg::DPoint3D>& points) {
    Json out = Json::array();
    for (const dg::DPoint3D& p : points)
        out.push_back(Point(p));
    return out;
}

Json Names(const std::vector<std::string>& names) {
    Json out = Json::array();
    for (const std::string& n : names)
        out.push_back(n);
    return out;
}

}  // namespace writing
}  // namespace replay
