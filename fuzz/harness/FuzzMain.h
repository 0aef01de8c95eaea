#pragma once

// The body of every fuzz target: run one harness on the input and stop the process with the
// violated invariant, so that libFuzzer saves the input as a crash.

#include "Check.h"

#include <cstdio>
#include <cstdlib>

namespace fuzzharness {

inline int Report(const char* target, const Outcome& outcome) {
    if (outcome.Ok())
        return 0;
    std::fprintf(stderr, "%s: invariant violated at %s\n", target, outcome.violation.c_str());
    std::abort();
}

}  // namespace fuzzharness
