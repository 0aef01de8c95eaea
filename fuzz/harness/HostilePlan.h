#pragma once

// The viewer's hostile behaviours (sxk::HostileViewer) as an input asks for them.
//
// An input that starts with the four bytes "HOST" carries a plan: a length byte, then that many
// bytes, read apart from the rest. The plan holds the behaviours on from the start (two bytes, one
// bit per HostileViewer::Behaviour), the options of the harness's hooks (one byte, HostileOption
// below), then changes, each made before a given step: the step (one byte), the kind (a byte: flip
// one behaviour, set the options, or the harness's own change) and its data. The rest of the
// input drives the harness as every input does. So an input without the marker plays a polite
// viewer as before, and any input with a marker and a plan put in front of it plays the same
// actions against a hostile viewer.

#include "ByteReader.h"

#include <sxk/HostileViewer.h>

#include <cstdint>

namespace fuzzharness {

// What the hooks do, one bit of the options byte each; each harness says which it uses.
enum HostileOption : unsigned {
    kLetGoOfMarkup = 1u << 0,          // LetGo drops the harness's reference to the markup too
    kCallBackHighlights = 1u << 1,     // CallBack preselects a node of the notifying shadow
    kCallBackClears = 1u << 2,         // CallBack clears the preselection
    kRebuildMakesNewShadow = 1u << 3,  // Rebuild replaces the stopped shadow with a new one
};
// The options' upper four bits choose the node that CallBack asks about.
constexpr unsigned kCallBackNodeShift = 4;

constexpr int kHostileBehaviours = 10;
static_assert(sxk::HostileViewer::kAll == (1u << kHostileBehaviours) - 1u,
              "a plan flips each behaviour by its bit");

// The behaviours a plan may switch on here. With the static MinGW runtime each Windows DLL
// unwinds on its own, so an exception thrown in the host cannot pass through the library
// (std::terminate): there the requests that throw stay off.
#ifdef _WIN32
constexpr unsigned kPlayable = sxk::HostileViewer::kAll & ~(sxk::HostileViewer::PickRequestThrows |
                                                            sxk::HostileViewer::ManageObjectThrows);
#else
constexpr unsigned kPlayable = sxk::HostileViewer::kAll;
#endif

class HostilePlan {
public:
    // Reads the marker and the plan from the front of in, and switches the starting behaviours
    // on. Without the marker nothing is read and the viewer stays polite.
    explicit HostilePlan(ByteReader& in) : plan(nullptr, 0) {
        if (!in.SkipPrefix("HOST", 4))
            return;
        on = true;
        plan = in.Take(in.U8());
        sxk::HostileViewer::Set(plan.U16() & kPlayable);
        options = plan.U8();
        ReadNextStep();
    }

    bool On() const { return on; }
    unsigned Options() const { return options; }
    bool Has(HostileOption option) const { return (options & option) != 0; }
    int CallBackNode() const { return static_cast<int>(options >> kCallBackNodeShift); }

    // Makes the changes due before step (in the order the plan lists them; a step already past
    // counts as due). A change of the harness's own kind is handed to own with the plan's reader,
    // from which it reads its data.
    template <typename OwnChange>
    void Before(int step, OwnChange&& own) {
        while (nextStep >= 0 && nextStep <= step) {
            switch (plan.Below(3)) {
                case 0:
                    sxk::HostileViewer::Set(
                        (sxk::HostileViewer::Active() ^ (1u << plan.Below(kHostileBehaviours))) &
                        kPlayable);
                    break;
                case 1:
                    options = plan.U8();
                    break;
                default:
                    own(plan);
                    break;
            }
            ReadNextStep();
        }
    }

private:
    void ReadNextStep() { nextStep = plan.Empty() ? -1 : static_cast<int>(plan.U8()); }

    ByteReader plan;
    bool on = false;
    unsigned options = 0;
    int nextStep = -1;
};

}  // namespace fuzzharness
