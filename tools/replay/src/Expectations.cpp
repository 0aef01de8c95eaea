// An expect action: its checks as the scenario gives them, and running them against the session.
// Reading and checking sit side by side so that a new check is added in one place (and as a member
// of Expectation in Scenario.h).
#include "Expectations.h"

#include "RecordState.h"
#include "ScenarioReading.h"

#include <algorithm>
#include <limits>
#include <utility>

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

HandleName ReadHandle(const std::string& key, const std::string& where) {
    for (HandleName h : kAllHandles)
        if (key == HandleKey(h))
            return h;
    Fail(where, "unknown handle \"" + key +
                    "\" (startPoint, endPoint, startExtension, endExtension, jog)");
}

}  // namespace

void ReadExpectation(const Json& j, const std::string& where, const Ids& ids, Expectation& e) {
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

}  // namespace reading

void CheckExpectation(const Expectation& e, Session& session, ActionLog& log) {
    ReplayScene& scene = session.Scene();
    const UndoController& controller = session.Controller();
    sxk::Window* window = session.Window();
    auto check = [&](const std::string& what, bool ok, const std::string& expected,
                     const std::string& actual) {
        if (ok) {
            ++log.checksPassed;
            return;
        }
        ++log.checksFailed;
        log.details.push_back("FAILED " + what + ": expected " + expected + ", got " + actual);
    };
    const double tol = e.tolerance;
    auto point = [&](const std::string& what, const std::optional<dg::DPoint3D>& want,
                     const dg::DPoint3D& got) {
        if (want)
            check(what, Near(*want, got, tol), Format(*want), Format(got));
    };
    auto number = [&](const std::string& what, const std::optional<double>& want, double got) {
        if (want)
            check(what, Near(*want, got, tol), Format(*want), Format(got));
    };
    auto text = [&](const std::string& what, const std::optional<std::string>& want,
                    const std::string& got) {
        if (want)
            check(what, *want == got, Quote(*want), Quote(got));
    };
    auto names = [&](const std::string& what, const std::optional<std::vector<std::string>>& want,
                     const std::vector<std::string>& got) {
        if (want)
            check(what, *want == got, Join(*want), Join(got));
    };

    const std::string prefix = e.markup.empty() ? "" : e.markup + ".";
    if (CenterLineEntry* entry = scene.FindCenterLine(e.markup)) {
        sxmk::CenterLineXYZ& r = *entry->record;
        sxmk::CenterLineXYZShadow& shadow = *entry->shadow;
        point(prefix + "startPoint", e.startPoint, r.GetStartPoint());
        point(prefix + "endPoint", e.endPoint, r.GetEndPoint());
        number(prefix + "startExtension", e.startExtension, r.GetStartExtention());
        number(prefix + "endExtension", e.endExtension, r.GetEndExtention());
        number(prefix + "ratio", e.ratio, r.GetDivRation());
        if (e.alongAxis)
            check(prefix + "alongAxis", *e.alongAxis == r.IsAlongAxis(),
                  *e.alongAxis ? "true" : "false", r.IsAlongAxis() ? "true" : "false");
        if (e.attached)
            check(prefix + "attached", *e.attached == r.IsEndPointAttached(),
                  *e.attached ? "true" : "false", r.IsEndPointAttached() ? "true" : "false");
        text(prefix + "partID", e.partID, r.GetPartID().str());
        if (e.points) {
            const std::vector<dg::DPoint3D>& got = *r.GetPoints();
            bool ok = got.size() == e.points->size();
            for (std::size_t i = 0; ok && i < got.size(); ++i)
                ok = Near((*e.points)[i], got[i], tol);
            check(prefix + "points", ok, Format(*e.points), Format(got));
        }
        for (const auto& [handle, want] : e.handles) {
            const sxmu::ModelBase* node = scene.NodeOf(*entry, handle);
            if (!node)
                check(prefix + "handles." + HandleKey(handle), false, Format(want), "no such node");
            else
                point(prefix + "handles." + HandleKey(handle), want, node->location.GetPos());
        }
        const sxmu::ModelContainer* root = ReplayScene::RootOf(*entry);
        if (e.shown) {
            std::vector<std::string> want, got;
            for (HandleName h : *e.shown)
                want.push_back(HandleKey(h));
            if (root)
                for (const du::SmartPtr<sxmu::ModelBase>& child : root->GetChildren())
                    if (const auto h = scene.HandleOf(*entry, child.get()))
                        got.push_back(HandleKey(*h));
            std::sort(want.begin(), want.end());
            std::sort(got.begin(), got.end());
            check(prefix + "shown", want == got, Join(want), Join(got));
        }
        if (e.highlighted) {
            std::string got = "none";
            for (HandleName h : kAllHandles)
                if (scene.IsHighlighted(*entry, scene.NodeOf(*entry, h)))
                    got = got == "none" ? HandleKey(h) : got + "+" + HandleKey(h);
            text(prefix + "highlighted", e.highlighted, got);
        }
        if (e.pickedNode)
            check(prefix + "pickedNode", *e.pickedNode == shadow.GetPickedNode(),
                  std::to_string(*e.pickedNode), std::to_string(shadow.GetPickedNode()));
        text(prefix + "endPointItem", e.endPointItem, DescribeItem(shadow.GetEndPointItem()));
        text(prefix + "startPointItem", e.startPointItem, DescribeItem(shadow.GetStartPointItem()));
        if (e.connectionTarget) {
            const du::SmartPtr<sxk::Markup> target = shadow.GetConnectionTarget();
            const std::string* id = target ? scene.IdOf(target.get()) : nullptr;
            text(prefix + "connectionTarget", e.connectionTarget,
                 target ? (id ? *id : std::string("?")) : std::string("none"));
        }
    }
    if (CalloutEntry* entry = scene.FindCallout(e.markup))
        point(prefix + "position", e.position, entry->label->GetPos());

    const std::vector<std::string> operations = session.OperationNames();
    names("operations", e.operations, operations);
    text("lastOperation", e.lastOperation, operations.empty() ? "" : operations.back());
    names("undo", e.undo, controller.UndoNames());
    names("redo", e.redo, controller.RedoNames());
    if (e.controllerCalls)
        check("controllerCalls", *e.controllerCalls == controller.Calls(),
              std::to_string(*e.controllerCalls), std::to_string(controller.Calls()));
    if (e.pendingPicks) {
        const int pending =
            scene.shapeView ? static_cast<int>(scene.shapeView->pendingPicks.size()) : 0;
        check("pendingPicks", *e.pendingPicks == pending, std::to_string(*e.pendingPicks),
              std::to_string(pending));
    }
    text("cursor", e.cursor, window ? window->currentCursor.str() : "");

    log.headline += (e.markup.empty() ? "" : " " + e.markup) + ": " +
                    std::to_string(log.checksPassed) + " passed, " +
                    std::to_string(log.checksFailed) + " failed";
}

}  // namespace replay
