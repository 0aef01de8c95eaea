// The scenario's "actions": pointer events, picks, preference changes, undo and redo, the
// viewer's behaviour, the selection, the viewer's own edits and camera moves; an expect action's
// checks are read in Expectations.cpp.
#include "ScenarioReading.h"
#include "ViewerBehaviours.h"

#include <sxk/HostileViewer.h>

#include <array>
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

ViewerOptions ReadViewer(const Json& j, const std::string& where) {
    ViewerOptions o;
    if (const Json* c = Optional(j, "controller")) {
        static const std::map<std::string, ViewerOptions::Controller> kControllers{
            {"apply", ViewerOptions::Apply},
            {"snap", ViewerOptions::Snap},
            {"refuse", ViewerOptions::Refuse}};
        const std::string name = ReadString(*c, Field(where, "controller"));
        const auto it = kControllers.find(name);
        if (it == kControllers.end())
            Fail(Field(where, "controller"), "expected \"apply\", \"snap\" or \"refuse\"");
        o.controller = it->second;
    }
    if (const Json* g = Optional(j, "grid")) {
        if (o.controller != ViewerOptions::Snap)
            Fail(Field(where, "grid"), "only with \"controller\": \"snap\"");
        o.grid = ReadCoordinate(*g, Field(where, "grid"));
        if (!(o.grid > 0.0))
            Fail(Field(where, "grid"), "out of range (must be above 0)");
    }
    ReadIfPresent(j, where, "rebuild", ReadBool, o.rebuild);
    if (const Json* p = Optional(j, "picks")) {
        static const std::map<std::string, ViewerOptions::Picks> kPicks{
            {"later", ViewerOptions::Later},
            {"at-once", ViewerOptions::AtOnce},
            {"refuse", ViewerOptions::RefusePicks}};
        const std::string name = ReadString(*p, Field(where, "picks"));
        const auto it = kPicks.find(name);
        if (it == kPicks.end())
            Fail(Field(where, "picks"), "expected \"later\", \"at-once\" or \"refuse\"");
        o.picks = it->second;
    }
    if (const Json* b = Optional(j, "behaviours")) {
        const std::string w = Field(where, "behaviours");
        const std::vector<std::string> names = ReadNames(*b, w);
        for (std::size_t i = 0; i < names.size(); ++i) {
            unsigned bit = 0;
            if (names[i].find(',') != std::string::npos ||
                !sxk::HostileViewer::Parse(names[i], bit) || bit == 0)
                Fail(Index(w, i), "unknown behaviour \"" + names[i] + "\" (expected " +
                                      BehaviourNames(kPlayableBehaviours) + ")");
            // The scene holds every markup it plays, for its pictures and checks; a controller
            // that let go of them inside its stop would leave it drawing markups it no longer has.
            if (bit == sxk::HostileViewer::ControllerLetsGo)
                Fail(Index(w, i),
                     "the replay cannot let go of its markups inside a stop: its "
                     "scene draws and checks them (remove a markup instead)");
            if ((o.behaviours & bit) != 0)
                Fail(Index(w, i), "\"" + names[i] + "\" is given twice");
            o.behaviours |= bit;
        }
    }
    return o;
}

std::vector<std::string> ReadSelection(const Json& j, const std::string& where, const Ids& ids) {
    std::vector<std::string> names = ReadNames(j, where);
    for (std::size_t i = 0; i < names.size(); ++i) {
        const auto id = ids.find(names[i]);
        if (id == ids.end() || (id->second != Kind::CenterLine && id->second != Kind::Callout))
            Fail(Index(where, i), "no centre line or callout \"" + names[i] + "\" in the scenario");
        for (std::size_t k = 0; k < i; ++k)
            if (names[k] == names[i])
                Fail(Index(where, i), "\"" + names[i] + "\" is selected twice");
    }
    return names;
}

void ReadEdit(const Json& j, const std::string& where, const Ids& ids, Action& a) {
    CheckKeys(j, where,
              {"action", "markup", "start", "end", "path", "startExtension", "endExtension",
               "ratio", "frame", "axisOrder", "partID", "attached", "points", "comment"});
    a.markup = ReadString(Require(j, where, "markup"), Field(where, "markup"));
    const auto id = ids.find(a.markup);
    if (id == ids.end() || id->second != Kind::CenterLine)
        Fail(Field(where, "markup"), "no centre line \"" + a.markup + "\" in the scenario");
    ReadCenterLineFields(j, where, a.edit);
    // A list of any length up to the limit, none too: the record decides what it keeps.
    if (const Json* v = Optional(j, "points")) {
        const std::string w = Field(where, "points");
        ReadArray(*v, w);
        if (v->size() > kMaxEditPoints)
            Fail(w, "at most " + std::to_string(kMaxEditPoints) + " points, got " +
                        std::to_string(v->size()));
        std::vector<dg::DPoint3D> points;
        for (std::size_t i = 0; i < v->size(); ++i)
            points.push_back(ReadPoint((*v)[i], Index(w, i)));
        a.edit.points = points;
    }
    if (a.edit == CenterLineEdit())
        Fail(where, "an edit gives at least one field of the centre line");
}

// A centre line as the markups section gives it ("markup"), or a callout as the scene's callouts
// give it ("callout"): one of the two.
void ReadAdded(const Json& j, const std::string& where, Ids& ids, Action& a) {
    const Json* line = Optional(j, "markup");
    const Json* callout = Optional(j, "callout");
    if (line && callout)
        Fail(Field(where, "callout"), "an add gives either markup or callout, not both");
    if (!line && !callout)
        Fail(Field(where, "markup"), "missing (or give callout to add a callout)");
    if (callout) {
        ExpectObject(*callout, Field(where, "callout"));
        a.addedCallout = ReadCallout(*callout, Field(where, "callout"), ids);
    } else {
        ExpectObject(*line, Field(where, "markup"));
        a.added = ReadCenterLine(*line, Field(where, "markup"), ids);
    }
}

void ReadCameraMove(const Json& j, const std::string& where, const ViewInput& view, Action& a) {
    CheckKeys(j, where, {"action", "camera", "orbit", "pan", "zoom", "view", "comment"});
    CameraMove& m = a.camera;
    if (const Json* c = Optional(j, "camera"))
        m.set = ReadCamera(*c, Field(where, "camera"), view);
    if (const Json* o = Optional(j, "orbit")) {
        const std::string w = Field(where, "orbit");
        if (!view.shapeView)
            Fail(w, "a plain view does not turn");
        if (!o->is_array() || o->size() != 2)
            Fail(w, "expected [degrees about the up direction, degrees about the horizontal]");
        std::array<double, 2> angles{};
        for (std::size_t i = 0; i < 2; ++i) {
            angles[i] = ReadNumber((*o)[i], Index(w, i));
            if (!(angles[i] >= -360.0 && angles[i] <= 360.0))
                Fail(Index(w, i), "out of range (degrees, -360 to 360)");
        }
        m.orbit = angles;
    }
    if (const Json* p = Optional(j, "pan")) {
        const std::string w = Field(where, "pan");
        if (!p->is_array() || p->size() != 2)
            Fail(w, "expected [pixels right, pixels down]");
        m.pan = std::array<int, 2>{ReadIntIn((*p)[0], Index(w, 0), -100000, 100000),
                                   ReadIntIn((*p)[1], Index(w, 1), -100000, 100000)};
    }
    if (const Json* z = Optional(j, "zoom")) {
        const std::string w = Field(where, "zoom");
        if (!view.shapeView)
            Fail(w, "a plain view shows one unit per pixel and does not zoom");
        m.zoom = ReadNumber(*z, w);
        if (!(*m.zoom >= 0.01 && *m.zoom <= 100.0))
            Fail(w, "out of range (a factor from 0.01 to 100)");
    }
    if (m == CameraMove())
        Fail(where, "a camera action gives at least one of camera, orbit, pan and zoom");
}

}  // namespace

Action ReadAction(const Json& j, const std::string& where, const std::vector<ViewInput>& views,
                  Ids& ids) {
    ExpectObject(j, where);
    static const std::map<std::string, Action::Kind> kinds{
        {"hover", Action::Hover},   {"press", Action::Press},
        {"move", Action::Move},     {"release", Action::Release},
        {"pick", Action::Pick},     {"preferences", Action::Preferences},
        {"undo", Action::Undo},     {"redo", Action::Redo},
        {"expect", Action::Expect}, {"viewer", Action::Viewer},
        {"select", Action::Select}, {"edit", Action::Edit},
        {"camera", Action::Camera}, {"add", Action::Add},
        {"remove", Action::Remove}};
    const std::string name = ReadString(Require(j, where, "action"), Field(where, "action"));
    const auto it = kinds.find(name);
    if (it == kinds.end())
        Fail(Field(where, "action"),
             "unknown action \"" + name +
                 "\" (known: hover, press, move, release, pick, preferences, undo, redo, "
                 "expect, viewer, select, edit, camera, add, remove)");
    Action a;
    a.kind = it->second;
    const bool namesView = a.kind == Action::Hover || a.kind == Action::Press ||
                           a.kind == Action::Move || a.kind == Action::Pick ||
                           a.kind == Action::Camera || a.kind == Action::Expect;
    if (const Json* v = namesView ? Optional(j, "view") : nullptr)
        a.view = ReadIntIn(*v, Field(where, "view"), 0, static_cast<int>(views.size()) - 1);
    const ViewInput& view = views[a.view < 0 ? 0 : static_cast<std::size_t>(a.view)];
    switch (a.kind) {
        case Action::Hover:
        case Action::Move:
            CheckKeys(j, where, {"action", "x", "y", "view", "comment"});
            ReadPointer(j, where, view, a);
            break;
        case Action::Press:
            CheckKeys(j, where, {"action", "x", "y", "view", "grab", "comment"});
            ReadPointer(j, where, view, a);
            if (const Json* g = Optional(j, "grab")) {
                const std::string grab = ReadString(*g, Field(where, "grab"));
                if (grab != "handle" && grab != "markup")
                    Fail(Field(where, "grab"), "expected \"handle\" or \"markup\"");
                a.grabMarkup = grab == "markup";
            }
            break;
        case Action::Release:
        case Action::Undo:
        case Action::Redo:
            CheckKeys(j, where, {"action", "comment"});
            break;
        case Action::Pick:
            CheckKeys(j, where, {"action", "results", "status", "view", "comment"});
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
        case Action::Viewer:
            CheckKeys(
                j, where,
                {"action", "controller", "grid", "rebuild", "picks", "behaviours", "comment"});
            a.viewer = ReadViewer(j, where);
            break;
        case Action::Select:
            CheckKeys(j, where, {"action", "markups", "comment"});
            a.selection = ReadSelection(Require(j, where, "markups"), Field(where, "markups"), ids);
            break;
        case Action::Edit:
            ReadEdit(j, where, ids, a);
            break;
        case Action::Camera:
            ReadCameraMove(j, where, view, a);
            break;
        case Action::Add:
            CheckKeys(j, where, {"action", "markup", "callout", "comment"});
            ReadAdded(j, where, ids, a);
            break;
        case Action::Remove: {
            CheckKeys(j, where, {"action", "markup", "comment"});
            a.markup = ReadString(Require(j, where, "markup"), Field(where, "markup"));
            const auto id = ids.find(a.markup);
            if (id == ids.end() || (id->second != Kind::CenterLine && id->second != Kind::Callout))
                Fail(Field(where, "markup"),
                     "no centre line or callout \"" + a.markup + "\" in the scenario");
            break;
        }
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
        case Action::Viewer:
            return "viewer";
        case Action::Select:
            return "select";
        case Action::Edit:
            return "edit";
        case Action::Camera:
            return "camera";
        case Action::Add:
            return "add";
        case Action::Remove:
            return "remove";
    }
    return "?";
}

}  // namespace replay
