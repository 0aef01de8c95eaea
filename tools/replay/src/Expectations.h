#pragma once

// Runs an expect action's checks against the session as it stands.

#include "Scenario.h"
#include "SessionView.h"

namespace replay {

// Each check passes or fails into the log's counts; a failure adds a detail line "FAILED
// cl1.endPoint: expected ..., got ...". The headline gets the markup and the counts.
void CheckExpectation(const Expectation& e, const SessionView& session, ActionLog& log);

}  // namespace replay
