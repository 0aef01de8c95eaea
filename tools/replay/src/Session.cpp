#include "Session.h"

#include "Expectations.h"
#include "Frames.h"
#include "SessionText.h"

#include <sxk/Operation.h>

#include <utility>

namespace replay {

Session::Session(const Scenario& s)
    : scenario(s),
      scene(s),
      controller(scene),
      player(scene, controller),
      recorder(scene, controller) {
    for (CenterLineEntry& e : scene.centerLines)
        e.record->SetController(&controller);
    for (CalloutEntry& e : scene.callouts)
        e.label->SetController(&controller);
}

Session::~Session() {
    // Before anything goes away: the open drag and the pending picks, then the controller.
    player.LetGo();
    for (CenterLineEntry& e : scene.centerLines)
        e.record->SetController(nullptr);
    for (CalloutEntry& e : scene.callouts)
        e.label->SetController(nullptr);
    sxk::RecordedOperations().clear();
    // The hooks call into the player, which goes before the scene's markups do.
    behaviours.End();
}

ActionLog Session::Play(std::size_t index) {
    return PlayNumbered(scenario.actions.at(index), index + 1);
}

const ActionLog& Session::Play(const Action& action) {
    lastLog = PlayNumbered(action, played + 1);
    return lastLog;
}

// The step in order: played (or checked), settled by the controller, the viewer's answer to it
// (cancelled picks, rebuilt shadows), then what it changed and what is worth a note.
ActionLog Session::PlayNumbered(const Action& a, std::size_t number) {
    ++played;
    ActionLog log;
    log.headline = "[" + std::to_string(number) + "] " + ActionName(a.kind);
    if (a.kind == Action::Hover || a.kind == Action::Press || a.kind == Action::Move)
        log.headline += " " + Pixel(a.x, a.y);
    // With two views, the line says which one an action is about.
    if (scene.views.size() > 1 && a.view >= 0)
        log.headline += " in view " + std::to_string(a.view + 1);
    if (!a.comment.empty())
        log.details.push_back("# " + a.comment);

    recorder.Begin();
    if (a.kind == Action::Expect)
        CheckExpectation(a.expect, a.view < 0 ? 0 : static_cast<std::size_t>(a.view), View(), log);
    else
        player.Play(a, log);
    controller.SettleAction();
    for (std::string& note : controller.TakeNotes())
        log.details.push_back(std::move(note));
    player.DropCancelledPicks(log);
    player.RebuildAppliedShadows(log);
    recorder.Report(log);
    recorder.NoteSilentChanges(log,
                               a.kind == Action::Undo || a.kind == Action::Redo ||
                                   a.kind == Action::Edit || a.kind == Action::Add ||
                                   a.kind == Action::Remove,
                               player.Busy());
    return log;
}

std::vector<std::string> Session::Describe() const {
    return DescribeScene(View());
}

std::string Session::SceneLayer() const {
    return RenderScene(View());
}

std::string Session::Frame(const std::string& caption, const std::string& sceneFile) const {
    return RenderFrame(View(), caption, sceneFile);
}

std::vector<std::string> Session::Summary() const {
    return replay::Summary(View());
}

std::vector<std::string> Session::PendingPicks() const {
    return replay::PendingPicks(scene);
}

std::vector<std::string> Session::OperationNames() const {
    return RecordedOperationNames();
}

}  // namespace replay
