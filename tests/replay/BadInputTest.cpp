// Bad input: each kind of problem is refused with one message naming its place, exit status 2,
// and nothing written.
#include "Replay.h"
#include "Scenario.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

// A valid scenario with one spot to break: VIEW, MARKUP and ACTIONS are replaced.
const std::string kTemplate = R"({
  "view": VIEW,
  "scene": {"parts": [{"id": "p", "min": [0, 0, 0], "max": [1, 1, 1], "instance": "/p"}],
            "callouts": [{"id": "c", "note": "1", "position": [0, 3, 0]}]},
  "markups": [MARKUP],
  "actions": ACTIONS
})";
const std::string kView =
    R"({"viewport": [800, 600], "camera": {"eye": [5, 0, 50], "target": [5, 0, 0], "fieldOfView": 40}})";
const std::string kMarkup = R"({"id": "m", "start": [0, 0, 0], "end": [8, 0, 0]})";

std::string Fill(std::string text, const std::string& key, const std::string& value) {
    return text.replace(text.find(key), key.size(), value);
}

std::string Scenario(const std::string& view, const std::string& markup,
                     const std::string& actions) {
    return Fill(Fill(Fill(kTemplate, "VIEW", view), "MARKUP", markup), "ACTIONS", actions);
}

// The template's scene with one part more than a scene holds.
std::string TooManyParts() {
    std::string parts;
    for (std::size_t i = 0; i < replay::kMaxSceneObjects; ++i)
        parts += R"({"id": "q)" + std::to_string(i) +
                 R"(", "min": [0, 0, 0], "max": [1, 1, 1], "instance": "/q"}, )";
    std::string text = Scenario(kView, kMarkup, "[]");
    return text.insert(text.find(R"({"id": "p")"), parts);
}

struct BadCase {
    const char* name;
    std::string text;
    const char* message;  // the part of the message that names the place and the problem
};

std::vector<BadCase> BadCases() {
    const std::string noActions = "[]";
    return {
        {"not JSON", "{\"view\": ", "not valid JSON: parse error at line 1"},
        {"unknown action", Scenario(kView, kMarkup, R"([{"action": "jump"}])"),
         "actions[0].action: unknown action \"jump\""},
        {"unknown field of an action",
         Scenario(kView, kMarkup, R"([{"action": "hover", "x": 1, "y": 2, "z": 3}])"),
         "actions[0].z: unknown field"},
        {"unknown field of a markup",
         Scenario(kView, R"({"id": "m", "start": [0, 0, 0], "end": [1, 0, 0], "colour": 1})",
                  noActions),
         "markups[0].colour: unknown field"},
        {"missing pointer coordinate", Scenario(kView, kMarkup, R"([{"action": "press", "x": 1}])"),
         "actions[0].y: missing"},
        {"missing view", R"({"actions": []})", "view: missing"},
        {"negative viewport",
         Scenario(R"({"viewport": [-800, 600], "camera": {"eye": [0, 0, 9], "target": [0, 0, 0],
                     "fieldOfView": 40}})",
                  kMarkup, noActions),
         "view.viewport[0]: out of range"},
        {"axis order not a permutation",
         Scenario(kView,
                  R"({"id": "m", "start": [0, 0, 0], "end": [8, 1, 0], "axisOrder": [0, 0, 2]})",
                  noActions),
         "markups[0].axisOrder: not a permutation of 0, 1, 2"},
        {"axis index out of range",
         Scenario(kView,
                  R"({"id": "m", "start": [0, 0, 0], "end": [8, 1, 0], "axisOrder": [0, 3, 1]})",
                  noActions),
         "markups[0].axisOrder[1]: out of range"},
        {"non-finite number",
         Scenario(kView, R"({"id": "m", "start": [1e999, 0, 0], "end": [8, 0, 0]})", noActions),
         "markups[0].start[0]: not a finite number"},
        {"non-finite extension",
         Scenario(kView,
                  R"({"id": "m", "start": [0, 0, 0], "end": [8, 0, 0], "endExtension": -1e400})",
                  noActions),
         "markups[0].endExtension: not a finite number"},
        {"pointer outside the window",
         Scenario(kView, kMarkup, R"([{"action": "move", "x": 800, "y": 10}])"),
         "actions[0].x: out of range (800 not in 0..799)"},
        {"text for a number",
         Scenario(kView, kMarkup, R"([{"action": "hover", "x": "12", "y": 1}])"),
         "actions[0].x: expected an integer, got a string"},
        {"fraction for a pixel",
         Scenario(kView, kMarkup, R"([{"action": "hover", "x": 1.5, "y": 1}])"),
         "actions[0].x: expected an integer, got a number with a fraction"},
        {"fraction for a viewport size",
         Scenario(R"({"viewport": [800.5, 600], "camera": {"eye": [0, 0, 9], "target": [0, 0, 0],
                     "fieldOfView": 40}})",
                  kMarkup, noActions),
         "view.viewport[0]: expected an integer, got a number with a fraction (800.5)"},
        {"whole number beyond the window, written with an exponent",
         Scenario(kView, kMarkup, R"([{"action": "hover", "x": 8e2, "y": 1}])"),
         "actions[0].x: out of range (800 not in 0..799)"},
        {"whole number beyond an integer",
         Scenario(kView, kMarkup, R"([{"action": "pick", "status": 1e300}])"),
         "actions[0].status: out of range"},
        {"preference integer with a fraction",
         Scenario(kView, kMarkup, R"([{"action": "preferences", "preselectionColor": 0.5}])"),
         "actions[0].preselectionColor: expected an integer, got a number with a fraction (0.5)"},
        {"unknown object in a pick",
         Scenario(kView, kMarkup, R"([{"action": "pick", "results": [{"object": "ghost"}]}])"),
         "actions[0].results[0].object: no part, label, callout or markup \"ghost\""},
        {"callout check on a centre line",
         Scenario(kView, kMarkup,
                  R"([{"action": "expect", "markup": "m", "position": [0, 0, 0]}])"),
         "actions[0].position: checks a callout"},
        {"expect without a check",
         Scenario(kView, kMarkup, R"([{"action": "expect", "markup": "m"}])"),
         "actions[0]: an expect action needs at least one check"},
        {"expect of no handle",
         Scenario(kView, kMarkup, R"([{"action": "expect", "markup": "m", "handles": {}}])"),
         "actions[0].handles: names no handle"},
        {"second view's pointer beyond its window",
         Fill(Scenario(kView, kMarkup, R"([{"action": "hover", "x": 500, "y": 5, "view": 1}])"),
              R"("view": )" + kView,
              R"("views": [)" + kView + R"(, {"viewport": [400, 300], "camera": {"eye": [5, 0,
                 50], "target": [5, 0, 0], "parallelWidth": 10}}])"),
         "actions[0].x: out of range (500 not in 0..399)"},
        {"a view that is not there",
         Scenario(kView, kMarkup, R"([{"action": "press", "x": 1, "y": 1, "view": 1}])"),
         "actions[0].view: out of range (1 not in 0..0)"},
        {"grid without snapping",
         Scenario(kView, kMarkup, R"([{"action": "viewer", "grid": 0.5}])"),
         "actions[0].grid: only with \"controller\": \"snap\""},
        {"unknown viewer behaviour",
         Scenario(kView, kMarkup,
                  R"([{"action": "viewer", "behaviours": ["pick-at-once", "picks-twice"]}])"),
         "actions[0].behaviours[1]: unknown behaviour \"picks-twice\""},
        {"two behaviours in one name",
         Scenario(kView, kMarkup,
                  R"([{"action": "viewer", "behaviours": ["pick-at-once,pick-request-throws"]}])"),
         "actions[0].behaviours[0]: unknown behaviour"},
        {"a controller that lets go",
         Scenario(kView, kMarkup,
                  R"([{"action": "viewer", "behaviours": ["controller-lets-go"]}])"),
         "actions[0].behaviours[0]: the replay cannot let go of its markups"},
        {"a behaviour twice",
         Scenario(kView, kMarkup,
                  R"([{"action": "viewer", "behaviours": ["pick-at-once", "pick-at-once"]}])"),
         "actions[0].behaviours[1]: \"pick-at-once\" is given twice"},
        {"selection of a part",
         Scenario(kView, kMarkup, R"([{"action": "select", "markups": ["m", "p"]}])"),
         "actions[0].markups[1]: no centre line or callout \"p\""},
        {"edit without a field", Scenario(kView, kMarkup, R"([{"action": "edit", "markup": "m"}])"),
         "actions[0]: an edit gives at least one field"},
        {"edit with a point that is not one",
         Scenario(kView, kMarkup,
                  R"([{"action": "edit", "markup": "m", "points": [[0, 0, 0], [1, 0]]}])"),
         "actions[0].points[1]: expected an array of three numbers"},
        {"edit with a point beyond the scene's range",
         Scenario(kView, kMarkup,
                  R"([{"action": "edit", "markup": "m", "points": [[0, 0, 0], [0, 1e10, 0]]}])"),
         "actions[0].points[1][1]: "},
        {"edit with points not in a list",
         Scenario(kView, kMarkup, R"([{"action": "edit", "markup": "m", "points": {}}])"),
         "actions[0].points: expected an array"},
        {"edit with too many points",
         Scenario(
             kView, kMarkup,
             R"([{"action": "edit", "markup": "m", "points": [)" +
                 [] {
                     std::string list = "[0, 0, 0]";
                     for (int i = 0; i < 64; ++i)
                         list += ", [0, 0, 0]";
                     return list;
                 }() +
                 "]}]"),
         "actions[0].points: at most 64 points, got 65"},
        {"removal of a part", Scenario(kView, kMarkup, R"([{"action": "remove", "markup": "p"}])"),
         "actions[0].markup: no centre line or callout \"p\""},
        {"add of a line and a callout at once",
         Scenario(kView, kMarkup,
                  R"([{"action": "add", "markup": {"id": "n", "start": [0, 0, 0], "end": [1, 0, 0]},
                       "callout": {"id": "d", "note": "2", "position": [0, 0, 0]}}])"),
         "actions[0].callout: an add gives either markup or callout, not both"},
        {"add of nothing", Scenario(kView, kMarkup, R"([{"action": "add"}])"),
         "actions[0].markup: missing"},
        {"callout added under an id in use",
         Scenario(
             kView, kMarkup,
             R"([{"action": "add", "callout": {"id": "m", "note": "2", "position": [0, 0, 0]}}])"),
         "actions[0].callout.id: \"m\" is already used"},
        {"zoom beyond its range",
         Scenario(kView, kMarkup, R"([{"action": "camera", "zoom": 1000}])"),
         "actions[0].zoom: out of range (a factor from 0.01 to 100)"},
        {"id used twice",
         Scenario(kView, R"({"id": "p", "start": [0, 0, 0], "end": [8, 0, 0]})", noActions),
         "markups[0].id: \"p\" is already used"},
        {"colour component beyond 1",
         Scenario(kView, kMarkup, R"([{"action": "preferences", "preselectionColor": [1, 2, 0]}])"),
         "actions[0].preselectionColor[1]: a colour component must lie in 0..1"},
        {"camera looking along its up vector",
         Scenario(R"({"viewport": [800, 600], "camera": {"eye": [0, 9, 0], "target": [0, 0, 0],
                     "fieldOfView": 40}})",
                  kMarkup, noActions),
         "view.camera.up: must not be zero nor along the line of sight"},
        {"near distance of zero",
         Scenario(R"({"viewport": [800, 600], "camera": {"eye": [0, 0, 9], "target": [0, 0, 0],
                     "fieldOfView": 40, "near": 0}})",
                  kMarkup, noActions),
         "view.camera.near: out of range (above 0 and below 9, the distance from the eye to the "
         "target)"},
        {"near distance beyond the target",
         Scenario(R"({"viewport": [800, 600], "camera": {"eye": [0, 0, 9], "target": [0, 0, 0],
                     "parallelWidth": 4, "near": 9}})",
                  kMarkup, noActions),
         "view.camera.near: out of range (above 0 and below 9,"},
        {"near distance as text",
         Scenario(R"({"viewport": [800, 600], "camera": {"eye": [0, 0, 9], "target": [0, 0, 0],
                     "fieldOfView": 40, "near": "0.1"}})",
                  kMarkup, noActions),
         "view.camera.near: expected a number, got a string"},
        {"near distance of a plain view",
         Scenario(R"({"kind": "plain", "viewport": [800, 600], "camera": {"near": 1}})", kMarkup,
                  noActions),
         "view.camera.near: unknown field"},
        {"rotation by an angle whose radians overflow",
         Scenario(kView, R"({"id": "m", "start": [0, 0, 0], "end": [8, 0, 0], "placement":
                            {"rotation": {"axis": [0, 0, 1], "degrees": 1e308}}})",
                  noActions),
         "markups[0].placement.rotation.degrees: out of range (beyond +/-1e9)"},
        {"frame turned by more than the angles kept",
         Scenario(kView, R"({"id": "m", "start": [0, 0, 0], "end": [8, 0, 0],
                            "frame": {"axis": [1, 0, 0], "degrees": -2e9}})",
                  noActions),
         "markups[0].frame.degrees: out of range"},
        {"rotation axis too short to normalise",
         Scenario(kView, R"({"id": "m", "start": [0, 0, 0], "end": [8, 0, 0], "placement":
                            {"rotation": {"axis": [0, 0, 3e-162], "degrees": 30}}})",
                  noActions),
         "markups[0].placement.rotation.axis: too short to give a direction"},
        {"rotation about no axis",
         Scenario(kView, R"({"id": "m", "start": [0, 0, 0], "end": [8, 0, 0],
                            "frame": {"axis": [0, 0, 0], "degrees": 30}})",
                  noActions),
         "markups[0].frame.axis: must not be the zero vector"},
        {"text that is not UTF-8",
         Scenario(kView, kMarkup, "[{\"action\": \"undo\", \"comment\": \"caf\xE9\"}]"),
         "actions[0].comment: not valid text (ill-formed UTF-8 byte; line "},
        {"lone surrogate",
         Fill(Scenario(kView, kMarkup, noActions), "\"view\"", R"("name": "\udc00", "view")"),
         "name: not valid text (surrogate U+DC00..U+DFFF must follow U+D800..U+DBFF; line "},
        {"field name that is not UTF-8", Scenario(kView, "{\"id\": \"m\", \"\xFF\": 1}", noActions),
         "markups[0]: a field name is not valid text (ill-formed UTF-8 byte; line "},
        {"field name with control characters",
         Scenario(kView, kMarkup, "[{\"action\": \"undo\", \"a\\u0000b\\nc\\u001b\": 1}]"),
         "actions[0].a\\u0000b\\u000ac\\u001b: unknown field"},
        {"id with control characters",
         Scenario(kView, kMarkup, R"([{"action": "pick", "results": [{"object": "x\u0007\r"}]}])"),
         "actions[0].results[0].object: no part, label, callout or markup \"x\\u0007\\u000d\""},
        {"actions not a list", Scenario(kView, kMarkup, R"({"action": "undo"})"),
         "actions: expected an array, got an object"},
        {"a key given twice, the second hiding a failing check",
         Scenario(kView, kMarkup,
                  R"([{"action": "expect", "markup": "m", "endPoint": [9, 9, 9]}], "actions": [])"),
         "actions: duplicate key"},
        {"an empty field name", Scenario(kView, kMarkup, "[]").insert(1, R"("": 1, )"),
         "\"\": unknown field"},
        {"more parts and labels than a scene holds", TooManyParts(),
         "scene: 10001 parts and labels"},
    };
}

TEST(BadInput, EachProblemIsNamedByItsPlace) {
    for (const BadCase& c : BadCases()) {
        SCOPED_TRACE(c.name);
        const replay::ParseOutcome outcome = replay::ParseScenario(c.text);
        EXPECT_FALSE(outcome.scenario.has_value());
        EXPECT_NE(outcome.error.find(c.message), std::string::npos) << outcome.error;
    }
}

TEST(BadInput, TheTemplateItselfIsValid) {
    const replay::ParseOutcome outcome = replay::ParseScenario(Scenario(kView, kMarkup, "[]"));
    EXPECT_TRUE(outcome.scenario.has_value()) << outcome.error;
}

// An axis and an angle at the edges of what is accepted give the same rotation as a plain unit
// axis and the angle within one turn.
TEST(BadInput, AxisAndDegreesAtTheLimitsGiveTheRotationOfTheAngleWithinATurn) {
    struct Case {
        const char* rotation;
        const char* same;
    };
    const Case cases[] = {
        {R"({"axis": [0, 0, 2e-150], "degrees": 90})", R"({"axis": [0, 0, 1], "degrees": 90})"},
        {R"({"axis": [0, 1e9, 0], "degrees": 1e9})", R"({"axis": [0, 1, 0], "degrees": 280})"},
        {R"({"axis": [0, 0, 1], "degrees": -1e9})", R"({"axis": [0, 0, 1], "degrees": 80})"},
    };
    auto frame = [](const char* rotation) {
        const replay::ParseOutcome outcome = replay::ParseScenario(
            Scenario(kView,
                     std::string(R"({"id": "m", "start": [0, 0, 0], "end": [8, 0, 0], "frame": )") +
                         rotation + "}",
                     "[]"));
        EXPECT_TRUE(outcome.scenario.has_value()) << rotation << ": " << outcome.error;
        return outcome.scenario ? outcome.scenario->centerLines.at(0).frame : dg::FMat33();
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rotation);
        const dg::FMat33 got = frame(c.rotation), want = frame(c.same);
        for (int r = 0; r < 3; ++r)
            for (int k = 0; k < 3; ++k)
                EXPECT_NEAR(got.m[r][k], want.m[r][k], 1e-6) << r << "," << k;
    }
}

// Some JSON writers keep every number a double: a whole number written 400.0 or 4e2 reads as
// the integer, wherever an integer is expected.
TEST(BadInput, WholeNumbersWithAFractionOrAnExponentReadAsIntegers) {
    const struct {
        const char* place;
        std::string written;
        std::string plain;
    } cases[] = {
        {"viewport",
         Scenario(R"({"viewport": [8e2, 600.0], "camera": {"eye": [0, 0, 9], "target": [0, 0, 0],
                     "fieldOfView": 40}})",
                  kMarkup, "[]"),
         Scenario(R"({"viewport": [800, 600], "camera": {"eye": [0, 0, 9], "target": [0, 0, 0],
                     "fieldOfView": 40}})",
                  kMarkup, "[]")},
        {"pointer and pick status",
         Scenario(kView, kMarkup,
                  R"([{"action": "press", "x": 799.0, "y": 3.0e2}, {"action": "release"},
                      {"action": "pick", "status": -1.0}])"),
         Scenario(kView, kMarkup,
                  R"([{"action": "press", "x": 799, "y": 300}, {"action": "release"},
                      {"action": "pick", "status": -1}])")},
        {"preference integer",
         Scenario(kView, kMarkup,
                  R"([{"action": "preferences", "preselectionColor": 1.6744448e7}])"),
         Scenario(kView, kMarkup, R"([{"action": "preferences", "preselectionColor": 16744448}])")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.place);
        const replay::ParseOutcome written = replay::ParseScenario(c.written);
        const replay::ParseOutcome plain = replay::ParseScenario(c.plain);
        ASSERT_TRUE(written.scenario.has_value()) << written.error;
        ASSERT_TRUE(plain.scenario.has_value()) << plain.error;
        EXPECT_TRUE(*written.scenario == *plain.scenario);
    }
}

TEST(BadInput, ExitsWithStatusTwoAndWritesNothing) {
    const fs::path dir = fs::path(::testing::TempDir()) / "replay-bad-input";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path scenario = dir / "scenario.json";
    const fs::path out = dir / "out";
    for (const BadCase& c : BadCases()) {
        SCOPED_TRACE(c.name);
        std::ofstream(scenario, std::ios::binary | std::ios::trunc) << c.text;
        std::ostringstream log, err;
        EXPECT_EQ(replay::RunCommandLine({scenario.string(), "--out", out.string()}, log, err),
                  replay::kExitBadInput);
        EXPECT_NE(err.str().find(c.message), std::string::npos) << err.str();
        EXPECT_EQ(err.str().find('\n'), err.str().size() - 1) << "one message line";
        EXPECT_TRUE(log.str().empty());
        EXPECT_FALSE(fs::exists(out));
    }
    fs::remove_all(dir);
}

TEST(CommandLine, RefusesBadArgumentsWithStatusTwo) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--frobnicate"},
                                                 {"--out"},
                                                 {"a.json", "b.json"},
                                                 {"--max-output"},
                                                 {"--max-output", "0"},
                                                 {"--max-output=1.5"},
                                                 {"--max-output", "99999999999999"},
                                                 {"/nonexistent/scenario.json"}}) {
        std::ostringstream out, err;
        EXPECT_EQ(replay::RunCommandLine(args, out, err), replay::kExitBadInput) << args[0];
        EXPECT_FALSE(err.str().empty());
    }
}

// A file or folder name from the command line is said with its control characters as escapes,
// as the scenario's texts are: it cannot retitle the window or clear the terminal.
TEST(CommandLine, NamesInMessagesCannotDriveTheTerminal) {
    const fs::path dir = fs::path(::testing::TempDir()) / "replay-escapes";
    const std::string name = "\x1b]0;pwned\x07\x1b[2J";
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::ofstream(dir / (name + ".json")) << "{";
    const struct {
        std::vector<std::string> args;
        int status;
    } cases[] = {
        {{(dir / "missing" / name).string()}, replay::kExitBadInput},
        {{(dir / (name + ".json")).string()}, replay::kExitBadInput},
        {{"--out", (dir / (name + ".json") / name).string()}, replay::kExitNoOutput},
    };
    for (const auto& c : cases) {
        std::ostringstream out, err;
        EXPECT_EQ(replay::RunCommandLine(c.args, out, err), c.status) << err.str();
        EXPECT_EQ(err.str().find_first_of("\x1b\x07"), std::string::npos) << err.str();
        EXPECT_NE(err.str().find("\\u001b]0;pwned\\u0007"), std::string::npos) << err.str();
    }
    fs::remove_all(dir);
}

// An empty scenario argument is a mistake (an unset variable in a script, say), not a request
// for the default session, also next to a scenario that is there: nothing is played or written.
TEST(CommandLine, RefusesAnEmptyScenarioArgument) {
    const fs::path dir = fs::path(::testing::TempDir()) / "replay-empty-argument";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string scenario = (dir / "s.json").string();
    std::ofstream(scenario) << Scenario(kView, kMarkup, "[]");
    const std::string outDir = (dir / "out").string();
    for (const std::vector<std::string>& args : {std::vector<std::string>{""},
                                                 {"", "--out", outDir},
                                                 {"--out=" + outDir, ""},
                                                 {"", scenario, "--out", outDir},
                                                 {scenario, "", "--out", outDir}}) {
        std::ostringstream out, err;
        EXPECT_EQ(replay::RunCommandLine(args, out, err), replay::kExitBadInput)
            << args.size() << " arguments";
        EXPECT_NE(err.str().find("the scenario argument is empty"), std::string::npos) << err.str();
        EXPECT_TRUE(out.str().empty()) << "nothing played";
        EXPECT_FALSE(fs::exists(outDir));
    }
    fs::remove_all(dir);
}

// The program itself: its exit statuses as a shell sees them.
TEST(CommandLine, ProgramExitStatusesReachTheShell) {
    const fs::path dir = fs::path(::testing::TempDir()) / "replay-program";
    fs::remove_all(dir);
    fs::create_directories(dir);
    auto run = [&](const std::string& text) {
        std::ofstream(dir / "s.json", std::ios::binary | std::ios::trunc) << text;
        const std::string command = std::string("\"") + ILLSXMK_REPLAY_EXE + "\" \"" +
                                    (dir / "s.json").string() + "\" --out \"" +
                                    (dir / "out").string() + "\" >/dev/null 2>&1";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(run(Scenario(kView, kMarkup, R"([{"action": "jump"}])")), 2);
    EXPECT_FALSE(fs::exists(dir / "out"));
    EXPECT_EQ(run(Scenario(kView, kMarkup,
                           R"([{"action": "expect", "markup": "m", "endPoint": [9, 9, 9]}])")),
              1);
    EXPECT_TRUE(fs::exists(dir / "out" / "index.html"));
    EXPECT_EQ(run(Scenario(kView, kMarkup,
                           R"([{"action": "expect", "markup": "m", "endPoint": [8, 0, 0]}])")),
              0);
    fs::remove_all(dir);
}

}  // namespace
