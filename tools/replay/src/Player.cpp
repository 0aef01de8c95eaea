#include "Player.h"

#include "RecordState.h"
#include "SessionText.h"

#include <sxk/HostileViewer.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <deque>
#include <exception>
#include <utility>

namespace replay {

namespace {

// The status a pick request is completed with when nobody waits for its results any more.
constexpr int kPickGivenUp = -1;
// The progress a pick reports halfway.
constexpr int kPickHalfDone = 50;

}  // namespace

Player::Player(ReplayScene& replayScene, UndoController& undoController)
    : scene(replayScene), controller(undoController) {}

void Player::Play(const Action& a, ActionLog& log) {
    // The library may let a failure of the viewer's own services go on to the viewer (a pick
    // request that could not be made); the viewer reports it and goes on.
    try {
        PlayKind(a, log);
    } catch (const std::exception& e) {
        log.details.push_back(std::string("the call threw at the viewer: ") + e.what());
    }
    ReportNotified(log);
}

void Player::PlayKind(const Action& a, ActionLog& log) {
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
            break;  // nothing to play: the session checks it
        case Action::Viewer:
            Viewer(a.viewer, log);
            break;
        case Action::Select:
            Select(a.selection, log);
            break;
        case Action::Edit:
            Edit(a, log);
            break;
        case Action::Camera:
            Camera(ViewOf(a), a.camera, log);
            break;
        case Action::Add:
            if (a.added)
                Add(*a.added, log);
            if (a.addedCallout)
                AddCallout(*a.addedCallout, log);
            break;
        case Action::Remove:
            Remove(a.markup, log);
            break;
    }
}

std::size_t Player::ViewOf(const Action& a) const {
    if (a.view >= 0 && static_cast<std::size_t>(a.view) < scene.views.size())
        return static_cast<std::size_t>(a.view);
    return 0;
}

void Player::LetGo() {
    ActionLog ignored;
    try {
        if (movingMarkups)
            StopMarkups(ignored);
        if (driver && driver->IsDragging())
            driver->Release();
    } catch (const std::exception&) {
        // The session ends either way.
    }
    driver.reset();
    if (draggedShadow)
        draggedShadow->broadcastTargets.clear();
    draggedShadow = nullptr;
    for (SceneView& v : scene.views)
        if (v.shapeView)
            while (v.shapeView->CompletePick({}, kPickGivenUp)) {
            }
}

bool Player::Busy() const {
    return movingMarkups || (driver && driver->IsDragging()) || scene.PicksPending();
}

// The viewer answers an applied drag by rebuilding the markup's shadows from the record
// (MarkupChanged), so the line is drawn as stored. A shadow with a drag or a pick still open keeps
// its nodes until that drag is over: rebuilding it would take away the node being dragged.
void Player::RebuildAppliedShadows(ActionLog& log) {
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
        scene.RebuildShadows(e);
        ForgetHoverOn(e);
        log.details.push_back("viewer: " + e.config.id +
                              " shadow rebuilt from its record (MarkupChanged)");
    }
    ReportNotified(log);
}

// A drag that starts while the same shadow's drop still waits for its pick makes the library
// finish that drop itself and cancel the pick's event. The viewer's pick service then no longer
// owes that request anything: it leaves the queue at once, completed with a failure status, so the
// next pick action completes the request of the new drop instead of the stale one.
void Player::DropCancelledPicks(ActionLog& log) {
    for (std::size_t v = 0; v < scene.views.size(); ++v)
        if (scene.views[v].shapeView)
            DropCancelledPicks(*scene.views[v].shapeView, ScenePrefix(v), log);
}

void Player::DropCancelledPicks(sxk::ShapeView& view, const std::string& prefix, ActionLog& log) {
    std::deque<sxk::ShapeView::PendingPick>& queue = view.pendingPicks;
    for (std::size_t i = 0; i < queue.size();) {
        if (!queue[i].event || !queue[i].event->cancelled) {
            ++i;
            continue;
        }
        const std::string where = PickPlace(queue[i]);
        // The host completes the oldest request: this one is brought to the front first, the
        // others keep their order.
        std::rotate(queue.begin(), queue.begin() + static_cast<std::ptrdiff_t>(i),
                    queue.begin() + static_cast<std::ptrdiff_t>(i) + 1);
        view.CompletePick({}, kPickGivenUp);
        std::string note = prefix;
        note += "pick at " + where +
                " cancelled by the library: taken off the queue, completed with status " +
                std::to_string(kPickGivenUp);
        log.details.push_back(std::move(note));
    }
}

void Player::ClearHover(ActionLog& log) {
    if (hoveredShadow) {
        hoveredShadow->ClearPreselectHighlight();
        log.details.push_back("preselection cleared");
    }
    hoveredShadow = nullptr;
    hoveredNode = nullptr;
}

void Player::ForgetHoverOn(const CenterLineEntry& e) {
    for (const LineShadow& line : e.shadows)
        if (hoveredShadow == line.shadow.get()) {
            hoveredShadow = nullptr;
            hoveredNode = nullptr;
        }
}

std::string Player::ScenePrefix(std::size_t view) const {
    return ViewPrefix(scene, view);
}

void Player::PointerAt(std::size_t view, int x, int y) {
    if (pointer.view != view)
        hoveredNode = nullptr;  // another window: what was under the pointer is not now
    pointer.view = view;
    pointer.known = true;
    pointer.x = x;
    pointer.y = y;
}

void Player::Hover(const Action& a, ActionLog& log) {
    const std::size_t view = ViewOf(a);
    PointerAt(view, a.x, a.y);
    const std::optional<NodeHit> hit = HitTest(scene, view, a.x, a.y);
    const sxmu::ModelBase* node = hit ? hit->node : nullptr;
    if (node && node == hoveredNode) {
        log.headline += ": still over " + hit->Describe();
        return;
    }
    ClearHover(log);
    if (!hit) {
        log.headline += ": over nothing";
        if (sxk::Window* w = scene.views[view].Window(); w && !w->currentCursor.IsEmpty())
            w->ResetCursor();
        return;
    }
    char distance[32];
    std::snprintf(distance, sizeof distance, "%.1f", hit->distance);
    log.headline += ": over " + hit->Describe() + " (" + distance + " px)";
    touched = hit->Id();
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
    if (sxk::Window* w = scene.views[view].Window(); w && shows && !cursor.IsEmpty())
        w->SetCursor(cursor);
}

void Player::Press(const Action& a, ActionLog& log) {
    const std::size_t view = ViewOf(a);
    PointerAt(view, a.x, a.y);
    pointer.startX = a.x;
    pointer.startY = a.y;
    pointer.pressed = true;
    pointer.dragging = false;
    if (movingMarkups) {
        log.details.push_back("the move still open is stopped first");
        StopMarkups(log);
    }
    if (driver && driver->IsDragging()) {
        log.details.push_back("the drag still open is released first");
        driver->Release();
    }
    driver.reset();
    if (draggedShadow)
        draggedShadow->broadcastTargets.clear();
    draggedShadow = nullptr;
    // The framework drops the preselection when the button goes down; the next hover brings it
    // back.
    ClearHover(log);
    if (a.grabMarkup) {
        GrabMarkup(a, log);
        return;
    }
    const std::optional<NodeHit> hit = PressOn(view, a, ": on nothing, no drag", log);
    if (!hit)
        return;
    sxmk::MarkupShadow* shadow = hit->Shadow();
    controller.BeginDrag(shadow->MarkupOfShadow().get());
    // The framework stops (and a callout also moves) the other selected markups with the drag.
    shadow->broadcastTargets.clear();
    for (const std::string& id : selection)
        if (sxmk::MarkupShadow* other = id == touched ? nullptr : ShadowOf(id, view)) {
            shadow->broadcastTargets.emplace_back(other);
            controller.BeginDrag(other->MarkupOfShadow().get());
        }
    driver = std::make_unique<sxmk::DragDriver>(*shadow);
    const bool accepted = driver->Start(hit->node, a.x, a.y);
    log.headline += ": grabbed " + hit->Describe() + (accepted ? "" : " (drag refused)");
    if (!accepted) {
        driver.reset();
        shadow->broadcastTargets.clear();
        return;
    }
    draggedShadow = shadow;
    dragView = view;
    pointer.dragging = true;
    if (hit->line)
        log.details.push_back("HandleDragStart -> true; picked node " +
                              std::to_string(hit->line->shadows[view].shadow->GetPickedNode()));
    else
        log.details.push_back("HandleDragStart -> true");
}

void Player::Move(const Action& a, ActionLog& log) {
    // The framework keeps an open drag in the window where it began.
    PointerAt(driver && driver->IsDragging() ? dragView : ViewOf(a), a.x, a.y);
    if (movingMarkups) {
        MoveMarkups(log);
        return;
    }
    if (!driver || !driver->IsDragging()) {
        log.headline += ": pointer moved, no drag";
        return;
    }
    driver->Move(a.x, a.y);
    log.headline += ": drag step";
    log.details.push_back("HandleDragStep; drag vector " + Format(draggedShadow->dragVector));
}

void Player::Release(ActionLog& log) {
    pointer.pressed = false;
    pointer.dragging = false;
    if (movingMarkups) {
        StopMarkups(log);
        return;
    }
    if (!driver || !driver->IsDragging()) {
        log.headline += ": no drag";
        driver.reset();
        return;
    }
    sxk::ShapeView* shapeView = scene.views[dragView].shapeView;
    const std::size_t picksBefore = shapeView ? shapeView->pendingPicks.size() : 0;
    // A viewer that answers a pick inside the request answers what lies under the pointer.
    std::vector<PickHit> atOnce;
    if (shapeView && shapeView->pickAtOnce) {
        atOnce = CastPick(scene, dragView, pointer.x, pointer.y);
        shapeView->atOnceResults.clear();
        for (const PickHit& hit : atOnce)
            shapeView->atOnceResults.push_back(hit.result);
    }
    const int stopsBefore = controller.Calls();
    // Held: the controller may let go of the viewer's last reference inside the release.
    const du::SmartPtr<sxmk::MarkupShadow> dragged(draggedShadow);
    const du::SmartPtr<sxk::Markup> markup = dragged->MarkupOfShadow();
    std::string failure;
    try {
        driver->Release();
    } catch (const std::exception& e) {
        failure = e.what();
    }
    driver.reset();
    dragged->broadcastTargets.clear();
    draggedShadow = nullptr;
    // The results hold the objects they found, a shadow among them, which holds the view.
    if (shapeView)
        shapeView->atOnceResults.clear();
    log.headline += ": drag stopped";
    log.details.push_back("HandleDragStop");
    if (!failure.empty())
        log.details.push_back("the pick request was refused (" + failure +
                              "); the library let the failure go on to the viewer");
    if (shapeView && shapeView->pickAtOnce && controller.Calls() > stopsBefore &&
        shapeView->pendingPicks.size() == picksBefore) {
        log.details.push_back("pick answered inside the request at " + Pixel(pointer.x, pointer.y) +
                              ": " + std::to_string(atOnce.size()) + " results");
        for (std::size_t i = 0; i < atOnce.size(); ++i)
            log.details.push_back("result " + std::to_string(i + 1) + ": " + atOnce[i].description);
    }
    if (shapeView && shapeView->pendingPicks.size() > picksBefore) {
        controller.AwaitDrop(markup.get());
        log.details.push_back("pick requested at " + PickPlace(shapeView->pendingPicks.back()) +
                              ", waiting for a pick action");
    }
}

// The pick completes the oldest request of the view named, or of the first view that has one.
void Player::Pick(const Action& a, ActionLog& log) {
    std::size_t view = ViewOf(a);
    if (a.view < 0)
        for (std::size_t v = 0; v < scene.views.size(); ++v)
            if (scene.views[v].shapeView && !scene.views[v].shapeView->pendingPicks.empty()) {
                view = v;
                break;
            }
    sxk::ShapeView* shapeView = scene.views[view].shapeView;
    if (!shapeView || shapeView->pendingPicks.empty()) {
        log.headline += ": no pick pending, nothing to complete";
        return;
    }
    // The pick service reports its progress to the waiting event before it completes it (held:
    // the event's answer may change the queue).
    if (const du::SmartPtr<sxk::PickEvent> event = shapeView->pendingPicks.front().event) {
        event->OnPickUpdate(kPickHalfDone);
        log.details.push_back("OnPickUpdate(" + std::to_string(kPickHalfDone) + ") to the " +
                              event->GetClassName().str() + " waiting");
    }
    if (shapeView->pendingPicks.empty()) {
        log.headline += ": the pick left the queue while it was under way";
        return;
    }
    const sxk::ShapeView::PendingPick& pending = shapeView->pendingPicks.front();
    const std::vector<PickHit> hits = a.hasResults ? ExplicitPick(scene, view, a.results)
                                                   : CastPick(scene, view, pending.x, pending.y);
    log.headline += a.hasResults
                        ? ": given results"
                        : ": " + ScenePrefix(view) + "ray cast at " + Pixel(pending.x, pending.y);
    log.headline += ", status " + std::to_string(a.status);
    std::vector<sxk::PickResult> results;
    for (const PickHit& hit : hits) {
        results.push_back(hit.result);
        log.details.push_back("result " + std::to_string(results.size()) + ": " + hit.description);
    }
    if (hits.empty())
        log.details.push_back("no results");
    shapeView->CompletePick(results, a.status);
    log.details.push_back("CompletePick(" + std::to_string(results.size()) + " results, status " +
                          std::to_string(a.status) + ")" +
                          (sxk::HostileViewer::IsOn(sxk::HostileViewer::PickDeliveredTwice)
                               ? ", delivered twice (pick-delivered-twice)"
                               : ""));
}

void Player::Preferences(const Action& a, ActionLog& log) {
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

void Player::UndoOrRedo(bool undo, ActionLog& log) {
    // The viewer does not undo under a drag that is still open.
    if (Busy()) {
        log.headline += ": ignored, a drag or its pick is still open";
        return;
    }
    const std::vector<std::string> names =
        undo ? controller.NewestUndoNames(1) : controller.NewestRedoNames(1);
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
