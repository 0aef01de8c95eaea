// The actions of the viewer itself rather than of the pointer on a handle: its behaviour, the
// selection, its own edits of a centre line, its camera, the markups it adds and removes, and its
// framework's move of the whole selection (Translate on every selected shadow at each step, Stop
// with one operation at the end).
#include "CameraMoves.h"
#include "Player.h"
#include "RecordState.h"
#include "SessionText.h"
#include "ViewerBehaviours.h"
#include "WindowShapes.h"

#include <sxk/HostileViewer.h>

#include <sxk/Operation.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <exception>

namespace replay {

namespace {

// The name under which the framework records a move of the whole selection.
const char* const kMoveOperation = "Move";

std::string ViewerText(const ViewerOptions& o) {
    static const char* const kControllers[] = {"applies", "snaps", "refuses"};
    static const char* const kPicks[] = {
        "picks are answered later", "picks are answered inside the request", "pick requests fail"};
    std::string text = std::string("the controller ") + kControllers[o.controller] + " a drag";
    if (o.controller == ViewerOptions::Snap)
        text += " to a grid of " + Format(o.grid);
    if (o.rebuild)
        text += " and rebuilds the shadows inside its stop";
    text += std::string("; ") + kPicks[o.picks];
    if (o.behaviours != 0)
        text += "; behaviours on: " + BehaviourNames(o.behaviours);
    return text;
}

}  // namespace

sxmk::MarkupShadow* Player::ShadowOf(const std::string& id, std::size_t view) const {
    if (const CenterLineEntry* e = scene.FindCenterLine(id))
        return e->shadows[view].shadow.get();
    if (const CalloutEntry* e = scene.FindCallout(id))
        return e->shadows[view].get();
    return nullptr;
}

std::optional<NodeHit> Player::PressOn(std::size_t view, const Action& a, const char* onNothing,
                                       ActionLog& log) {
    std::optional<NodeHit> hit = HitTest(scene, view, a.x, a.y);
    if (!hit) {
        log.headline += onNothing;
        return hit;
    }
    touched = hit->Id();
    SelectOnPress(touched, log);
    return hit;
}

void Player::SelectOnPress(const std::string& id, ActionLog& log) {
    if (std::find(selection.begin(), selection.end(), id) != selection.end())
        return;
    selection = {id};
    log.details.push_back("selection: " + id);
}

// The behaviours switched on replace the earlier ones; "rebuild" is the controller's rebuild
// behaviour, and a pick answered at once takes the ray cast's results either way.
void Player::Viewer(const ViewerOptions& options, ActionLog& log) {
    controller.SetOptions(options);
    unsigned behaviours = options.behaviours;
    if (options.rebuild)
        behaviours |= sxk::HostileViewer::ControllerRebuilds;
    const bool atOnce = options.picks == ViewerOptions::AtOnce ||
                        (behaviours & sxk::HostileViewer::PickAtOnce) != 0;
    for (SceneView& v : scene.views)
        if (sxk::ShapeView* view = v.shapeView) {
            view->pickAtOnce = atOnce;
            view->failPickRequests = options.picks == ViewerOptions::RefusePicks ? INT_MAX : 0;
        }
    sxk::HostileViewer::Set(behaviours);
    sxk::HostileViewer::Rebuild() = [this] { controller.RebuildStopping(); };
    sxk::HostileViewer::CallBack() = [this](sxk::Markup& notifying) { Notified(notifying); };
    log.headline += ": " + ViewerText(options);
}

// A viewer that reacts to a notification redraws the markup from its record: a notifying record
// gets all its shadows rebuilt, a notifying shadow itself (MarkupChanged), as an applied drag's
// are. A shadow whose drag or pick is still open is only read (its content), for the reason
// RebuildAppliedShadows waits: a rebuild would take away the node being dragged. Callouts are
// only read.
void Player::Notified(sxk::Markup& notifying) {
    for (CenterLineEntry& e : scene.centerLines) {
        if (e.record.get() == &notifying) {
            scene.RebuildShadows(e);
            ForgetHoverOn(e);
            ++notified[e.config.id + " rebuilt all its shadows"];
            return;
        }
        for (const LineShadow& line : e.shadows) {
            if (line.shadow.get() != &notifying)
                continue;
            const bool open = (driver && driver->IsDragging() && draggedShadow == &notifying) ||
                              movingMarkups || scene.PicksPending();
            if (open) {
                static_cast<void>(notifying.GetContent());
                ++notified[e.config.id + " shadow read (a drag or pick is open)"];
                return;
            }
            const du::SmartPtr<sxmk::CenterLineXYZShadow> held = line.shadow;
            held->MarkupChanged();
            scene.MapHandles(e);
            ForgetHoverOn(e);
            ++notified[e.config.id + " shadow rebuilt"];
            return;
        }
    }
    static_cast<void>(notifying.GetContent());
    ++notified["another markup read"];
}

void Player::ReportNotified(ActionLog& log) {
    for (const auto& [what, count] : notified)
        log.details.push_back("viewer, called back by a notification: " + what + " (" +
                              std::to_string(count) + (count == 1 ? " time)" : " times)"));
    notified.clear();
}

void Player::Select(const std::vector<std::string>& ids, ActionLog& log) {
    selection = ids;
    log.headline += ids.empty() ? ": nothing selected" : ": " + Join(ids);
}

// The viewer writes the record as it does for a new centre line (build, store, then the other
// setters), from the record's fields with the edit's in place; then it stores the edit's point
// list, if any, as it stands; then it rebuilds the markup's shadows.
void Player::Edit(const Action& a, ActionLog& log) {
    CenterLineEntry* e = scene.FindCenterLine(a.markup);
    if (!e) {
        log.headline += ": no centre line " + a.markup;
        return;
    }
    const CenterLineState before = CaptureCenterLine(*e);
    CenterLineInput line = e->config;
    line.start = before.startPoint;
    line.end = before.endPoint;
    line.alongAxis = before.alongAxis;
    line.startExtension = before.startExtension;
    line.endExtension = before.endExtension;
    line.ratio = before.ratio;
    line.partID = before.partID;
    line.attached = before.attached;
    ApplyEdit(a.edit, line);

    sxmk::CenterLineXYZ& record = *e->record;
    std::vector<dg::DPoint3D> list;
    record.SetDivRation(line.ratio);
    record.BuildPoints(line.start, line.end, line.alongAxis, line.startExtension, line.endExtension,
                       line.ratio, dg::Location(line.frame, {}), line.axisOrder.data(), list);
    StorePoints(*e, list);
    du::Symbol partID(line.partID);
    record.SetPartID(partID);
    record.SetEndPointAttached(line.attached);
    e->config.frame = line.frame;
    e->config.axisOrder = line.axisOrder;
    log.headline += ": " + e->config.id + " written by the viewer";
    log.details.push_back("BuildPoints, SetPoints (" + std::to_string(list.size()) +
                          " points), SetDivRation, SetPartID, SetEndPointAttached");
    if (a.edit.points) {
        // A list the record ignores leaves it with the list built above.
        const bool kept = StorePoints(*e, *a.edit.points);
        log.details.push_back("SetPoints (" + std::to_string(a.edit.points->size()) +
                              " points, as given)" + (kept ? "" : ": the record keeps its list"));
    }

    scene.RebuildShadows(*e);
    ForgetHoverOn(*e);
    log.details.push_back("viewer: " + e->config.id + " shadows rebuilt (MarkupChanged)");
    if (CaptureCenterLine(*e) != before)
        controller.RecordEdit(e->record.get(), before);
}

void Player::Camera(std::size_t view, const CameraMove& move, ActionLog& log) {
    scene.SetCamera(view, MoveCamera(scene.views[view].input, move));
    const ViewInput& v = scene.views[view].input;
    log.headline += v.shapeView ? ": eye " + Format(v.eye) + ", target " + Format(v.target)
                                : ": target " + Format(v.target);
    if (v.shapeView && !v.perspective)
        log.headline += ", width " + Format(v.parallelWidth);
    // Where the handles now lie, for whoever writes the next pointer actions.
    for (const CenterLineEntry& e : scene.centerLines) {
        std::string line = "handles of " + e.config.id + ":";
        for (const auto& [h, at] : HandlePixels(scene, e, view))
            line += " " + std::string(HandleKey(h)) + " " + Pixel(at);
        log.details.push_back(line);
    }
}

void Player::Add(const CenterLineInput& line, ActionLog& log) {
    if (scene.FindCenterLine(line.id)) {
        log.headline += ": " + line.id + " is in the scene already";
        return;
    }
    CenterLineEntry& e = scene.AddCenterLine(line);
    e.record->SetController(&controller);
    staleShadows.resize(scene.centerLines.size(), false);
    log.headline += ": " + line.id + " added, with a shadow in every view";
}

void Player::AddCallout(const LabelInput& callout, ActionLog& log) {
    if (scene.FindCallout(callout.id)) {
        log.headline += ": " + callout.id + " is in the scene already";
        return;
    }
    CalloutEntry& e = scene.AddCallout(callout);
    e.label->SetController(&controller);
    log.headline += ": callout " + callout.id + " added, with a shadow in every view";
    // Where its note lies, for whoever writes the next pointer actions.
    for (std::size_t v = 0; v < scene.views.size(); ++v)
        if (const auto box = CalloutBox(scene.views[v].projector, e, v))
            log.details.push_back(ViewPrefix(scene, v) + "callout " + callout.id + " " +
                                  AtPixel(box->anchor));
}

// The viewer ends what it is doing with the markup (a drag of it is released, a move of the
// selection goes on without it) before the markup leaves the scene.
void Player::Remove(const std::string& id, ActionLog& log) {
    if (const CenterLineEntry* e = scene.FindCenterLine(id)) {
        const std::size_t index = static_cast<std::size_t>(e - scene.centerLines.data());
        std::vector<const sxmk::MarkupShadow*> shadows;
        for (const LineShadow& line : e->shadows)
            shadows.push_back(line.shadow.get());
        LetGoOf(id, shadows, log);
        controller.ForgetCenterLine(index);
        if (index < staleShadows.size())
            staleShadows.erase(staleShadows.begin() + static_cast<std::ptrdiff_t>(index));
        e->record->SetController(nullptr);
        scene.RemoveCenterLine(index);
        log.headline += ": " + id + " removed (OnRemovedFromHolder), its shadows let go";
        return;
    }
    if (const CalloutEntry* e = scene.FindCallout(id)) {
        const std::size_t index = static_cast<std::size_t>(e - scene.callouts.data());
        std::vector<const sxmk::MarkupShadow*> shadows;
        for (const du::SmartPtr<sxmk::CalloutLabelShadow>& shadow : e->shadows)
            shadows.push_back(shadow.get());
        LetGoOf(id, shadows, log);
        controller.ForgetCallout(index);
        e->label->SetController(nullptr);
        scene.RemoveCallout(index);
        log.headline += ": callout " + id + " removed (OnRemovedFromHolder), its shadows let go";
        return;
    }
    log.headline += ": no centre line or callout " + id;
}

void Player::LetGoOf(const std::string& id, const std::vector<const sxmk::MarkupShadow*>& shadows,
                     ActionLog& log) {
    const auto holds = [&shadows](const sxmk::MarkupShadow* shadow) {
        return std::find(shadows.begin(), shadows.end(), shadow) != shadows.end();
    };
    const auto held = [&holds](const du::SmartPtr<sxmk::MarkupShadow>& s) {
        return holds(s.get());
    };
    if (driver && driver->IsDragging() && holds(draggedShadow)) {
        log.details.push_back("the drag of " + id + " is released first");
        try {
            driver->Release();
        } catch (const std::exception& failure) {
            log.details.push_back(std::string("the release threw at the viewer: ") +
                                  failure.what());
        }
        driver.reset();
        draggedShadow->broadcastTargets.clear();
        draggedShadow = nullptr;
        pointer.dragging = false;
    }
    if (draggedShadow) {
        std::vector<du::SmartPtr<sxmk::MarkupShadow>>& targets = draggedShadow->broadcastTargets;
        targets.erase(std::remove_if(targets.begin(), targets.end(), held), targets.end());
    }
    moving.erase(std::remove_if(moving.begin(), moving.end(), held), moving.end());
    if (holds(hoveredShadow)) {
        hoveredShadow = nullptr;
        hoveredNode = nullptr;
    }
    selection.erase(std::remove(selection.begin(), selection.end(), id), selection.end());
}

void Player::GrabMarkup(const Action& a, ActionLog& log) {
    const std::size_t view = ViewOf(a);
    const std::optional<NodeHit> hit = PressOn(view, a, ": on nothing, no move", log);
    if (!hit)
        return;
    moving.clear();
    for (const std::string& id : selection)
        if (sxmk::MarkupShadow* shadow = ShadowOf(id, view)) {
            moving.emplace_back(shadow);
            controller.BeginDrag(shadow->MarkupOfShadow().get());
        }
    moveAnchor = sxmk::DragDriver(*hit->Shadow()).WorldPositionOf(*hit->node);
    moveDelta = dg::DVec3::ZERO;
    movingMarkups = true;
    dragView = view;
    pointer.dragging = true;
    log.headline += ": grabbed the whole of " + touched + ", moving " + Join(selection);
}

void Player::MoveMarkups(ActionLog& log) {
    moveDelta =
        sxmk::DragDriver::PointerDisplacement(*scene.views[dragView].view, moveAnchor,
                                              pointer.startX, pointer.startY, pointer.x, pointer.y);
    // A copy: a shadow's answer may reach the viewer, which may change the selection meanwhile.
    const std::vector<du::SmartPtr<sxmk::MarkupShadow>> targets = moving;
    for (const du::SmartPtr<sxmk::MarkupShadow>& shadow : targets)
        sxmk::DragDriver(*shadow).Translate(moveDelta);
    log.headline += ": markups moved";
    log.details.push_back("Translate " + Format(moveDelta) + " on " +
                          std::to_string(targets.size()) + " shadows");
}

void Player::StopMarkups(ActionLog& log) {
    movingMarkups = false;
    pointer.dragging = false;
    const std::vector<du::SmartPtr<sxmk::MarkupShadow>> targets = std::move(moving);
    moving.clear();
    const du::SmartPtr<sxk::Operation> operation(
        new sxk::Operation(kMoveOperation, scene.views[dragView].view->GetScene(), true));
    log.headline += ": move stopped";
    log.details.push_back("Stop " + Format(moveDelta) + ", operation " + Quote(kMoveOperation) +
                          ", on " + std::to_string(targets.size()) + " shadows");
    controller.SetMarkupMove(moveDelta);
    struct Over {
        UndoController& controller;
        ~Over() { controller.SetMarkupMove(std::nullopt); }
    } over{controller};
    for (const du::SmartPtr<sxmk::MarkupShadow>& shadow : targets)
        sxmk::DragDriver(*shadow).Stop(moveDelta, operation);
    const std::vector<du::SmartPtr<sxk::Operation>>& history = sxk::RecordedOperations();
    if (history.empty() || history.back() != operation)
        sxk::RecordOperation(operation);
}

}  // namespace replay
