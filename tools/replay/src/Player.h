#pragma once

// Plays a session's actions the way the viewer and its markup framework would: the pointer over
// the handles (hover, press, move and release through sxmk::DragDriver), the framework's move of
// the whole selection (Translate and Stop), picks, preference changes, undo and redo, the
// viewer's own edits, its camera and its behaviour (ViewerOptions). After each action it also
// does what the viewer does then: a pick the library cancelled leaves the queue, and a shadow
// whose drag was applied is rebuilt from its record once no drag is open. What the library throws
// at the viewer is caught and told.

#include "HitTest.h"
#include "ReplayScene.h"
#include "SessionView.h"
#include "UndoController.h"

#include <sxmk/DragDriver.h>

#include <map>
#include <memory>
#include <optional>
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
    // The markups selected now (ids), in the order they were selected.
    const std::vector<std::string>& Selection() const { return selection; }

private:
    void PlayKind(const Action& action, ActionLog& log);
    void Hover(const Action& a, ActionLog& log);
    void Press(const Action& a, ActionLog& log);
    void Move(const Action& a, ActionLog& log);
    void Release(ActionLog& log);
    void Pick(const Action& a, ActionLog& log);
    void Preferences(const Action& a, ActionLog& log);
    void UndoOrRedo(bool undo, ActionLog& log);
    // The viewer's own actions (PlayerViewerActions.cpp).
    void Viewer(const ViewerOptions& options, ActionLog& log);
    void Select(const std::vector<std::string>& ids, ActionLog& log);
    void Edit(const Action& a, ActionLog& log);
    void Camera(std::size_t view, const CameraMove& move, ActionLog& log);
    void Add(const CenterLineInput& line, ActionLog& log);
    void AddCallout(const LabelInput& callout, ActionLog& log);
    void Remove(const std::string& id, ActionLog& log);
    // The viewer's answer to a markup's notification, when it calls back (NotifyCallsBack); the
    // answers are counted and reported once per action.
    void Notified(sxk::Markup& notifying);
    void ReportNotified(ActionLog& log);
    // Before a markup leaves the scene: an open drag of one of its shadows is released, the
    // shadows leave the other drag's broadcast, the move of the selection and the hover, and the
    // markup leaves the selection.
    void LetGoOf(const std::string& id, const std::vector<const sxmk::MarkupShadow*>& shadows,
                 ActionLog& log);
    // The framework's move of the whole selection (PlayerViewerActions.cpp).
    void GrabMarkup(const Action& a, ActionLog& log);
    void MoveMarkups(ActionLog& log);
    void StopMarkups(ActionLog& log);

    void ClearHover(ActionLog& log);
    void ForgetHoverOn(const CenterLineEntry& e);
    void PointerAt(std::size_t view, int x, int y);
    void DropCancelledPicks(sxk::ShapeView& view, const std::string& prefix, ActionLog& log);
    // The view an action names (the first by default).
    std::size_t ViewOf(const Action& a) const;
    std::string ScenePrefix(std::size_t view) const;
    // The shadow of a markup (centre line or callout) in a view; null for another id.
    sxmk::MarkupShadow* ShadowOf(const std::string& id, std::size_t view) const;
    // A click on a markup that is not selected selects it alone.
    void SelectOnPress(const std::string& id, ActionLog& log);
    // What a press in the view grabs: the markup under the pointer, touched and selected as a
    // click selects; nothing (the headline says onNothing) when the press misses.
    std::optional<NodeHit> PressOn(std::size_t view, const Action& a, const char* onNothing,
                                   ActionLog& log);

    ReplayScene& scene;
    UndoController& controller;
    Pointer pointer;
    std::unique_ptr<sxmk::DragDriver> driver;
    sxmk::MarkupShadow* draggedShadow = nullptr;
    std::size_t dragView = 0;  // where the open drag or move began
    sxmk::MarkupShadow* hoveredShadow = nullptr;
    const sxmu::ModelBase* hoveredNode = nullptr;
    std::string touched;
    std::vector<bool> staleShadows;       // per centre line: record applied, shadow not rebuilt
    std::map<std::string, int> notified;  // the viewer's answers to notifications, not reported
    std::vector<std::string> selection;
    // The framework's move of the selection while its button is down: the moved shadows, the
    // world point grabbed, and the displacement so far.
    std::vector<du::SmartPtr<sxmk::MarkupShadow>> moving;
    dg::DPoint3D moveAnchor;
    dg::DVec3 moveDelta;
    bool movingMarkups = false;
};

}  // namespace replay
