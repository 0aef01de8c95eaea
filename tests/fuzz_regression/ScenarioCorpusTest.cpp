// Replays every scenario kept under fuzz/corpus/scenario through the scenario harness: the
// examples and the default session it started from, and every input that once found a fault.
// Built where the replay tool is (not for Windows).
#include "../../fuzz/harness/ScenarioReplay.h"
#include "Corpus.h"

#include <gtest/gtest.h>

namespace {

TEST(FuzzCorpus, ScenarioInputsKeepEveryInvariant) {
    fuzzcorpus::ReplayCorpus("scenario", fuzzharness::RunScenario);
}

}  // namespace
