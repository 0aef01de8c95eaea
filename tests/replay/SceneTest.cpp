// The replay's own host side: what a pick finds and in which order, how the window sees geometry
// near and behind the eye, and what the output folder keeps between runs.
#include "HitTest.h"
#include "HostFixture.h"
#include "OutputFolder.h"
#include "Replay.h"
#include "Scenario.h"
#include "Session.h"
#include "SessionText.h"
#include "WindowShapes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

replay::Scenario Parse(const std::string& text) {
    const replay::ParseOutcome outcome = replay::ParseScenario(text);
    EXPECT_TRUE(outcome.scenario.has_value()) << outcome.error;
    return outcome.scenario.value_or(replay::Scenario{});
}

// A perspective view down -z onto the origin, 800 x 600; the window centre is (400, 300).
const char* const kPerspective = R"({
  "view": {"viewport": [800, 600],
           "camera": {"eye": [0, 0, 20], "target": [0, 0, 0], "fieldOfView": 60}},
  "scene": {
    "parts": [{"id": "far", "min": [-1, -1, -6], "max": [1, 1, -4], "instance": "/far"},
              {"id": "near", "min": [-1, -1, 2], "max": [1, 1, 4], "instance": "/near",
               "sbom": "/sbom/near", "weld": "/weld/near"}],
    "labels": [{"id": "tag", "note": "Tag", "position": [-0.3, 0, 10]}]
  },
  "markups": [{"id": "m", "start": [-5, 0, 0], "end": [5, 0, 0]},
              {"id": "back", "start": [0, -5, 30], "end": [0, 7, -30]}],
  "actions": []
})";

class SceneTest : public testsupport::HostFixture {};

TEST_F(SceneTest, PickFindsEverythingUnderThePointerNearestFirst) {
    replay::Session session(Parse(kPerspective));
    const std::vector<replay::PickHit> hits = replay::CastPick(session.Scene(), 0, 400, 300);
    std::vector<std::string> order;
    for (const replay::PickHit& hit : hits)
        order.push_back(hit.description.substr(0, hit.description.find(" at ")));
    // The label floats in front, then the near box, the line at the origin, the far box; the
    // centre line crossing the eye's plane is met once, where the ray passes it.
    const std::vector<std::string> expected{"label tag", "centre line back (shadow)", "part near",
                                            "centre line m (shadow)", "part far"};
    EXPECT_EQ(order, expected);
    for (std::size_t i = 1; i < hits.size(); ++i)
        EXPECT_LE(hits[i - 1].depth, hits[i].depth);
    // A box is met where the ray enters it: the near face.
    ASSERT_GE(hits.size(), 3u);
    EXPECT_NEAR(hits[2].result.point.z, 4.0, 1e-9);
    EXPECT_NEAR(hits[2].result.point.x, 0.0, 1e-9);
}

TEST_F(SceneTest, PickBesideEverythingFindsNothing) {
    replay::Session session(Parse(kPerspective));
    EXPECT_TRUE(replay::CastPick(session.Scene(), 0, 20, 20).empty());
}

TEST_F(SceneTest, GeometryBehindTheEyeIsCutAwayNotMirrored) {
    replay::Session session(Parse(kPerspective));
    const replay::Projector& projector = session.Scene().views[0].projector;
    EXPECT_FALSE(projector.Project({0, 0, 25}).has_value()) << "behind the eye";
    // The line from behind the eye to the far side projects to finite points on one side of
    // the window centre only: the part behind the eye would otherwise come back mirrored.
    const auto runs =
        replay::PolylineInWindow(projector, dg::Location(), {{0, -5, 30}, {0, 5, -30}});
    ASSERT_EQ(runs.size(), 1u);
    for (const replay::Point2& p : runs.front()) {
        EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
        EXPECT_NEAR(p.x, 400.0, 1e-6);
    }
    EXPECT_LT(std::min(runs.front().front().y, runs.front().back().y), 300.0);
}

// The eye sees from its near distance on: by default a thousandth of the distance to the target
// (here 20), or what the scenario gives. The view's camera carries the same distance, so the
// library's projection window agrees with what the replay draws.
TEST_F(SceneTest, TheNearDistanceIsDerivedFromTheTargetOrGiven) {
    const struct {
        const char* camera;
        double nearDistance;
        double shownDepth;   // a point this far in front of the eye is drawn
        double hiddenDepth;  // this one is not
        const char* described;
    } cases[] = {
        {R"("eye": [0, 0, 20], "target": [0, 0, 0], "fieldOfView": 60)", 0.02, 0.03, 0.01, ""},
        {R"("eye": [0, 0, 0.02], "target": [0, 0, 0], "fieldOfView": 60)", 2e-5, 3e-5, 1e-5, ""},
        {R"("eye": [0, 0, 20], "target": [0, 0, 0], "fieldOfView": 60, "near": 5)", 5.0, 6.0, 4.0,
         ", near 5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.camera);
        const replay::Scenario scenario =
            Parse(std::string(R"({"view": {"viewport": [800, 600], "camera": {)") + c.camera +
                  R"(}}, "actions": []})");
        replay::Session session(scenario);
        const replay::ReplayScene& scene = session.Scene();
        EXPECT_DOUBLE_EQ(scene.views[0].shapeView->camera.nearDistance, c.nearDistance);
        const dg::DPoint3D eye = scenario.view.eye;
        EXPECT_TRUE(
            scene.views[0].projector.Project(eye - dg::DVec3(0, 0, c.shownDepth)).has_value());
        EXPECT_FALSE(
            scene.views[0].projector.Project(eye - dg::DVec3(0, 0, c.hiddenDepth)).has_value());
        const std::string view = session.Describe().front();
        EXPECT_EQ(view.find(", near") == std::string::npos, *c.described == '\0') << view;
        EXPECT_NE(view.find(c.described), std::string::npos) << view;
    }
}

// Window positions are whole pixels within a million of the window's corner, rounded half away
// from zero; anything beyond, or not finite, is far off the window, on every platform alike.
TEST(PixelText, PositionsInReachAreRoundedAndTheRestIsFarOffTheWindow) {
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        replay::Point2 at;
        const char* text;
    } cases[] = {
        {{412.4, 299.5}, "412,300"},       {{-0.5, -2.5}, "-1,-3"},
        {{1e6, -1e6}, "1000000,-1000000"}, {{1e6 + 1, 0}, "far off the window"},
        {{0, -4e9}, "far off the window"}, {{4e31, 300}, "far off the window"},
        {{inf, 0}, "far off the window"},  {{0, std::nan("")}, "far off the window"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(replay::Pixel(c.at), c.text) << c.at.x << "," << c.at.y;
        EXPECT_EQ(replay::AtPixel(c.at),
                  c.text[0] == 'f' ? std::string(c.text) : "at pixel " + std::string(c.text));
    }
}

// The scene's description says where far-off things lie without a number that no window has
// (a part 1e8 units out in a parallel view was once "at pixel -294966896").
TEST_F(SceneTest, FarOffObjectsAreDescribedAsFarOffTheWindow) {
    const replay::Scenario scenario = Parse(R"({
      "view": {"viewport": [800, 600],
               "camera": {"eye": [5, 0, 50], "target": [5, 0, 0], "parallelWidth": 20}},
      "scene": {"parts": [{"id": "far", "min": [1e8, 0, 0], "max": [1e8, 1, 1], "instance": "/f"},
                          {"id": "aside", "min": [20, 0, 0], "max": [21, 0, 0], "instance": "/a"}],
                "labels": [{"id": "l", "note": "x", "position": [-1e9, 1e9, 0]}],
                "callouts": [{"id": "c", "note": "y", "position": [0, 1e9, 0]}]},
      "markups": [{"id": "m", "start": [0, 0, 0], "end": [8, 0, 0], "endExtension": 1e30}],
      "actions": []})");
    replay::Session session(scenario);
    std::string text;
    for (const std::string& line : session.Describe())
        text += line + "\n";
    for (const char* line : {"part far (1e+08, 0, 0)..(1e+08, 1, 1), instance \"/f\"; centre far "
                             "off the window\n",
                             "; centre at pixel 1020,300\n", "label l \"x\" far off the window\n",
                             "callout c \"y\" far off the window, box",
                             "endPoint 520,300, startExtension 179,300, endExtension far off the "
                             "window\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << " in\n" << text;
}

// A handle just in front of the eye lies some 1e308 pixels out: the middle of its arrow is still
// a number, not the overflow of adding its ends (which the playground wrote as null).
TEST_F(SceneTest, HandlesFarOffTheWindowLieAtFinitePixels) {
    replay::Session session(Parse(R"({
      "view": {"viewport": [800, 600], "camera": {"eye": [0, 0, 0], "target": [0, 0, -1],
                                                  "fieldOfView": 60, "near": 1e-305}},
      "markups": [{"id": "m", "start": [1.73e5, 0, -1e-300], "end": [1.73e5, 0, -10]}],
      "actions": []})"));
    const auto handles =
        replay::HandlePixels(session.Scene(), session.Scene().centerLines.at(0), 0);
    EXPECT_EQ(handles.size(), 4u);
    for (const auto& [handle, at] : handles)
        EXPECT_TRUE(std::isfinite(at.x) && std::isfinite(at.y)) << replay::HandleKey(handle);
}

// A small session of the given number of hovers.
std::string Hovers(int count) {
    std::string actions;
    for (int i = 0; i < count; ++i)
        actions += std::string(i ? "," : "") + R"({"action": "hover", "x": 1, "y": 1})";
    return R"({"view": {"viewport": [100, 100], "camera": {"eye": [0, 0, 9], "target": [0, 0, 0],
              "parallelWidth": 4}}, "actions": [)" +
           actions + "]}";
}

// Every file of the folder with its content.
std::map<std::string, std::string> Files(const fs::path& dir) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(dir)) {
        std::ifstream file(entry.path(), std::ios::binary);
        files[entry.path().filename().string()] =
            std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    return files;
}

// A second run takes away what the first one wrote, also the frames it does not write again, and
// leaves every other file alone, also those whose names look like the tool's.
TEST_F(SceneTest, OutputFolderKeepsForeignFilesAndDropsOldFrames) {
    const fs::path dir = fs::path(::testing::TempDir()) / "replay-folder";
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::ofstream(dir / "frame-099.svg") << "mine";
    std::ofstream(dir / "frame-logo.svg") << "logo";
    std::ofstream(dir / "notes.txt") << "mine";
    for (const int hovers : {3, 1}) {
        std::ostringstream out, err;
        const replay::ReplayResult result =
            replay::ReplayScenario(Parse(Hovers(hovers)), {dir.string(), true}, out, err);
        EXPECT_EQ(result.status, replay::kExitOk) << err.str();
    }
    const std::map<std::string, std::string> files = Files(dir);
    for (const char* gone : {"frame-002.svg", "frame-003.svg"})
        EXPECT_EQ(files.count(gone), 0u) << gone;
    for (const char* written : {"frame-000.svg", "frame-001.svg", "index.html"})
        EXPECT_EQ(files.count(written), 1u) << written;
    EXPECT_EQ(files.at("frame-099.svg"), "mine");
    EXPECT_EQ(files.at("frame-logo.svg"), "logo");
    EXPECT_EQ(files.at("notes.txt"), "mine");

    // A file where the folder should be: the run says so and fails with status 3.
    std::ostringstream out2, err2;
    EXPECT_EQ(replay::RunCommandLine({"--out", (dir / "notes.txt").string()}, out2, err2),
              replay::kExitNoOutput);
    EXPECT_NE(err2.str().find("cannot create the output folder"), std::string::npos);
    fs::remove_all(dir);
}

// A folder where a file the run would write is not the tool's own (no earlier run wrote it, or it
// changed since, or it became a link) is refused with status 3 before anything is written or
// taken away; so is a list of files that the tool did not write. A list edited to name other
// files does not make the tool touch them.
TEST_F(SceneTest, OutputFolderWithFilesOfSomeoneElseIsRefused) {
    const fs::path dir = fs::path(::testing::TempDir()) / "replay-foreign";
    const fs::path scenario = fs::path(::testing::TempDir()) / "replay-foreign.json";
    std::ofstream(scenario) << Hovers(1);
    auto run = [&](std::string& err) {
        std::ostringstream out, errors;
        const int status =
            replay::RunCommandLine({scenario.string(), "--out", dir.string()}, out, errors);
        err = errors.str();
        return status;
    };
    const struct {
        const char* name;
        std::function<void()> prepare;  // in the empty folder
        const char* named;              // the file the message names
    } cases[] = {
        {"a page of the user's", [&] { std::ofstream(dir / "index.html") << "<p>mine</p>"; },
         "holds index.html, which this run would write"},
        {"frames of a run before the list",
         [&] {
             for (const char* name : {"frame-000.svg", "frame-001.svg"})
                 std::ofstream(dir / name) << "<svg/>";
         },
         "holds frame-000.svg, frame-001.svg, which"},
        {"a list the tool did not write",
         [&] { std::ofstream(dir / replay::kOutputListName) << "frame-000.svg\n"; },
         "holds illsxmk-replay-files.txt, which this tool did not write"},
        {"a frame changed since the run",
         [&] {
             std::string err;
             ASSERT_EQ(run(err), replay::kExitOk) << err;
             std::ofstream(dir / "frame-001.svg", std::ios::app) << "<!-- edited -->";
         },
         "holds frame-001.svg, which"},
        {"a page that became a link",
         [&] {
             std::string err;
             ASSERT_EQ(run(err), replay::kExitOk) << err;
             fs::remove(dir / "index.html");
             std::ofstream(dir / "notes.html") << "mine";
             fs::create_symlink("notes.html", dir / "index.html");
         },
         "holds index.html, which"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(dir);
        fs::create_directories(dir);
        c.prepare();
        const std::map<std::string, std::string> before = Files(dir);
        std::string err;
        EXPECT_EQ(run(err), replay::kExitNoOutput);
        EXPECT_NE(err.find(c.named), std::string::npos) << err;
        EXPECT_EQ(Files(dir), before) << "nothing written or taken away";
    }

    // A list that names other files than frames and the page: they are not the tool's to touch.
    fs::remove_all(dir);
    fs::create_directories(dir / "sub");
    std::string err;
    ASSERT_EQ(run(err), replay::kExitOk) << err;
    std::ofstream(dir / replay::kOutputListName, std::ios::app)
        << "0123456789abcdef notes.txt\n0123456789abcdef sub/index.html\n";
    std::ofstream(dir / "notes.txt") << "mine";
    std::ofstream(dir / "sub" / "index.html") << "mine";
    EXPECT_EQ(run(err), replay::kExitOk) << err;
    EXPECT_TRUE(fs::exists(dir / "notes.txt"));
    EXPECT_TRUE(fs::exists(dir / "sub" / "index.html"));
    fs::remove_all(dir);
    fs::remove(scenario);
}

// A link or a file put into the folder while the run plays, after the folder was checked: the
// run writes neither through it nor over it. A frame or page whose name was taken fails (the run
// then exits with 3), the list goes on in the file the run made.
TEST_F(SceneTest, OutputFolderNeverWritesThroughWhatIsPutThereWhileTheRunPlays) {
    const fs::path dir = fs::path(::testing::TempDir()) / "replay-planted";
    const fs::path victim = fs::path(::testing::TempDir()) / "replay-planted-victim";
    const struct {
        const char* name;
        std::string planted;
        bool link;
        bool written;  // frame-001.svg is written all the same
    } cases[] = {
        {"a link for a frame", "frame-001.svg", true, false},
        {"a file for a frame", "frame-001.svg", false, false},
        {"a link for the list", replay::kOutputListName, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(dir);
        std::ofstream(victim, std::ios::trunc) << "victim";
        replay::OutputFolder folder(dir);
        std::ostringstream err;
        ASSERT_TRUE(folder.Prepare({"frame-000.svg", "frame-001.svg", "index.html"}, err));
        EXPECT_TRUE(folder.Write("frame-000.svg", "<svg/>"));
        fs::remove(dir / c.planted);
        if (c.link)
            fs::create_symlink(victim, dir / c.planted);
        else
            fs::copy_file(victim, dir / c.planted);
        EXPECT_EQ(folder.Write("frame-001.svg", "<svg>1</svg>"), c.written);
        EXPECT_EQ(folder.Error().find("frame-001.svg") != std::string::npos, !c.written)
            << folder.Error();
        std::ifstream target(victim);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(target), {}), "victim");
        EXPECT_TRUE(c.link || Files(dir).at(c.planted) == "victim") << "the file put there";
    }
    fs::remove_all(dir);
    fs::remove(victim);
}

TEST_F(SceneTest, LongSessionsReportProgressOnStandardError) {
    std::string actions;
    for (int i = 0; i < 45; ++i)
        actions += std::string(i ? "," : "") + R"({"action": "hover", "x": 1, "y": 1})";
    std::ostringstream out, err;
    replay::ReplayScenario(
        Parse(R"({"view": {"viewport": [100, 100], "camera": {"eye": [0, 0, 9], "target": [0, 0, 0],
                  "parallelWidth": 4}}, "actions": [)" +
              actions + "]}"),
        {"", false}, out, err);
    EXPECT_NE(err.str().find("20/45 actions"), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("45/45 actions"), std::string::npos) << err.str();
    EXPECT_EQ(out.str().find("/45 actions"), std::string::npos) << "progress stays off the log";
}

// A scene of many parts is drawn once, not in every frame; and a run that would write more than
// --max-output allows writes nothing past the limit, no page, and says which option raises it.
TEST_F(SceneTest, OutputDrawsTheSceneOnceAndStaysWithinItsLimit) {
    const fs::path dir = fs::path(::testing::TempDir()) / "replay-bounded";
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::string scene = R"("scene": {"parts": [)";
    for (int i = 0; i < 8000; ++i)
        scene += (i ? ", " : "") + (R"({"id": "p)" + std::to_string(i)) +
                 R"(", "min": [0, 0, 0], "max": [1, 1, 1], "instance": "/p"})";
    std::string text = Hovers(50);
    std::ofstream(dir / "s.json") << text.insert(text.find(R"("actions")"), scene + "]}, ");
    const auto bytes = [](const fs::path& folder, const std::string& prefix) {
        std::uintmax_t sum = 0;
        for (const auto& entry : fs::directory_iterator(folder))
            sum += entry.path().filename().string().rfind(prefix, 0) == 0 ? entry.file_size() : 0;
        return sum;
    };
    const auto run = [&](const std::string& limit, std::ostringstream& err) {
        std::ostringstream out;
        return replay::RunCommandLine(
            {(dir / "s.json").string(), "--out", (dir / limit).string(), "--max-output=" + limit},
            out, err);
    };
    std::ostringstream err;
    ASSERT_EQ(run("100", err), replay::kExitOk) << err.str();
    EXPECT_GT(bytes(dir / "100", "scene.svg"), 1u << 20);
    EXPECT_LT(bytes(dir / "100", "frame-"), 51u * 3000u) << "a frame holds what actions change";

    EXPECT_EQ(run("1", err), replay::kExitNoOutput);
    EXPECT_NE(err.str().find("scene.svg would take the output over 1 MiB; nothing more is written "
                             "(--max-output MIB raises the limit)"),
              std::string::npos)
        << err.str();
    EXPECT_LE(bytes(dir / "1", ""), 4096u) << "only the list of what was written";
    EXPECT_FALSE(fs::exists(dir / "1" / "index.html"));
    fs::remove_all(dir);
}

// A preference value the viewer cannot read as a colour changes nothing; a colour value is used
// as it is, alpha included, from the next highlight on.
TEST_F(SceneTest, PreferenceValuesAreReadAsTheViewerKeepsThem) {
    std::ostringstream out, err;
    const replay::ReplayResult result = replay::ReplayScenario(Parse(R"({
        "view": {"viewport": [800, 600],
                 "camera": {"eye": [5, 0, 50], "target": [5, 0, 0], "parallelWidth": 20}},
        "markups": [{"id": "m", "start": [0, 0, 0], "end": [8, 0, 0]}],
        "preferences": {"preselectionColor": "orange"},
        "actions": [
          {"action": "preferences", "preselectionColor": [0, 1, 0, 0.5]},
          {"action": "hover", "x": 520, "y": 300},
          {"action": "expect", "markup": "m", "highlighted": "endPoint"},
          {"action": "preferences", "preselectionColor": "green"}]})"),
                                                               {"", false}, out, err);
    EXPECT_EQ(result.checksFailed, 0) << out.str();
    const std::string log = out.str();
    EXPECT_NE(log.find("reads it as (0, 1, 0, 0.5)"), std::string::npos) << log;
    EXPECT_NE(log.find("text \"green\""), std::string::npos);
    EXPECT_NE(log.find("cannot read it as a colour"), std::string::npos);
}

}  // namespace
