#pragma once

// Runs an expect action's checks against the session as it stands.

#include "Scenario.h"
#include "SessionView.h"

#include <cstddef>
#include "SessionView.h"

namespace replay {

// Each check passes or fails into the log's counts; a failure adds a detail line "FAILED
// cl1.endPoint: expected ..., got ...". The headline gets the markup and the counts. What a
// shadow shows, and the cursor, are read in the given view.
void CheckExpectation(const Expectation& e, std::size_t view, const SessionView& session,
                      ActionLog& log);

}  // namespace replay
