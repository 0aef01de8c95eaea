#include "LiveSession.h"

#include "ExpectationFields.h"

#include <optional>
#include <utility>

namespace replay {

namespace {

Scenario WithoutActions(const Scenario& scenario) {
    Scenario s = scenario;
    s.actions.clear();
    return s;
}

// The checks of a markup's record fields as the record holds them now; none when no field can be
// written (a value that is not finite is left out).
std::optional<Expectation> RecordExpectation(const std::string& id, FieldOwner owner,
                                             const RecordValues& now) {
    Expectation e;
    e.markup = id;
    double scale = 1.0;
    bool any = false;
    for (const ExpectationField& field : ExpectationFields())
        if (field.owner == owner && field.fromRecord && field.fromRecord(now, e, scale))
            any = true;
    if (!any)
        return std::nullopt;
    // The same build reproduces the values exactly; another compiler or libm may differ in the
    // last bits, relative to the size of the numbers (extensions are single precision).
    e.tolerance = 1e-6 * scale;
    return e;
}

RecordValues ValuesOf(const CenterLineState& state) {
    return {&state, nullptr};
}

RecordValues ValuesOf(const CalloutState& state) {
    return {nullptr, &state};
}

// The markups of one kind that changed since the last expectation, as expectations of their
// record fields; what they are now is kept for the next one.
template <typename Entry, typename State>
void AddChanged(const std::vector<Entry>& entries, std::vector<State>& atExpect,
                State (*capture)(const Entry&), FieldOwner owner,
                std::vector<Expectation>& changed) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const State now = capture(entries[i]);
        if (now == atExpect[i])
            continue;
        atExpect[i] = now;
        if (auto e = RecordExpectation(entries[i].config.id, owner, ValuesOf(now)))
            changed.push_back(std::move(*e));
    }
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
    const std::size_t undoBefore = session.Controller().UndoCount();
    const std::size_t redoBefore = session.Controller().RedoCount();
    const ActionLog& log = session.Play(action);
    Keep(action);
    // A drag, a move of the selection or the viewer's own edit changes markups: the state it
    // leaves is kept as an expectation once nothing is open.
    if ((action.kind == Action::Press && session.GetPointer().dragging) ||
        action.kind == Action::Edit || action.kind == Action::Add || action.kind == Action::Remove)
        dragSinceExpect = true;
    const bool stacksMoved = (action.kind == Action::Undo || action.kind == Action::Redo) &&
                             (session.Controller().UndoCount() != undoBefore ||
                              session.Controller().RedoCount() != redoBefore);
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
// record fields of the fields' table.
Action LiveSession::StateExpectation() {
    std::vector<Expectation> changed;
    const ReplayScene& s = session.Scene();
    // A markup added or removed since: every markup of its kind is compared with its state when
    // it came.
    if (linesAtExpect.size() != s.centerLines.size())
        linesAtExpect.assign(s.centerLines.size(), CenterLineState());
    if (calloutsAtExpect.size() != s.callouts.size())
        calloutsAtExpect.assign(s.callouts.size(), CalloutState());
    AddChanged(s.centerLines, linesAtExpect, &CaptureCenterLine, FieldOwner::CenterLine, changed);
    AddChanged(s.callouts, calloutsAtExpect, &CaptureCallout, FieldOwner::Callout, changed);
    // The checks of one expect action name one markup: the first changed markup's go into this
    // one; each further changed markup gets an expect action of its own, kept before it.
    Action a;
    a.kind = Action::Expect;
    a.comment = "state after the drag";
    if (!changed.empty())
        a.expect = changed.front();
    a.expect.operations = session.OperationNames();
    a.expect.undo = session.Controller().UndoNames();
    a.expect.redo = session.Controller().RedoNames();
    a.expect.pendingPicks = 0;
    for (std::size_t i = 1; i < changed.size(); ++i) {
        Action extra;
        extra.kind = Action::Expect;
        extra.expect = changed[i];
        KeepWritten(WriteAction(extra));
    }
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
