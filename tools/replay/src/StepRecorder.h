#pragma once

// Watches the steps of a session and says what each changed: the operations recorded, the record
// fields that changed, the notifications of each markup and shadow, the cursor, the scene's
// warnings. Once no drag is open it also notes a markup that changed without any drag reaching
// the controller (nothing can undo that), and a centre line drawn through other points than its
// record stores.

#include "RecordState.h"
#include "ReplayScene.h"
#include "SessionView.h"
#include "UndoController.h"

#include <cstddef>
#include <map>
#include <string>
#include <vector>

namespace replay {

// One line per changed record field of the fields' table (ExpectationFields.h), the stored list
// first: "cl1.endExtension: 2 -> 0".
std::vector<std::string> DescribeChanges(const std::string& id, const CenterLineState& before,
                                         const CenterLineState& after);
std::vector<std::string> DescribeChanges(const std::string& id, const CalloutState& before,
                                         const CalloutState& after);

class StepRecorder {
public:
    StepRecorder(const ReplayScene& scene, const UndoController& controller);

    // Takes what a step may change, before it is played.
    void Begin();
    // What the step changed since Begin, one detail line each.
    void Report(ActionLog& log) const;
    // The notes of a settled step (none while busy: a drag or its pick is open). An undo or redo,
    // and the viewer's own edit, change markups without a drag, by design; so do the markups the
    // viewer adds and removes, after which every markup is taken again as it stands, also while
    // busy.
    void NoteSilentChanges(ActionLog& log, bool byViewer, bool busy);

private:
    struct States {
        std::vector<CenterLineState> lines;
        std::vector<CalloutState> callouts;
    };
    static States CaptureAll(const ReplayScene& scene);
    void NoteDrawnMismatch(std::size_t line, const CenterLineState& now, ActionLog& log);

    const ReplayScene& scene;
    const UndoController& controller;
    // As the step found them.
    States before;
    std::map<std::string, int> notifiedBefore;
    std::size_t recordedBefore = 0;
    std::string cursorBefore;
    std::size_t warningsBefore = 0;
    // Each markup as it stood when no drag was open last, and its stops counted then (centre
    // lines first, then callouts).
    States settled;
    std::vector<int> settledStops;
    std::vector<std::string> drawnMismatch;  // the last note per centre line, said once
};

}  // namespace replay
