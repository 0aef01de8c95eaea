#pragma once

// The inputs kept under fuzz/corpus/<target>/, replayed through a target's harness.

#include "../../fuzz/harness/Check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

namespace fuzzcorpus {

namespace fs = std::filesystem;

// The corpus of the source tree this test was built from; ILLSXMK_FUZZ_CORPUS points elsewhere.
inline fs::path CorpusRoot() {
    if (const char* root = std::getenv("ILLSXMK_FUZZ_CORPUS"))
        return fs::path(root);
    return fs::path(__FILE__).parent_path().parent_path().parent_path() / "fuzz" / "corpus";
}

inline std::vector<fs::path> Inputs(const std::string& target) {
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

inline std::vector<std::uint8_t> ReadAll(const fs::path& file) {
    std::ifstream stream(file, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(stream),
                                     std::istreambuf_iterator<char>());
}

using Harness = fuzzharness::Outcome (*)(const std::uint8_t*, std::size_t);

inline void ReplayCorpus(const std::string& target, Harness run) {
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

}  // namespace fuzzcorpus
