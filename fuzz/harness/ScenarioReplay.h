#pragma once

// Scenario harness: the bytes are the text of a scenario file, read by the replay's parser as
// illsxmk-replay reads it, and played when accepted (as the playground plays a pasted scenario,
// frame after frame). Checks:
//  - a refused scenario gets one line of valid UTF-8 without control characters that starts
//    with the place of the problem: when the text is JSON, a place that is in it
//    ("view.camera.eye", "actions[3]", "scenario"), or a member that an object of it lacks
//    (required, or with a default that does not do); when it is not JSON, the reader's
//    "not valid JSON: ..." or the place of the bad number or string (or of a key given twice
//    before the text goes wrong);
//  - an accepted one plays to its end, or stops with an exception from the host or the library
//    (the replay's exit status 3). Every frame is well-formed XML, the page (index.html) holds
//    only characters XML allows and one end of a script, every log line is valid UTF-8;
//  - the session written as a scenario (what the playground's Save scenario writes) reads back;
//    played live, as a user would (the expectations Save scenario adds after each drag with it),
//    it also replays with every check holding;
//  - every host object is released at the end (HostSession).
// Each input stays small in time: at most kMaxActions actions and kMaxObjects objects are played,
// a larger scenario is only read.

#include "Check.h"
#include "Frames.h"
#include "LiveSession.h"
#include "Scenario.h"
#include "ScenarioReading.h"
#include "Utf8Text.h"
#include "XmlCheck.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

namespace fuzzharness {

namespace scenario {

constexpr std::size_t kMaxActions = 48;
constexpr std::size_t kMaxObjects = 24;

using Json = nlohmann::json;

// Every place in the document as the parser's messages spell it ("markups[0].start[1]"; control
// characters in keys written as escapes), and for each object its place and its members.
inline void Places(const Json& j, const std::string& where, std::vector<std::string>& places,
                   std::vector<std::pair<std::string, const Json*>>& objects) {
    places.push_back(where.empty() ? "scenario" : where);
    if (j.is_object()) {
        objects.emplace_back(where, &j);
        for (auto it = j.begin(); it != j.end(); ++it)
            Places(it.value(), replay::Printable(replay::reading::Field(where, it.key())), places,
                   objects);
    } else if (j.is_array()) {
        for (std::size_t i = 0; i < j.size(); ++i)
            Places(j[i], where + "[" + std::to_string(i) + "]", places, objects);
    }
}

// The message starts with a place of the document, or with a member that one of its objects
// does not have (one that is required, or whose default does not do).
inline bool NamesAPlace(const std::string& message, const Json& document) {
    std::vector<std::string> places;
    std::vector<std::pair<std::string, const Json*>> objects;
    Places(document, "", places, objects);
    for (const std::string& place : places)
        if (message.compare(0, place.size() + 2, place + ": ") == 0)
            return true;
    for (const auto& [where, object] : objects) {
        const std::string prefix = where.empty() ? "" : where + ".";
        const std::size_t end = message.find(": ", prefix.size());
        if (message.compare(0, prefix.size(), prefix) != 0 || end == std::string::npos ||
            end == prefix.size())
            continue;
        const std::string key = message.substr(prefix.size(), end - prefix.size());
        bool present = false;
        for (auto it = object->begin(); it != object->end() && !present; ++it)
            present = replay::Printable(it.key()) == key;
        if (!present)
            return true;
    }
    return false;
}

inline void CheckRefusal(const std::string& text, const std::string& message, Checker& check) {
    check.Expect(!message.empty(), "a refusal without a message");
    check.Expect(message.find('\n') == std::string::npos, "a refusal of more than one line");
    check.Expect(replay::Printable(message) == message,
                 "a refusal that is not valid UTF-8 or holds control characters");
    const Json document = Json::parse(text, nullptr, false);
    if (document.is_discarded()) {
        const bool syntax = message.rfind("not valid JSON: ", 0) == 0 ||
                            message.find(": not a finite number (") != std::string::npos ||
                            message.find("not valid text (") != std::string::npos ||
                            message.find(": duplicate key") != std::string::npos;
        check.Expect(syntax, "text that is not JSON refused without saying so");
    } else {
        check.Expect(message.rfind("not valid JSON", 0) != 0, "JSON refused as not JSON");
        check.Expect(NamesAPlace(message, document), "a refusal that names no place of the input");
        if (check.Failed())
            std::fprintf(stderr, "refused: %s\n", message.c_str());
    }
}

inline bool AllValidUtf8(const std::vector<std::string>& lines) {
    for (const std::string& line : lines)
        if (replay::ValidUtf8(line) != line)
            return false;
    return true;
}

inline void CheckFrame(const std::string& svg, Checker& check) {
    check.Expect(replaytest::CheckWellFormed(svg).empty(), "a frame that is not well-formed XML");
}

// The scenario's actions but its own checks played live: Save scenario adds an expectation of
// the state after each finished drag, undo and redo, and what it writes plays back green.
inline void CheckSavedLiveSession(const replay::Scenario& s, Checker& check) {
    replay::LiveSession live(s);
    for (const replay::Action& a : live.Script())
        if (a.kind != replay::Action::Expect)
            live.Play(a);
    const replay::ParseOutcome saved = replay::ParseScenario(live.Export());
    check.Expect(saved.scenario.has_value(), "the live session written as a scenario is refused");
    if (!saved.scenario) {
        std::fprintf(stderr, "saved live session refused: %s\n", saved.error.c_str());
        return;
    }
    replay::Session again(*saved.scenario);
    int failed = 0;
    for (std::size_t i = 0; i < saved.scenario->actions.size(); ++i)
        failed += again.Play(i).checksFailed;
    check.Expect(failed == 0, "the live session written as a scenario fails its own checks");
}

// Plays the scenario as the replay does and checks what it writes.
inline int Play(const replay::Scenario& s, Checker& check) {
    int steps = 0;
    std::vector<replay::FrameEntry> frames;
    try {
        replay::LiveSession live(s);
        replay::Session& session = live.GetSession();
        const std::vector<std::string> scene = session.Describe();
        check.Expect(AllValidUtf8(scene), "a scene description that is not valid UTF-8");
        CheckFrame(session.SceneLayer(), check);
        CheckFrame(session.Frame("[0] the scene as set up", "scene.svg"), check);
        frames.push_back({"frame-000.svg", "[0] the scene as set up", scene, false});
        for (std::size_t i = 0; i < live.Script().size() && !check.Failed(); ++i) {
            check.SetStep(static_cast<int>(i));
            const replay::ActionLog log = live.PlayScripted(i);
            ++steps;
            check.Expect(AllValidUtf8({log.headline}) && AllValidUtf8(log.details),
                         "a log line that is not valid UTF-8");
            CheckFrame(session.Frame(log.headline), check);
            frames.push_back({"frame.svg", log.headline, log.details, log.checksFailed > 0});
        }
        check.SetStep(-1);
        const replay::ParseOutcome saved = replay::ParseScenario(live.Export());
        check.Expect(saved.scenario.has_value(), "the session written as a scenario is refused");
        if (!saved.scenario)
            std::fprintf(stderr, "saved session refused: %s\n", saved.error.c_str());
        if (!check.Failed())
            CheckSavedLiveSession(s, check);
    } catch (const std::exception&) {
        // The replay stops here with status 3; what was drawn so far was checked.
    }
    const std::string page = replay::RenderIndex(s.name.empty() ? "illsxmk-replay" : s.name,
                                                 s.description, "scene.svg", frames, {"summary"});
    check.Expect(replaytest::CheckXmlChars(page).empty(), "a page with characters XML forbids");
    std::size_t scriptEnds = 0;
    for (std::size_t at = page.find("</script"); at != std::string::npos;
         at = page.find("</script", at + 1))
        ++scriptEnds;
    check.Expect(scriptEnds == 1, "text that ends the page's script");
    return steps;
}

class Run {
public:
    Run(const std::uint8_t* bytes, std::size_t size, Checker& checker)
        : text(reinterpret_cast<const char*>(bytes), size), check(checker) {}

    int Go() {
        const replay::ParseOutcome outcome = replay::ParseScenario(text);
        if (!outcome.scenario) {
            CheckRefusal(text, outcome.error, check);
            return 0;
        }
        const replay::Scenario& s = *outcome.scenario;
        const std::size_t objects =
            s.parts.size() + s.labels.size() + s.callouts.size() + s.centerLines.size();
        if (s.actions.size() > kMaxActions || objects > kMaxObjects)
            return 0;
        return Play(s, check);
    }

private:
    std::string text;
    Checker& check;
};

}  // namespace scenario

// Every input is a text; there is nothing to decode byte by byte.
struct TextInput {
    TextInput(const std::uint8_t* d, std::size_t n) : data(d), size(n) {}
    const std::uint8_t* data;
    std::size_t size;
};

struct ScenarioRun {
    ScenarioRun(TextInput& in, Checker& check) : run(in.data, in.size, check) {}
    int Go() { return run.Go(); }
    scenario::Run run;
};

inline Outcome RunScenario(const std::uint8_t* data, std::size_t size) {
    return RunHarness<ScenarioRun, TextInput>(data, size);
}

}  // namespace fuzzharness
