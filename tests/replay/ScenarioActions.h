#pragma once

// Scenario actions written in code, for the tests that play a session step by step.
#include "Scenario.h"

namespace replaytest {

// A pointer action (hover, press, move, release) at window position (x, y).
inline replay::Action Pointer(replay::Action::Kind kind, int x, int y) {
    replay::Action a;
    a.kind = kind;
    a.x = x;
    a.y = y;
    return a;
}

// An action without arguments (undo, redo).
inline replay::Action Plain(replay::Action::Kind kind) {
    replay::Action a;
    a.kind = kind;
    return a;
}

}  // namespace replaytest
