#pragma once

// The whole job: validate a scenario, play it, print the log, write the frames and the page.

#include "Scenario.h"

#include <ostream>
#include <string>
#include <vector>

namespace replay {

// Exit statuses of the program.
constexpr int kExitOk = 0;
constexpr int kExitCheckFailed = 1;  // an expect action did not hold
constexpr int kExitBadInput = 2;     // bad command line or scenario; nothing written
constexpr int kExitNoOutput = 3;     // the frames could not be written, or the host failed

struct ReplayOptions {
    std::string outDir = "replay-out";
    bool writeFiles = true;
};

struct ReplayResult {
    int status = kExitOk;
    int checksPassed = 0;
    int checksFailed = 0;
    std::size_t framesWritten = 0;
    long objectsLeftAlive = 0;  // host reference-counted objects the session did not release
    long poolBlocksLeft = 0;
    std::vector<std::string> log;  // everything printed to standard output
};

// Plays a validated scenario. The log goes to out (and into the result), progress and failures
// to err.
ReplayResult ReplayScenario(const Scenario& scenario, const ReplayOptions& options,
                            std::ostream& out, std::ostream& err);

// illsxmk-replay [SCENARIO.json] [--out DIR]; answers the exit status.
int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace replay
