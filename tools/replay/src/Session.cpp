#include "Session.h"

#include "Expectations.h"
#include "Frames.h"
#include "RecordState.h"
#include "WindowShapes.h"

#include <sxk/Kernel.h>
#include <sxk/Operation.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <deque>
#include <map>

namespace replay {

namespace {

std::string Pixel(int x, int y) {
    return std::to_string(x) + "," + std::to_string(y);
}

std::string Pixel(const Point2& p) {
    return Pixel(static_cast<int>(std::lround(p.x)), static_cast<int>(std::lround(p.y)));
}

// The status a pick request is completed with when nobody waits for its results any more.
constexpr int kPickGivenUp = -1;

std::string PickFlags(unsigned int flags) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", flags);
    return text;
}

std::string PreferenceText(const PreferenceValue& v) {
    char buffer[64];
    switch (v.kind) {
        case PreferenceValue::Absent:
            return "removed";
        case PreferenceValue::Integer:
            std::snprintf(buffer, sizeof buffer, "0x%06X (integer)",
                          static_cast<unsigned>(v.integer));
            return buffer;
        case PreferenceValue::Colour:
            std::snprintf(buffer, sizeof buffer, "colour (%g, %g, %g, %g)",
                          static_cast<double>(v.colour.r), static_cast<double>(v.colour.g),
                          static_cast<double>(v.colour.b), static_cast<double>(v.colour.a));
            return buffer;
        case PreferenceValue::Text:
            return "text \"" + v.text + "\"";
    }
    return "?";
}

// Notification counts of every markup and shadow, by a readable name.
std::map<std::string, int> Notifications(const ReplayScene& scene) {
    std::map<std::string, int> counts;
    for (const CenterLineEntry& e : scene.centerLines) {
        counts[e.config.id + " record"] = e.record->contentChangedCount;
        counts[e.config.id + " shadow"] = e.shadow->contentChangedCount;
    }
    for (const CalloutEntry& e : scene.callouts) {
        counts[e.config.id + " label"] = e.label->contentChangedCount;
        counts[e.config.id + " shadow"] = e.shadow->contentChangedCount;
    }
    for (const LabelEntry& e : scene.labels)
        counts[e.config.id + " label"] = e.label->contentChangedCount;
    return counts;
}

struct States {
    std::vector<CenterLineState> lines;
    std::vector<CalloutState> callouts;
};

States CaptureAll(const ReplayScene& scene) {
    States s;
    for (const CenterLineEntry& e : scene.centerLines)
        s.lines.push_back(CaptureCenterLine(e));
    for (const CalloutEntry& e : scene.callouts)
        s.callouts.push_back(CaptureCallout(e));
    return s;
}

}  // namespace

HostGuard::HostGuard() {
    sxk::RecordedOperations().clear();
    if (!sxk::Kernel::GetKernel()) {
        sxk::Kernel::Install();
        installed = true;
    }
}

HostGuard::~HostGuard() {
    if (installed)
        sxk::Kernel::Remove();
}

Session::Session(const Scenario& s) : scenario(s), scene(s), controller(scene) {
    for (CenterLineEntry& e : scene.centerLines) {
        e.record->SetController(&controller);
        settledLines.push_back(CaptureCenterLine(e));
        settledStops.push_back(0);
    }
    for (CalloutEntry& e : scene.callouts) {
        e.label->SetController(&controller);
        settledCallouts.push_back(CaptureCallout(e));
        settledStops.push_back(0);
    }
}

Session::~Session() {
    // A drag still open is let go the way the framework would, before anything goes away.
    if (driver && driver->IsDragging())
        driver->Release();
    driver.reset();
    // A pick never completed is given up with a failure status, so its event is let go.
    if (scene.shapeView)
        while (scene.shapeView->CompletePick({}, kPickGivenUp)) {
        }
    for (CenterLineEntry& e : scene.centerLines)
        e.record->SetController(nullptr);
    for (CalloutEntry& e : scene.callouts)
        e.label->SetController(nullptr);
    sxk::RecordedOperations().clear();
}

sxk::Window* Session::Window() const {
    return scene.Window();
}

std::vector<std::string> Session::OperationNames() const {
    return RecordedOperationNames();
}

bool Session::Busy() const {
    return (driver && driver->IsDragging()) ||
           (scene.shapeView && !scene.shapeView->pendingPicks.empty());
}

std::vector<std::pair<HandleName, Point2>> Session::HandlePixels(const CenterLineEntry& e) const {
    std::vector<std::pair<HandleName, Point2>> out;
    const sxmu::ModelContainer* root = ReplayScene::RootOf(e);
    for (HandleName h : kAllHandles) {
        const sxmu::ModelBase* node = scene.NodeOf(e, h);
        if (!node || !root || !root->Contains(node))
            continue;
        std::optional<Point2> at;
        if (const auto* sphere = dynamic_cast<const sxmu::ModelSphere*>(node)) {
            if (const auto shape = SphereInWindow(scene.projector, e.record->placement, *sphere))
                at = shape->centre;
        } else if (const auto* arrow = dynamic_cast<const sxmu::ModelLeaderLine*>(node)) {
            if (const auto shape = ArrowInWindow(scene.projector, e.record->placement, *arrow))
                at = Point2{(shape->base.x + shape->end.x) / 2, (shape->base.y + shape->end.y) / 2};
        }
        if (at)
            out.emplace_back(h, *at);
    }
    return out;
}

std::vector<std::string> Session::Describe() const {
    std::vector<std::string> lines;
    const Projector& proj = scene.projector;
    const ViewInput& v = scenario.view;
    lines.push_back(std::string(v.shapeView ? "shape view" : "plain view") + " " +
                    std::to_string(v.width) + "x" + std::to_string(v.height) + ", " +
                    (v.perspective ? "perspective " + Format(v.fieldOfViewDegrees) + " deg"
                                   : "parallel, width " + Format(v.parallelWidth)) +
                    ", eye " + Format(v.eye) + ", target " + Format(v.target) +
                    (v.nearDistance ? ", near " + Format(*v.nearDistance) : ""));
    for (const PartEntry& e : scene.parts) {
        std::string line = "part " + e.config.id + " " + Format(e.config.min) + ".." +
                           Format(e.config.max) + ", instance " + Quote(e.config.instance);
        if (e.config.sbom)
            line += ", sbom " + Quote(*e.config.sbom);
        if (e.config.weld)
            line += ", weld " + Quote(*e.config.weld);
        const dg::DPoint3D centre((e.config.min.x + e.config.max.x) / 2,
                                  (e.config.min.y + e.config.max.y) / 2,
                                  (e.config.min.z + e.config.max.z) / 2);
        if (const auto at = proj.Project(centre))
            line += "; centre at pixel " + Pixel(Point2{at->x, at->y});
        lines.push_back(line);
    }
    for (const LabelEntry& e : scene.labels)
        if (const auto box = LabelBox(proj, e))
            lines.push_back("label " + e.config.id + " " + Quote(e.config.note) + " at pixel " +
                            Pixel(box->anchor));
    for (const CalloutEntry& e : scene.callouts)
        if (const auto box = CalloutBox(proj, e))
            lines.push_back("callout " + e.config.id + " " + Quote(e.config.note) + " at pixel " +
                            Pixel(box->anchor) + ", box " + Format(box->width) + "x" +
                            Format(box->height));
    for (const CenterLineEntry& e : scene.centerLines) {
        sxmk::CenterLineXYZ& r = *e.record;
        lines.push_back(
            "centre line " + e.config.id + (r.IsAlongAxis() ? " along axis" : " straight") + ", " +
            std::to_string(r.GetPoints()->size()) + " points " + Format(*r.GetPoints()) +
            ", extensions " + Format(r.GetStartExtention()) + " / " + Format(r.GetEndExtention()) +
            ", ratio " + Format(r.GetDivRation()) + ", part " + Quote(r.GetPartID().str()) +
            (r.IsEndPointAttached() ? ", end attached" : ""));
        std::string handles = "  handles of " + e.config.id + ":";
        bool any = false;
        for (const auto& [h, at] : HandlePixels(e)) {
            handles += std::string(any ? "," : "") + " " + HandleKey(h) + " " + Pixel(at);
            any = true;
        }
        lines.push_back(handles + (any ? "" : " none shown"));
    }
    for (const std::string& w : scene.warnings)
        lines.push_back("warning: " + w);
    return lines;
}

ActionLog Session::Play(std::size_t index) {
    return PlayNumbered(scenario.actions.at(index), index + 1);
}

const ActionLog& Session::Play(const Action& action) {
    lastLog = PlayNumbered(action, played + 1);
    return lastLog;
}

std::string Session::Frame(const std::string& caption) const {
    return RenderFrame(*this, caption);
}

std::vector<std::string> Session::PendingPicks() const {
    std::vector<std::string> out;
    if (!scene.shapeView)
        return out;
    for (const sxk::ShapeView::PendingPick& pick : scene.shapeView->pendingPicks)
        out.push_back("at " + Pixel(pick.x, pick.y) + " (flags " + PickFlags(pick.flags) + ")");
    return out;
}

std::vector<std::string> Session::Summary() const {
    std::vector<std::string> lines;
    const std::vector<std::string> picks = PendingPicks();
    if (!picks.empty())
        lines.push_back("note: " + std::to_string(picks.size()) +
                        " pick(s) never completed (no pick action after the release)");
    lines.push_back("operations recorded: " + Join(OperationNames()));
    lines.push_back("undo stack: " + Join(controller.UndoNames()) +
                    "; redo stack: " + Join(controller.RedoNames()));
    lines.push_back("controller calls: " + std::to_string(controller.Calls()));
    return lines;
}

ActionLog Session::PlayNumbered(const Action& a, std::size_t number) {
    ++played;
    ActionLog log;
    log.headline = "[" + std::to_string(number) + "] " + ActionName(a.kind);
    if (a.kind == Action::Hover || a.kind == Action::Press || a.kind == Action::Move)
        log.headline += " " + Pixel(a.x, a.y);
    if (!a.comment.empty())
        log.details.push_back("# " + a.comment);

    const States before = CaptureAll(scene);
    const std::map<std::string, int> notifiedBefore = Notifications(scene);
    const std::size_t recordedBefore = sxk::RecordedOperations().size();
    const std::string cursorBefore = Window() ? Window()->currentCursor.str() : "";
    const std::size_t warningsBefore = scene.warnings.size();

    switch (a.kind) {
        case Action::Hover:
            Hover(a, log);
            break;
        case Action::Press:
            Press(a, log);
            break;
        case Action::Move:
            Move(a, log);
            break;
        case Action::Release:
            Release(log);
            break;
        case Action::Pick:
            Pick(a, log);
            break;
        case Action::Preferences:
            Preferences(a, log);
            break;
        case Action::Undo:
        case Action::Redo:
            UndoOrRedo(a.kind == Action::Undo, log);
            break;
        case Action::Expect:
            CheckExpectation(a.expect, *this, log);
            break;
    }

    controller.SettleAction();
    for (std::string& note : controller.TakeNotes())
        log.details.push_back(std::move(note));
    DropCancelledPicks(log);
    RebuildAppliedShadows(log);
    const auto& history = sxk::RecordedOperations();
    for (std::size_t i = recordedBefore; i < history.size(); ++i)
        log.details.push_back("operation recorded: " +
                              Quote(history[i] ? history[i]->GetName() : std::string("(null)")));
    const States after = CaptureAll(scene);
    for (std::size_t i = 0; i < after.lines.size(); ++i)
        for (std::string& line :
             DescribeChanges(scene.centerLines[i].config.id, before.lines[i], after.lines[i]))
            log.details.push_back(std::move(line));
    for (std::size_t i = 0; i < after.callouts.size(); ++i)
        for (std::string& line :
             DescribeChanges(scene.callouts[i].config.id, before.callouts[i], after.callouts[i]))
            log.details.push_back(std::move(line));
    std::string notified;
    for (const auto& [name, count] : Notifications(scene)) {
        const int delta = count - notifiedBefore.at(name);
        if (delta != 0)
            notified += (notified.empty() ? "" : ", ") + name + " +" + std::to_string(delta);
    }
    if (!notified.empty())
        log.details.push_back("content changed: " + notified);
    const std::string cursorAfter = Window() ? Window()->currentCursor.str() : "";
    if (cursorAfter != cursorBefore)
        log.details.push_back("cursor: " + (cursorAfter.empty() ? "default" : cursorAfter));
    for (std::size_t i = warningsBefore; i < scene.warnings.size(); ++i)
        log.details.push_back("warning: " + scene.warnings[i]);
    NoteSilentChanges(log, a.kind == Action::Undo || a.kind == Action::Redo);
    return log;
}

// The viewer answers an applied drag by rebuilding the markup's shadows from the record
// (MarkupChanged), so the line is drawn as stored. A shadow with a drag or a pick still open keeps
// its nodes until that drag is over: rebuilding it would take away the node being dragged.
void Session::RebuildAppliedShadows(ActionLog& log) {
    staleShadows.resize(scene.centerLines.size(), false);
    for (const std::size_t i : controller.TakeAppliedLines())
        staleShadows[i] = true;
    if (Busy())
        return;
    for (std::size_t i = 0; i < scene.centerLines.size(); ++i) {
        if (!staleShadows[i])
            continue;
        staleShadows[i] = false;
        CenterLineEntry& e = scene.centerLines[i];
        e.shadow->MarkupChanged();
        scene.MapHandles(e);
        if (hoveredShadow == e.shadow.get()) {
            hoveredShadow = nullptr;
            hoveredNode = nullptr;
        }
        log.details.push_back("viewer: " + e.config.id +
                              " shadow rebuilt from its record (MarkupChanged)");
    }
}

// Once no drag is open, two things are worth a word: a markup that changed although none of its
// drags reached the controller (nothing can undo that), and a centre line whose drawn line is not
// the list its record stores.
void Session::NoteSilentChanges(ActionLog& log, bool undoing) {
    if (Busy())
        return;
    drawnMismatch.resize(scene.centerLines.size());
    for (std::size_t i = 0; i < scene.centerLines.size(); ++i) {
        CenterLineEntry& e = scene.centerLines[i];
        const CenterLineState now = CaptureCenterLine(e);
        const int stops = controller.StopsFor(e.record.get());
        if (!undoing && now != settledLines[i] && stops == settledStops[i])
            log.details.push_back("note: " + e.config.id +
                                  " changed without reaching the controller; nothing can undo it");
        settledLines[i] = now;
        settledStops[i] = stops;
        // Single-precision extensions make a rebuilt point differ in its last digits.
        const sxmu::ModelLineStrip* strip = LineStripOf(e);
        std::string where;
        const std::size_t drawn = strip ? strip->points.size() : 0;
        for (std::size_t k = 0; k < std::max(drawn, now.points.size()); ++k)
            if (k >= drawn || k >= now.points.size() ||
                !Near(strip->points[k], now.points[k],
                      1e-6 * (1.0 + std::fabs(now.points[k].x) + std::fabs(now.points[k].y) +
                              std::fabs(now.points[k].z))))
                where += (where.empty() ? "" : ", ") + std::to_string(k);
        const std::string note =
            where.empty()
                ? std::string()
                : "note: " + e.config.id +
                      " is drawn through other points than its record stores (index " + where + ")";
        if (!note.empty() && note != drawnMismatch[i])
            log.details.push_back(note);
        drawnMismatch[i] = note;
    }
    for (std::size_t i = 0; i < scene.callouts.size(); ++i) {
        CalloutEntry& e = scene.callouts[i];
        const CalloutState now = CaptureCallout(e);
        const std::size_t k = scene.centerLines.size() + i;
        const int stops = controller.StopsFor(e.label.get());
        if (!undoing && now != settledCallouts[i] && stops == settledStops[k])
            log.details.push_back("note: " + e.config.id +
                                  " changed without reaching the controller; nothing can undo it");
        settledCallouts[i] = now;
        settledStops[k] = stops;
    }
}

// A drag that starts while the same shadow's drop still waits for its pick makes the library
// finish that drop itself and cancel the pick's event. The viewer's pick service then no longer
// owes that request anything: it leaves the queue at once, completed with a failure status, so the
// next pick action completes the request of the new drop instead of the stale one.
void Session::DropCancelledPicks(ActionLog& log) {
    if (!scene.shapeView)
        return;
    std::deque<sxk::ShapeView::PendingPick>& queue = scene.shapeView->pendingPicks;
    for (std::size_t i = 0; i < queue.size();) {
        if (!queue[i].event || !queue[i].event->cancelled) {
            ++i;
            continue;
        }
        const std::string where =
            Pixel(queue[i].x, queue[i].y) + " (flags " + PickFlags(queue[i].flags) + ")";
        // The host completes the oldest request: this one is brought to the front first, the
        // others keep their order.
        std::rotate(queue.begin(), queue.begin() + static_cast<std::ptrdiff_t>(i),
                    queue.begin() + static_cast<std::ptrdiff_t>(i) + 1);
        scene.shapeView->CompletePick({}, kPickGivenUp);
        log.details.push_back(
            "pick at " + where +
            " cancelled by the library: taken off the queue, completed with status " +
            std::to_string(kPickGivenUp));
    }
}

void Session::ClearHover(ActionLog& log) {
    if (hoveredShadow) {
        hoveredShadow->ClearPreselectHighlight();
        log.details.push_back("preselection cleared");
    }
    hoveredShadow = nullptr;
    hoveredNode = nullptr;
}

void Session::Hover(const Action& a, ActionLog& log) {
    pointer.known = true;
    pointer.x = a.x;
    pointer.y = a.y;
    const std::optional<NodeHit> hit = HitTest(scene, a.x, a.y);
    const sxmu::ModelBase* node = hit ? hit->node : nullptr;
    if (node && node == hoveredNode) {
        log.headline += ": still over " + hit->Describe();
        return;
    }
    ClearHover(log);
    if (!hit) {
        log.headline += ": over nothing";
        if (sxk::Window* w = Window(); w && !w->currentCursor.IsEmpty())
            w->ResetCursor();
        return;
    }
    char distance[32];
    std::snprintf(distance, sizeof distance, "%.1f", hit->distance);
    log.headline += ": over " + hit->Describe() + " (" + distance + " px)";
    touched = hit->line ? hit->line->config.id : hit->callout->config.id;
    sxmk::MarkupShadow* shadow = hit->Shadow();
    const du::SmartPtr<sxmu::ModelBase> held(hit->node);
    shadow->PreselectHighlight(held);
    hoveredShadow = shadow;
    hoveredNode = node;
    log.details.push_back("PreselectHighlight(" + hit->Describe() + ")");
    du::Symbol cursor;
    const bool shows = shadow->GetDragCursor(held, cursor);
    log.details.push_back(std::string("GetDragCursor -> ") + (shows ? "true" : "false") + ", " +
                          (cursor.IsEmpty() ? "no cursor name" : cursor.str()));
    if (sxk::Window* w = Window(); w && shows && !cursor.IsEmpty())
        w->SetCursor(cursor);
}

void Session::Press(const Action& a, ActionLog& log) {
    pointer.known = true;
    pointer.x = pointer.startX = a.x;
    pointer.y = pointer.startY = a.y;
    pointer.pressed = true;
    pointer.dragging = false;
    if (driver && driver->IsDragging()) {
        log.details.push_back("the drag still open is released first");
        driver->Release();
    }
    driver.reset();
    draggedShadow = nullptr;
    // The framework drops the preselection when the button goes down; the next hover brings it
    // back.
    ClearHover(log);
    const std::optional<NodeHit> hit = HitTest(scene, a.x, a.y);
    if (!hit) {
        log.headline += ": on nothing, no drag";
        return;
    }
    touched = hit->line ? hit->line->config.id : hit->callout->config.id;
    sxmk::MarkupShadow* shadow = hit->Shadow();
    controller.BeginDrag(shadow->MarkupOfShadow().get());
    driver = std::make_unique<sxmk::DragDriver>(*shadow);
    const bool accepted = driver->Start(hit->node, a.x, a.y);
    log.headline += ": grabbed " + hit->Describe() + (accepted ? "" : " (drag refused)");
    if (!accepted) {
        driver.reset();
        return;
    }
    draggedShadow = shadow;
    pointer.dragging = true;
    if (hit->line)
        log.details.push_back("HandleDragStart -> true; picked node " +
                              std::to_string(hit->line->shadow->GetPickedNode()));
    else
        log.details.push_back("HandleDragStart -> true");
}

void Session::Move(const Action& a, ActionLog& log) {
    pointer.known = true;
    pointer.x = a.x;
    pointer.y = a.y;
    if (!driver || !driver->IsDragging()) {
        log.headline += ": pointer moved, no drag";
        return;
    }
    driver->Move(a.x, a.y);
    log.headline += ": drag step";
    log.details.push_back("HandleDragStep; drag vector " + Format(draggedShadow->dragVector));
}

void Session::Release(ActionLog& log) {
    pointer.pressed = false;
    pointer.dragging = false;
    if (!driver || !driver->IsDragging()) {
        log.headline += ": no drag";
        driver.reset();
        return;
    }
    const std::size_t picksBefore = scene.shapeView ? scene.shapeView->pendingPicks.size() : 0;
    driver->Release();
    driver.reset();
    const sxk::Markup* dragged = draggedShadow->MarkupOfShadow().get();
    draggedShadow = nullptr;
    log.headline += ": drag stopped";
    log.details.push_back("HandleDragStop");
    if (scene.shapeView && scene.shapeView->pendingPicks.size() > picksBefore) {
        controller.AwaitDrop(dragged);
        const auto& pick = scene.shapeView->pendingPicks.back();
        log.details.push_back("pick requested at " + Pixel(pick.x, pick.y) + " (flags " +
                              PickFlags(pick.flags) + "), waiting for a pick action");
    }
}

void Session::Pick(const Action& a, ActionLog& log) {
    if (!scene.shapeView || scene.shapeView->pendingPicks.empty()) {
        log.headline += ": no pick pending, nothing to complete";
        return;
    }
    const sxk::ShapeView::PendingPick& pending = scene.shapeView->pendingPicks.front();
    const std::vector<PickHit> hits =
        a.hasResults ? ExplicitPick(scene, a.results) : CastPick(scene, pending.x, pending.y);
    log.headline +=
        a.hasResults ? ": given results" : ": ray cast at " + Pixel(pending.x, pending.y);
    log.headline += ", status " + std::to_string(a.status);
    std::vector<sxk::PickResult> results;
    for (const PickHit& hit : hits) {
        results.push_back(hit.result);
        log.details.push_back("result " + std::to_string(results.size()) + ": " + hit.description);
    }
    if (hits.empty())
        log.details.push_back("no results");
    scene.shapeView->CompletePick(results, a.status);
    log.details.push_back("CompletePick(" + std::to_string(results.size()) + " results, status " +
                          std::to_string(a.status) + ")");
}

void Session::Preferences(const Action& a, ActionLog& log) {
    scene.SetPreselectionColor(a.preselectionColor);
    log.headline += ": preselection colour " + PreferenceText(a.preselectionColor);
    dg::Color colour;
    if (scene.preferences->GetIntUIAsColor(kPreselectionColorKey, colour, nullptr)) {
        char text[96];
        std::snprintf(text, sizeof text, "the viewer reads it as (%.4g, %.4g, %.4g, %.4g)",
                      static_cast<double>(colour.r), static_cast<double>(colour.g),
                      static_cast<double>(colour.b), static_cast<double>(colour.a));
        log.details.push_back(text);
    } else {
        log.details.push_back("the viewer cannot read it as a colour");
    }
    scene.ApplyPreferences();
    log.details.push_back("OnApplyPreferences on every markup and shadow");
}

void Session::UndoOrRedo(bool undo, ActionLog& log) {
    // The viewer does not undo under a drag that is still open.
    if (Busy()) {
        log.headline += ": ignored, a drag or its pick is still open";
        return;
    }
    const std::vector<std::string> names = undo ? controller.UndoNames() : controller.RedoNames();
    const bool done = undo ? controller.Undo() : controller.Redo();
    if (!done) {
        log.headline += undo ? ": nothing to undo" : ": nothing to redo";
        return;
    }
    log.headline += " " + Quote(names.back());
    // The rebuilt shadow has new nodes and no highlight.
    hoveredShadow = nullptr;
    hoveredNode = nullptr;
}

}  // namespace replay
