#pragma once

// Plays a session's actions the way the viewer and its markup framework would: the pointer over
// the handles (hover, press, move and release through sxmk::DragDriver), picks, preference
// changes, undo and redo. After each action it also does what the viewer does then: a pick the
// library cancelled leaves the queue, and a shadow whose drag was applied is rebuilt from its
// record once no drag is open.

#include "HitTest.h"
#include "ReplayScene.h"
#include "SessionView.h"
#include "UndoController.h"

#include <sxmk/DragDriver.h>

#include <memory>
#include <string>
#include <vector>

namespace replay {

class Player {
public:
    Player(ReplayScene& scene, UndoController& controller);
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // Plays an action other than an expect: the headline gets what happened, the details how.
    void Play(const Action& action, ActionLog& log);
    // After each action, once the controller has settled it.
    void DropCancelledPicks(ActionLog& log);
    void RebuildAppliedShadows(ActionLog& log);
    // The end of the session: a drag still open is let go the way the framework would, and a
    // pick never completed is given up with a failure status, so its event is let go.
    void LetGo();

    // A drag is open, or the pick of a dropped point is still pending.
    bool Busy() const;
    const Pointer& GetPointer() const { return pointer; }
    // The markup whose handle the pointer last hovered or pressed ("" before any).
    const std::string& TouchedMarkup() const { return touched; }

private:
    void Hover(const Action& a, ActionLog& log);
    void Press(const Action& a, ActionLog& log);
    void Move(const Action& a, ActionLog& log);
    void Release(ActionLog& log);
    void Pick(const Action& a, ActionLog& log);
    void Preferences(const Action& a, ActionLog& log);
    void UndoOrRedo(bool undo, ActionLog& log);
    void ClearHover(ActionLog& log);
    void PointerAt(int x, int y);

    ReplayScene& scene;
    UndoController& controller;
    Pointer pointer;
    std::unique_ptr<sxmk::DragDriver> driver;
    sxmk::MarkupShadow* draggedShadow = nullptr;
    sxmk::MarkupShadow* hoveredShadow = nullptr;
    const sxmu::ModelBase* hoveredNode = nullptr;
    std::string touched;
    std::vector<bool> staleShadows;  // per centre line: record applied, shadow not rebuilt
};

}  // namespace replay
