// Writing a scenario in the format the parser reads, so that a session played live can be kept as
// a file and replayed. Every value is written so that reading it back gives the same bits:
// doubles in their shortest exact form, single-precision values in the shortest decimal that reads
// back to the same float.
#include "ExpectationFields.h"
#include "Scenario.h"
#include "ScenarioWriting.h"
#include "ViewerBehaviours.h"

#include <tuple>

namespace replay {
namespace {

using namespace writing;

Json Vector(const dg::DVec3& v) {
    return Json::array({Number(v.x), Number(v.y), Number(v.z)});
}

Json Rotation(const dg::FMat33& m) {
    Json rows = Json::array();
    for (int r = 0; r < 3; ++r)
        rows.push_back(Json::array({Single(m.m[r][0]), Single(m.m[r][1]), Single(m.m[r][2])}));
    return rows;
}

bool IsIdentity(const dg::FMat33& m) {
    return m == dg::FMat33();
}

// Only what differs from an unplaced object is written.
std::optional<Json> Placement(const dg::Location& placement) {
    if (placement == dg::Location())
        return std::nullopt;
    Json out = Json::object();
    if (!IsIdentity(placement.GetRotation()))
        out["rotation"] = Rotation(placement.GetRotation());
    if (placement.GetPos() != dg::DPoint3D())
        out["position"] = Point(placement.GetPos());
    return out;
}

Json Preference(const PreferenceValue& v) {
    switch (v.kind) {
        case PreferenceValue::Absent:
            return nullptr;
        case PreferenceValue::Integer:
            return v.integer;
        case PreferenceValue::Colour:
            return Json::array(
                {Single(v.colour.r), Single(v.colour.g), Single(v.colour.b), Single(v.colour.a)});
        case PreferenceValue::Text:
            return v.text;
    }
    return nullptr;
}

Json View(const ViewInput& v) {
    Json out = Json::object();
    out["kind"] = v.shapeView ? "shape" : "plain";
    out["viewport"] = Json::array({v.width, v.height});
    out["camera"] = Camera(v);
    return out;
}

Json Label(const LabelInput& l) {
    Json out = Json::object();
    out["id"] = l.id;
    out["note"] = l.note;
    if (l.description)
        out["description"] = *l.description;
    if (l.title)
        out["title"] = *l.title;
    out["position"] = Point(l.position);
    if (const auto placement = Placement(l.placement))
        out["placement"] = *placement;
    return out;
}

// The fields an edit gives, named as in the markups section.
void EditFields(const CenterLineEdit& e, Json& out) {
    if (e.start)
        out["start"] = Point(*e.start);
    if (e.end)
        out["end"] = Point(*e.end);
    if (e.alongAxis)
        out["path"] = *e.alongAxis ? "alongAxis" : "straight";
    if (e.startExtension)
        out["startExtension"] = Single(*e.startExtension);
    if (e.endExtension)
        out["endExtension"] = Single(*e.endExtension);
    if (e.ratio)
        out["ratio"] = Single(*e.ratio);
    if (e.frame)
        out["frame"] = Rotation(*e.frame);
    if (e.axisOrder)
        out["axisOrder"] = Json::array({(*e.axisOrder)[0], (*e.axisOrder)[1], (*e.axisOrder)[2]});
    if (e.partID)
        out["partID"] = *e.partID;
    if (e.attached)
        out["attached"] = *e.attached;
    if (e.points) {
        Json list = Json::array();
        for (const dg::DPoint3D& p : *e.points)
            list.push_back(Point(p));
        out["points"] = list;
    }
}

void Viewer(const ViewerOptions& o, Json& out) {
    static const char* const kControllers[] = {"apply", "snap", "refuse"};
    static const char* const kPicks[] = {"later", "at-once", "refuse"};
    if (o.controller != ViewerOptions::Apply)
        out["controller"] = kControllers[o.controller];
    if (o.controller == ViewerOptions::Snap)
        out["grid"] = Number(o.grid);
    if (o.rebuild)
        out["rebuild"] = true;
    if (o.picks != ViewerOptions::Later)
        out["picks"] = kPicks[o.picks];
    if (o.behaviours != 0)
        out["behaviours"] = BehaviourList(o.behaviours);
}

void CameraFields(const CameraMove& m, Json& out) {
    if (m.set)
        out["camera"] = Camera(*m.set);
    if (m.orbit)
        out["orbit"] = Json::array({Number((*m.orbit)[0]), Number((*m.orbit)[1])});
    if (m.pan)
        out["pan"] = Json::array({(*m.pan)[0], (*m.pan)[1]});
    if (m.zoom)
        out["zoom"] = Number(*m.zoom);
}

Json CenterLine(const CenterLineInput& c) {
    Json out = Json::object();
    out["id"] = c.id;
    out["path"] = c.alongAxis ? "alongAxis" : "straight";
    out["start"] = Point(c.start);
    out["end"] = Point(c.end);
    out["startExtension"] = Single(c.startExtension);
    out["endExtension"] = Single(c.endExtension);
    out["ratio"] = Single(c.ratio);
    if (!IsIdentity(c.frame))
        out["frame"] = Rotation(c.frame);
    out["axisOrder"] = Json::array({c.axisOrder[0], c.axisOrder[1], c.axisOrder[2]});
    if (!c.partID.empty())
        out["partID"] = c.partID;
    if (c.attached)
        out["attached"] = true;
    if (const auto placement = Placement(c.placement))
        out["placement"] = *placement;
    return out;
}

Json Part(const PartInput& p) {
    Json part = Json::object();
    part["id"] = p.id;
    part["min"] = Point(p.min);
    part["max"] = Point(p.max);
    part["instance"] = p.instance;
    if (p.sbom)
        part["sbom"] = *p.sbom;
    if (p.weld)
        part["weld"] = *p.weld;
    return part;
}

// The scene's section; empty when the scene holds nothing and keeps the default callout size.
Json Scene(const Scenario& s) {
    Json scene = Json::object();
    static const char* const kSizes[] = {"none", "small", "medium", "large"};
    if (s.minCalloutSize != Scenario().minCalloutSize && s.minCalloutSize >= 0 &&
        s.minCalloutSize <= 3)
        scene["minCalloutSize"] = kSizes[s.minCalloutSize];
    if (!s.parts.empty()) {
        Json parts = Json::array();
        for (const PartInput& p : s.parts)
            parts.push_back(Part(p));
        scene["parts"] = parts;
    }
    for (const auto& [key, list] : {std::pair{"labels", &s.labels}, {"callouts", &s.callouts}}) {
        if (list->empty())
            continue;
        Json out = Json::array();
        for (const LabelInput& l : *list)
            out.push_back(Label(l));
        scene[key] = out;
    }
    return scene;
}

// The checks in the order of the fields' table.
Json Expect(const Expectation& e) {
    Json out = Json::object();
    if (!e.markup.empty())
        out["markup"] = e.markup;
    if (e.tolerance != Expectation().tolerance)
        out["tolerance"] = Number(e.tolerance);
    for (const ExpectationField& field : ExpectationFields())
        if (field.present && field.present(e))
            field.write(e, out);
    return out;
}

Json ActionJson(const Action& a) {
    Json out = Json::object();
    out["action"] = ActionName(a.kind);
    if (a.view >= 0)
        out["view"] = a.view;
    switch (a.kind) {
        case Action::Hover:
        case Action::Press:
        case Action::Move:
            out["x"] = a.x;
            out["y"] = a.y;
            if (a.grabMarkup)
                out["grab"] = "markup";
            break;
        case Action::Viewer:
            Viewer(a.viewer, out);
            break;
        case Action::Select:
            out["markups"] = a.selection;
            break;
        case Action::Edit:
            out["markup"] = a.markup;
            EditFields(a.edit, out);
            break;
        case Action::Camera:
            CameraFields(a.camera, out);
            break;
        case Action::Add:
            if (a.added)
                out["markup"] = CenterLine(*a.added);
            if (a.addedCallout)
                out["callout"] = Label(*a.addedCallout);
            break;
        case Action::Remove:
            out["markup"] = a.markup;
            break;
        case Action::Pick:
            if (a.hasResults) {
                Json results = Json::array();
                for (const PickResultInput& r : a.results) {
                    Json result = Json::object();
                    result["object"] = r.object;
                    if (r.asShadow)
                        result["as"] = "shadow";
                    if (r.point)
                        result["point"] = Point(*r.point);
                    results.push_back(result);
                }
                out["results"] = results;
            }
            if (a.status != 0)
                out["status"] = a.status;
            break;
        case Action::Preferences:
            out["preselectionColor"] = Preference(a.preselectionColor);
            break;
        case Action::Expect: {
            const Json checks = Expect(a.expect);
            for (auto it = checks.begin(); it != checks.end(); ++it)
                out[it.key()] = it.value();
            break;
        }
        case Action::Release:
        case Action::Undo:
        case Action::Redo:
            break;
    }
    if (!a.comment.empty())
        out["comment"] = a.comment;
    return out;
}

std::string Dump(const Json& j, int indent) {
    // Text the parser accepted is valid UTF-8; anything else is replaced rather than thrown on.
    return j.dump(indent, ' ', false, Json::error_handler_t::replace);
}

bool HoldsObjects(const Json& j) {
    for (const Json& child : j)
        if (child.is_object() || (child.is_array() && HoldsObjects(child)))
            return true;
    return false;
}

// One member per line where a value holds objects (the view, the scene), one object per line in
// a list of them (parts, markups); everything else compact on its line.
std::string Layout(const Json& j, int depth) {
    if (!j.is_structured() || j.empty() || !HoldsObjects(j))
        return Dump(j, -1);
    const std::string indent(static_cast<std::size_t>(depth) * 2, ' ');
    const std::string close(static_cast<std::size_t>(depth - 1) * 2, ' ');
    std::string out = j.is_object() ? "{" : "[";
    for (auto it = j.begin(); it != j.end(); ++it) {
        out += (it == j.begin() ? "\n" : ",\n") + indent;
        if (j.is_object())
            out += Dump(Json(it.key()), -1) + ": " + Layout(*it, depth + 1);
        else
            out += Dump(*it, -1);
    }
    return out + "\n" + close + (j.is_object() ? "}" : "]");
}

}  // namespace

namespace writing {

Json Camera(const ViewInput& v) {
    Json camera = Json::object();
    if (!v.shapeView) {
        camera["target"] = Point(v.target);
    } else {
        camera["eye"] = Point(v.eye);
        camera["target"] = Point(v.target);
        camera["up"] = Vector(v.up);
        if (v.perspective)
            camera["fieldOfView"] = Number(v.fieldOfViewDegrees);
        else
            camera["parallelWidth"] = Number(v.parallelWidth);
        if (v.nearDistance)
            camera["near"] = Number(*v.nearDistance);
    }
    return camera;
}

}  // namespace writing

std::string WriteAction(const Action& action) {
    return Dump(ActionJson(action), -1);
}

std::string WriteScenario(const Scenario& s, const std::vector<std::string>& writtenActions) {
    Json root = Json::object();
    if (!s.name.empty())
        root["name"] = s.name;
    if (!s.description.empty())
        root["description"] = s.description;
    if (s.secondView)
        root["views"] = Json::array({View(s.view), View(*s.secondView)});
    else
        root["view"] = View(s.view);
    if (const Json scene = Scene(s); !scene.empty())
        root["scene"] = scene;
    if (!s.centerLines.empty()) {
        Json markups = Json::array();
        for (const CenterLineInput& c : s.centerLines)
            markups.push_back(CenterLine(c));
        root["markups"] = markups;
    }
    if (s.preselectionColor.kind != PreferenceValue::Absent)
        root["preferences"] =
            Json::object({{"preselectionColor", Preference(s.preselectionColor)}});
    std::vector<std::string> actions;
    for (const Action& a : s.actions)
        actions.push_back(WriteAction(a));
    actions.insert(actions.end(), writtenActions.begin(), writtenActions.end());
    std::string text = Layout(root, 1);
    // The actions go in as written: one per line keeps a long session readable and its
    // differences small.
    text.resize(text.size() - 2);  // "\n}": the object goes on
    text += ",\n  \"actions\": [";
    for (std::size_t i = 0; i < actions.size(); ++i)
        text += (i ? ",\n    " : "\n    ") + actions[i];
    text += actions.empty() ? "]\n}\n" : "\n  ]\n}\n";
    return text;
}

std::string WriteScenario(const Scenario& s) {
    return WriteScenario(s, {});
}

// Equality, member by member, for the round trip.

bool operator==(const ViewInput& a, const ViewInput& b) {
    return std::tie(a.shapeView, a.perspective, a.eye, a.target, a.up, a.fieldOfViewDegrees,
                    a.parallelWidth, a.nearDistance, a.width, a.height) ==
           std::tie(b.shapeView, b.perspective, b.eye, b.target, b.up, b.fieldOfViewDegrees,
                    b.parallelWidth, b.nearDistance, b.width, b.height);
}

bool operator==(const PartInput& a, const PartInput& b) {
    return std::tie(a.id, a.min, a.max, a.instance, a.sbom, a.weld) ==
           std::tie(b.id, b.min, b.max, b.instance, b.sbom, b.weld);
}

bool operator==(const LabelInput& a, const LabelInput& b) {
    return std::tie(a.id, a.note, a.description, a.title, a.position, a.placement) ==
           std::tie(b.id, b.note, b.description, b.title, b.position, b.placement);
}

bool operator==(const CenterLineInput& a, const CenterLineInput& b) {
    return std::tie(a.id, a.start, a.end, a.alongAxis, a.startExtension, a.endExtension, a.ratio,
                    a.frame, a.axisOrder, a.partID, a.attached, a.placement) ==
           std::tie(b.id, b.start, b.end, b.alongAxis, b.startExtension, b.endExtension, b.ratio,
                    b.frame, b.axisOrder, b.partID, b.attached, b.placement);
}

bool operator==(const PreferenceValue& a, const PreferenceValue& b) {
    if (a.kind != b.kind)
        return false;
    switch (a.kind) {
        case PreferenceValue::Integer:
            return a.integer == b.integer;
        case PreferenceValue::Colour:
            return a.colour == b.colour;
        case PreferenceValue::Text:
            return a.text == b.text;
        case PreferenceValue::Absent:
            break;
    }
    return true;
}

bool operator==(const PickResultInput& a, const PickResultInput& b) {
    return std::tie(a.object, a.asShadow, a.point) == std::tie(b.object, b.asShadow, b.point);
}

bool operator==(const Expectation& a, const Expectation& b) {
    if (std::tie(a.markup, a.tolerance) != std::tie(b.markup, b.tolerance))
        return false;
    for (const ExpectationField& field : ExpectationFields())
        if (field.same && !field.same(a, b))
            return false;
    return true;
}

bool operator==(const ViewerOptions& a, const ViewerOptions& b) {
    return std::tie(a.controller, a.grid, a.rebuild, a.picks, a.behaviours) ==
           std::tie(b.controller, b.grid, b.rebuild, b.picks, b.behaviours);
}

bool operator==(const CenterLineEdit& a, const CenterLineEdit& b) {
    return std::tie(a.start, a.end, a.alongAxis, a.startExtension, a.endExtension, a.ratio, a.frame,
                    a.axisOrder, a.partID, a.attached, a.points) ==
           std::tie(b.start, b.end, b.alongAxis, b.startExtension, b.endExtension, b.ratio, b.frame,
                    b.axisOrder, b.partID, b.attached, b.points);
}

bool operator==(const CameraMove& a, const CameraMove& b) {
    return std::tie(a.set, a.orbit, a.pan, a.zoom) == std::tie(b.set, b.orbit, b.pan, b.zoom);
}

bool operator==(const Action& a, const Action& b) {
    return std::tie(a.kind, a.x, a.y, a.view, a.grabMarkup, a.hasResults, a.results, a.status,
                    a.preselectionColor, a.expect, a.viewer, a.selection, a.markup, a.edit,
                    a.camera, a.added, a.addedCallout, a.comment) ==
           std::tie(b.kind, b.x, b.y, b.view, b.grabMarkup, b.hasResults, b.results, b.status,
                    b.preselectionColor, b.expect, b.viewer, b.selection, b.markup, b.edit,
                    b.camera, b.added, b.addedCallout, b.comment);
}

bool operator==(const Scenario& a, const Scenario& b) {
    return std::tie(a.name, a.description, a.view, a.secondView, a.minCalloutSize, a.parts,
                    a.labels, a.callouts, a.centerLines, a.preselectionColor, a.actions) ==
           std::tie(b.name, b.description, b.view, b.secondView, b.minCalloutSize, b.parts,
                    b.labels, b.callouts, b.centerLines, b.preselectionColor, b.actions);
}

}  // namespace replay
