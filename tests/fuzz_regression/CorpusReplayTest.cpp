// Replays every input kept under fuzz/corpus through the harnesses of the fuzz targets, so the
// seeds and every input that once found a fault stay part of the ordinary test suite (and run
// under the sanitizers of the dev build and on Windows).
#include "../../fuzz/harness/Callout.h"
#include "../../fuzz/harness/Interaction.h"
#include "../../fuzz/harness/RecordPath.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The corpus of the source tree this test was built from; ILLSXMK_FUZZ_CORPUS points elsewhere.
fs::path CorpusRoot() {
    if (const char* root = std::getenv("ILLSXMK_FUZZ_CORPUS"))
        return fs::path(root);
    return fs::path(__FILE__).parent_path().parent_path().parent_path() / "fuzz" / "corpus";
}

std::vector<fs::path> Inputs(const std::string& target) {
    std::vector<fs::path> files;
    std::error_code error;
    for (fs::directory_iterator it(CorpusRoot() / target, error), end; !error && it != end;
         it.increment(error)) {
        if (it->is_regular_file())
            files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::uint8_t> ReadAll(const fs::path& file) {
    std::ifstream stream(file, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(stream),
                                     std::istreambuf_iterator<char>());
}

using Harness = fuzzharness::Outcome (*)(const std::uint8_t*, std::size_t);

void ReplayCorpus(const std::string& target, Harness run) {
    const std::vector<fs::path> inputs = Inputs(target);
    ASSERT_FALSE(inputs.empty()) << "no inputs under " << (CorpusRoot() / target).string();
    int steps = 0;
    for (const fs::path& file : inputs) {
        const std::vector<std::uint8_t> bytes = ReadAll(file);
        const fuzzharness::Outcome outcome = run(bytes.data(), bytes.size());
        EXPECT_TRUE(outcome.Ok()) << target << "/" << file.filename().string() << ": "
                                  << outcome.violation;
        steps += outcome.steps;
    }
    // The inputs must drive the library past its set-up, or the replay checks nothing.
    EXPECT_GT(steps, static_cast<int>(inputs.size())) << target;
}

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
