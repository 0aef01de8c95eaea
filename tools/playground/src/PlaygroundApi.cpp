// The playground's module: a live session of the replay behind a small C interface that the page
// calls. Texts handed out stay valid until the next call on the same playground.
#include "HitTest.h"
#include "LiveSession.h"
#include "RecordState.h"
#include "Scenario.h"
#include "ScenarioWriting.h"
#include "WindowShapes.h"

#include <sxk/MemoryPoolAllocated.h>
#include <sxk/Operation.h>

#include <nlohmann/json.hpp>

#include <malloc.h>

#include <algorithm>
#include <cmath>
#include <exception>
#include <iterator>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

using Json = nlohmann::ordered_json;
using replay::Action;

// The pointer events the page sends, in this order.
constexpr Action::Kind kKinds[] = {Action::Hover, Action::Press, Action::Move, Action::Release,
                                   Action::Pick,  Action::Undo,  Action::Redo};

Json Point(const dg::DPoint3D& p) {
    return Json::array({p.x, p.y, p.z});
}

// A value JSON cannot carry (not finite) shows as null.
Json Number(double v) {
    return std::isfinite(v) ? Json(v) : Json(nullptr);
}

Json Names(const std::vector<std::string>& names) {
    Json out = Json::array();
    for (const std::string& n : names)
        out.push_back(n);
    return out;
}

// The state names at most this many operations and entries of each stack, the newest: what it
// costs stays the same however long the session (the page reads it after every action).
constexpr std::size_t kNewestNames = 8;

// The newest recorded operations' names, oldest first, and how many were recorded.
std::pair<Json, std::size_t> NewestOperations() {
    const std::vector<du::SmartPtr<sxk::Operation>>& history = sxk::RecordedOperations();
    Json newest = Json::array();
    for (auto it = history.rbegin(); it != history.rend() && newest.size() < kNewestNames; ++it)
        if (*it)
            newest.insert(newest.begin(), (*it)->GetName());
    const auto count = static_cast<std::size_t>(std::count_if(
        history.begin(), history.end(),
        [](const du::SmartPtr<sxk::Operation>& op) { return static_cast<bool>(op); }));
    return {newest, count};
}

// A view's camera as a scenario's view section writes it, so that the page can put it into one.
Json Views(const replay::ReplayScene& scene) {
    Json views = Json::array();
    for (const replay::SceneView& v : scene.views) {
        Json view = Json::object();
        view["kind"] = v.input.shapeView ? "shape" : "plain";
        view["viewport"] = Json::array({v.input.width, v.input.height});
        if (v.input.shapeView)
            view["projection"] = v.input.perspective ? "perspective" : "parallel";
        view["camera"] = replay::writing::Camera(v.input);
        views.push_back(std::move(view));
    }
    return views;
}

// The viewer's behaviour in the words of a viewer action.
Json Viewer(const replay::ViewerOptions& o) {
    static const char* const kControllers[] = {"apply", "snap", "refuse"};
    static const char* const kPicks[] = {"later", "at-once", "refuse"};
    Json out = Json::object();
    out["controller"] = kControllers[o.controller];
    out["grid"] = Number(o.grid);
    out["rebuild"] = o.rebuild;
    out["picks"] = kPicks[o.picks];
    return out;
}

Json HandlesIn(const replay::ReplayScene& scene, const replay::CenterLineEntry& e,
               std::size_t view) {
    Json handles = Json::object();
    for (const auto& [h, at] : replay::HandlePixels(scene, e, view))
        handles[replay::HandleKey(h)] = Json::array({at.x, at.y});
    return handles;
}

struct Playground {
    // The kernel for the playground's whole life: no session's own guard installs it, so none
    // takes it away with it, and the next session is set up while the current one still stands.
    replay::HostGuard host;
    std::unique_ptr<replay::LiveSession> live;
    std::string error;
    std::string text;  // what the last call handed out

    // The scenario replaces the session only when it reads as a whole and its session can be
    // set up; otherwise the current session stays as it was.
    bool Load(const std::string& scenarioText) {
        // The host keeps one operation history, which each session starts empty and clears when
        // it goes: the current session's is kept aside while the next one is set up.
        using History = std::vector<du::SmartPtr<sxk::Operation>>;
        History current = sxk::RecordedOperations();
        std::unique_ptr<replay::LiveSession> next;
        try {
            const replay::ParseOutcome parsed = replay::ParseScenario(scenarioText);
            if (!parsed.scenario) {
                error = parsed.error;
                return false;
            }
            next = std::make_unique<replay::LiveSession>(*parsed.scenario);
        } catch (const std::bad_alloc&) {
            // A scenario too large for the module's memory.
            return Refuse(std::move(current), "out of memory");
        } catch (const std::exception& e) {
            // For example the host's pool had no memory for an object of the scene.
            return Refuse(std::move(current), e.what());
        } catch (...) {
            return Refuse(std::move(current), "unknown error");
        }
        History setUp = sxk::RecordedOperations();
        live = std::move(next);  // the current session goes now, and clears the history
        sxk::RecordedOperations() = std::move(setUp);
        error.clear();
        return true;
    }

    bool Refuse(std::vector<du::SmartPtr<sxk::Operation>> history, const std::string& why) {
        sxk::RecordedOperations() = std::move(history);
        error = "the session could not be set up: " + why;
        return false;
    }

    const char* Hand(std::string s) {
        text = std::move(s);
        return text.c_str();
    }

    const char* Log(const replay::ActionLog& log) {
        Json out = Json::object();
        out["headline"] = log.headline;
        out["details"] = Names(log.details);
        out["checksPassed"] = log.checksPassed;
        out["checksFailed"] = log.checksFailed;
        return Hand(out.dump(-1, ' ', false, Json::error_handler_t::replace));
    }

    const char* State() {
        replay::Session& session = live->GetSession();
        replay::ReplayScene& scene = session.Scene();
        Json out = Json::object();
        const replay::Scenario& scenario = session.GetScenario();
        out["name"] = scenario.name;
        out["description"] = scenario.description;
        out["viewport"] = Json::array({scenario.view.width, scenario.view.height});
        out["views"] = Views(scene);
        Json lines = Json::array();
        for (const replay::CenterLineEntry& e : scene.centerLines) {
            sxmk::CenterLineXYZ& r = *e.record;
            Json line = Json::object();
            line["id"] = e.config.id;
            line["start"] = Point(r.GetStartPoint());
            line["end"] = Point(r.GetEndPoint());
            line["startExtension"] = Number(r.GetStartExtention());
            line["endExtension"] = Number(r.GetEndExtention());
            line["ratio"] = Number(r.GetDivRation());
            line["mode"] = r.IsAlongAxis() ? "alongAxis" : "straight";
            line["attached"] = r.IsEndPointAttached();
            line["partID"] = r.GetPartID().str();
            line["startPointItem"] = replay::DescribeItem(e.shadows[0].shadow->GetStartPointItem());
            line["endPointItem"] = replay::DescribeItem(e.shadows[0].shadow->GetEndPointItem());
            Json points = Json::array();
            for (const dg::DPoint3D& p : *r.GetPoints())
                points.push_back(Point(p));
            line["points"] = points;
            // The first view's also as "handles", which the page and its tests read.
            Json byView = Json::array();
            for (std::size_t v = 0; v < scene.views.size(); ++v)
                byView.push_back(HandlesIn(scene, e, v));
            line["handles"] = byView[0];
            line["handlesByView"] = std::move(byView);
            lines.push_back(line);
        }
        out["centerLines"] = lines;
        Json callouts = Json::array();
        for (const replay::CalloutEntry& e : scene.callouts)
            callouts.push_back(
                Json::object({{"id", e.config.id}, {"position", Point(e.label->GetPos())}}));
        out["callouts"] = callouts;
        out["touched"] = session.TouchedMarkup();
        out["selection"] = Names(session.Selection());
        out["viewer"] = Viewer(session.Controller().Options());
        auto [operations, operationCount] = NewestOperations();
        out["operations"] = std::move(operations);
        out["operationCount"] = operationCount;
        out["undo"] = Names(session.Controller().NewestUndoNames(kNewestNames));
        out["undoCount"] = session.Controller().UndoCount();
        out["redo"] = Names(session.Controller().NewestRedoNames(kNewestNames));
        out["redoCount"] = session.Controller().RedoCount();
        out["pendingPicks"] = Names(session.PendingPicks());
        out["busy"] = session.Busy();
        out["scriptLength"] = live->Script().size();
        out["actionsPlayed"] = session.ActionsPlayed();
        out["actionsKept"] = live->KeptActions();
        return Hand(out.dump(-1, ' ', false, Json::error_handler_t::replace));
    }

    // Any action, as the JSON text of a scenario's action, read against this session's views and
    // ids: its log, or {"error": the parser's message} and nothing played.
    const char* PlayText(const std::string& actionText) {
        const replay::ActionOutcome parsed =
            replay::ParseAction(live->GetSession().GetScenario(), live->Script(), actionText);
        if (!parsed.action)
            return Hand(Json::object({{"error", parsed.error}})
                            .dump(-1, ' ', false, Json::error_handler_t::replace));
        return Log(live->Play(*parsed.action));
    }

    // What lies under a window position of a view, as hit testing finds it for a press: null, or
    // the markup, the kind of node ("sphere", "arrow", "note", "line") and the handle, if any.
    const char* Hit(std::size_t view, int x, int y) {
        static const char* const kKinds[] = {"sphere", "arrow", "note", "line"};
        const std::optional<replay::NodeHit> hit =
            replay::HitTest(live->GetSession().Scene(), view, x, y);
        if (!hit)
            return Hand("null");
        Json out = Json::object();
        out["markup"] = hit->line ? hit->line->config.id : hit->callout->config.id;
        out["kind"] = kKinds[hit->kind];
        if (hit->handle)
            out["handle"] = replay::HandleKey(*hit->handle);
        return Hand(out.dump(-1, ' ', false, Json::error_handler_t::replace));
    }
};

int Clamp(int v, int lo, int hi) {
    return v < lo ? lo : (v > hi ? hi : v);
}

}  // namespace

extern "C" {

// A playground holding the built-in default session.
Playground* pg_create() {
    auto* p = new Playground;
    p->Load(replay::DefaultScenarioText());
    return p;
}

void pg_destroy(Playground* p) {
    delete p;
}

// 1 when the scenario was loaded; 0 leaves the current session as it is and pg_error says why.
int pg_load(Playground* p, const char* scenarioText) {
    return p->Load(scenarioText ? scenarioText : "") ? 1 : 0;
}

const char* pg_error(Playground* p) {
    return p->error.c_str();
}

// Plays one pointer or history event in a view (0 the first, 1 the second): 0 hover, 1 press,
// 2 move, 3 release, 4 pick (cast along the pointer's ray at the pending pick's position, in the
// first view with one pending), 5 undo, 6 redo. The view is held to those there are and the
// position inside its window, as a scenario requires. Answers the action's log as JSON. The
// page's pointer events come this way, without a text to read.
const char* pg_play(Playground* p, int kind, int x, int y, int view) {
    Action a;
    a.kind = kKinds[Clamp(kind, 0, static_cast<int>(std::size(kKinds)) - 1)];
    const std::vector<replay::SceneView>& views = p->live->GetSession().Scene().views;
    const int v = Clamp(view, 0, static_cast<int>(views.size()) - 1);
    // The first view is the default: its actions are written without a view, as before.
    a.view = v > 0 && a.kind != Action::Pick ? v : -1;
    a.x = Clamp(x, 0, views[static_cast<std::size_t>(v)].input.width - 1);
    a.y = Clamp(y, 0, views[static_cast<std::size_t>(v)].input.height - 1);
    return p->Log(p->live->Play(a));
}

// Plays any action given as the JSON text of a scenario's action (camera, select, edit, viewer,
// a press that grabs the whole markup, ...): its log, or {"error": message} and nothing played.
const char* pg_action(Playground* p, const char* actionText) {
    return p->PlayText(actionText ? actionText : "");
}

// What lies under the window position (x, y) of a view: null or {markup, kind, handle?}.
const char* pg_hit(Playground* p, int view, int x, int y) {
    const replay::ViewInput* input = nullptr;
    const std::vector<replay::SceneView>& views = p->live->GetSession().Scene().views;
    if (view >= 0 && static_cast<std::size_t>(view) < views.size())
        input = &views[static_cast<std::size_t>(view)].input;
    if (!input || x < 0 || y < 0 || x >= input->width || y >= input->height)
        return p->Hand("null");
    return p->Hit(static_cast<std::size_t>(view), x, y);
}

// Sets the preselection colour 0xRRGGBB (a negative value removes it) and applies preferences.
const char* pg_preferences(Playground* p, int rgb) {
    Action a;
    a.kind = Action::Preferences;
    if (rgb >= 0) {
        a.preselectionColor.kind = replay::PreferenceValue::Integer;
        a.preselectionColor.integer = rgb & 0xFFFFFF;
    }
    return p->Log(p->live->Play(a));
}

// Plays the loaded scenario's own action at this index.
const char* pg_play_script(Playground* p, int index) {
    const std::vector<Action>& script = p->live->Script();
    if (index < 0 || static_cast<std::size_t>(index) >= script.size())
        return p->Hand("{\"headline\": \"no such scripted action\", \"details\": []}");
    return p->Log(p->live->PlayScripted(static_cast<std::size_t>(index)));
}

// What no action changes (the window's ground, parts, labels) as SVG: the page draws it once per
// session, under every frame.
const char* pg_scene(Playground* p) {
    return p->Hand(p->live->GetSession().SceneLayer());
}

// The scene as set up, line by line, as JSON.
const char* pg_describe(Playground* p) {
    return p->Hand(Names(p->live->GetSession().Describe())
                       .dump(-1, ' ', false, Json::error_handler_t::replace));
}

// What actions change, as SVG over the scene, captioned with the last action.
const char* pg_frame(Playground* p) {
    const replay::ActionLog& last = p->live->GetSession().LastLog();
    return p->Hand(p->live->GetSession().Frame(last.headline.empty() ? "[0] the scene as set up"
                                                                     : last.headline));
}

const char* pg_state(Playground* p) {
    return p->State();
}

// The session as a scenario file.
const char* pg_export(Playground* p) {
    return p->Hand(p->live->Export());
}

// The built-in default session's scenario text.
const char* pg_default_text() {
    return replay::DefaultScenarioText().c_str();
}

// Makes the host's memory pool fail its nth allocation from now (0: none), as the host's own
// tests do: how the playground answers a scene it cannot set up.
void pg_fail_allocation(int nth) {
    sxk::MemoryPoolAllocated::FailAllocation(nth > 0 ? static_cast<std::size_t>(nth) : 0);
}

// Bytes of the module's heap in use (for memory checks).
double pg_heap_used() {
    return static_cast<double>(mallinfo().uordblks);
}

}  // extern "C"
