#include "UndoController.h"

#include <sxk/HostileViewer.h>

#include <algorithm>
#include <cmath>
#include <utility>

namespace replay {

namespace {

// Name of an undo entry whose drag came without an operation, and of the viewer's own edits.
const char* const kUnnamedEdit = "Edit";

double SnapTo(double v, double step) {
    return std::round(v / step) * step;
}

}  // namespace

UndoController::UndoController(ReplayScene& replayScene) : scene(replayScene) {}

std::optional<UndoController::Target> UndoController::Find(const sxk::Markup* markup) const {
    for (std::size_t i = 0; i < scene.centerLines.size(); ++i)
        if (scene.centerLines[i].record.get() == markup)
            return Target{false, i};
    for (std::size_t i = 0; i < scene.callouts.size(); ++i)
        if (scene.callouts[i].label.get() == markup)
            return Target{true, i};
    return std::nullopt;
}

std::string UndoController::IdOf(const Target& t) const {
    return t.callout ? scene.callouts[t.index].config.id : scene.centerLines[t.index].config.id;
}

UndoController::Snapshot UndoController::Capture(const Target& t) const {
    Snapshot s;
    s.target = t;
    if (t.callout)
        s.callout = CaptureCallout(scene.callouts[t.index]);
    else
        s.line = CaptureCenterLine(scene.centerLines[t.index]);
    return s;
}

void UndoController::Restore(const Snapshot& s) {
    if (s.target.callout)
        RestoreCallout(scene.callouts[s.target.index], s.callout);
    else
        RestoreCenterLine(scene, scene.centerLines[s.target.index], s.line);
}

void UndoController::BeginDrag(const sxk::Markup* markup) {
    const std::optional<Target> t = Find(markup);
    if (!t)
        return;
    // A drop still waiting for its pick keeps its snapshot: the new drag finishes that drop
    // before it changes anything (HandleDragStart), and its own snapshot is taken again then.
    bool dropPending = false;
    dragStarts.erase(std::remove_if(dragStarts.begin(), dragStarts.end(),
                                    [&](const DragStart& s) {
                                        if (!(s.state.target == *t))
                                            return false;
                                        dropPending = dropPending || s.dropPending;
                                        return !s.dropPending;
                                    }),
                     dragStarts.end());
    dragStarts.push_back(DragStart{Capture(*t), false, dropPending});
}

void UndoController::AwaitDrop(const sxk::Markup* markup) {
    const std::optional<Target> t = Find(markup);
    for (auto it = dragStarts.rbegin(); t && it != dragStarts.rend(); ++it)
        if (it->state.target == *t) {
            it->dropPending = true;
            return;
        }
}

bool UndoController::HandleShadowStop(const du::SmartPtr<sxk::Markup>& markup,
                                      const du::SmartPtr<sxk::Markup>& shadow,
                                      const du::SmartPtr<sxk::Operation>& operation) {
    ++calls;
    stopped.push_back(markup.get());
    const std::optional<Target> t = Find(markup.get());
    if (!t) {
        notes.push_back("controller: a markup the scene does not hold; nothing applied");
        return false;
    }
    Change change;
    change.before = TakeDragStart(*t);
    const std::string stop =
        "controller: " + IdOf(*t) + " HandleShadowStop(" +
        (operation ? "operation \"" + operation->GetName() + "\"" : std::string("no operation")) +
        "): ";
    bool changed = false;
    if (options.controller == ViewerOptions::Refuse) {
        notes.push_back(stop + "refused, nothing applied");
        // The viewer draws the refused markup as it is stored.
        if (!t->callout)
            appliedLines.push_back(t->index);
    } else {
        changed = t->callout ? ApplyCallout(t->index, shadow, stop)
                             : ApplyCenterLine(t->index, shadow, operation, stop);
    }
    // A newer drag of the markup is starting: what this drop left is where that drag begins.
    for (DragStart& s : dragStarts)
        if (s.state.target == *t && s.retakeAtStop) {
            s.state = Capture(*t);
            s.retakeAtStop = false;
            change.after = s.state;
            change.afterTaken = true;
        }
    // What the viewer does at the end of its stop, as its behaviours say (a controller that
    // rebuilds calls RebuildStopping through the hook).
    const std::optional<std::size_t> outer = stoppingLine;
    stoppingLine = t->callout ? std::nullopt : std::optional<std::size_t>(t->index);
    sxk::HostileViewer::AfterShadowStop();
    stoppingLine = outer;
    if (options.controller == ViewerOptions::Refuse)
        return false;
    // The stops of one operation make one entry.
    const auto joined = std::find_if(pending.begin(), pending.end(), [&](const Entry& e) {
        return operation && e.operation == operation;
    });
    if (joined != pending.end()) {
        joined->changes.push_back(change);
    } else {
        Entry entry;
        entry.hasOperation = static_cast<bool>(operation);
        entry.name = operation ? operation->GetName() : kUnnamedEdit;
        entry.operation = operation;
        entry.changes.push_back(change);
        pending.push_back(entry);
    }
    return changed;
}

void UndoController::RebuildStopping() {
    if (!stoppingLine || *stoppingLine >= scene.centerLines.size())
        return;
    CenterLineEntry& e = scene.centerLines[*stoppingLine];
    scene.RebuildShadows(e);
    notes.push_back("controller: " + e.config.id +
                    " shadows rebuilt from its record inside HandleShadowStop");
}

void UndoController::RecordEdit(const sxk::Markup* markup, const CenterLineState& before) {
    const std::optional<Target> t = Find(markup);
    if (!t)
        return;
    Entry entry;
    entry.name = kUnnamedEdit;
    Change change;
    change.before.target = *t;
    change.before.line = before;
    entry.changes.push_back(change);
    pending.push_back(entry);
    // A drag of the markup still open (or its drop) began before the edit, which is undone on its
    // own: undoing the drag returns to the state the edit left.
    for (DragStart& s : dragStarts)
        if (s.state.target == *t)
            s.state = Capture(*t);
}

void UndoController::ForgetCenterLine(std::size_t index) {
    Forget(Target{false, index});
}

void UndoController::ForgetCallout(std::size_t index) {
    Forget(Target{true, index});
}

void UndoController::Forget(const Target& removed) {
    // True when the target was the removed markup; a later one of its kind moves up.
    const auto gone = [&removed](Target& t) {
        if (t.callout != removed.callout || t.index < removed.index)
            return false;
        if (t.index == removed.index)
            return true;
        --t.index;
        return false;
    };
    dragStarts.erase(std::remove_if(dragStarts.begin(), dragStarts.end(),
                                    [&](DragStart& s) { return gone(s.state.target); }),
                     dragStarts.end());
    for (std::vector<Entry>* stack : {&pending, &undoStack, &redoStack}) {
        for (Entry& entry : *stack)
            entry.changes.erase(std::remove_if(entry.changes.begin(), entry.changes.end(),
                                               [&](Change& c) {
                                                   gone(c.after.target);
                                                   return gone(c.before.target);
                                               }),
                                entry.changes.end());
        stack->erase(std::remove_if(stack->begin(), stack->end(),
                                    [](const Entry& e) { return e.changes.empty(); }),
                     stack->end());
    }
    if (removed.callout)
        return;
    std::vector<std::size_t> kept;
    for (const std::size_t i : appliedLines)
        if (i != removed.index)
            kept.push_back(i > removed.index ? i - 1 : i);
    appliedLines.swap(kept);
}

// What undo returns to: the oldest start of the markup's drags (a drop that waited for its pick
// before a newer drag), or, for a stop without a drag of ours (a broadcast, say), the state found
// now. The start of a drop is used up by its stop.
UndoController::Snapshot UndoController::TakeDragStart(const Target& t) {
    const auto start = std::find_if(dragStarts.begin(), dragStarts.end(),
                                    [&](const DragStart& s) { return s.state.target == t; });
    if (start == dragStarts.end())
        return Capture(t);
    Snapshot state = start->state;
    if (start->dropPending)
        dragStarts.erase(start);
    return state;
}

// The callout's note moves to where the shadow put it. The callout shadow records its operation
// itself, after this call.
bool UndoController::ApplyCallout(std::size_t index, const du::SmartPtr<sxk::Markup>& shadow,
                                  const std::string& stop) {
    CalloutEntry& e = scene.callouts[index];
    const auto* calloutShadow = dynamic_cast<const sxmk::CalloutLabelShadow*>(shadow.get());
    if (!calloutShadow || !e.label->note) {
        notes.push_back(stop + "no callout shadow or note, nothing applied");
        return false;
    }
    const dg::DPoint3D before = e.label->GetPos();
    dg::DPoint3D to = calloutShadow->GetPos();
    std::string snapped;
    if (options.controller == ViewerOptions::Snap && to != before) {
        // A drop lands on the grid; a move of the whole selection moves by a step of it.
        const dg::DPoint3D from = to;
        const dg::DPoint3D base = markupMove ? before : dg::DPoint3D::ORIGIN;
        to = dg::DPoint3D(base.x + SnapTo(from.x - base.x, options.grid),
                          base.y + SnapTo(from.y - base.y, options.grid),
                          base.z + SnapTo(from.z - base.z, options.grid));
        snapped = " (dropped at " + Format(from) + ", snapped to the grid)";
    }
    e.label->note->location.SetPos(to);
    notes.push_back(stop + "label moved to " + Format(e.label->GetPos()) + snapped);
    return before != e.label->GetPos();
}

// The record stores the shadow's points. The centre-line shadow leaves the recording of its
// operation to the controller.
bool UndoController::ApplyCenterLine(std::size_t index, const du::SmartPtr<sxk::Markup>& shadow,
                                     const du::SmartPtr<sxk::Operation>& operation,
                                     const std::string& stop) {
    CenterLineEntry& e = scene.centerLines[index];
    auto* lineShadow = dynamic_cast<sxmk::CenterLineXYZShadow*>(shadow.get());
    std::string what;
    std::vector<dg::DPoint3D> points;
    if (markupMove && lineShadow) {
        // The whole line moves: a snapping controller snaps the displacement, keeping its shape.
        dg::DVec3 d;
        lineShadow->GetDeltaInObjectSpace(d, *markupMove);
        if (options.controller == ViewerOptions::Snap)
            d = dg::DVec3(SnapTo(d.x, options.grid), SnapTo(d.y, options.grid),
                          SnapTo(d.z, options.grid));
        points = *e.record->GetPoints();
        for (dg::DPoint3D& p : points)
            p = p + d;
        what = " (the record's, moved by " + Format(d) + ")";
    } else if (lineShadow) {
        points = Snapped(e, lineShadow->GetPoints(), what);
    }
    const bool changed = StorePoints(e, points);
    if (changed) {
        appliedLines.push_back(index);
        what = "stored " + (markupMove ? std::string() : std::string("the shadow's ")) +
               std::to_string(points.size()) + " points" + what;
    } else {
        what = "the shadow gave " + std::to_string(points.size()) + " points, nothing applied";
    }
    if (lineShadow) {
        const du::SmartPtr<sxk::Markup> target = lineShadow->GetConnectionTarget();
        const std::string* targetId = target ? scene.IdOf(target.get()) : nullptr;
        what += "; start item " + DescribeItem(lineShadow->GetStartPointItem()) + ", end item " +
                DescribeItem(lineShadow->GetEndPointItem()) + ", connection " +
                (target ? (targetId ? *targetId : std::string("?")) : std::string("none"));
    }
    notes.push_back(stop + what);
    Record(operation);
    return changed;
}

std::vector<dg::DPoint3D> UndoController::Snapped(const CenterLineEntry& e,
                                                  std::vector<dg::DPoint3D> points,
                                                  std::string& note) const {
    if (options.controller != ViewerOptions::Snap)
        return points;
    const std::vector<dg::DPoint3D>& stored = *e.record->GetPoints();
    int moved = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (i < stored.size() && points[i] == stored[i])
            continue;
        dg::DPoint3D& p = points[i];
        p = dg::DPoint3D(SnapTo(p.x, options.grid), SnapTo(p.y, options.grid),
                         SnapTo(p.z, options.grid));
        ++moved;
    }
    if (moved > 0)
        note += ", " + std::to_string(moved) + " of them snapped to the grid (" +
                Format(options.grid) + ")";
    return points;
}

// Stops of one operation (a broadcast, the move of a selection) reach the controller one by one;
// the history gets the operation once.
void UndoController::Record(const du::SmartPtr<sxk::Operation>& operation) {
    if (!operation)
        return;
    const std::vector<du::SmartPtr<sxk::Operation>>& history = sxk::RecordedOperations();
    if (!history.empty() && history.back() == operation)
        return;
    sxk::RecordOperation(operation);
}

void UndoController::SettleAction() {
    for (Entry& entry : pending) {
        if (entry.operation)
            entry.name = entry.operation->GetName();
        bool same = true;
        std::string ids;
        for (Change& change : entry.changes) {
            if (!change.afterTaken)
                change.after = Capture(change.before.target);
            const Snapshot& a = change.before;
            const Snapshot& b = change.after;
            same = same && (a.target.callout ? a.callout == b.callout : a.line == b.line);
            ids += (ids.empty() ? "" : ", ") + IdOf(a.target);
        }
        // A drag handed over without an operation that left the markup as it was (a point that
        // sprang back) is no step to undo; one that changed it still is.
        if (!entry.hasOperation && same) {
            notes.push_back("undo: " + ids + " is as before the drag; no undo entry");
            continue;
        }
        notes.push_back("undo entry \"" + entry.name + "\" for " + ids +
                        (entry.hasOperation ? "" : " (the drag came without an operation)"));
        entry.operation.reset();
        undoStack.push_back(std::move(entry));
        redoStack.clear();
    }
    pending.clear();
}

bool UndoController::Undo() {
    return Step(undoStack, redoStack, true);
}

bool UndoController::Redo() {
    return Step(redoStack, undoStack, false);
}

// Moves the newest entry of one stack onto the other, its markup restored to the state before
// its drag (undo) or after it (redo).
bool UndoController::Step(std::vector<Entry>& from, std::vector<Entry>& to, bool undo) {
    if (from.empty())
        return false;
    Entry entry = std::move(from.back());
    from.pop_back();
    // Undo puts the markups back newest first, redo oldest first.
    const std::size_t n = entry.changes.size();
    for (std::size_t k = 0; k < n; ++k) {
        const Change& change = entry.changes[undo ? n - 1 - k : k];
        const Snapshot& state = undo ? change.before : change.after;
        Restore(state);
        notes.push_back(std::string(undo ? "undo" : "redo") + " \"" + entry.name +
                        "\": " + IdOf(state.target) + " restored to its state " +
                        (undo ? "before" : "after") + " the drag");
    }
    to.push_back(std::move(entry));
    return true;
}

std::vector<std::size_t> UndoController::TakeAppliedLines() {
    std::vector<std::size_t> out;
    out.swap(appliedLines);
    return out;
}

int UndoController::StopsFor(const sxk::Markup* markup) const {
    return static_cast<int>(std::count(stopped.begin(), stopped.end(), markup));
}

std::vector<std::string> UndoController::Names(const std::vector<Entry>& stack, std::size_t count) {
    std::vector<std::string> names;
    const std::size_t first = stack.size() - std::min(count, stack.size());
    names.reserve(stack.size() - first);
    for (std::size_t i = first; i < stack.size(); ++i)
        names.push_back(stack[i].name);
    return names;
}

std::vector<std::string> UndoController::UndoNames() const {
    return Names(undoStack, undoStack.size());
}

std::vector<std::string> UndoController::RedoNames() const {
    return Names(redoStack, redoStack.size());
}

std::vector<std::string> UndoController::NewestUndoNames(std::size_t count) const {
    return Names(undoStack, count);
}

std::vector<std::string> UndoController::NewestRedoNames(std::size_t count) const {
    return Names(redoStack, count);
}

std::vector<std::string> UndoController::TakeNotes() {
    std::vector<std::string> out;
    out.swap(notes);
    return out;
}

}  // namespace replay
