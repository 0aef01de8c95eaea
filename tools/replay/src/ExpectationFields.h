#pragma once

// The fields of an expect action and of a markup's record, one row each, in the order scenarios
// write them and the checks run. A row says which markup the field belongs to and how to
//   - read it from a scenario (with the place named in the message of a bad value),
//   - check it against the session as it stands, and show the expected and the found value,
//   - write it back into a scenario, and compare two expectations by it,
//   - and, for a field the record keeps, show its change in the log and take its value into a
//     live session's expectations.
// The parser (ReadExpectation), the checks (CheckExpectation), the writer (WriteAction) and the
// equality of expectations, the record's change lines (DescribeChanges) and the live export
// (LiveSession) go through these rows only: a new check is one row here and its member in
// Expectation. The markups' snapshots (CaptureCenterLine, CaptureCallout and their operator==)
// take and compare exactly the record fields of these rows: a field of the record is one row
// here, with its reader, and its member in CenterLineState or CalloutState. Restoring a snapshot
// goes through what the record lets the viewer set, and is checked against the rows.

#include "Scenario.h"
#include "ScenarioReading.h"
#include "ScenarioWriting.h"

#include <functional>
#include <string>
#include <vector>

namespace replay {

class ReplayScene;
class UndoController;
struct CenterLineEntry;
struct CalloutEntry;
struct LineShadow;
struct CenterLineState;
struct CalloutState;

// Whose field it is: an expect action checking a centre line's or a callout's field names that
// markup; a session field needs none.
enum class FieldOwner { CenterLine, Callout, Session };

// A snapshot of the markup the field belongs to: the one of the field's owner is set.
struct RecordValues {
    const CenterLineState* line = nullptr;
    const CalloutState* callout = nullptr;
};

// What the checks read: the session as it stands and the markup the expect action names.
struct CheckedSession {
    const ReplayScene& scene;
    const UndoController& controller;
    const CenterLineEntry* line = nullptr;  // the markup named, when it is a centre line
    const CalloutEntry* callout = nullptr;  // or a callout
    RecordValues record;                    // its record, as CaptureCenterLine/CaptureCallout give
    std::size_t view = 0;                   // whose shadow and window are checked

    const LineShadow& Shadow() const;  // the line's shadow in that view
};

// One comparison of a check: "FAILED <what>: expected <expected>, got <got>" unless it holds.
struct FieldCheck {
    std::string what;
    bool holds = false;
    std::string expected;
    std::string got;
};

struct ExpectationField {
    const char* key = "";  // in scenarios, and after the markup's id in the log ("cl1.endPoint")
    FieldOwner owner = FieldOwner::Session;

    // The expect action's side; empty for a record field that scenarios do not check.
    // Reads the value at its place (where) into the expectation, or throws reading::Invalid.
    std::function<void(const reading::Json& value, const std::string& where,
                       const reading::Ids& ids, Expectation& e)>
        read;
    std::function<bool(const Expectation& e)> present;  // the expectation checks the field
    std::function<std::vector<FieldCheck>(const Expectation& e, const CheckedSession& session)>
        check;                                                            // when present
    std::function<void(const Expectation& e, writing::Json& out)> write;  // when present
    std::function<bool(const Expectation& a, const Expectation& b)> same;

    // The record's side; empty for a field the record does not keep.
    // Adds "<id>.<key>: <before> -> <after>" lines when the field changed.
    std::function<void(const std::string& id, const RecordValues& before, const RecordValues& after,
                       std::vector<std::string>& out)>
        changes;
    // Sets the expectation's field to the record's value when it can be written (finite), and
    // widens scale to the size of the value; false when it was left out.
    std::function<bool(const RecordValues& now, Expectation& e, double& scale)> fromRecord;
    // Takes the field from the markup into its snapshot (the one of the field's owner).
    std::function<void(const CenterLineEntry& entry, CenterLineState& into)> captureLine;
    std::function<void(const CalloutEntry& entry, CalloutState& into)> captureCallout;
    // Whether two snapshots hold the same value, exactly (a not-a-number equals a not-a-number).
    std::function<bool(const RecordValues& a, const RecordValues& b)> sameInRecord;
    bool storedList = false;  // the list the record stores, from which its other fields derive
};

// Every field, in the order scenarios write them and the checks run.
const std::vector<ExpectationField>& ExpectationFields();

}  // namespace replay
