// The session played when no scenario is given.
#include "Scenario.h"

namespace replay {

const std::string& DefaultScenarioText() {
    static const std::string text = R"json({
  "name": "default session",
  "view": {"viewport": [800, 600], "camera": {"eye": [4, 3, 20], "target": [4, 1, 0], "fieldOfView": 45}},
  "markups": [{"id": "cl1", "start": [0, 0, 0], "end": [6, 0, 0], "startExtension": 1, "endExtension": 1}],
  "actions": []
})json";
    return text;
}

}  // namespace replay
