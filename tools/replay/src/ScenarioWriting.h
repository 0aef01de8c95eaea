#pragma once

// Writing a scenario's values, shared by the writer (ScenarioWriter.cpp) and the expectation
// fields that write themselves (ExpectationFields.cpp). Every value is written so that reading
// it back gives the same bits.

#include "Scenario.h"

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace replay {
namespace writing {

using Json = nlohmann::ordered_json;

// Whole numbers as integers ("2" rather than "2.0"); the parser reads either.
Json Number(double v);
// The shortest decimal that reads back as the same float.
Json Single(float v);
Json Point(const dg::DPoint3D& p);
Json Points(const std::vector<dg::DPoint3D>& points);
Json Names(const std::vector<std::string>& names);
// A view's camera as a scenario writes it: eye, target, up and projection (a plain view: target).
Json Camera(const ViewInput& v);

}  // namespace writing
}  // namespace replay
