#include "StepRecorder.h"

#include "ExpectationFields.h"
#include "SessionText.h"
#include "WindowShapes.h"

#include <sxk/Operation.h>

#include <algorithm>
#include <cmath>

namespace replay {

namespace {

std::string ShadowName(std::size_t view) {
    return view == 0 ? " shadow" : " shadow in view " + std::to_string(view + 1);
}

// Notification counts of every markup and shadow, by a readable name.
std::map<std::string, int> Notifications(const ReplayScene& scene) {
    std::map<std::string, int> counts;
    for (const CenterLineEntry& e : scene.centerLines) {
        counts[e.config.id + " record"] = e.record->contentChangedCount;
        for (std::size_t v = 0; v < e.shadows.size(); ++v)
            counts[e.config.id + ShadowName(v)] = e.shadows[v].shadow->contentChangedCount;
    }
    for (const CalloutEntry& e : scene.callouts) {
        counts[e.config.id + " label"] = e.label->contentChangedCount;
        for (std::size_t v = 0; v < e.shadows.size(); ++v)
            counts[e.config.id + ShadowName(v)] = e.shadows[v]->contentChangedCount;
    }
    for (const LabelEntry& e : scene.labels)
        counts[e.config.id + " label"] = e.label->contentChangedCount;
    return counts;
}

// The cursor of each window: "move", or "move | " with two views.
std::string Cursor(const ReplayScene& scene) {
    std::string cursors;
    for (std::size_t v = 0; v < scene.views.size(); ++v) {
        const sxk::Window* window = scene.views[v].Window();
        cursors += (v > 0 ? " | " : "") + (window ? window->currentCursor.str() : std::string());
    }
    return cursors;
}

std::string ChangedWithoutController(const std::string& id) {
    return "note: " + id + " changed without reaching the controller; nothing can undo it";
}

std::vector<std::string> Changes(const std::string& id, FieldOwner owner,
                                 const RecordValues& before, const RecordValues& after) {
    std::vector<std::string> out;
    // The stored list first: the record's other fields derive from it.
    for (const bool list : {true, false})
        for (const ExpectationField& field : ExpectationFields())
            if (field.owner == owner && field.changes && field.storedList == list)
                field.changes(id, before, after, out);
    return out;
}

}  // namespace

std::vector<std::string> DescribeChanges(const std::string& id, const CenterLineState& before,
                                         const CenterLineState& after) {
    return Changes(id, FieldOwner::CenterLine, RecordValues{&before, nullptr},
                   RecordValues{&after, nullptr});
}

std::vector<std::string> DescribeChanges(const std::string& id, const CalloutState& before,
                                         const CalloutState& after) {
    return Changes(id, FieldOwner::Callout, RecordValues{nullptr, &before},
                   RecordValues{nullptr, &after});
}

StepRecorder::StepRecorder(const ReplayScene& replayScene, const UndoController& undoController)
    : scene(replayScene),
      controller(undoController),
      settled(CaptureAll(replayScene)),
      settledStops(replayScene.centerLines.size() + replayScene.callouts.size(), 0) {}

StepRecorder::States StepRecorder::CaptureAll(const ReplayScene& scene) {
    States s;
    for (const CenterLineEntry& e : scene.centerLines)
        s.lines.push_back(CaptureCenterLine(e));
    for (const CalloutEntry& e : scene.callouts)
        s.callouts.push_back(CaptureCallout(e));
    return s;
}

void StepRecorder::Begin() {
    before = CaptureAll(scene);
    notifiedBefore = Notifications(scene);
    recordedBefore = sxk::RecordedOperations().size();
    cursorBefore = Cursor(scene);
    warningsBefore = scene.warnings.size();
}

void StepRecorder::Report(ActionLog& log) const {
    const auto& history = sxk::RecordedOperations();
    for (std::size_t i = recordedBefore; i < history.size(); ++i)
        log.details.push_back("operation recorded: " +
                              Quote(history[i] ? history[i]->GetName() : std::string("(null)")));
    const States after = CaptureAll(scene);
    // A markup added or removed: the headline says so, the others of its kind are not compared
    // by place.
    for (std::size_t i = 0; before.lines.size() == after.lines.size() && i < after.lines.size();
         ++i)
        for (std::string& line :
             DescribeChanges(scene.centerLines[i].config.id, before.lines[i], after.lines[i]))
            log.details.push_back(std::move(line));
    for (std::size_t i = 0;
         before.callouts.size() == after.callouts.size() && i < after.callouts.size(); ++i)
        for (std::string& line :
             DescribeChanges(scene.callouts[i].config.id, before.callouts[i], after.callouts[i]))
            log.details.push_back(std::move(line));
    std::string notified;
    for (const auto& [name, count] : Notifications(scene)) {
        const auto was = notifiedBefore.find(name);  // a shadow added meanwhile: none before
        const int delta = was == notifiedBefore.end() ? 0 : count - was->second;
        if (delta != 0)
            notified += (notified.empty() ? "" : ", ") + name + " +" + std::to_string(delta);
    }
    if (!notified.empty())
        log.details.push_back("content changed: " + notified);
    const std::string cursorAfter = Cursor(scene);
    if (cursorAfter != cursorBefore)
        log.details.push_back("cursor: " + (cursorAfter.empty() ? "default" : cursorAfter));
    for (std::size_t i = warningsBefore; i < scene.warnings.size(); ++i)
        log.details.push_back("warning: " + scene.warnings[i]);
}

void StepRecorder::NoteSilentChanges(ActionLog& log, bool byViewer, bool busy) {
    // The viewer's edit during a drag is taken as settled, so that the drag's end does not
    // mistake it for a change behind the controller's back.
    if (busy && !byViewer)
        return;
    // A markup added or removed: what was settled is taken again as it stands.
    if (settled.lines.size() != scene.centerLines.size() ||
        settled.callouts.size() != scene.callouts.size()) {
        settled = CaptureAll(scene);
        settledStops.clear();
        for (const CenterLineEntry& e : scene.centerLines)
            settledStops.push_back(controller.StopsFor(e.record.get()));
        for (const CalloutEntry& e : scene.callouts)
            settledStops.push_back(controller.StopsFor(e.label.get()));
        drawnMismatch.clear();
        return;
    }
    for (std::size_t i = 0; i < scene.centerLines.size(); ++i) {
        const CenterLineEntry& e = scene.centerLines[i];
        const CenterLineState now = CaptureCenterLine(e);
        const int stops = controller.StopsFor(e.record.get());
        if (!byViewer && now != settled.lines[i] && stops == settledStops[i])
            log.details.push_back(ChangedWithoutController(e.config.id));
        settled.lines[i] = now;
        settledStops[i] = stops;
        if (!busy)
            NoteDrawnMismatch(i, now, log);
    }
    for (std::size_t i = 0; i < scene.callouts.size(); ++i) {
        const CalloutEntry& e = scene.callouts[i];
        const CalloutState now = CaptureCallout(e);
        const std::size_t k = scene.centerLines.size() + i;
        const int stops = controller.StopsFor(e.label.get());
        if (!byViewer && now != settled.callouts[i] && stops == settledStops[k])
            log.details.push_back(ChangedWithoutController(e.config.id));
        settled.callouts[i] = now;
        settledStops[k] = stops;
    }
}

// Said once per new mismatch: a line drawn the same wrong way step after step is one note.
void StepRecorder::NoteDrawnMismatch(std::size_t line, const CenterLineState& now, ActionLog& log) {
    const CenterLineEntry& e = scene.centerLines[line];
    const std::size_t views = e.shadows.size();
    drawnMismatch.resize(scene.centerLines.size() * views);
    for (std::size_t v = 0; v < views; ++v) {
        // Single-precision extensions make a rebuilt point differ in its last digits.
        const sxmu::ModelLineStrip* strip = LineStripOf(e.shadows[v]);
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
                : "note: " + ViewPrefix(scene, v) + e.config.id +
                      " is drawn through other points than its record stores (index " + where + ")";
        std::string& said = drawnMismatch[line * views + v];
        if (!note.empty() && note != said)
            log.details.push_back(note);
        said = note;
    }
}

}  // namespace replay
