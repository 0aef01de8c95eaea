#pragma once

// The whole job: validate a scenario, play it, print the log, write the frames and the page.

#include "Scenario.h"

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace replay {

// Exit statuses of the program.
constexpr int kExitOk = 0;
constexpr int kExitCheckFailed = 1;  // an expect action did not hold
constexpr int kExitBadInput = 2;     // bad command line or scenario; nothing written
constexpr int kExitNoOutput = 3;     // the frames could not be written, or the host failed

// What a run writes at most unless --max-output raises it: far more than a session of
// thousands of steps needs, far less than a disk.
constexpr std::uint64_t kDefaultMaxOutputMiB = 100;

struct ReplayOptions {
    std::string outDir = "replay-out";
    bool writeFiles = true;
    // Bytes of all files written; the file that would go beyond is not written, nor any after.
    std::uint64_t maxOutputBytes = kDefaultMaxOutputMiB << 20;
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

// illsxmk-replay [SCENARIO.json] [--out DIR] [--max-output MIB]; answers the exit status.
int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace replay
