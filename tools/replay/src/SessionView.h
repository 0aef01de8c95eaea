#pragma once

// What the parts of a replayed session share: the log of a step, the pointer as the viewer last
// saw it, and a read-only view of the session's state for the parts that only look at it (the
// checks, the frames, the text output).

#include "ReplayScene.h"
#include "Scenario.h"

#include <cstddef>
#include <string>
#include <vector>

namespace replay {

class UndoController;

struct ActionLog {
    std::string headline;              // "[3] press 412,300: grabbed cl1 end-point sphere"
    std::vector<std::string> details;  // what the library and the host did, one line each
    int checksPassed = 0;
    int checksFailed = 0;
};

struct Pointer {
    bool known = false;
    std::size_t view = 0;  // the view whose window it is in
    int x = 0;
    int y = 0;
    bool pressed = false;
    bool dragging = false;
    int startX = 0;
    int startY = 0;
};

struct SessionView {
    const Scenario& scenario;
    const ReplayScene& scene;
    const UndoController& controller;
    const Pointer& pointer;
};

}  // namespace replay
