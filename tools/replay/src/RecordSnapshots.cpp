// Taking and comparing the markups' snapshots: field by field, as the table of record fields
// lists them (ExpectationFields), so that a field of the table is never left out of either.
#include "ExpectationFields.h"
#include "RecordState.h"

namespace replay {

bool CenterLineState::operator==(const CenterLineState& o) const {
    RecordValues a, b;
    a.line = this;
    b.line = &o;
    for (const ExpectationField& field : ExpectationFields())
        if (field.owner == FieldOwner::CenterLine && field.sameInRecord &&
            !field.sameInRecord(a, b))
            return false;
    return true;
}

bool CalloutState::operator==(const CalloutState& o) const {
    RecordValues a, b;
    a.callout = this;
    b.callout = &o;
    for (const ExpectationField& field : ExpectationFields())
        if (field.owner == FieldOwner::Callout && field.sameInRecord && !field.sameInRecord(a, b))
            return false;
    return true;
}

CenterLineState CaptureCenterLine(const CenterLineEntry& entry) {
    CenterLineState s;
    for (const ExpectationField& field : ExpectationFields())
        if (field.captureLine)
            field.captureLine(entry, s);
    s.lastStored = entry.lastStored;
    s.axisStored = entry.axisStored;
    s.frame = entry.config.frame;
    s.axisOrder = entry.config.axisOrder;
    return s;
}

CalloutState CaptureCallout(const CalloutEntry& entry) {
    CalloutState s;
    for (const ExpectationField& field : ExpectationFields())
        if (field.captureCallout)
            field.captureCallout(entry, s);
    return s;
}

}  // namespace replay
