#pragma once

// The interaction harness's later additions, switched on by the input. After the hostile plan
// (if any), an input that goes on with the four bytes "PLUS" carries a length byte and that many
// bytes: one byte of the flags below. Without the marker nothing is read and the harness decodes
// every input as before.

#include "ByteReader.h"

namespace fuzzharness {

namespace interaction {

enum ExtraFlag : unsigned {
    kSnapDrop = 1u << 0,         // the controller rounds the applied end point to whole units
    kRefuseDrop = 1u << 1,       // the controller applies nothing (wins over snapping)
    kRebuildStopped = 1u << 2,   // the controller rebuilds the stopped shadow after applying
    kSecondMarkup = 1u << 3,     // another centre line is selected: its shadow moves with ours
    kSecondRebuilds = 1u << 4,   // ... and its controller rebuilds our shadows when it stops
    kEditDuringDrags = 1u << 5,  // the host edits the record while drags or picks are open
};

class InteractionExtras {
public:
    explicit InteractionExtras(ByteReader& in) {
        if (!in.SkipPrefix("PLUS", 4))
            return;
        on = true;
        ByteReader plan = in.Take(in.U8());
        flags = plan.U8();
    }

    // With the marker the host has more actions (see Run::Host).
    bool On() const { return on; }
    bool Has(ExtraFlag flag) const { return (flags & flag) != 0; }

private:
    bool on = false;
    unsigned flags = 0;
};

}  // namespace interaction

}  // namespace fuzzharness
