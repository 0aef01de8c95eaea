#pragma once

// Plays a scenario's actions one at a time through the library and the host, the way the
// viewer's markup framework would, and says what happened at each.

#include "HitTest.h"
#include "RecordState.h"
#include "ReplayScene.h"
#include "Scenario.h"
#include "UndoController.h"

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
    ActionLog Play(std::size_t index);

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

private:
    void Hover(const Action& a, ActionLog& log);
    void Press(const Action& a, ActionLog& log);
    void Move(const Action& a, ActionLog& log);
    void Release(ActionLog& log);
    void Pick(const Action& a, ActionLog& log);
    void Preferences(const Action& a, ActionLog& log);
    void UndoOrRedo(bool undo, ActionLog& log);
    void Expect(const Expectation& e, ActionLog& log);
    void ClearHover(ActionLog& log);
    bool Busy() const;
    void NoteSilentChanges(ActionLog& log, bool undoing);
    sxk::Window* Window() const;

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
};

}  // namespace replay
