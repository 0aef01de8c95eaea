#pragma once

// A session played live, one pointer event at a time, and kept as a scenario: the scene as
// loaded, the actions played, and after every finished drag (and every undo or redo that did
// something) an expect action holding the state reached, so that replaying the kept scenario
// checks that the library still does the same.

#include "RecordState.h"
#include "Scenario.h"
#include "Session.h"

#include <optional>
#include <string>
#include <vector>

namespace replay {

class LiveSession {
public:
    // Sets up the scenario's scene; its scripted actions are not played (see ScriptedAction).
    explicit LiveSession(const Scenario& scenario);

    // Plays the action and keeps it for the export.
    const ActionLog& Play(const Action& action);
    // The scenario's own actions, to be played when wanted.
    const std::vector<Action>& Script() const { return script; }
    // Plays and keeps a scripted action as it is: a script brings its own expectations, so none
    // is added after its drags (an exported session played again exports the same text).
    const ActionLog& PlayScripted(std::size_t index);

    // The session as a scenario file.
    std::string Export() const;
    std::size_t KeptActions() const { return keptCount + (heldHover ? 1 : 0); }

    Session& GetSession() { return session; }
    const Session& GetSession() const { return session; }

private:
    const ActionLog& PlayAndKeep(const Action& action, bool addExpectations);
    void Keep(const Action& action);
    void KeepWritten(const std::string& action);
    Action StateExpectation();

    Scenario scene;  // without actions
    std::vector<Action> script;
    Session session;
    // Each action kept as one line of JSON, the lines in one text: a drag step costs the few
    // dozen bytes of its line.
    std::string kept;
    std::size_t keptCount = 0;
    // Hovers in a row keep only the last: only where the pointer rests changes the highlight.
    std::optional<Action> heldHover;
    bool dragSinceExpect = false;
    std::vector<CenterLineState> linesAtExpect;
    std::vector<CalloutState> calloutsAtExpect;
};

}  // namespace replay
