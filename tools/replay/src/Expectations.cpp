// An expect action: its checks as the scenario gives them, and running them against the session.
// Both go through the fields' table (ExpectationFields.h), as do the writer, the record's change
// lines and the live export: a new check is a row there and a member of Expectation.
#include "Expectations.h"

#include "ExpectationFields.h"
#include "RecordState.h"
#include "ScenarioReading.h"

#include <optional>
#include <vector>

namespace replay {

const char* HandleKey(HandleName handle) {
    switch (handle) {
        case HandleName::StartPoint:
            return "startPoint";
        case HandleName::EndPoint:
            return "endPoint";
        case HandleName::StartExtension:
            return "startExtension";
        case HandleName::EndExtension:
            return "endExtension";
        case HandleName::Jog:
            return "jog";
    }
    return "?";
}

const char* HandleLabel(HandleName handle) {
    switch (handle) {
        case HandleName::StartPoint:
            return "start-point sphere";
        case HandleName::EndPoint:
            return "end-point sphere";
        case HandleName::StartExtension:
            return "start-extension arrow";
        case HandleName::EndExtension:
            return "end-extension arrow";
        case HandleName::Jog:
            return "jog arrow";
    }
    return "?";
}

namespace reading {

namespace {

// The markup the checks are about, and its kind; none for session-wide checks.
std::optional<Kind> ReadMarkup(const Json& j, const std::string& where, const Ids& ids,
                               Expectation& e) {
    const Json* m = Optional(j, "markup");
    if (!m)
        return std::nullopt;
    e.markup = ReadString(*m, Field(where, "markup"));
    const auto it = ids.find(e.markup);
    if (it == ids.end() || (it->second != Kind::CenterLine && it->second != Kind::Callout))
        Fail(Field(where, "markup"),
             "no centre line or callout \"" + e.markup + "\" in the scenario");
    return it->second;
}

// A markup's field needs that markup named.
void CheckOwner(const ExpectationField& field, std::optional<Kind> named,
                const std::string& where) {
    if (field.owner == FieldOwner::Session)
        return;
    const bool callout = field.owner == FieldOwner::Callout;
    if (named != (callout ? Kind::Callout : Kind::CenterLine))
        Fail(Field(where, field.key), std::string("checks a ") +
                                          (callout ? "callout" : "centre line") +
                                          ": name one with \"markup\"");
}

}  // namespace

void ReadExpectation(const Json& j, const std::string& where, const Ids& ids, Expectation& e) {
    std::vector<const char*> keys{"action", "comment", "markup", "tolerance", "view"};
    for (const ExpectationField& field : ExpectationFields())
        if (field.read)
            keys.push_back(field.key);
    CheckKeys(j, where, keys);
    const std::optional<Kind> named = ReadMarkup(j, where, ids, e);
    if (const Json* t = Optional(j, "tolerance")) {
        e.tolerance = ReadNumber(*t, Field(where, "tolerance"));
        if (!(e.tolerance >= 0.0))
            Fail(Field(where, "tolerance"), "must not be negative");
    }
    int checks = 0;
    for (const ExpectationField& field : ExpectationFields()) {
        const Json* v = field.read ? Optional(j, field.key) : nullptr;
        if (!v)
            continue;
        CheckOwner(field, named, where);
        field.read(*v, Field(where, field.key), ids, e);
        ++checks;
    }
    if (checks == 0)
        Fail(where, "an expect action needs at least one check");
}

}  // namespace reading

void CheckExpectation(const Expectation& e, std::size_t view, const SessionView& session,
                      ActionLog& log) {
    const ReplayScene& scene = session.scene;
    CheckedSession checked{
        scene, session.controller, scene.FindCenterLine(e.markup), scene.FindCallout(e.markup), {},
        view};
    CenterLineState line;
    CalloutState callout;
    // A markup removed from the scene meanwhile: its checks cannot hold.
    if (!e.markup.empty() && !checked.line && !checked.callout) {
        ++log.checksFailed;
        log.details.push_back("FAILED " + e.markup + ": not in the scene");
    }
    if (checked.line) {
        line = CaptureCenterLine(*checked.line);
        checked.record.line = &line;
    }
    if (checked.callout) {
        callout = CaptureCallout(*checked.callout);
        checked.record.callout = &callout;
    }
    for (const ExpectationField& field : ExpectationFields()) {
        const bool reached = field.owner == FieldOwner::Session ||
                             (field.owner == FieldOwner::CenterLine ? checked.line != nullptr
                                                                    : checked.callout != nullptr);
        if (!reached || !field.present || !field.present(e))
            continue;
        for (const FieldCheck& c : field.check(e, checked)) {
            if (c.holds) {
                ++log.checksPassed;
                continue;
            }
            ++log.checksFailed;
            log.details.push_back("FAILED " + c.what + ": expected " + c.expected + ", got " +
                                  c.got);
        }
    }
    log.headline += (e.markup.empty() ? "" : " " + e.markup) + ": " +
                    std::to_string(log.checksPassed) + " passed, " +
                    std::to_string(log.checksFailed) + " failed";
}

}  // namespace replay
