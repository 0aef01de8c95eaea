// The edge-case guide stays true: each picture in docs/img/ is the frame that the replay draws now
// for its scenario (drawn over its scene, in one picture), and the guide names only scenarios,
// pictures and tests that exist.
#include "Frames.h"
#include "HostFixture.h"
#include "Replay.h"
#include "Scenario.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kRoot(ILLSXMK_SOURCE_DIR);
const char* const kRedraw = "run scripts/edge-case-pictures.sh and commit docs/img/";

std::string ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// One line of docs/edge-case-frames.txt: which frame of which scenario is its picture.
struct PictureRow {
    std::string scenario;
    std::size_t frame = 0;
};

// The rows of the list; a malformed line is a failure of the calling test.
std::vector<PictureRow> ReadFrameList() {
    std::vector<PictureRow> rows;
    std::istringstream lines(ReadFile(kRoot / "docs" / "edge-case-frames.txt"));
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        std::istringstream words(line);
        PictureRow row;
        std::string extra;
        if (!(words >> row.scenario) || row.scenario[0] == '#')
            continue;
        if (!(words >> row.frame) || (words >> extra))
            ADD_FAILURE() << "docs/edge-case-frames.txt:" << number << ": expected "
                          << "\"scenario frame\", got \"" << line << "\"";
        else
            rows.push_back(row);
    }
    return rows;
}

// Where two texts first differ, as "line N: expected ... got ...".
std::string FirstDifference(const std::string& committed, const std::string& drawn) {
    std::istringstream a(committed), b(drawn);
    std::string la, lb;
    for (int line = 1;; ++line) {
        const bool moreA = static_cast<bool>(std::getline(a, la));
        const bool moreB = static_cast<bool>(std::getline(b, lb));
        if (!moreA && !moreB)
            return "same lines, different bytes";
        if (!moreA || !moreB || la != lb)
            return "line " + std::to_string(line) + ": committed \"" + (moreA ? la : "(end)") +
                   "\", drawn now \"" + (moreB ? lb : "(end)") + "\"";
    }
}

class EdgeCasePictures : public testsupport::HostFixture {};

TEST_F(EdgeCasePictures, EachPictureIsTheFrameTheReplayDrawsNow) {
    const std::vector<PictureRow> rows = ReadFrameList();
    ASSERT_FALSE(rows.empty());
    for (const PictureRow& row : rows) {
        SCOPED_TRACE(row.scenario);
        const fs::path json = kRoot / "examples" / (row.scenario + ".json");
        const replay::ParseOutcome parsed = replay::ParseScenario(ReadFile(json));
        ASSERT_TRUE(parsed.scenario.has_value()) << json << ": " << parsed.error;

        const fs::path dir = fs::path(::testing::TempDir()) / ("edge-case-" + row.scenario);
        fs::remove_all(dir);
        std::ostringstream out, err;
        const replay::ReplayResult result =
            replay::ReplayScenario(*parsed.scenario, {dir.string(), true}, out, err);
        EXPECT_EQ(result.status, replay::kExitOk) << err.str();
        ASSERT_LT(row.frame, result.framesWritten)
            << "docs/edge-case-frames.txt names frame " << row.frame << " of " << row.scenario
            << ", which has " << result.framesWritten << " frames";

        char frame[32];
        std::snprintf(frame, sizeof frame, "frame-%03zu.svg", row.frame);
        const std::string drawn =
            replay::WholePicture(ReadFile(dir / "scene.svg"), ReadFile(dir / frame));
        const fs::path picture = kRoot / "docs" / "img" / (row.scenario + ".svg");
        ASSERT_TRUE(fs::exists(picture))
            << "docs/img/" << row.scenario << ".svg is missing; " << kRedraw;
        const std::string committed = ReadFile(picture);
        EXPECT_TRUE(committed == drawn)
            << "docs/img/" << row.scenario << ".svg is not what the replay draws now as frame "
            << row.frame << " of examples/" << row.scenario << ".json ("
            << FirstDifference(committed, drawn) << "); " << kRedraw;
        fs::remove_all(dir);
    }
}

TEST_F(EdgeCasePictures, EveryPictureInTheFolderIsListed) {
    std::set<std::string> listed;
    for (const PictureRow& row : ReadFrameList())
        EXPECT_TRUE(listed.insert(row.scenario + ".svg").second)
            << row.scenario << " is listed twice in docs/edge-case-frames.txt";
    for (const auto& entry : fs::directory_iterator(kRoot / "docs" / "img")) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() == ".svg") {
            EXPECT_EQ(listed.count(name), 1u)
                << "docs/img/" << name << " belongs to no line of docs/edge-case-frames.txt; "
                << kRedraw;
        }
    }
}

// Every scenario, picture and test that the guide points to exists, and every picture is shown.
TEST_F(EdgeCasePictures, TheGuidePointsOnlyToWhatExists) {
    const std::string guide = ReadFile(kRoot / "docs" / "edge-cases.md");
    ASSERT_FALSE(guide.empty());

    const std::regex scenario(R"(examples/([A-Za-z0-9_-]+\.json))");
    int scenarios = 0;
    for (std::sregex_iterator it(guide.begin(), guide.end(), scenario), end; it != end; ++it) {
        ++scenarios;
        EXPECT_TRUE(fs::exists(kRoot / "examples" / (*it)[1].str())) << (*it)[0].str();
    }
    EXPECT_GT(scenarios, 0);

    std::set<std::string> shown;
    const std::regex picture(R"(\(img/([A-Za-z0-9_-]+)\.svg\))");
    for (std::sregex_iterator it(guide.begin(), guide.end(), picture), end; it != end; ++it)
        shown.insert((*it)[1].str());
    for (const PictureRow& row : ReadFrameList())
        EXPECT_EQ(shown.count(row.scenario), 1u)
            << "the guide does not show docs/img/" << row.scenario << ".svg";
    for (const std::string& name : shown)
        EXPECT_TRUE(fs::exists(kRoot / "docs" / "img" / (name + ".svg"))) << name;

    // Tests are named as `Suite.Name` (tests/folder/File.cpp).
    const std::regex test(R"(`([A-Za-z0-9_]+)\.([A-Za-z0-9_]+)` \((tests/[A-Za-z0-9_/]+\.cpp)\))");
    int tests = 0;
    for (std::sregex_iterator it(guide.begin(), guide.end(), test), end; it != end; ++it) {
        ++tests;
        const std::string source = ReadFile(kRoot / (*it)[3].str());
        const std::regex defined("TEST(_F|_P)?\\(" + (*it)[1].str() + ",\\s*" + (*it)[2].str() +
                                 "\\)");
        EXPECT_TRUE(std::regex_search(source, defined))
            << (*it)[0].str() << " names a test that its file does not define";
    }
    EXPECT_GT(tests, 0);
}

}  // namespace
