// Replays every input kept under fuzz/corpus through the harnesses of the fuzz targets, so the
// seeds and every input that once found a fault stay part of the ordinary test suite (and run
// under the sanitizers of the dev build and on Windows).
#include "../../fuzz/harness/Callout.h"
#include "../../fuzz/harness/Interaction.h"
#include "../../fuzz/harness/RecordPath.h"

#include "Corpus.h"

#include <gtest/gtest.h>

namespace {

using fuzzcorpus::ReplayCorpus;

TEST(FuzzCorpus, RecordPathInputsKeepEveryInvariant) {
    ReplayCorpus("record_path", fuzzharness::RunRecordPath);
}

TEST(FuzzCorpus, InteractionInputsKeepEveryInvariant) {
    ReplayCorpus("interaction", fuzzharness::RunInteraction);
}

TEST(FuzzCorpus, CalloutInputsKeepEveryInvariant) {
    ReplayCorpus("callout", fuzzharness::RunCallout);
}

}  // namespace
