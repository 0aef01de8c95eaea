// Reading a scenario: JSON syntax first, then every field checked against its place, so that a
// bad scenario is refused as a whole with one message naming where the problem is.
#include "Scenario.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <map>
#include <set>
#include <stdexcept>
#include <utility>

namespace replay {

namespace {

using Json = nlohmann::json;

// Coordinates beyond this are refused: they only overflow the projection.
constexpr double kCoordinateLimit = 1e9;
constexpr int kViewportLimit = 10000;
constexpr double kPi = 3.14159265358979323846;

struct Invalid : std::runtime_error {
    using std::runtime_error::runtime_error;
};

[[noreturn]] void Fail(const std::string& where, const std::string& what) {
    throw Invalid(where + ": " + what);
}

std::string Field(const std::string& where, const std::string& key) {
    return where.empty() ? key : where + "." + key;
}

std::string Index(const std::string& where, std::size_t i) {
    return where + "[" + std::to_string(i) + "]";
}

std::string Describe(const Json& j) {
    switch (j.type()) {
        case Json::value_t::null:
            return "null";
        case Json::value_t::boolean:
            return "a boolean";
        case Json::value_t::string:
            return "a string";
        case Json::value_t::array:
            return "an array";
        case Json::value_t::object:
            return "an object";
        default:
            return "a number";
    }
}

void ExpectObject(const Json& j, const std::string& where) {
    if (!j.is_object())
        Fail(where.empty() ? "scenario" : where, "expected an object, got " + Describe(j));
}

// Refuses any key that is not in the allowed list.
void CheckKeys(const Json& j, const std::string& where,
               std::initializer_list<const char*> allowed) {
    ExpectObject(j, where);
    for (auto it = j.begin(); it != j.end(); ++it) {
        const bool known = std::any_of(allowed.begin(), allowed.end(),
                                       [&](const char* k) { return it.key() == k; });
        if (!known)
            Fail(Field(where, it.key()), "unknown field");
    }
}

const Json& Require(const Json& j, const std::string& where, const char* key) {
    const auto it = j.find(key);
    if (it == j.end())
        Fail(Field(where, key), "missing");
    return *it;
}

const Json* Optional(const Json& j, const char* key) {
    const auto it = j.find(key);
    return it == j.end() ? nullptr : &*it;
}

double ReadNumber(const Json& j, const std::string& where) {
    if (!j.is_number())
        Fail(where, "expected a number, got " + Describe(j));
    const double v = j.get<double>();
    if (!std::isfinite(v))
        Fail(where, "not a finite number");
    return v;
}

double ReadCoordinate(const Json& j, const std::string& where) {
    const double v = ReadNumber(j, where);
    if (std::fabs(v) > kCoordinateLimit)
        Fail(where, "out of range (beyond +/-1e9)");
    return v;
}

float ReadFloat(const Json& j, const std::string& where) {
    const double v = ReadNumber(j, where);
    if (std::fabs(v) > 1e30)
        Fail(where, "out of range for a single-precision value");
    return static_cast<float>(v);
}

int ReadInt(const Json& j, const std::string& where) {
    if (!j.is_number_integer()) {
        if (j.is_number_float())
            ReadNumber(j, where);  // a non-finite value gets its own message
        Fail(where,
             "expected an integer, got " + Describe(j) + (j.is_number() ? " with a fraction" : ""));
    }
    if (j.is_number_unsigned()
            ? j.get<std::uint64_t>() > static_cast<std::uint64_t>(std::numeric_limits<int>::max())
            : (j.get<std::int64_t>() < std::numeric_limits<int>::min() ||
               j.get<std::int64_t>() > std::numeric_limits<int>::max()))
        Fail(where, "out of range");
    return static_cast<int>(j.get<std::int64_t>());
}

int ReadIntIn(const Json& j, const std::string& where, int lo, int hi) {
    const int v = ReadInt(j, where);
    if (v < lo || v > hi)
        Fail(where, "out of range (" + std::to_string(v) + " not in " + std::to_string(lo) + ".." +
                        std::to_string(hi) + ")");
    return v;
}

bool ReadBool(const Json& j, const std::string& where) {
    if (!j.is_boolean())
        Fail(where, "expected true or false, got " + Describe(j));
    return j.get<bool>();
}

std::string ReadString(const Json& j, const std::string& where) {
    if (!j.is_string())
        Fail(where, "expected a string, got " + Describe(j));
    return j.get<std::string>();
}

const Json& ReadArray(const Json& j, const std::string& where) {
    if (!j.is_array())
        Fail(where, "expected an array, got " + Describe(j));
    return j;
}

dg::DPoint3D ReadPoint(const Json& j, const std::string& where) {
    if (!j.is_array() || j.size() != 3)
        Fail(where, "expected an array of three numbers [x, y, z]");
    return {ReadCoordinate(j[0], Index(where, 0)), ReadCoordinate(j[1], Index(where, 1)),
            ReadCoordinate(j[2], Index(where, 2))};
}

dg::DVec3 ReadVector(const Json& j, const std::string& where) {
    const dg::DPoint3D p = ReadPoint(j, where);
    return {p.x, p.y, p.z};
}

// A rotation: three rows (p * M convention, row i is the image of axis i), or an axis and an
// angle in degrees.
dg::FMat33 ReadRotation(const Json& j, const std::string& where) {
    dg::DVec3 rows[3];
    if (j.is_object()) {
        CheckKeys(j, where, {"axis", "degrees"});
        dg::DVec3 axis = ReadVector(Require(j, where, "axis"), Field(where, "axis"));
        if (!axis.Normalize())
            Fail(Field(where, "axis"), "must not be the zero vector");
        const double a =
            ReadNumber(Require(j, where, "degrees"), Field(where, "degrees")) * kPi / 180.0;
        const double c = std::cos(a), s = std::sin(a), t = 1.0 - c;
        const double x = axis.x, y = axis.y, z = axis.z;
        // Rodrigues' matrix, transposed for row vectors.
        rows[0] = {t * x * x + c, t * x * y + s * z, t * x * z - s * y};
        rows[1] = {t * x * y - s * z, t * y * y + c, t * y * z + s * x};
        rows[2] = {t * x * z + s * y, t * y * z - s * x, t * z * z + c};
    } else {
        if (!j.is_array() || j.size() != 3)
            Fail(where, "expected three rows [[..],[..],[..]] or {\"axis\": .., \"degrees\": ..}");
        for (std::size_t r = 0; r < 3; ++r)
            rows[r] = ReadVector(j[r], Index(where, r));
        for (int r = 0; r < 3; ++r) {
            if (std::fabs(rows[r].Norm() - 1.0) > 1e-3)
                Fail(Index(where, static_cast<std::size_t>(r)),
                     "a rotation row must have length 1");
            for (int q = r + 1; q < 3; ++q)
                if (std::fabs(dg::Dot(rows[r], rows[q])) > 1e-3)
                    Fail(where, "rows must be perpendicular (not a rotation)");
        }
        if (dg::Dot(dg::Cross(rows[0], rows[1]), rows[2]) < 0.0)
            Fail(where, "a mirror, not a rotation");
    }
    dg::FMat33 m;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            m.m[r][c] = static_cast<float>(rows[r][c]);
    return m;
}

dg::Location ReadPlacement(const Json& j, const std::string& where) {
    CheckKeys(j, where, {"rotation", "position"});
    dg::Location placement;
    if (const Json* r = Optional(j, "rotation"))
        placement.SetRotation(ReadRotation(*r, Field(where, "rotation")));
    if (const Json* p = Optional(j, "position"))
        placement.SetPos(ReadPoint(*p, Field(where, "position")));
    return placement;
}

PreferenceValue ReadPreference(const Json& j, const std::string& where) {
    PreferenceValue v;
    if (j.is_null())
        return v;
    if (j.is_string()) {
        v.kind = PreferenceValue::Text;
        v.text = j.get<std::string>();
        return v;
    }
    if (j.is_number_integer()) {
        v.kind = PreferenceValue::Integer;
        v.integer = ReadIntIn(j, where, 0, 0xFFFFFF);
        return v;
    }
    if (j.is_array() && (j.size() == 3 || j.size() == 4)) {
        float c[4] = {0.0f, 0.0f, 0.0f, 1.0f};
        for (std::size_t i = 0; i < j.size(); ++i) {
            const double value = ReadNumber(j[i], Index(where, i));
            if (value < 0.0 || value > 1.0)
                Fail(Index(where, i), "a colour component must lie in 0..1");
            c[i] = static_cast<float>(value);
        }
        v.kind = PreferenceValue::Colour;
        v.colour = dg::Color(c[0], c[1], c[2], c[3]);
        return v;
    }
    Fail(where, "expected an integer 0xRRGGBB, an [r, g, b(, a)] colour, a text, or null, got " +
                    Describe(j));
}

class Parser {
public:
    Scenario Parse(const Json& root) {
        CheckKeys(root, "",
                  {"name", "description", "view", "scene", "markups", "preferences", "actions"});
        if (const Json* n = Optional(root, "name"))
            s.name = ReadString(*n, "name");
        if (const Json* d = Optional(root, "description"))
            s.description = ReadString(*d, "description");
        ParseView(Require(root, "", "view"));
        if (const Json* scene = Optional(root, "scene"))
            ParseScene(*scene);
        if (const Json* markups = Optional(root, "markups"))
            ParseMarkups(*markups);
        if (const Json* prefs = Optional(root, "preferences")) {
            CheckKeys(*prefs, "preferences", {"preselectionColor"});
            if (const Json* c = Optional(*prefs, "preselectionColor"))
                s.preselectionColor = ReadPreference(*c, "preferences.preselectionColor");
        }
        const Json& actions = ReadArray(Require(root, "", "actions"), "actions");
        for (std::size_t i = 0; i < actions.size(); ++i)
            s.actions.push_back(ParseAction(actions[i], Index("actions", i)));
        return std::move(s);
    }

private:
    enum class Kind { Part, Label, Callout, CenterLine };

    void ParseView(const Json& j) {
        const std::string where = "view";
        CheckKeys(j, where, {"kind", "viewport", "camera"});
        ViewSpec& v = s.view;
        if (const Json* k = Optional(j, "kind")) {
            const std::string kind = ReadString(*k, Field(where, "kind"));
            if (kind != "shape" && kind != "plain")
                Fail(Field(where, "kind"), "expected \"shape\" or \"plain\", got \"" + kind + "\"");
            v.shapeView = kind == "shape";
        }
        const std::string vp = Field(where, "viewport");
        const Json& viewport = Require(j, where, "viewport");
        if (!viewport.is_array() || viewport.size() != 2)
            Fail(vp, "expected [width, height] in pixels");
        v.width = ReadIntIn(viewport[0], Index(vp, 0), 1, kViewportLimit);
        v.height = ReadIntIn(viewport[1], Index(vp, 1), 1, kViewportLimit);

        const std::string cw = Field(where, "camera");
        if (!v.shapeView) {
            // A plain view shows one world unit per pixel, y up, centred on its target.
            v.perspective = false;
            v.parallelWidth = v.width;
            v.target = dg::DPoint3D::ORIGIN;
            if (const Json* cam = Optional(j, "camera")) {
                CheckKeys(*cam, cw, {"target"});
                if (const Json* t = Optional(*cam, "target"))
                    v.target = ReadPoint(*t, Field(cw, "target"));
            }
            v.eye = v.target + dg::DVec3(0.0, 0.0, 1000.0);
            v.up = dg::DVec3(0.0, 1.0, 0.0);
            return;
        }
        const Json& cam = Require(j, where, "camera");
        CheckKeys(cam, cw, {"eye", "target", "up", "fieldOfView", "parallelWidth"});
        v.eye = ReadPoint(Require(cam, cw, "eye"), Field(cw, "eye"));
        v.target = ReadPoint(Require(cam, cw, "target"), Field(cw, "target"));
        if (const Json* up = Optional(cam, "up"))
            v.up = ReadVector(*up, Field(cw, "up"));
        dg::DVec3 sight = v.target - v.eye;
        if (!sight.Normalize())
            Fail(Field(cw, "target"), "must differ from the eye");
        dg::DVec3 up = v.up;
        if (!up.Normalize() || dg::Cross(up, sight).Norm() < 1e-9)
            Fail(Field(cw, "up"), "must not be zero nor along the line of sight");
        const Json* fov = Optional(cam, "fieldOfView");
        const Json* width = Optional(cam, "parallelWidth");
        if ((fov != nullptr) == (width != nullptr))
            Fail(cw, "give exactly one of fieldOfView (degrees, perspective) and parallelWidth");
        if (fov) {
            v.perspective = true;
            v.fieldOfViewDegrees = ReadNumber(*fov, Field(cw, "fieldOfView"));
            if (!(v.fieldOfViewDegrees > 0.0 && v.fieldOfViewDegrees < 179.0))
                Fail(Field(cw, "fieldOfView"), "out of range (degrees, above 0 and below 179)");
        } else {
            v.perspective = false;
            v.parallelWidth = ReadCoordinate(*width, Field(cw, "parallelWidth"));
            if (!(v.parallelWidth > 0.0))
                Fail(Field(cw, "parallelWidth"), "out of range (must be above 0)");
        }
    }

    std::string ReadId(const Json& j, const std::string& where, Kind kind) {
        const std::string id = ReadString(Require(j, where, "id"), Field(where, "id"));
        if (id.empty())
            Fail(Field(where, "id"), "must not be empty");
        if (!ids.emplace(id, kind).second)
            Fail(Field(where, "id"), "\"" + id + "\" is already used");
        return id;
    }

    void ParseScene(const Json& j) {
        CheckKeys(j, "scene", {"parts", "labels", "callouts", "minCalloutSize"});
        if (const Json* m = Optional(j, "minCalloutSize")) {
            static const std::map<std::string, int> sizes{
                {"none", 0}, {"small", 1}, {"medium", 2}, {"large", 3}};
            const std::string v = ReadString(*m, "scene.minCalloutSize");
            const auto it = sizes.find(v);
            if (it == sizes.end())
                Fail("scene.minCalloutSize", "expected none, small, medium or large");
            s.minCalloutSize = it->second;
        }
        if (const Json* parts = Optional(j, "parts")) {
            ReadArray(*parts, "scene.parts");
            for (std::size_t i = 0; i < parts->size(); ++i)
                s.parts.push_back(ParsePart((*parts)[i], Index("scene.parts", i)));
        }
        if (const Json* labels = Optional(j, "labels")) {
            ReadArray(*labels, "scene.labels");
            for (std::size_t i = 0; i < labels->size(); ++i)
                s.labels.push_back(ParseLabel((*labels)[i], Index("scene.labels", i), false));
        }
        if (const Json* callouts = Optional(j, "callouts")) {
            ReadArray(*callouts, "scene.callouts");
            for (std::size_t i = 0; i < callouts->size(); ++i)
                s.callouts.push_back(ParseLabel((*callouts)[i], Index("scene.callouts", i), true));
        }
    }

    PartSpec ParsePart(const Json& j, const std::string& where) {
        CheckKeys(j, where, {"id", "min", "max", "instance", "sbom", "weld"});
        PartSpec p;
        p.id = ReadId(j, where, Kind::Part);
        p.min = ReadPoint(Require(j, where, "min"), Field(where, "min"));
        p.max = ReadPoint(Require(j, where, "max"), Field(where, "max"));
        for (int c = 0; c < 3; ++c)
            if (p.min[c] > p.max[c])
                Fail(Field(where, "max"), "each coordinate must be at least that of min");
        p.instance = ReadString(Require(j, where, "instance"), Field(where, "instance"));
        if (const Json* sbom = Optional(j, "sbom"))
            p.sbom = ReadString(*sbom, Field(where, "sbom"));
        if (const Json* weld = Optional(j, "weld")) {
            if (!p.sbom)
                Fail(Field(where, "weld"), "a weld belongs to an SBOM instance: give sbom too");
            p.weld = ReadString(*weld, Field(where, "weld"));
        }
        return p;
    }

    LabelSpec ParseLabel(const Json& j, const std::string& where, bool callout) {
        if (callout)
            CheckKeys(j, where, {"id", "note", "description", "title", "position", "placement"});
        else
            CheckKeys(j, where, {"id", "note", "position", "placement"});
        LabelSpec l;
        l.id = ReadId(j, where, callout ? Kind::Callout : Kind::Label);
        l.note = ReadString(Require(j, where, "note"), Field(where, "note"));
        l.position = ReadPoint(Require(j, where, "position"), Field(where, "position"));
        if (const Json* d = Optional(j, "description"))
            l.description = ReadString(*d, Field(where, "description"));
        if (const Json* t = Optional(j, "title"))
            l.title = ReadString(*t, Field(where, "title"));
        if (const Json* p = Optional(j, "placement"))
            l.placement = ReadPlacement(*p, Field(where, "placement"));
        return l;
    }

    void ParseMarkups(const Json& j) {
        ReadArray(j, "markups");
        for (std::size_t i = 0; i < j.size(); ++i)
            s.centerLines.push_back(ParseCenterLine(j[i], Index("markups", i)));
    }

    CenterLineSpec ParseCenterLine(const Json& j, const std::string& where) {
        CheckKeys(j, where,
                  {"id", "start", "end", "path", "startExtension", "endExtension", "ratio", "frame",
                   "axisOrder", "partID", "attached", "placement"});
        CenterLineSpec c;
        c.id = ReadId(j, where, Kind::CenterLine);
        c.start = ReadPoint(Require(j, where, "start"), Field(where, "start"));
        c.end = ReadPoint(Require(j, where, "end"), Field(where, "end"));
        if (const Json* p = Optional(j, "path")) {
            const std::string path = ReadString(*p, Field(where, "path"));
            if (path != "straight" && path != "alongAxis")
                Fail(Field(where, "path"), "expected \"straight\" or \"alongAxis\"");
            c.alongAxis = path == "alongAxis";
        }
        if (const Json* v = Optional(j, "startExtension"))
            c.startExtension = ReadFloat(*v, Field(where, "startExtension"));
        if (const Json* v = Optional(j, "endExtension"))
            c.endExtension = ReadFloat(*v, Field(where, "endExtension"));
        if (const Json* v = Optional(j, "ratio"))
            c.ratio = ReadFloat(*v, Field(where, "ratio"));
        if (const Json* v = Optional(j, "frame"))
            c.frame = ReadRotation(*v, Field(where, "frame"));
        if (const Json* v = Optional(j, "axisOrder")) {
            const std::string w = Field(where, "axisOrder");
            if (!v->is_array() || v->size() != 3)
                Fail(w, "expected three axis indices, a permutation of 0, 1, 2");
            std::set<int> seen;
            for (std::size_t i = 0; i < 3; ++i) {
                const int axis = ReadIntIn((*v)[i], Index(w, i), 0, 2);
                seen.insert(axis);
                c.axisOrder[i] = static_cast<unsigned short>(axis);
            }
            if (seen.size() != 3)
                Fail(w, "not a permutation of 0, 1, 2");
        }
        if (const Json* v = Optional(j, "partID"))
            c.partID = ReadString(*v, Field(where, "partID"));
        if (const Json* v = Optional(j, "attached"))
            c.attached = ReadBool(*v, Field(where, "attached"));
        if (const Json* v = Optional(j, "placement"))
            c.placement = ReadPlacement(*v, Field(where, "placement"));
        return c;
    }

    void ReadPointer(const Json& j, const std::string& where, Action& a) {
        a.x = ReadIntIn(Require(j, where, "x"), Field(where, "x"), 0, s.view.width - 1);
        a.y = ReadIntIn(Require(j, where, "y"), Field(where, "y"), 0, s.view.height - 1);
    }

    Action ParseAction(const Json& j, const std::string& where) {
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
                ReadPointer(j, where, a);
                break;
            case Action::Release:
            case Action::Undo:
            case Action::Redo:
                CheckKeys(j, where, {"action", "comment"});
                break;
            case Action::Pick:
                CheckKeys(j, where, {"action", "results", "status", "comment"});
                ParsePick(j, where, a);
                break;
            case Action::Preferences:
                CheckKeys(j, where, {"action", "preselectionColor", "comment"});
                a.preselectionColor = ReadPreference(Require(j, where, "preselectionColor"),
                                                     Field(where, "preselectionColor"));
                break;
            case Action::Expect:
                ParseExpect(j, where, a.expect);
                break;
        }
        if (const Json* c = Optional(j, "comment"))
            a.comment = ReadString(*c, Field(where, "comment"));
        return a;
    }

    void ParsePick(const Json& j, const std::string& where, Action& a) {
        if (const Json* st = Optional(j, "status"))
            a.status = ReadInt(*st, Field(where, "status"));
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
            PickResultSpec config;
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
            if (const Json* p = Optional(r, "point"))
                config.point = ReadPoint(*p, Field(w, "point"));
            a.results.push_back(config);
        }
    }

    std::vector<std::string> ReadNames(const Json& j, const std::string& where) {
        ReadArray(j, where);
        std::vector<std::string> names;
        for (std::size_t i = 0; i < j.size(); ++i)
            names.push_back(ReadString(j[i], Index(where, i)));
        return names;
    }

    HandleName ReadHandle(const std::string& key, const std::string& where) {
        for (HandleName h : kAllHandles)
            if (key == HandleKey(h))
                return h;
        Fail(where, "unknown handle \"" + key +
                        "\" (startPoint, endPoint, startExtension, endExtension, jog)");
    }

    void ParseExpect(const Json& j, const std::string& where, Expectation& e) {
        CheckKeys(j, where, {"action",     "comment",         "markup",         "tolerance",
                             "startPoint", "endPoint",        "startExtension", "endExtension",
                             "ratio",      "alongAxis",       "attached",       "points",
                             "partID",     "handles",         "shown",          "highlighted",
                             "pickedNode", "endPointItem",    "startPointItem", "connectionTarget",
                             "position",   "operations",      "lastOperation",  "undo",
                             "redo",       "controllerCalls", "pendingPicks",   "cursor"});
        std::optional<Kind> kind;
        if (const Json* m = Optional(j, "markup")) {
            e.markup = ReadString(*m, Field(where, "markup"));
            const auto it = ids.find(e.markup);
            if (it == ids.end() || (it->second != Kind::CenterLine && it->second != Kind::Callout))
                Fail(Field(where, "markup"),
                     "no centre line or callout \"" + e.markup + "\" in the scenario");
            kind = it->second;
        }
        auto forKind = [&](const char* key, Kind wanted) -> const Json* {
            const Json* v = Optional(j, key);
            if (v && kind != wanted)
                Fail(Field(where, key), std::string("checks a ") +
                                            (wanted == Kind::Callout ? "callout" : "centre line") +
                                            ": name one with \"markup\"");
            return v;
        };
        int checks = 0;
        auto point = [&](const char* key, Kind k, std::optional<dg::DPoint3D>& out) {
            if (const Json* v = forKind(key, k)) {
                out = ReadPoint(*v, Field(where, key));
                ++checks;
            }
        };
        auto number = [&](const char* key, std::optional<double>& out) {
            if (const Json* v = forKind(key, Kind::CenterLine)) {
                out = ReadNumber(*v, Field(where, key));
                ++checks;
            }
        };
        auto flag = [&](const char* key, std::optional<bool>& out) {
            if (const Json* v = forKind(key, Kind::CenterLine)) {
                out = ReadBool(*v, Field(where, key));
                ++checks;
            }
        };
        auto text = [&](const char* key, std::optional<std::string>& out, bool lineOnly) {
            if (const Json* v = lineOnly ? forKind(key, Kind::CenterLine) : Optional(j, key)) {
                out = ReadString(*v, Field(where, key));
                ++checks;
            }
        };
        if (const Json* t = Optional(j, "tolerance")) {
            e.tolerance = ReadNumber(*t, Field(where, "tolerance"));
            if (!(e.tolerance >= 0.0))
                Fail(Field(where, "tolerance"), "must not be negative");
        }
        point("startPoint", Kind::CenterLine, e.startPoint);
        point("endPoint", Kind::CenterLine, e.endPoint);
        point("position", Kind::Callout, e.position);
        number("startExtension", e.startExtension);
        number("endExtension", e.endExtension);
        number("ratio", e.ratio);
        flag("alongAxis", e.alongAxis);
        flag("attached", e.attached);
        text("partID", e.partID, true);
        text("highlighted", e.highlighted, true);
        text("endPointItem", e.endPointItem, true);
        text("startPointItem", e.startPointItem, true);
        text("connectionTarget", e.connectionTarget, true);
        text("lastOperation", e.lastOperation, false);
        text("cursor", e.cursor, false);
        if (e.highlighted && *e.highlighted != "none")
            ReadHandle(*e.highlighted, Field(where, "highlighted"));
        for (const std::optional<std::string>* item : {&e.endPointItem, &e.startPointItem}) {
            if (*item && **item != "none" && (*item)->rfind("sbom:", 0) != 0 &&
                (*item)->rfind("instance:", 0) != 0)
                Fail(Field(where, item == &e.endPointItem ? "endPointItem" : "startPointItem"),
                     "expected \"none\", \"sbom:<ID path>\" or \"instance:<ID path>\"");
        }
        if (e.connectionTarget && *e.connectionTarget != "none") {
            const auto it = ids.find(*e.connectionTarget);
            if (it == ids.end() || (it->second != Kind::Label && it->second != Kind::Callout))
                Fail(Field(where, "connectionTarget"),
                     "no label or callout \"" + *e.connectionTarget + "\" in the scenario");
        }
        if (const Json* v = forKind("points", Kind::CenterLine)) {
            const std::string w = Field(where, "points");
            ReadArray(*v, w);
            std::vector<dg::DPoint3D> pts;
            for (std::size_t i = 0; i < v->size(); ++i)
                pts.push_back(ReadPoint((*v)[i], Index(w, i)));
            e.points = pts;
            ++checks;
        }
        if (const Json* v = forKind("handles", Kind::CenterLine)) {
            const std::string w = Field(where, "handles");
            ExpectObject(*v, w);
            for (auto it = v->begin(); it != v->end(); ++it)
                e.handles.emplace_back(ReadHandle(it.key(), Field(w, it.key())),
                                       ReadPoint(it.value(), Field(w, it.key())));
            ++checks;
        }
        if (const Json* v = forKind("shown", Kind::CenterLine)) {
            const std::string w = Field(where, "shown");
            std::vector<HandleName> shown;
            const std::vector<std::string> names = ReadNames(*v, w);
            for (std::size_t i = 0; i < names.size(); ++i)
                shown.push_back(ReadHandle(names[i], Index(w, i)));
            e.shown = shown;
            ++checks;
        }
        if (const Json* v = forKind("pickedNode", Kind::CenterLine)) {
            e.pickedNode = ReadInt(*v, Field(where, "pickedNode"));
            ++checks;
        }
        for (auto [key, out] : {std::pair{"operations", &e.operations}, std::pair{"undo", &e.undo},
                                std::pair{"redo", &e.redo}}) {
            if (const Json* v = Optional(j, key)) {
                *out = ReadNames(*v, Field(where, key));
                ++checks;
            }
        }
        for (auto [key, out] : {std::pair{"controllerCalls", &e.controllerCalls},
                                std::pair{"pendingPicks", &e.pendingPicks}}) {
            if (const Json* v = Optional(j, key)) {
                *out = ReadIntIn(*v, Field(where, key), 0, std::numeric_limits<int>::max());
                ++checks;
            }
        }
        if (checks == 0)
            Fail(where, "an expect action needs at least one check");
    }

    Scenario s;
    std::map<std::string, Kind> ids;
};

}  // namespace

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

namespace {

// Builds the document like the library's own reader, but keeps track of where it is, so that a
// number too large to hold (1e999) is refused with its place instead of a bare overflow.
class PathTrackingReader {
public:
    explicit PathTrackingReader(Json& root) : dom(root, true) {}

    bool null() { return Value(dom.null()); }
    bool boolean(bool v) { return Value(dom.boolean(v)); }
    bool number_integer(Json::number_integer_t v) { return Value(dom.number_integer(v)); }
    bool number_unsigned(Json::number_unsigned_t v) { return Value(dom.number_unsigned(v)); }
    bool number_float(Json::number_float_t v, const Json::string_t& text) {
        if (!std::isfinite(v)) {
            error = Path() + ": not a finite number (" + text + ")";
            return false;
        }
        return Value(dom.number_float(v, text));
    }
    bool string(Json::string_t& v) { return Value(dom.string(v)); }
    bool binary(Json::binary_t& v) { return Value(dom.binary(v)); }
    bool start_object(std::size_t n) {
        Enter(false);
        return dom.start_object(n);
    }
    bool key(Json::string_t& k) {
        frames.back().key = k;
        return dom.key(k);
    }
    bool end_object() {
        Leave();
        return Value(dom.end_object());
    }
    bool start_array(std::size_t n) {
        Enter(true);
        return dom.start_array(n);
    }
    bool end_array() {
        Leave();
        return Value(dom.end_array());
    }
    bool parse_error(std::size_t, const std::string& token, const nlohmann::detail::exception& e) {
        // The reader refuses a number beyond the double range (1e999) as an overflow.
        if (dynamic_cast<const Json::out_of_range*>(&e)) {
            error = Path() + ": not a finite number (" + token + ")";
            return false;
        }
        // "[json.exception.parse_error.101] parse error at line 3, column 5: ..." -> the tail.
        const std::string what = e.what();
        const std::size_t at = what.find("parse error");
        error = "not valid JSON: " + (at == std::string::npos ? what : what.substr(at));
        return false;
    }

    std::string error;

private:
    struct Frame {
        bool array = false;
        std::size_t index = 0;
        std::string key;
    };

    std::string Path() const {
        std::string path;
        for (const Frame& f : frames) {
            if (f.array)
                path += "[" + std::to_string(f.index) + "]";
            else
                path += (path.empty() ? "" : ".") + f.key;
        }
        return path.empty() ? "scenario" : path;
    }
    void Enter(bool array) { frames.push_back(Frame{array, 0, {}}); }
    void Leave() {
        if (!frames.empty())
            frames.pop_back();
    }
    // A value is complete: the next one in an array has the next index.
    bool Value(bool ok) {
        if (!frames.empty() && frames.back().array)
            ++frames.back().index;
        return ok;
    }

    nlohmann::detail::json_sax_dom_parser<Json> dom;
    std::vector<Frame> frames;
};

}  // namespace

ParseOutcome ParseScenario(const std::string& text) {
    ParseOutcome outcome;
    Json root;
    PathTrackingReader reader(root);
    bool parsed = false;
    try {
        parsed = Json::sax_parse(text, &reader);
    } catch (const Json::exception& e) {
        reader.error = std::string("not valid JSON: ") + e.what();
    }
    if (!parsed) {
        outcome.error = reader.error.empty() ? "not valid JSON" : reader.error;
        return outcome;
    }
    try {
        outcome.scenario = Parser().Parse(root);
    } catch (const Invalid& e) {
        outcome.error = e.what();
    } catch (const Json::exception& e) {
        outcome.error = std::string("unreadable value: ") + e.what();
    }
    return outcome;
}

}  // namespace replay
