#pragma once

// A dependency-free runner for the conformance checks: each check is a row of a table, named,
// with the promise it checks; it answers holds, fails (with what the library needs) or reported
// (an answer the library is correct under, printed for the record). Promises that only a running
// viewer can show are listed apart.
#include <functional>
#include <string>
#include <vector>

namespace conformance {

struct Result {
    enum Kind { Holds, Fails, Reported };
    Kind kind = Holds;
    std::string message;
};

inline Result Hold() {
    return {};
}
inline Result Fail(std::string message) {
    return {Result::Fails, std::move(message)};
}
inline Result Report(std::string message) {
    return {Result::Reported, std::move(message)};
}

struct Check {
    const char* name;
    const char* promise;
    std::function<Result()> run;
};

struct ViewerOnly {
    const char* name;
    const char* promise;
};

// Runs every check in order and prints the report to standard output: one line per check, the
// checklist of what needs the viewer, and a summary. Answers the process's exit status: non-zero
// when any check fails.
int RunAll(const std::vector<Check>& checks, const std::vector<ViewerOnly>& needsViewer);

}  // namespace conformance
