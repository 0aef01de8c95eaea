// Live sessions: actions played one at a time from outside, the viewer's rebuild after an applied
// drag, the scenario writer's round trip, and exported sessions replaying green.
#include "HostFixture.h"
#include "LiveSession.h"
#include "Replay.h"
#include "Scenario.h"
#include "ScenarioActions.h"
#include "Session.h"
#include "XmlCheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define LIVE_TEST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define LIVE_TEST_ASAN 1
#endif
#endif
#ifdef LIVE_TEST_ASAN
// From the sanitizer runtime (g++ ships no header for it).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

namespace {

namespace fs = std::filesystem;
using replay::Action;
using replay::Scenario;
using replaytest::Plain;
using replaytest::Pointer;

std::size_t HeapInUse() {
#ifdef LIVE_TEST_ASAN
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

std::string ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

Scenario Parse(const std::string& text) {
    const replay::ParseOutcome outcome = replay::ParseScenario(text);
    EXPECT_TRUE(outcome.scenario.has_value()) << outcome.error << "\n" << text;
    return outcome.scenario.value_or(Scenario{});
}

std::vector<std::pair<std::string, std::string>> DefaultAndExamples() {
    std::vector<std::pair<std::string, std::string>> all{
        {"default", replay::DefaultScenarioText()}};
    std::vector<fs::path> paths;
    for (const auto& entry : fs::directory_iterator(ILLSXMK_EXAMPLES_DIR))
        if (entry.path().extension() == ".json")
            paths.push_back(entry.path());
    std::sort(paths.begin(), paths.end());
    for (const fs::path& p : paths)
        all.emplace_back(p.filename().string(), ReadFile(p));
    return all;
}

// Every field the format has, with values that do not survive a careless writer: single-precision
// fractions, a negative zero, rotations, a plain view, each kind of preference and pick.
const char* const kEveryField = R"({
  "name": "every field", "description": "d \"q\" \u00e9",
  "view": {"kind": "shape", "viewport": [640, 480],
           "camera": {"eye": [1.5, -2, 30], "target": [0.1, 0.2, 0.3], "up": [0, 0, 1],
                      "parallelWidth": 17.3, "near": 0.37}},
  "scene": {"minCalloutSize": "large",
            "parts": [{"id": "p", "min": [-1, -1, -1], "max": [1, 2, 3], "instance": "/a/p",
                       "sbom": "/s/p", "weld": "/w"}],
            "labels": [{"id": "l", "note": "L", "position": [1, 2, 3],
                        "placement": {"rotation": {"axis": [0, 0, 1], "degrees": 30}}}],
            "callouts": [{"id": "c", "note": "7", "title": "T", "description": "D",
                          "position": [-0.0, 0.1, 0.7],
                          "placement": {"position": [0.3, 0, 0]}}]},
  "markups": [{"id": "m", "path": "alongAxis", "start": [0, 0.1, 0], "end": [8, 3, 0.2],
               "startExtension": -0.97, "endExtension": 1e-7, "ratio": 0.83,
               "frame": {"axis": [1, 1, 0], "degrees": 17}, "axisOrder": [2, 0, 1],
               "partID": "/a/p", "attached": true,
               "placement": {"rotation": [[0, 1, 0], [-1, 0, 0], [0, 0, 1]],
                             "position": [0, 0, 1]}}],
  "preferences": {"preselectionColor": [0.1, 0.2, 0.3]},
  "actions": [
    {"action": "hover", "x": 1, "y": 2, "comment": "c"},
    {"action": "press", "x": 639, "y": 479}, {"action": "move", "x": 0, "y": 0},
    {"action": "release"}, {"action": "pick"},
    {"action": "pick", "status": -3, "results": [{"object": "m", "as": "shadow"},
                                                 {"object": "p", "point": [0.25, 1e-9, 3]}]},
    {"action": "pick", "results": []},
    {"action": "preferences", "preselectionColor": 16744448},
    {"action": "preferences", "preselectionColor": "red"},
    {"action": "preferences", "preselectionColor": null},
    {"action": "preferences", "preselectionColor": [1, 0.5, 0.25, 0.125]},
    {"action": "undo"}, {"action": "redo"},
    {"action": "expect", "markup": "m", "tolerance": 0.001, "startPoint": [1, 2, 3],
     "endPoint": [4, 5, 6], "startExtension": -0.5, "endExtension": 0.1, "ratio": 0.3,
     "alongAxis": true, "attached": false, "points": [[0, 0, 0], [1, 1, 1]], "partID": "x",
     "handles": {"endPoint": [1, 1, 1], "jog": [2, 2, 2]}, "shown": ["jog", "startPoint"],
     "highlighted": "none", "pickedNode": -1, "endPointItem": "sbom:/s",
     "startPointItem": "instance:/a", "connectionTarget": "l"},
    {"action": "expect", "markup": "c", "position": [1, 2, 3]},
    {"action": "expect", "operations": ["a", "b"], "lastOperation": "b", "undo": [],
     "redo": ["r"], "controllerCalls": 2, "pendingPicks": 0, "cursor": ""},
    {"action": "edit", "markup": "m", "start": [0.1, -0.0, 0], "end": [1, 2, 3],
     "path": "straight", "startExtension": 0.1, "endExtension": -0.0, "ratio": 0.3,
     "frame": {"axis": [0, 1, 0], "degrees": 45}, "axisOrder": [1, 2, 0], "partID": "",
     "attached": false, "points": [[0.1, -0.0, 3], [1e-7, 2, 3], [0, 0, 0]]},
    {"action": "edit", "markup": "m", "points": []},
    {"action": "viewer", "controller": "snap", "grid": 0.5, "rebuild": true, "picks": "at-once",
     "behaviours": ["pick-delivered-twice", "notify-calls-back", "normalize-zero-nan"]},
    {"action": "viewer", "behaviours": []}
  ]})";

const char* const kPlainView = R"({"view": {"kind": "plain", "viewport": [300, 200],
    "camera": {"target": [5, -2, 0]}}, "actions": []})";

TEST(ScenarioWriter, WrittenScenarioReadsBackFieldByField) {
    auto cases = DefaultAndExamples();
    cases.emplace_back("every field", kEveryField);
    cases.emplace_back("plain view", kPlainView);
    for (const auto& [name, text] : cases) {
        SCOPED_TRACE(name);
        const Scenario original = Parse(text);
        const std::string written = replay::WriteScenario(original);
        const Scenario back = Parse(written);
        EXPECT_TRUE(back == original) << written;
        // Writing is stable: the text read back writes the same text.
        EXPECT_EQ(replay::WriteScenario(back), written);
    }
}

TEST(ScenarioWriter, EqualityNoticesEachKindOfDifference) {
    const Scenario base = Parse(kEveryField);
    std::vector<std::pair<const char*, void (*)(Scenario&)>> edits{
        {"float ulp", [](Scenario& s) { s.centerLines[0].ratio = std::nextafter(0.83f, 1.0f); }},
        {"rotation", [](Scenario& s) { s.centerLines[0].frame.m[0][1] += 1e-6f; }},
        {"placement", [](Scenario& s) { s.labels[0].placement.SetPos(dg::DPoint3D(0, 0, 1)); }},
        {"colour", [](Scenario& s) { s.actions[10].preselectionColor.colour.a = 1.0f; }},
        {"pick point", [](Scenario& s) { s.actions[5].results[1].point.reset(); }},
        {"handles", [](Scenario& s) { s.actions[13].expect.handles.pop_back(); }},
        {"action kind", [](Scenario& s) { s.actions[11].kind = Action::Redo; }},
        {"view", [](Scenario& s) { s.view.perspective = true; }},
        {"near distance", [](Scenario& s) { s.view.nearDistance.reset(); }},
        {"edit point", [](Scenario& s) { s.actions[16].edit.points->at(1).x = 0.0; }},
        {"edit points absent", [](Scenario& s) { s.actions[17].edit.points.reset(); }},
        {"behaviour", [](Scenario& s) { s.actions[18].viewer.behaviours ^= 1u << 9; }},
    };
    for (const auto& [name, edit] : edits) {
        Scenario changed = base;
        edit(changed);
        EXPECT_FALSE(changed == base) << name;
    }
}

class LiveSessionTest : public testsupport::HostFixture {};

// A drop that makes an extension negative: the controller applies the drag and the shadow is
// rebuilt from the record, so the line is drawn through the points the record stores.
TEST_F(LiveSessionTest, AppliedDragRebuildsTheShadowFromTheRecord) {
    const Scenario scenario = Parse(R"({"view": {"viewport": [800, 600],
        "camera": {"eye": [5, 0, 50], "target": [5, 0, 0], "parallelWidth": 20}},
        "markups": [{"id": "m", "start": [0, 0, 0], "end": [8, 0, 0], "startExtension": 2,
                     "endExtension": 2}],
        "actions": [{"action": "press", "x": 615, "y": 300}, {"action": "move", "x": 455, "y": 300},
                    {"action": "release"}]})");
    replay::Session session(scenario);
    std::string log;
    for (std::size_t i = 0; i < scenario.actions.size(); ++i)
        for (const std::string& line : session.Play(i).details)
            log += line + "\n";
    EXPECT_NE(log.find("viewer: m shadow rebuilt from its record (MarkupChanged)"),
              std::string::npos)
        << log;
    EXPECT_EQ(log.find("drawn through other points"), std::string::npos) << log;
    const replay::CenterLineEntry& line = *session.Scene().FindCenterLine("m");
    EXPECT_EQ(line.shadows[0].shadow->GetPoints(), *line.record->GetPoints());
    // The rebuilt handles are mapped again: each is found under its name.
    for (replay::HandleName h :
         {replay::HandleName::StartPoint, replay::HandleName::EndPoint,
          replay::HandleName::StartExtension, replay::HandleName::EndExtension})
        EXPECT_NE(replay::ReplayScene::NodeOf(line.shadows[0], h), nullptr) << replay::HandleKey(h);
}

// A press while the last drop's pick is pending finishes that drop inside the press: the shadow
// being dragged keeps its nodes until that drag is over, and is rebuilt then. (The press also
// takes the first drop's cancelled request off the queue, so the first pick action completes the
// second drop's request and the second one finds nothing pending.)
TEST_F(LiveSessionTest, RebuildWaitsUntilNoDragIsOpen) {
    const Scenario scenario = Parse(R"({"view": {"viewport": [800, 600],
        "camera": {"eye": [5, 0, 50], "target": [5, 0, 0], "parallelWidth": 20}},
        "markups": [{"id": "m", "start": [0, 0, 0], "end": [8, 0, 0], "startExtension": 1,
                     "endExtension": 1}], "actions": []})");
    replay::Session session(scenario);
    std::vector<std::string> rebuiltAfter;
    const std::vector<Action> actions{Pointer(Action::Press, 520, 300),
                                      Pointer(Action::Move, 560, 320),
                                      Plain(Action::Release),
                                      Pointer(Action::Press, 200, 300),
                                      Pointer(Action::Move, 180, 300),
                                      Plain(Action::Release),
                                      Plain(Action::Pick),
                                      Plain(Action::Pick)};
    for (const Action& a : actions) {
        const replay::ActionLog& log = session.Play(a);
        for (const std::string& line : log.details)
            if (line.find("shadow rebuilt") != std::string::npos)
                rebuiltAfter.push_back(log.headline);
    }
    ASSERT_EQ(rebuiltAfter.size(), 1u);
    EXPECT_NE(rebuiltAfter[0].find("[7] pick"), std::string::npos) << rebuiltAfter[0];
    // One entry, the end's drop: the start springs back to where the end's drop left it, so
    // its drag changed nothing to undo.
    EXPECT_EQ(session.Controller().UndoNames().size(), 1u);
    EXPECT_TRUE(session.PendingPicks().empty());
    const replay::CenterLineEntry& line = *session.Scene().FindCenterLine("m");
    EXPECT_EQ(line.shadows[0].shadow->GetPoints(), *line.record->GetPoints());
}

TEST_F(LiveSessionTest, ActionsPlayedFromOutsideGiveLogFrameSummaryAndPendingPicks) {
    const Scenario scenario = Parse(replay::DefaultScenarioText());
    Scenario scene = scenario;
    scene.actions.clear();
    replay::Session session(scene);
    session.Play(Pointer(Action::Press, 496, 348));
    session.Play(Pointer(Action::Move, 625, 345));
    const replay::ActionLog& released = session.Play(Plain(Action::Release));
    EXPECT_EQ(released.headline, "[3] release: drag stopped");
    EXPECT_EQ(&released, &session.LastLog());
    ASSERT_EQ(session.PendingPicks().size(), 1u);
    EXPECT_EQ(session.PendingPicks()[0].rfind("at 625,345", 0), 0u) << session.PendingPicks()[0];
    EXPECT_TRUE(session.Busy());
    EXPECT_NE(session.Summary().front().find("1 pick(s) never completed"), std::string::npos);

    const replay::ActionLog& picked = session.Play(Plain(Action::Pick));
    EXPECT_NE(picked.headline.find("ray cast at 625,345"), std::string::npos) << picked.headline;
    EXPECT_FALSE(session.Busy());
    EXPECT_EQ(session.Summary().front(), "operations recorded: [\"Move End Point\"]");
    const std::string svg = session.Frame("<caption & more>");
    EXPECT_EQ(replaytest::CheckWellFormed(svg), "");
    EXPECT_NE(svg.find("&lt;caption &amp; more&gt;"), std::string::npos);
}

// 20,000 drag steps of a live session hold no more memory at the end than after the first
// thousand: nothing grows with the number of steps.
TEST_F(LiveSessionTest, MemoryStaysFlatOverTwentyThousandDragSteps) {
    Scenario scene = Parse(replay::DefaultScenarioText());
    scene.actions.clear();
    replay::Session session(scene);
    session.Play(Pointer(Action::Press, 428, 105));  // cl2's jog arrow
    ASSERT_TRUE(session.Busy());
    auto step = [&](int i) {
        session.Play(Pointer(Action::Move, 300 + (i * 7) % 400, 90 + (i * 3) % 40));
    };
    constexpr int kWarmUp = 1000;
    constexpr int kSteps = 20000;
    for (int i = 0; i < kWarmUp; ++i)
        step(i);
    const std::size_t before = HeapInUse();
    for (int i = kWarmUp; i < kSteps; ++i)
        step(i);
    const std::size_t after = HeapInUse();
    session.Play(Plain(Action::Release));
    const long long growth = static_cast<long long>(after) - static_cast<long long>(before);
    std::printf("heap in use after %d drag steps: %zu bytes; after %d: %zu bytes (%+lld)\n",
                kWarmUp, before, kSteps, after, growth);
    RecordProperty("heapGrowthBytes", std::to_string(growth));
    EXPECT_LT(growth, 16 * 1024) << "the session grows with the number of steps";
    EXPECT_EQ(session.ActionsPlayed(), static_cast<std::size_t>(kSteps + 2));
    EXPECT_EQ(session.Controller().UndoNames(), std::vector<std::string>{"Move Jog"});
}

// Plays a scenario's own actions live and exports: the export holds the scene, the actions and
// an expectation after each finished drag, and replays with every expectation holding.
std::string PlayLiveAndExport(const Scenario& scenario, std::size_t& expectsAdded) {
    replay::LiveSession live(scenario);
    for (const Action& a : live.Script())
        live.Play(a);
    const std::string text = live.Export();
    const auto scripted = static_cast<std::size_t>(
        std::count_if(scenario.actions.begin(), scenario.actions.end(),
                      [](const Action& a) { return a.kind == Action::Expect; }));
    const Scenario exported = Parse(text);
    expectsAdded = static_cast<std::size_t>(
                       std::count_if(exported.actions.begin(), exported.actions.end(),
                                     [](const Action& a) { return a.kind == Action::Expect; })) -
                   scripted;
    return text;
}

TEST_F(LiveSessionTest, ExportedSessionsReplayWithEveryExpectationHolding) {
    const fs::path dir = fs::path(::testing::TempDir()) / "replay-exported";
    fs::remove_all(dir);
    fs::create_directories(dir);
    for (const auto& [name, text] : DefaultAndExamples()) {
        SCOPED_TRACE(name);
        const Scenario scenario = Parse(text);
        const auto drags = static_cast<std::size_t>(
            std::count_if(scenario.actions.begin(), scenario.actions.end(),
                          [](const Action& a) { return a.kind == Action::Press; }));
        std::size_t added = 0;
        const std::string exported = PlayLiveAndExport(scenario, added);
        EXPECT_GE(added, drags > 0 ? 1u : 0u);
        const Scenario back = Parse(exported);
        EXPECT_EQ(back.centerLines, scenario.centerLines);
        EXPECT_EQ(back.parts, scenario.parts);

        std::ostringstream out, err;
        const replay::ReplayResult result = replay::ReplayScenario(back, {"", false}, out, err);
        EXPECT_EQ(result.status, replay::kExitOk) << err.str() << out.str();
        EXPECT_EQ(result.checksFailed, 0);

        // The program itself plays the file green.
        const fs::path file = dir / (name + ".exported.json");
        std::ofstream(file, std::ios::binary) << exported;
        const std::string command = std::string("\"") + ILLSXMK_REPLAY_EXE + "\" \"" +
                                    file.string() + "\" --out \"" + (dir / "out").string() +
                                    "\" > /dev/null 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
    }
    fs::remove_all(dir);
}

// The expectations of an export hold the state: a library that stored another end point fails
// the replay.
TEST_F(LiveSessionTest, ExportedExpectationsFailWhenTheStateDiffers) {
    std::size_t added = 0;
    Scenario back = Parse(PlayLiveAndExport(Parse(replay::DefaultScenarioText()), added));
    ASSERT_GT(added, 0u);
    int tampered = 0;
    for (Action& a : back.actions)
        if (a.kind == Action::Expect && a.comment == "state after the drag" && a.expect.endPoint &&
            tampered == 0) {
            a.expect.endPoint->x += 0.01;
            ++tampered;
        }
    ASSERT_EQ(tampered, 1);
    std::ostringstream out, err;
    const replay::ReplayResult result = replay::ReplayScenario(back, {"", false}, out, err);
    EXPECT_EQ(result.status, replay::kExitCheckFailed);
    EXPECT_EQ(result.checksFailed, 1);
}

TEST_F(LiveSessionTest, HoversInARowAreKeptAsTheLastOne) {
    Scenario scene = Parse(replay::DefaultScenarioText());
    scene.actions.clear();
    replay::LiveSession live(scene);
    for (int x = 100; x < 300; x += 10)
        live.Play(Pointer(Action::Hover, x, 348));
    EXPECT_EQ(live.KeptActions(), 1u);
    live.Play(Pointer(Action::Press, 496, 348));
    live.Play(Pointer(Action::Hover, 10, 10));
    const Scenario back = Parse(live.Export());
    ASSERT_EQ(back.actions.size(), 3u);
    EXPECT_EQ(back.actions[0].kind, Action::Hover);
    EXPECT_EQ(back.actions[0].x, 290);
    EXPECT_EQ(back.actions[1].kind, Action::Press);
    EXPECT_EQ(back.actions[2].x, 10);
}

}  // namespace

// An action typed during a live session is read as the whole scenario would read it after the
// actions played so far: a markup added live can be removed, and its id cannot be added again.
TEST(ParseAction, KnowsTheMarkupsAddedByThePlayedActions) {
    const Scenario scenario = Parse(replay::DefaultScenarioText());
    const replay::ActionOutcome add = replay::ParseAction(
        scenario, {},
        R"({"action": "add", "markup": {"id": "new", "start": [0, 4, 0], "end": [6, 4, 0]}})");
    ASSERT_TRUE(add.action) << add.error;
    const std::vector<Action> played{*add.action};
    for (const auto& [text, readable] : std::vector<std::pair<std::string, bool>>{
             {R"({"action": "remove", "markup": "new"})", true},
             {R"({"action": "add", "callout": {"id": "new", "note": "n", "position": [0, 0, 0]}})",
              false}}) {
        EXPECT_EQ(replay::ParseAction(scenario, played, text).action.has_value(), readable) << text;
        // Without the add played, each reads the other way.
        EXPECT_EQ(replay::ParseAction(scenario, {}, text).action.has_value(), !readable) << text;
    }
}
