// How the fuzz harnesses read a hostile viewer's plan from an input, and that each run starts and
// ends with a polite viewer whatever the run before it asked for.
#include "../../fuzz/harness/Callout.h"
#include "../../fuzz/harness/HostilePlan.h"
#include "../../fuzz/harness/Interaction.h"

#include <sxk/HostileViewer.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using sxk::HostileViewer;

std::vector<std::uint8_t> Bytes(const std::string& text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

// An input of the committed corpus.
std::vector<std::uint8_t> CorpusInput(const std::string& target, const std::string& name) {
    const std::filesystem::path file =
        std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "fuzz" /
        "corpus" / target / name;
    std::ifstream stream(file, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(stream),
                                     std::istreambuf_iterator<char>());
}

class HostilePlanTest : public testing::Test {
protected:
    void SetUp() override { HostileViewer::Reset(); }
    void TearDown() override { HostileViewer::Reset(); }
};

TEST_F(HostilePlanTest, ReadsTheMarkerAndTheStartOfThePlanOnly) {
    struct Case {
        const char* what;
        std::string input;
        bool on;
        unsigned behaviours;
        unsigned options;
        int nextByte;  // what the harness reads first after the plan; -1 at the end
    };
    const Case cases[] = {
        {"no marker", std::string("HOSx\x03\x21\x00\x15", 8), false, 0, 0, 'H'},
        {"marker not at the front", std::string("xHOST\x03\x21\x00\x15", 9), false, 0, 0, 'x'},
        {"plan, then the actions", std::string("HOST\x03\x21\x00\x15\x07", 9), true,
         0x21u & fuzzharness::kPlayable, 0x15, 7},
        {"unknown behaviour bits", std::string("HOST\x03\xff\xff\x00\x07", 9), true,
         fuzzharness::kPlayable, 0, 7},
        {"plan longer than the input", std::string("HOST\x10\x01", 6), true, 1, 0, -1},
        {"empty plan", std::string("HOST\x00\x09", 6), true, 0, 0, 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HostileViewer::Reset();
        const std::vector<std::uint8_t> bytes = Bytes(c.input);
        fuzzharness::ByteReader in(bytes.data(), bytes.size());
        const fuzzharness::HostilePlan plan(in);
        EXPECT_EQ(plan.On(), c.on);
        EXPECT_EQ(HostileViewer::Active(), c.behaviours);
        EXPECT_EQ(plan.Options(), c.options);
        EXPECT_EQ(in.Empty() ? -1 : static_cast<int>(in.U8()), c.nextByte);
    }
}

TEST_F(HostilePlanTest, MakesEachChangeBeforeItsStep) {
    const std::vector<std::uint8_t> bytes = {
        'H',  'O',  'S',  'T', 0x0f,  // the marker, the plan's length
        0x01, 0x00, 0x00,             // behaviour 0 on, no options
        0x02, 0x00, 0x03,             // step 2: flip behaviour 3
        0x02, 0x01, 0x40,             // step 2: options 0x40
        0x04, 0x02, 0x5a,             // step 4: the harness's own change, reading 0x5a
        0x01, 0x00, 0x00,             // step 1, already past at step 4: flip behaviour 0
    };
    fuzzharness::ByteReader in(bytes.data(), bytes.size());
    fuzzharness::HostilePlan plan(in);
    std::vector<int> own;
    const auto ownChange = [&own](fuzzharness::ByteReader& from) { own.push_back(from.U8()); };

    struct Expected {
        unsigned behaviours;
        unsigned options;
        std::size_t ownChanges;
    };
    const Expected byStep[] = {{0x1, 0, 0},    {0x1, 0, 0},    {0x9, 0x40, 0},
                               {0x9, 0x40, 0}, {0x8, 0x40, 1}, {0x8, 0x40, 1}};
    for (int step = 0; step < 6; ++step) {
        SCOPED_TRACE(step);
        plan.Before(step, ownChange);
        EXPECT_EQ(HostileViewer::Active(), byStep[step].behaviours);
        EXPECT_EQ(plan.Options(), byStep[step].options);
        EXPECT_EQ(own.size(), byStep[step].ownChanges);
    }
    EXPECT_EQ(own, std::vector<int>{0x5a});
}

// A viewer left hostile by whatever ran before (behaviours on, hooks set) must not reach a run
// whose input asks for a polite one, and a hostile run must leave nothing behind.
TEST_F(HostilePlanTest, EachRunStartsAndEndsWithAPoliteViewer) {
    struct Case {
        const char* target;
        fuzzharness::Outcome (*run)(const std::uint8_t*, std::size_t);
        const char* input;  // drags a handle and releases it, so the controller is called
    };
    const Case cases[] = {
        {"interaction", fuzzharness::RunInteraction, "seed-extension-drags"},
        {"callout", fuzzharness::RunCallout, "seed-no-view"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        int hooksCalled = 0;
        HostileViewer::Set(HostileViewer::kAll);
        HostileViewer::LetGo() = [&hooksCalled] { ++hooksCalled; };
        HostileViewer::Rebuild() = [&hooksCalled] { ++hooksCalled; };
        HostileViewer::CallBack() = [&hooksCalled](sxk::Markup&) { ++hooksCalled; };
        const std::vector<std::uint8_t> polite = CorpusInput(c.target, c.input);
        ASSERT_FALSE(polite.empty());
        EXPECT_TRUE(c.run(polite.data(), polite.size()).Ok());
        EXPECT_EQ(hooksCalled, 0);

        // The same actions against a viewer with every behaviour on.
        std::vector<std::uint8_t> hostile = Bytes(std::string("HOST\x03\xff\x01\x00", 8));
        hostile.insert(hostile.end(), polite.begin(), polite.end());
        EXPECT_TRUE(c.run(hostile.data(), hostile.size()).Ok());
        EXPECT_EQ(HostileViewer::Active(), 0u);
        EXPECT_FALSE(HostileViewer::LetGo());
        EXPECT_FALSE(HostileViewer::Rebuild());
        EXPECT_FALSE(HostileViewer::CallBack());
    }
}

}  // namespace
