#pragma once

// Moving a view's camera as the viewer's navigation does: set anew, turned about its target,
// panned, zoomed.

#include "Scenario.h"

namespace replay {

// The view's camera after the move, in the order set, orbit, pan, zoom. The result is a valid
// camera whenever the view was: turning carries the up direction along, panning moves eye and
// target together, zooming keeps the line of sight (a near distance the eye passes is dropped).
ViewInput MoveCamera(const ViewInput& view, const CameraMove& move);

}  // namespace replay
