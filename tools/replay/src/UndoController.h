#pragma once

// The replay's markup controller: it applies each finished drag to its markup (or, as the
// viewer's options say, snaps it to a grid, refuses it, or rebuilds the shadows inside the call
// when the viewer's ControllerRebuilds behaviour is on), records the operation the way the
// viewer's controller does, and keeps undo and redo stacks by the operation's name: the stops of
// one operation (a jog drag and the markups it stopped, a move of the whole selection) are one
// entry.

#include "RecordState.h"
#include "ReplayScene.h"

#include <sxk/Markup.h>
#include <sxk/Operation.h>

#include <optional>
#include <string>
#include <vector>

namespace replay {

class UndoController : public sxk::MarkupController {
public:
    explicit UndoController(ReplayScene& scene);

    void SetOptions(const ViewerOptions& viewer) { options = viewer; }
    // The framework is stopping its move of the whole selection by this world displacement: a
    // centre line is stored moved by it (the shadow's working points lag a move's last step),
    // until the move is over (nullopt).
    void SetMarkupMove(const std::optional<dg::DVec3>& delta) { markupMove = delta; }
    const ViewerOptions& Options() const { return options; }

    bool HandleShadowStop(const du::SmartPtr<sxk::Markup>& markup,
                          const du::SmartPtr<sxk::Markup>& shadow,
                          const du::SmartPtr<sxk::Operation>& operation) override;

    // Snapshots the markup as the drag begins: what undo returns to, whatever the shadow writes
    // into the record during the drag.
    void BeginDrag(const sxk::Markup* markup);
    // The drag of this markup ended in a drop that waits for its pick: its snapshot stays for
    // that drop, also when a new drag of the markup begins first.
    void AwaitDrop(const sxk::Markup* markup);
    // Inside HandleShadowStop of a centre line: rebuilds that line's shadows from its record (the
    // viewer's ControllerRebuilds hook); elsewhere nothing.
    void RebuildStopping();
    // The viewer's own edit of a centre line: one undo entry from the state before it (taken by
    // the caller before it wrote the record) to the state it left; a drag of the markup still
    // open starts, for undo, from what the edit left.
    void RecordEdit(const sxk::Markup* markup, const CenterLineState& before);
    // The centre line at this index leaves the scene: what would undo or redo it goes (an entry
    // left with nothing to restore goes too), the lines after it move up one place.
    void ForgetCenterLine(std::size_t index);
    // Likewise the callout at this index.
    void ForgetCallout(std::size_t index);
    // Closes the stops of the action just played: their undo entries get the state after it.
    void SettleAction();
    bool Undo();
    bool Redo();

    std::vector<std::string> UndoNames() const;
    std::vector<std::string> RedoNames() const;
    // The names of the newest `count` entries (fewer when the stack holds fewer), oldest first:
    // what a caller that acts per step reads, so that its cost does not grow with the stacks.
    std::vector<std::string> NewestUndoNames(std::size_t count) const;
    std::vector<std::string> NewestRedoNames(std::size_t count) const;
    std::size_t UndoCount() const { return undoStack.size(); }
    std::size_t RedoCount() const { return redoStack.size(); }
    int Calls() const { return calls; }
    // How many finished drags of this markup reached the controller so far.
    int StopsFor(const sxk::Markup* markup) const;
    // What the controller did since the last call, one line each.
    std::vector<std::string> TakeNotes();
    // Indices of the centre lines whose record the controller wrote since the last call: the
    // viewer rebuilds their shadows from the record once no drag is open.
    std::vector<std::size_t> TakeAppliedLines();

private:
    struct Target {
        bool callout = false;
        std::size_t index = 0;
        bool operator==(const Target& o) const { return callout == o.callout && index == o.index; }
    };
    struct Snapshot {
        Target target;
        CenterLineState line;
        CalloutState callout;
    };
    struct Change {
        Snapshot before;
        Snapshot after;
        bool afterTaken = false;  // at the stop, since a newer drag goes on in the same action
    };
    struct Entry {
        std::string name;
        bool hasOperation = true;
        // Until the action settles: stops of one operation join, and the entry takes the name
        // the operation has then (a jog drag renames its operation after the broadcast stops).
        du::SmartPtr<sxk::Operation> operation;
        std::vector<Change> changes;  // one per markup, in the order they stopped
    };
    // A drag's snapshot from its press, until its stop has come.
    struct DragStart {
        Snapshot state;
        bool dropPending = false;   // released; its drop waits for the pick
        bool retakeAtStop = false;  // begun while an earlier drop was pending: taken again once
                                    // the new drag has finished that drop
    };

    std::optional<Target> Find(const sxk::Markup* markup) const;
    void Forget(const Target& removed);
    Snapshot Capture(const Target& target) const;
    void Restore(const Snapshot& snapshot);
    std::string IdOf(const Target& target) const;
    Snapshot TakeDragStart(const Target& target);
    // Apply a finished drag to its markup; true when that changed it. stop begins the note.
    bool ApplyCallout(std::size_t index, const du::SmartPtr<sxk::Markup>& shadow,
                      const std::string& stop);
    bool ApplyCenterLine(std::size_t index, const du::SmartPtr<sxk::Markup>& shadow,
                         const du::SmartPtr<sxk::Operation>& operation, const std::string& stop);
    // The shadow's points as the controller stores them: snapped to the grid where they differ
    // from the record's, when the options say so.
    std::vector<dg::DPoint3D> Snapped(const CenterLineEntry& e, std::vector<dg::DPoint3D> points,
                                      std::string& note) const;
    void Record(const du::SmartPtr<sxk::Operation>& operation);
    bool Step(std::vector<Entry>& from, std::vector<Entry>& to, bool undo);
    static std::vector<std::string> Names(const std::vector<Entry>& stack, std::size_t count);

    ReplayScene& scene;
    ViewerOptions options;
    std::optional<dg::DVec3> markupMove;
    std::optional<std::size_t> stoppingLine;  // the centre line whose stop is being handled
    std::vector<DragStart> dragStarts;
    std::vector<Entry> pending;
    std::vector<Entry> undoStack;
    std::vector<Entry> redoStack;
    std::vector<std::string> notes;
    std::vector<const sxk::Markup*> stopped;
    std::vector<std::size_t> appliedLines;
    int calls = 0;
};

}  // namespace replay
