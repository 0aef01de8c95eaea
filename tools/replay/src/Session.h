#pragma once

// Plays a scenario's actions one at a time through the library and the host, the way the
// viewer's markup framework would, and says what happened at each.

#include "HitTest.h"
#include "RecordState.h"
#include "ReplayScene.h"
#include "Scenario.h"
#include "UndoController.h"
#include "WindowShapes.h"

#include <sxmk/DragDriver.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace replay {

struct ActionLog {
    std::string headline;              // "[3] press 412,300: grabbed cl1 end-point sphere"
    std::vector<std::string> details;  // what the library and the host did, one line each
    int checksPassed = 0;
    int checksFailed = 0;
};

// Gives the session a kernel (installed when none is there, and then removed with the session)
// and an empty operation history.
class HostGuard {
public:
    HostGuard();
    ~HostGuard();
    HostGuard(const HostGuard&) = delete;
    HostGuard& operator=(const HostGuard&) = delete;

private:
    bool installed = false;
};

class Session {
public:
    explicit Session(const Scenario& scenario);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // The scene as set up: markups, their handles and where they are in the window.
    std::vector<std::string> Describe() const;
    // Plays the scenario's action at this index.
    ActionLog Play(std::size_t index);
    // Plays an action given from outside (a live session): the session keeps only the log of
    // the last action, so a long live session holds no growing script.
    const ActionLog& Play(const Action& action);
    // The log of the action played last (empty before the first).
    const ActionLog& LastLog() const { return lastLog; }
    // The view now, as an SVG picture with the caption underneath.
    std::string Frame(const std::string& caption) const;
    // What the session did so far: operations, undo and redo stacks, controller calls, picks
    // still pending.
    std::vector<std::string> Summary() const;
    // Each pick still waiting for its results: "at 412,300 (flags 0x0001)".
    std::vector<std::string> PendingPicks() const;
    // A drag is open, or the pick of a dropped point is still pending.
    bool Busy() const;
    std::size_t ActionsPlayed() const { return played; }
    // The markup whose handle the pointer last hovered or pressed ("" before any).
    const std::string& TouchedMarkup() const { return touched; }
    // Where each handle the centre line shows lies in the window, in handle order.
    std::vector<std::pair<HandleName, Point2>> HandlePixels(const CenterLineEntry& entry) const;

    struct Pointer {
        bool known = false;
        int x = 0;
        int y = 0;
        bool pressed = false;
        bool dragging = false;
        int startX = 0;
        int startY = 0;
    };

    const Scenario& GetScenario() const { return scenario; }
    ReplayScene& Scene() { return scene; }
    const ReplayScene& Scene() const { return scene; }
    const UndoController& Controller() const { return controller; }
    const Pointer& GetPointer() const { return pointer; }
    std::vector<std::string> OperationNames() const;
    // The view's window (its cursor); null before the view has one.
    sxk::Window* Window() const;

private:
    void Hover(const Action& a, ActionLog& log);
    void Press(const Action& a, ActionLog& log);
    void Move(const Action& a, ActionLog& log);
    void Release(ActionLog& log);
    void Pick(const Action& a, ActionLog& log);
    void Preferences(const Action& a, ActionLog& log);
    void UndoOrRedo(bool undo, ActionLog& log);
    ActionLog PlayNumbered(const Action& a, std::size_t number);
    void ClearHover(ActionLog& log);
    void DropCancelledPicks(ActionLog& log);
    void NoteSilentChanges(ActionLog& log, bool undoing);
    void RebuildAppliedShadows(ActionLog& log);

    Scenario scenario;
    HostGuard host;
    ReplayScene scene;
    UndoController controller;
    Pointer pointer;
    std::unique_ptr<sxmk::DragDriver> driver;
    sxmk::MarkupShadow* draggedShadow = nullptr;
    sxmk::MarkupShadow* hoveredShadow = nullptr;
    const sxmu::ModelBase* hoveredNode = nullptr;
    // Each markup as it stood when no drag was open last, and its stops counted then.
    std::vector<CenterLineState> settledLines;
    std::vector<CalloutState> settledCallouts;
    std::vector<int> settledStops;
    std::vector<std::string> drawnMismatch;  // the last note per centre line, said once
    ActionLog lastLog;
    std::string touched;
    std::size_t played = 0;
    std::vector<bool> staleShadows;  // per centre line: record applied, shadow not rebuilt
};

}  // namespace replay
