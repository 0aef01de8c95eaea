// The table of expectation and record fields: every row is whole, and the parser, the writer,
// the equality, the checks and the record's change lines each go by it.
#include "ExpectationFields.h"
#include "HostFixture.h"
#include "RecordState.h"
#include "Replay.h"
#include "Scenario.h"
#include "StepRecorder.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Json = nlohmann::json;
using replay::ExpectationField;
using replay::ExpectationFields;
using replay::FieldOwner;

// A front view, 40 pixels per unit, the window centred on (5, 0, 0): a straight centre line m, a
// label l and a callout c, and the actions given.
std::string SceneWith(const Json& actions) {
    Json scenario = Json::parse(R"({
      "view": {"viewport": [800, 600],
               "camera": {"eye": [5, 0, 50], "target": [5, 0, 0], "parallelWidth": 20}},
      "scene": {"labels": [{"id": "l", "note": "L", "position": [4, -3, 0]}],
                "callouts": [{"id": "c", "note": "7", "position": [0, 3, 0]}]},
      "markups": [{"id": "m", "start": [0, 0, 0], "end": [8, 0, 0], "startExtension": 1,
                   "endExtension": 2}]})");
    scenario["actions"] = actions;
    return scenario.dump();
}

std::string ParseError(const Json& action) {
    const replay::ParseOutcome outcome = replay::ParseScenario(SceneWith(Json::array({action})));
    return outcome.scenario ? "accepted" : outcome.error;
}

// Every check of the table, each with a value that does not hold for the scene above.
const char* const kEveryCheck = R"([
  {"action": "expect", "markup": "m", "startPoint": [9, 9, 9], "endPoint": [9, 9, 9],
   "startExtension": 9, "endExtension": 9, "ratio": 9, "alongAxis": true, "attached": true,
   "points": [[0, 0, 0]], "partID": "p", "midPointIndex": 9, "handles": {"startPoint": [9, 9, 9]},
   "shown": ["jog"], "highlighted": "jog", "pickedNode": 5, "endPointItem": "sbom:/x",
   "startPointItem": "instance:/y", "connectionTarget": "l"},
  {"action": "expect", "markup": "c", "position": [9, 9, 9]},
  {"action": "expect", "operations": ["x"], "lastOperation": "x", "undo": ["x"], "redo": ["y"],
   "controllerCalls": 9, "pendingPicks": 9, "cursor": "z"}
])";

TEST(ExpectationFields, EveryRowIsWhole) {
    std::set<std::string> keys;
    int lists = 0;
    for (const ExpectationField& f : ExpectationFields()) {
        SCOPED_TRACE(f.key);
        EXPECT_TRUE(keys.insert(f.key).second) << "one row per field";
        EXPECT_TRUE(f.read || f.changes)
            << "a row is checked by scenarios, kept by the record, or both";
        if (f.read) {
            EXPECT_TRUE(f.present && f.check && f.write && f.same);
        } else {
            EXPECT_FALSE(f.present || f.check || f.write || f.same);
        }
        // The live export writes only what scenarios read back.
        if (f.fromRecord) {
            EXPECT_TRUE(f.read && f.changes);
            EXPECT_NE(f.owner, FieldOwner::Session);
        }
        if (f.changes) {
            EXPECT_NE(f.owner, FieldOwner::Session) << "a record belongs to a markup";
        }
        // A field of the record is taken into its markup's snapshot and compared there; the
        // snapshots hold nothing else.
        EXPECT_EQ(bool(f.captureLine), f.changes && f.owner == FieldOwner::CenterLine);
        EXPECT_EQ(bool(f.captureCallout), f.changes && f.owner == FieldOwner::Callout);
        EXPECT_EQ(bool(f.sameInRecord), bool(f.changes));
        lists += f.storedList ? 1 : 0;
    }
    EXPECT_EQ(lists, 1) << "the record stores one list";
}

TEST(ExpectationFields, AMarkupsFieldNeedsThatMarkupNamed) {
    for (const ExpectationField& f : ExpectationFields()) {
        if (!f.read || f.owner == FieldOwner::Session)
            continue;
        SCOPED_TRACE(f.key);
        const bool callout = f.owner == FieldOwner::Callout;
        const std::string message = std::string("actions[0].") + f.key + ": checks a " +
                                    (callout ? "callout" : "centre line") +
                                    ": name one with \"markup\"";
        Json action{{"action", "expect"}, {f.key, 1}};
        EXPECT_EQ(ParseError(action), message);
        action["markup"] = callout ? "m" : "c";
        EXPECT_EQ(ParseError(action), message);
    }
}

TEST(ExpectationFields, EveryFieldRefusesAWrongValueAtItsPlace) {
    for (const ExpectationField& f : ExpectationFields()) {
        if (!f.read)
            continue;
        SCOPED_TRACE(f.key);
        Json action{{"action", "expect"}, {f.key, nullptr}};
        if (f.owner != FieldOwner::Session)
            action["markup"] = f.owner == FieldOwner::Callout ? "c" : "m";
        EXPECT_EQ(ParseError(action).rfind(std::string("actions[0].") + f.key + ": expected ", 0),
                  0u)
            << ParseError(action);
    }
}

// Each field of kEveryCheck: written back under its name, and an expectation without it is
// another expectation.
TEST(ExpectationFields, EveryFieldIsWrittenBackAndTellsExpectationsApart) {
    const Json actions = Json::parse(kEveryCheck);
    const replay::ParseOutcome every = replay::ParseScenario(SceneWith(actions));
    ASSERT_TRUE(every.scenario) << every.error;
    for (const ExpectationField& f : ExpectationFields()) {
        if (!f.read)
            continue;
        SCOPED_TRACE(f.key);
        std::size_t at = 0;
        while (at < actions.size() && !actions[at].contains(f.key))
            ++at;
        ASSERT_LT(at, actions.size()) << "kEveryCheck checks every field";
        const replay::Action& original = every.scenario->actions[at];
        EXPECT_TRUE(f.present(original.expect));
        EXPECT_NE(replay::WriteAction(original).find("\"" + std::string(f.key) + "\":"),
                  std::string::npos);

        Json without = actions;
        without[at].erase(f.key);
        if (without[at].size() == 2)  // the action and the markup: an expect needs a check
            without[at]["cursor"] = "z";
        const replay::ParseOutcome fewer = replay::ParseScenario(SceneWith(without));
        ASSERT_TRUE(fewer.scenario) << fewer.error;
        const replay::Expectation& other = fewer.scenario->actions[at].expect;
        EXPECT_FALSE(f.present(other));
        EXPECT_FALSE(f.same(original.expect, other));
        EXPECT_FALSE(original.expect == other);
        EXPECT_TRUE(original.expect == original.expect);
    }
}

class ExpectationChecks : public testsupport::HostFixture {};

TEST_F(ExpectationChecks, EveryFailedCheckNamesItsFieldAndBothValues) {
    const replay::ParseOutcome parsed = replay::ParseScenario(SceneWith(Json::parse(kEveryCheck)));
    ASSERT_TRUE(parsed.scenario) << parsed.error;
    std::ostringstream out, err;
    const replay::ReplayResult result =
        replay::ReplayScenario(*parsed.scenario, {"", false}, out, err);
    std::vector<std::string> failed;
    for (const std::string& line : result.log)
        if (line.find("FAILED ") != std::string::npos)
            failed.push_back(line);
    const std::vector<std::string> expected{
        "    FAILED m.startPoint: expected (9, 9, 9), got (0, 0, 0)",
        "    FAILED m.endPoint: expected (9, 9, 9), got (8, 0, 0)",
        "    FAILED m.startExtension: expected 9, got 1",
        "    FAILED m.endExtension: expected 9, got 2",
        "    FAILED m.ratio: expected 9, got 0.5",
        "    FAILED m.alongAxis: expected true, got false",
        "    FAILED m.attached: expected true, got false",
        "    FAILED m.points: expected [(0, 0, 0)], got [(-1, 0, 0), (0, 0, 0), (8, 0, 0), "
        "(10, 0, 0)]",
        "    FAILED m.partID: expected \"p\", got \"\"",
        "    FAILED m.midPointIndex: expected 9, got 0",
        "    FAILED m.handles.startPoint: expected (9, 9, 9), got (0, 0, 0)",
        "    FAILED m.shown: expected [\"jog\"], got [\"endExtension\", \"endPoint\", "
        "\"startExtension\", \"startPoint\"]",
        "    FAILED m.highlighted: expected \"jog\", got \"none\"",
        "    FAILED m.pickedNode: expected 5, got -1",
        "    FAILED m.endPointItem: expected \"sbom:/x\", got \"none\"",
        "    FAILED m.startPointItem: expected \"instance:/y\", got \"none\"",
        "    FAILED m.connectionTarget: expected \"l\", got \"none\"",
        "    FAILED c.position: expected (9, 9, 9), got (0, 3, 0)",
        "    FAILED operations: expected [\"x\"], got []",
        "    FAILED lastOperation: expected \"x\", got \"\"",
        "    FAILED undo: expected [\"x\"], got []",
        "    FAILED redo: expected [\"y\"], got []",
        "    FAILED controllerCalls: expected 9, got 0",
        "    FAILED pendingPicks: expected 9, got 0",
        "    FAILED cursor: expected \"z\", got \"\"",
    };
    EXPECT_EQ(failed, expected);
    EXPECT_EQ(result.checksFailed, static_cast<int>(expected.size()));
    EXPECT_EQ(result.checksPassed, 0);
    EXPECT_EQ(result.status, replay::kExitCheckFailed);
}

// The change lines of the record: the stored list first, point by point, then the fields derived
// from it in the table's order, each as the checks show it.
TEST(ExpectationFields, RecordChangesComeInTheTablesOrder) {
    replay::CenterLineState before;
    before.points = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}};
    replay::CenterLineState after = before;
    after.points[1] = {1, 2, 0};
    after.endExtension = 0.5f;
    after.startPoint = {0, 0, 1};
    after.attached = true;
    after.partID = "/p";
    after.mainAxisDirection = dg::DVec3(0, 1, 0);
    after.midPointIndex = 2;
    EXPECT_EQ(
        replay::DescribeChanges("m", before, after),
        (std::vector<std::string>{
            "m.points[1]: (1, 0, 0) -> (1, 2, 0)", "m.startPoint: (0, 0, 0) -> (0, 0, 1)",
            "m.endExtension: 0 -> 0.5", "m.attached: false -> true", "m.partID: \"\" -> \"/p\"",
            "m.mainAxisDirection: (0, 0, 0) -> (0, 1, 0)", "m.midPointIndex: 0 -> 2"}));
    after = before;
    after.points.pop_back();
    EXPECT_EQ(replay::DescribeChanges("m", before, after),
              (std::vector<std::string>{
                  "m.points: [(0, 0, 0), (1, 0, 0), (2, 0, 0)] -> [(0, 0, 0), (1, 0, 0)]"}));
    EXPECT_TRUE(replay::DescribeChanges("m", before, before).empty());

    replay::CalloutState from;
    replay::CalloutState to;
    to.position = {1, 2, 3};
    to.minimumSize = 2;
    EXPECT_EQ(
        replay::DescribeChanges("c", from, to),
        (std::vector<std::string>{"c.position: (0, 0, 0) -> (1, 2, 3)", "c.minimumSize: 0 -> 2"}));
}

}  // namespace
