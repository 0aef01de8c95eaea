#include "LiveSession.h"

#include <algorithm>
#include <cmath>

namespace replay {

namespace {

Scenario WithoutActions(const Scenario& scenario) {
    Scenario s = scenario;
    s.actions.clear();
    return s;
}

bool Finite(const dg::DPoint3D& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

double Largest(const dg::DPoint3D& p) {
    return std::max({std::fabs(p.x), std::fabs(p.y), std::fabs(p.z)});
}

}  // namespace

LiveSession::LiveSession(const Scenario& scenario)
    : scene(WithoutActions(scenario)), script(scenario.actions), session(scene) {
    for (const CenterLineEntry& e : session.Scene().centerLines)
        linesAtExpect.push_back(CaptureCenterLine(e));
    for (const CalloutEntry& e : session.Scene().callouts)
        calloutsAtExpect.push_back(CaptureCallout(e));
}

const ActionLog& LiveSession::Play(const Action& action) {
    return PlayAndKeep(action, true);
}

const ActionLog& LiveSession::PlayScripted(std::size_t index) {
    return PlayAndKeep(script.at(index), false);
}

const ActionLog& LiveSession::PlayAndKeep(const Action& action, bool addExpectations) {
    const std::size_t undoBefore = session.Controller().UndoNames().size();
    const std::size_t redoBefore = session.Controller().RedoNames().size();
    const ActionLog& log = session.Play(action);
    Keep(action);
    if (action.kind == Action::Press && session.GetPointer().dragging)
        dragSinceExpect = true;
    const bool stacksMoved = (action.kind == Action::Undo || action.kind == Action::Redo) &&
                             (session.Controller().UndoNames().size() != undoBefore ||
                              session.Controller().RedoNames().size() != redoBefore);
    if (addExpectations && (dragSinceExpect || stacksMoved) && !session.Busy()) {
        Keep(StateExpectation());
        dragSinceExpect = false;
    }
    return log;
}

void LiveSession::Keep(const Action& action) {
    if (action.kind == Action::Hover) {
        heldHover = action;
        return;
    }
    if (heldHover) {
        KeepWritten(WriteAction(*heldHover));
        heldHover.reset();
    }
    KeepWritten(WriteAction(action));
}

void LiveSession::KeepWritten(const std::string& action) {
    kept += action;
    kept += '\n';
    ++keptCount;
}

// Session-wide: operations and both stacks. Per markup changed since the last expectation: the
// fields its record answers. A field that is not finite cannot be written and is left out.
Action LiveSession::StateExpectation() {
    Action a;
    a.kind = Action::Expect;
    a.comment = "state after the drag";
    a.expect.operations = session.OperationNames();
    a.expect.undo = session.Controller().UndoNames();
    a.expect.redo = session.Controller().RedoNames();
    a.expect.pendingPicks = 0;
    // The checks of one expect action name one markup: the first changed markup goes into
    // this one; each further changed markup gets an expect action of its own.
    std::vector<Action> more;
    auto target = [&](const std::string& id) -> Expectation& {
        if (a.expect.markup.empty()) {
            a.expect.markup = id;
            return a.expect;
        }
        Action extra;
        extra.kind = Action::Expect;
        extra.expect.markup = id;
        more.push_back(extra);
        return more.back().expect;
    };
    ReplayScene& s = session.Scene();
    for (std::size_t i = 0; i < s.centerLines.size(); ++i) {
        const CenterLineState now = CaptureCenterLine(s.centerLines[i]);
        if (now == linesAtExpect[i])
            continue;
        linesAtExpect[i] = now;
        Expectation& e = target(s.centerLines[i].config.id);
        double scale = 1.0;
        if (Finite(now.startPoint)) {
            e.startPoint = now.startPoint;
            scale = std::max(scale, Largest(now.startPoint));
        }
        if (Finite(now.endPoint)) {
            e.endPoint = now.endPoint;
            scale = std::max(scale, Largest(now.endPoint));
        }
        for (auto [field, value] : {std::pair{&e.startExtension, now.startExtension},
                                    {&e.endExtension, now.endExtension},
                                    {&e.ratio, now.ratio}})
            if (std::isfinite(value)) {
                *field = value;
                scale = std::max(scale, std::fabs(static_cast<double>(value)));
            }
        e.alongAxis = now.alongAxis;
        e.attached = now.attached;
        e.partID = now.partID;
        if (std::all_of(now.points.begin(), now.points.end(), Finite)) {
            e.points = now.points;
            for (const dg::DPoint3D& p : now.points)
                scale = std::max(scale, Largest(p));
        }
        // The same build reproduces the values exactly; another compiler or libm may differ in
        // the last bits, relative to the size of the numbers (extensions are single precision).
        e.tolerance = 1e-6 * scale;
    }
    for (std::size_t i = 0; i < s.callouts.size(); ++i) {
        const CalloutState now = CaptureCallout(s.callouts[i]);
        if (now == calloutsAtExpect[i])
            continue;
        calloutsAtExpect[i] = now;
        if (!Finite(now.position))
            continue;
        Expectation& e = target(s.callouts[i].config.id);
        e.position = now.position;
        e.tolerance = 1e-6 * std::max(1.0, Largest(now.position));
    }
    for (const Action& extra : more)
        KeepWritten(WriteAction(extra));
    return a;
}

std::string LiveSession::Export() const {
    std::vector<std::string> actions;
    actions.reserve(KeptActions());
    for (std::size_t at = 0, end; (end = kept.find('\n', at)) != std::string::npos; at = end + 1)
        actions.push_back(kept.substr(at, end - at));
    if (heldHover)
        actions.push_back(WriteAction(*heldHover));
    return WriteScenario(scene, actions);
}

}  // namespace replay
