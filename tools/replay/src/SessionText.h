#pragma once

// The session in words: the scene as set up with where everything lies in the window, what the
// session did so far, the picks still pending, and the formats the log lines share.

#include "SessionView.h"
#include "WindowShapes.h"

#include <string>
#include <vector>

namespace replay {

// A window position: "412,300" (a point in the window is rounded to whole pixels); a point more
// than a million pixels out, or not finite, is "far off the window".
std::string Pixel(int x, int y);
std::string Pixel(const Point2& p);
// "at pixel 412,300", or "far off the window".
std::string AtPixel(const Point2& p);
// Where a pick was asked for, and its flags: "412,300 (flags 0x0001)".
std::string PickPlace(const sxk::ShapeView::PendingPick& pick);
// A preselection colour as the viewer keeps it: "0xFF8000 (integer)", "removed", ...
std::string PreferenceText(const PreferenceValue& value);

// "[view 2] " before what a line says about one view, when there are two; "" otherwise.
std::string ViewPrefix(const ReplayScene& scene, std::size_t view);
// The scene as set up: markups, their handles and where they are in the window.
std::vector<std::string> DescribeScene(const SessionView& session);
// Each pick still waiting for its results: "at 412,300 (flags 0x0001)".
std::vector<std::string> PendingPicks(const ReplayScene& scene);
// What the session did so far: operations, undo and redo stacks, controller calls, picks still
// pending.
std::vector<std::string> Summary(const SessionView& session);

}  // namespace replay
