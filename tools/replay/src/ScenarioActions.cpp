// The scenario's "actions": pointer events, picks, preference changes, undo and redo; an expect
// action's checks are read in Expectations.cpp.
#include "ScenarioReading.h"

#include <map>

namespace replay {
namespace reading {

namespace {

void ReadPointer(const Json& j, const std::string& where, const ViewInput& view, Action& a) {
    a.x = ReadIntIn(Require(j, where, "x"), Field(where, "x"), 0, view.width - 1);
    a.y = ReadIntIn(Require(j, where, "y"), Field(where, "y"), 0, view.height - 1);
}

void ReadPick(const Json& j, const std::string& where, const Ids& ids, Action& a) {
    ReadIfPresent(j, where, "status", ReadInt, a.status);
    const Json* results = Optional(j, "results");
    if (!results)
        return;
    const std::string rw = Field(where, "results");
    ReadArray(*results, rw);
    a.hasResults = true;
    for (std::size_t i = 0; i < results->size(); ++i) {
        const Json& r = (*results)[i];
        const std::string w = Index(rw, i);
        CheckKeys(r, w, {"object", "as", "point"});
        PickResultInput config;
        config.object = ReadString(Require(r, w, "object"), Field(w, "object"));
        const auto id = ids.find(config.object);
        if (id == ids.end())
            Fail(Field(w, "object"),
                 "no part, label, callout or markup \"" + config.object + "\" in the scenario");
        if (const Json* as = Optional(r, "as")) {
            const std::string v = ReadString(*as, Field(w, "as"));
            if (v != "record" && v != "shadow")
                Fail(Field(w, "as"), "expected \"record\" or \"shadow\"");
            if (id->second != Kind::CenterLine)
                Fail(Field(w, "as"), "only a centre line has a record and a shadow");
            config.asShadow = v == "shadow";
        }
        ReadIfPresent(r, w, "point", ReadPoint, config.point);
        a.results.push_back(config);
    }
}

}  // namespace

Action ReadAction(const Json& j, const std::string& where, const ViewInput& view, const Ids& ids) {
    ExpectObject(j, where);
    static const std::map<std::string, Action::Kind> kinds{
        {"hover", Action::Hover},  {"press", Action::Press},
        {"move", Action::Move},    {"release", Action::Release},
        {"pick", Action::Pick},    {"preferences", Action::Preferences},
        {"undo", Action::Undo},    {"redo", Action::Redo},
        {"expect", Action::Expect}};
    const std::string name = ReadString(Require(j, where, "action"), Field(where, "action"));
    const auto it = kinds.find(name);
    if (it == kinds.end())
        Fail(Field(where, "action"),
             "unknown action \"" + name +
                 "\" (known: hover, press, move, release, pick, preferences, undo, redo, "
                 "expect)");
    Action a;
    a.kind = it->second;
    switch (a.kind) {
        case Action::Hover:
        case Action::Press:
        case Action::Move:
            CheckKeys(j, where, {"action", "x", "y", "comment"});
            ReadPointer(j, where, view, a);
            break;
        case Action::Release:
        case Action::Undo:
        case Action::Redo:
            CheckKeys(j, where, {"action", "comment"});
            break;
        case Action::Pick:
            CheckKeys(j, where, {"action", "results", "status", "comment"});
            ReadPick(j, where, ids, a);
            break;
        case Action::Preferences:
            CheckKeys(j, where, {"action", "preselectionColor", "comment"});
            a.preselectionColor = ReadPreference(Require(j, where, "preselectionColor"),
                                                 Field(where, "preselectionColor"));
            break;
        case Action::Expect:
            ReadExpectation(j, where, ids, a.expect);
            break;
    }
    ReadIfPresent(j, where, "comment", ReadString, a.comment);
    return a;
}

}  // namespace reading

const char* ActionName(Action::Kind kind) {
    switch (kind) {
        case Action::Hover:
            return "hover";
        case Action::Press:
            return "press";
        case Action::Move:
            return "move";
        case Action::Release:
            return "release";
        case Action::Pick:
            return "pick";
        case Action::Preferences:
            return "preferences";
        case Action::Undo:
            return "undo";
        case Action::Redo:
            return "redo";
        case Action::Expect:
            return "expect";
    }
    return "?";
}

}  // namespace replay
