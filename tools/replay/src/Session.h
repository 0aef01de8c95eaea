#pragma once

// A replayed session: the scene (with its host), the controller on every markup, the player of
// the actions and the recorder of their steps. Plays a scenario's actions one at a time through
// the library and the host, and says what happened at each.

#include "Player.h"
#include "ReplayScene.h"
#include "Scenario.h"
#include "SessionView.h"
#include "StepRecorder.h"
#include "UndoController.h"
#include "ViewerBehaviours.h"

#include <cstddef>
#include <string>
#include <vector>

namespace replay {

class Session {
public:
    explicit Session(const Scenario& scenario);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Plays the scenario's action at this index.
    ActionLog Play(std::size_t index);
    // Plays an action given from outside (a live session): the session keeps only the log of
    // the last action, so a long live session holds no growing script.
    const ActionLog& Play(const Action& action);
    // The log of the action played last (empty before the first).
    const ActionLog& LastLog() const { return lastLog; }
    std::size_t ActionsPlayed() const { return played; }

    // The state as it stands, for the checks, the frames and the text output.
    SessionView View() const { return {scenario, scene, controller, player.GetPointer()}; }
    // The scene as set up: markups, their handles and where they are in the window.
    std::vector<std::string> Describe() const;
    // What no action changes (the window's ground, parts, labels), as an SVG picture drawn once,
    // and the view now over it, with the caption underneath; the frame refers to the scene's
    // picture by sceneFile when one is given.
    std::string SceneLayer() const;
    std::string Frame(const std::string& caption, const std::string& sceneFile = "") const;
    // What the session did so far: operations, undo and redo stacks, controller calls, picks
    // still pending.
    std::vector<std::string> Summary() const;
    // Each pick still waiting for its results: "at 412,300 (flags 0x0001)".
    std::vector<std::string> PendingPicks() const;
    std::vector<std::string> OperationNames() const;
    // A drag is open, or the pick of a dropped point is still pending.
    bool Busy() const { return player.Busy(); }
    // The markup whose handle the pointer last hovered or pressed ("" before any).
    const std::string& TouchedMarkup() const { return player.TouchedMarkup(); }
    const std::vector<std::string>& Selection() const { return player.Selection(); }

    const Scenario& GetScenario() const { return scenario; }
    ReplayScene& Scene() { return scene; }
    const ReplayScene& Scene() const { return scene; }
    const UndoController& Controller() const { return controller; }
    const Pointer& GetPointer() const { return player.GetPointer(); }

private:
    ActionLog PlayNumbered(const Action& a, std::size_t number);

    // First: no behaviour of an earlier session reaches this one's scene.
    BehaviourScope behaviours;
    Scenario scenario;
    ReplayScene scene;
    UndoController controller;
    Player player;
    StepRecorder recorder;
    ActionLog lastLog;
    std::size_t played = 0;
};

}  // namespace replay
