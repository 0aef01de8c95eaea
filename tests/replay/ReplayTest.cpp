// End-to-end tests of the replay: the examples and the default session played through the real
// library, exact undo and redo, handle preference under the pointer, and safe frames.
#include "Frames.h"
#include "HostFixture.h"
#include "RecordState.h"
#include "Replay.h"
#include "Scenario.h"
#include "Session.h"
#include "XmlCheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using replay::Action;
using replay::ParseScenario;
using replay::Scenario;

std::string ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

fs::path FreshFolder(const std::string& name) {
    const fs::path dir = fs::path(::testing::TempDir()) / ("replay-" + name);
    fs::remove_all(dir);
    return dir;
}

Scenario Parse(const std::string& text) {
    const replay::ParseOutcome outcome = ParseScenario(text);
    EXPECT_TRUE(outcome.scenario.has_value()) << outcome.error;
    return outcome.scenario.value_or(Scenario{});
}

// Every frame of a run is well-formed XML, and the page names each of them.
void ExpectWellFormedOutput(const fs::path& dir, std::size_t frames) {
    const std::string index = ReadFile(dir / "index.html");
    ASSERT_FALSE(index.empty());
    EXPECT_EQ(replaytest::CheckWellFormed(ReadFile(dir / "scene.svg")), "");
    EXPECT_NE(index.find("scene.svg"), std::string::npos);
    for (std::size_t i = 0; i < frames; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "frame-%03zu.svg", i);
        const std::string svg = ReadFile(dir / name);
        ASSERT_FALSE(svg.empty()) << name;
        EXPECT_EQ(replaytest::CheckWellFormed(svg), "") << name;
        EXPECT_NE(index.find(name), std::string::npos) << name;
    }
}

// A front view, 40 pixels per unit, the window centred on (5, 0, 0).
std::string FrontView(const std::string& body) {
    return R"({"view": {"viewport": [800, 600],
               "camera": {"eye": [5, 0, 50], "target": [5, 0, 0], "parallelWidth": 20}},)" +
           body + "}";
}

class ReplayTest : public testsupport::HostFixture {};

TEST_F(ReplayTest, EveryExampleReplaysWithItsExpectationsAndWellFormedFrames) {
    std::vector<fs::path> examples;
    for (const auto& entry : fs::directory_iterator(ILLSXMK_EXAMPLES_DIR))
        if (entry.path().extension() == ".json")
            examples.push_back(entry.path());
    std::sort(examples.begin(), examples.end());
    ASSERT_GE(examples.size(), 5u);
    for (const fs::path& path : examples) {
        SCOPED_TRACE(path.filename().string());
        const Scenario scenario = Parse(ReadFile(path));
        const auto expects =
            std::count_if(scenario.actions.begin(), scenario.actions.end(),
                          [](const Action& a) { return a.kind == Action::Expect; });
        EXPECT_GT(expects, 0) << "an example proves itself with expect actions";

        const fs::path dir = FreshFolder(path.stem().string());
        std::ostringstream out, err;
        const replay::ReplayResult result =
            replay::ReplayScenario(scenario, {dir.string(), true}, out, err);
        EXPECT_EQ(result.status, replay::kExitOk) << err.str() << out.str();
        EXPECT_EQ(result.checksFailed, 0);
        EXPECT_GT(result.checksPassed, 0);
        EXPECT_EQ(result.framesWritten, scenario.actions.size() + 1);
        EXPECT_EQ(result.objectsLeftAlive, 0);
        EXPECT_EQ(result.poolBlocksLeft, 0);
        ExpectWellFormedOutput(dir, result.framesWritten);
        fs::remove_all(dir);
    }
}

TEST_F(ReplayTest, DefaultSessionLogShowsEveryOperationAndTheRecordChanges) {
    const fs::path dir = FreshFolder("default");
    std::ostringstream out, err;
    ASSERT_EQ(replay::RunCommandLine({"--out", dir.string()}, out, err), replay::kExitOk)
        << err.str();
    const std::string log = out.str();
    for (const char* line : {
             "operation recorded: \"Move End Point\"",
             "operation recorded: \"Move Jog\"",
             "operation recorded: \"Move Extension\"",
             "operation recorded: \"Move Callout\"",
             "grabbed cl1 end-point sphere",
             "grabbed cl2 jog arrow",
             "grabbed cl1 start-extension arrow",
             "grabbed c1 callout note",
             "cl1.endExtension: 1 -> 0",             // collapsed when the end point is grabbed
             "cl1.endPoint: (6, 0, 0) -> (8.46982",  // dropped on the bracket
             "end item instance:/asm/bracket",
             "cl2.points[6]: (10, 5, 0) -> (8, 5, 0)",  // extended end reflected through the end
             "cl1.startExtension: 1 -> -0.97",          // a negative extension
             "preselection colour 0xFF8000",
             "undo \"Move Callout\": c1 restored",
             "redo \"Move Callout\": c1 restored",
             "checks: 21 passed, 0 failed",
             "every host object was released",
         })
        EXPECT_NE(log.find(line), std::string::npos) << "missing: " << line;
    EXPECT_NE(log.find("cl2.ratio: 0.83"), std::string::npos);

    // The preselection colour shows from the first highlight after the change, not before.
    const std::string orange = "rgb(255,128,0)";
    EXPECT_EQ(ReadFile(dir / "frame-006.svg").find(orange), std::string::npos);
    EXPECT_NE(ReadFile(dir / "frame-007.svg").find(orange), std::string::npos);
    ExpectWellFormedOutput(dir, 37);
    fs::remove_all(dir);
}

// A drag, then undo and redo: the record comes back field by field, exactly, whatever the shadow
// wrote into it during the drag (collapsed extensions, ratio, reflected extension points).
struct UndoCase {
    const char* name;
    const char* markups;
    const char* actions;  // the drag; "undo" and "redo" follow
};

const UndoCase kUndoCases[] = {
    {"end point dropped on a part",
     R"("scene": {"parts": [{"id": "post", "min": [9, -1, -1], "max": [11, 4, 1],
                             "instance": "/post"}]},
        "markups": [{"id": "m", "start": [0, 1, 0], "end": [6, 1, 0], "startExtension": 1,
                     "endExtension": 1.5}],)",
     R"({"action": "press", "x": 440, "y": 260}, {"action": "move", "x": 600, "y": 220},
        {"action": "release"}, {"action": "pick"})"},
    {"jog dragged past the end",
     R"("markups": [{"id": "m", "path": "alongAxis", "start": [0, 0, 0], "end": [8, 3, 0],
                     "startExtension": 1, "endExtension": 1, "ratio": 0.4}],)",
     R"({"action": "press", "x": 330, "y": 180}, {"action": "move", "x": 480, "y": 180},
        {"action": "move", "x": 560, "y": 180}, {"action": "release"})"},
    {"end extension made negative",
     R"("markups": [{"id": "m", "start": [0, 0, 0], "end": [8, 0, 0], "startExtension": 2,
                     "endExtension": 2}],)",
     R"({"action": "press", "x": 615, "y": 300}, {"action": "move", "x": 455, "y": 300},
        {"action": "release"})"},
    {"end point dropped, then finished by the next drag before its pick returns",
     R"("markups": [{"id": "m", "start": [0, 0, 0], "end": [6, 0, 0], "startExtension": 1.5,
                     "endExtension": 1.5}],)",
     R"({"action": "press", "x": 440, "y": 300}, {"action": "move", "x": 520, "y": 220},
        {"action": "release"}, {"action": "press", "x": 200, "y": 300},
        {"action": "move", "x": 160, "y": 380}, {"action": "release"}, {"action": "pick"},
        {"action": "pick"})"},
    {"start point with a negative extension dropped on a part",
     R"("scene": {"parts": [{"id": "floor", "min": [-3, -5, -1], "max": [3, -1, 1],
                             "instance": "/floor"}]},
        "markups": [{"id": "m", "path": "alongAxis", "start": [0, 0, 0], "end": [8, 3, 0],
                     "startExtension": -1, "endExtension": 1}],)",
     R"({"action": "press", "x": 200, "y": 300}, {"action": "move", "x": 120, "y": 380},
        {"action": "release"}, {"action": "pick"})"},
};

TEST_F(ReplayTest, UndoAndRedoRestoreTheCenterLineRecordExactly) {
    for (const UndoCase& c : kUndoCases) {
        SCOPED_TRACE(c.name);
        const Scenario scenario =
            Parse(FrontView(std::string(c.markups) + R"("actions": [)" + c.actions +
                            R"(, {"action": "undo"}, {"action": "redo"}])"));
        const std::size_t drag = scenario.actions.size() - 2;
        replay::Session session(scenario);
        ASSERT_NE(session.Scene().FindCenterLine("m"), nullptr);
        replay::CenterLineEntry& line = *session.Scene().FindCenterLine("m");
        const replay::CenterLineState before = replay::CaptureCenterLine(line);
        for (std::size_t i = 0; i < drag; ++i)
            session.Play(i);
        const replay::CenterLineState after = replay::CaptureCenterLine(line);
        ASSERT_NE(after, before) << "the drag must change the record";
        ASSERT_EQ(session.Controller().UndoNames().size(), 1u);

        session.Play(drag);  // undo
        EXPECT_EQ(replay::CaptureCenterLine(line), before)
            << replay::Format(replay::CaptureCenterLine(line).points) << " vs "
            << replay::Format(before.points);
        // The shadow is rebuilt from the restored record.
        EXPECT_EQ(line.shadows[0].shadow->GetPoints(), before.points);
        EXPECT_TRUE(session.Scene().warnings.empty());

        session.Play(drag + 1);  // redo
        EXPECT_EQ(replay::CaptureCenterLine(line), after);
        EXPECT_EQ(session.Controller().RedoNames().size(), 0u);
    }
}

TEST_F(ReplayTest, UndoAndRedoMoveTheCalloutLabelBackAndForth) {
    const Scenario scenario = Parse(FrontView(R"(
        "scene": {"callouts": [{"id": "c", "note": "7", "position": [0, 3, 0]}]},
        "actions": [{"action": "press", "x": 220, "y": 180}, {"action": "move", "x": 300, "y": 220},
                    {"action": "release"}, {"action": "undo"}, {"action": "redo"}])"));
    replay::Session session(scenario);
    ASSERT_NE(session.Scene().FindCallout("c"), nullptr);
    replay::CalloutEntry& callout = *session.Scene().FindCallout("c");
    for (std::size_t i = 0; i < 3; ++i)
        session.Play(i);
    const dg::DPoint3D moved = callout.label->GetPos();
    EXPECT_NEAR(moved.x, 2.0, 1e-9);
    EXPECT_NEAR(moved.y, 2.0, 1e-9);
    session.Play(3);
    EXPECT_EQ(callout.label->GetPos(), dg::DPoint3D(0, 3, 0));
    session.Play(4);
    EXPECT_EQ(callout.label->GetPos(), moved);
    EXPECT_EQ(session.OperationNames(), std::vector<std::string>{"Move Callout"});
}

// Two drops wait for their picks; grabbing the second line's end again makes the library cancel
// that line's pick. Only that request leaves the queue, from behind the other one: the next pick
// completes the first line's drop, and the one after it the second line's new drop.
TEST_F(ReplayTest, OnlyTheRequestTheLibraryCancelledLeavesThePickQueue) {
    const Scenario scenario = Parse(FrontView(R"(
        "markups": [{"id": "a", "start": [0, 0, 0], "end": [6, 0, 0]},
                    {"id": "b", "start": [0, 4, 0], "end": [6, 4, 0]}],
        "actions": [
          {"action": "press", "x": 440, "y": 300}, {"action": "move", "x": 480, "y": 300},
          {"action": "release"},
          {"action": "press", "x": 440, "y": 140}, {"action": "move", "x": 480, "y": 140},
          {"action": "release"},
          {"action": "press", "x": 480, "y": 140}, {"action": "move", "x": 520, "y": 100},
          {"action": "release"}, {"action": "pick"}, {"action": "pick"}])"));
    replay::Session session(scenario);
    for (std::size_t i = 0; i < 6; ++i)
        session.Play(i);
    ASSERT_EQ(session.PendingPicks().size(), 2u);

    const replay::ActionLog press = session.Play(6);
    const std::vector<std::string> left = session.PendingPicks();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].rfind("at 480,300", 0), 0u) << left[0];
    EXPECT_EQ(std::count_if(press.details.begin(), press.details.end(),
                            [](const std::string& line) {
                                return line.rfind("pick at 480,140 (flags ", 0) == 0 &&
                                       line.find("cancelled by the library") != std::string::npos;
                            }),
              1);
    EXPECT_EQ(session.Scene().views[0].shapeView->detachedCompletions, 1);

    session.Play(7);
    session.Play(8);
    EXPECT_NE(session.Play(9).headline.find("ray cast at 480,300"), std::string::npos);
    EXPECT_NE(session.Play(10).headline.find("ray cast at 520,100"), std::string::npos);
    EXPECT_TRUE(replay::Near(session.Scene().FindCenterLine("a")->record->GetEndPoint(),
                             dg::DPoint3D(7, 0, 0), 1e-9));
    EXPECT_TRUE(replay::Near(session.Scene().FindCenterLine("b")->record->GetEndPoint(),
                             dg::DPoint3D(8, 5, 0), 1e-9));
    EXPECT_TRUE(session.PendingPicks().empty());
    EXPECT_EQ(session.Scene().views[0].shapeView->detachedCompletions, 1);
}

// Where handles overlap, a sphere wins over an arrow and an arrow over the line; each handle is
// still reachable on its own.
TEST_F(ReplayTest, PointerPrefersSpheresOverArrowsOverTheLine) {
    const Scenario scenario = Parse(FrontView(R"(
        "markups": [{"id": "m", "start": [0, 0, 0], "end": [8, 0, 0]}],
        "actions": [
          {"action": "hover", "x": 523, "y": 300},
          {"action": "expect", "markup": "m", "highlighted": "endPoint"},
          {"action": "hover", "x": 540, "y": 302},
          {"action": "expect", "markup": "m", "highlighted": "endExtension"},
          {"action": "hover", "x": 400, "y": 303},
          {"action": "expect", "markup": "m", "highlighted": "none"},
          {"action": "press", "x": 400, "y": 303},
          {"action": "expect", "markup": "m", "pickedNode": -1},
          {"action": "release"},
          {"action": "expect", "operations": [], "controllerCalls": 0}])"));
    std::ostringstream out, err;
    const replay::ReplayResult result = replay::ReplayScenario(scenario, {"", false}, out, err);
    EXPECT_EQ(result.checksFailed, 0) << out.str();
    EXPECT_NE(out.str().find("grabbed m line"), std::string::npos) << out.str();
}

// Scenario text reaches the frames and the page escaped: markup characters, control characters
// and a closing script tag cannot break them.
TEST_F(ReplayTest, NoteTextCannotBreakTheFramesOrThePage) {
    const Scenario scenario = Parse(FrontView(R"(
        "name": "</script><b>&amp;",
        "scene": {"labels": [{"id": "l", "note": "a < b & \"c\" \u0001 </script>",
                              "position": [0, 0, 0]}],
                  "callouts": [{"id": "c", "note": "]]> &#x41; '", "title": "<t>",
                                "position": [2, 2, 0]}]},
        "actions": [{"action": "hover", "x": 300, "y": 220, "comment": "<!-- & -->"}])"));
    const fs::path dir = FreshFolder("escape");
    std::ostringstream out, err;
    const replay::ReplayResult result =
        replay::ReplayScenario(scenario, {dir.string(), true}, out, err);
    ASSERT_EQ(result.status, replay::kExitOk) << err.str();
    ExpectWellFormedOutput(dir, 2);
    const std::string index = ReadFile(dir / "index.html");
    std::size_t closings = 0;
    for (std::size_t at = index.find("</script"); at != std::string::npos;
         at = index.find("</script", at + 1))
        ++closings;
    EXPECT_EQ(closings, 1u) << "only the page's own script ends a script";
    fs::remove_all(dir);
}

// Characters that XML 1.0 does not allow (U+FFFE, U+FFFF, control characters) may come in any
// text of a scenario: they are dropped wherever the text is shown, in every frame and in the page
// alike, and the characters around them stay.
TEST_F(ReplayTest, CharactersXmlDoesNotAllowAreDroppedFromFramesAndPage) {
    struct Case {
        const char* name;
        const char* scenario;  // FrontView body; the shown text is "q<dropped>z"
    };
    const Case cases[] = {
        {"scenario name", R"("name": "q\uffffz", "actions": [])"},
        {"label note",
         R"("scene": {"labels": [{"id": "l", "note": "q\uffffz", "position": [0, 0, 0]}]},
            "actions": [])"},
        {"action comment", R"("actions": [{"action": "undo", "comment": "q\u001b\uffffz"}])"},
        {"centre line id",
         R"("markups": [{"id": "q\uffffz", "start": [0, 0, 0], "end": [8, 0, 0]}],
            "actions": [{"action": "hover", "x": 400, "y": 300}])"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Scenario scenario = Parse(FrontView(c.scenario));
        const fs::path dir = FreshFolder("xml-chars");
        std::ostringstream out, err;
        const replay::ReplayResult result =
            replay::ReplayScenario(scenario, {dir.string(), true}, out, err);
        ASSERT_EQ(result.status, replay::kExitOk) << err.str();
        ExpectWellFormedOutput(dir, result.framesWritten);
        const std::string index = ReadFile(dir / "index.html");
        EXPECT_EQ(replaytest::CheckXmlChars(index), "");
        std::string shown = ReadFile(dir / "frame-000.svg") + index;
        for (std::size_t i = 1; i < result.framesWritten; ++i)
            shown += ReadFile(dir / ("frame-00" + std::to_string(i) + ".svg"));
        EXPECT_NE(shown.find("qz"), std::string::npos);
        fs::remove_all(dir);
    }
}

// The log goes to a terminal: control characters of the scenario's text (here a screen-clearing
// escape sequence, a line break and a C1 control) are written as escapes, so each log line stays
// one line and nothing reaches the terminal as a command.
TEST_F(ReplayTest, ControlCharactersReachTheLogAsEscapes) {
    const Scenario scenario = Parse(FrontView(R"(
        "scene": {"labels": [{"id": "l", "note": "a\u001b[2Jb\nc", "position": [0, 0, 0]}]},
        "actions": [{"action": "undo", "comment": "x\ny\u009b"}])"));
    std::ostringstream out, err;
    const replay::ReplayResult result = replay::ReplayScenario(scenario, {"", false}, out, err);
    ASSERT_EQ(result.status, replay::kExitOk) << err.str();
    const std::string log = out.str();
    EXPECT_NE(log.find("label l \"a\\u001b[2Jb\\u000ac\""), std::string::npos) << log;
    EXPECT_NE(log.find("# x\\u000ay\\u009b\n"), std::string::npos) << log;
    EXPECT_EQ(static_cast<std::size_t>(std::count(log.begin(), log.end(), '\n')),
              result.log.size());
    EXPECT_EQ(
        std::count_if(log.begin(), log.end(),
                      [](char c) { return c != '\n' && static_cast<unsigned char>(c) < 0x20; }),
        0);
    EXPECT_EQ(log.find("\xC2\x9B"), std::string::npos) << "no C1 control";
}

// What reaches the frames and the page is valid UTF-8 with only characters XML allows, whatever
// the text held: bytes that are not UTF-8 become U+FFFD (one for each ill-formed part), the
// characters XML forbids are dropped, markup characters escaped, everything else kept.
TEST(XmlEscape, WritesOnlyValidUtf8ThatXmlAllows) {
    const std::string r = "\xEF\xBF\xBD";  // U+FFFD
    const struct {
        const char* name;
        std::string text;
        std::string escaped;
    } cases[] = {
        {"noncharacters",
         "a\xEF\xBF\xBF\xEF\xBF\xBE"
         "b",
         "ab"},
        {"control characters", std::string("a\x01\x1B\x7F", 4) + std::string(1, '\0') + "\tb",
         "a\x7F\tb"},
        {"markup", "<a href='x'>&</a>\"", "&lt;a href=&apos;x&apos;&gt;&amp;&lt;/a&gt;&quot;"},
        {"allowed beyond ASCII", "\xC3\xA9 \xEE\x80\x80 \xF0\x9F\x98\x80 " + r,
         "\xC3\xA9 \xEE\x80\x80 \xF0\x9F\x98\x80 " + r},
        {"stray and invalid bytes",
         "a\x80\xFF"
         "b\xC0\xAF",
         "a" + r + r + "b" + r + r},
        {"sequence cut short",
         "a\xE2\x82"
         "b\xF0\x9F\x98",
         "a" + r + "b" + r},
        {"encoded surrogate", "\xED\xA0\x80", r + r + r},
        {"overlong form", "\xE0\x80\xAF", r + r + r},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", r + r + r + r},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(replay::XmlEscape(c.text), c.escaped);
        EXPECT_EQ(replaytest::CheckXmlChars(replay::XmlEscape(c.text)), "");
    }
}

TEST(XmlCheck, RejectsWhatIsNotWellFormed) {
    EXPECT_EQ(replaytest::CheckWellFormed("<?xml version=\"1.0\"?>\n<a x=\"1\"><b/>t &amp; "
                                          "&#65;<!-- c --></a>\n"),
              "");
    for (const char* bad :
         {"<a>", "<a></b>", "<a x=1/>", "<a x=\"1\" x=\"2\"/>", "<a>&bogus;</a>", "<a>x & y</a>",
          "<a x=\"<\"/>", "<a/><b/>", "text", "<a>\x01</a>", "<a>\xEF\xBF\xBF</a>",
          "<a x=\"\xEF\xBF\xBE\"/>", "<a>\xFF</a>", "<a>\xED\xA0\x80</a>", "<a>\xC3</a>"})
        EXPECT_NE(replaytest::CheckWellFormed(bad), "") << bad;
}

}  // namespace
