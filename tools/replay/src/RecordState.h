#pragma once

// Snapshots of what a markup keeps: taken before and after each action to report the changes
// (StepRecorder), and by the controller to undo and redo a drag exactly.

#include "ReplayScene.h"

#include <array>
#include <string>
#include <vector>

namespace replay {

// Everything a centre-line record answers through its accessors.
struct CenterLineState {
    std::vector<dg::DPoint3D> points;
    dg::DPoint3D startPoint, endPoint;
    float startExtension = 0.0f, endExtension = 0.0f, ratio = 0.0f;
    bool alongAxis = false, attached = false;
    std::string partID;
    dg::DPoint3D startAxisLimit, endAxisLimit;
    dg::DVec3 mainAxisDirection;
    int midPointIndex = 0;
    // Not answered by the record, but needed to rebuild it: the list it last stored, the list its
    // along-axis data derive from, and the frame and axis order its path was last built in.
    std::vector<dg::DPoint3D> lastStored, axisStored;
    dg::FMat33 frame;
    std::array<unsigned short, 3> axisOrder{0, 1, 2};

    // Field by field, exactly (a not-a-number equals a not-a-number); what the record does not
    // answer is not compared.
    bool operator==(const CenterLineState& o) const;
    bool operator!=(const CenterLineState& o) const { return !(*this == o); }
};

struct CalloutState {
    dg::DPoint3D position;  // the label's position: its note's
    dg::DVec3 dragOffset;   // the dragger's displacement while it is dragged
    int minimumSize = 0;

    bool operator==(const CalloutState& o) const;
    bool operator!=(const CalloutState& o) const { return !(*this == o); }
};

CenterLineState CaptureCenterLine(const CenterLineEntry& entry);
// Puts the record back into the state, field by field, and the shadow redraws from it.
void RestoreCenterLine(ReplayScene& scene, CenterLineEntry& entry, const CenterLineState& state);
CalloutState CaptureCallout(const CalloutEntry& entry);
void RestoreCallout(CalloutEntry& entry, const CalloutState& state);

// A selection item the shadow leaves for the host: "none", "sbom:<ID path>" or
// "instance:<ID path>".
std::string DescribeItem(const du::SmartPtr<sxk::SelectionItem>& item);

// Text in double quotes, and a list of such texts in brackets: ["a", "b"].
std::string Quote(const std::string& s);
std::string Join(const std::vector<std::string>& items);
// Equal exactly; a not-a-number equals a not-a-number.
bool Same(double a, double b);
bool Same(const dg::DPoint3D& a, const dg::DPoint3D& b);
bool Same(const dg::DVec3& a, const dg::DVec3& b);
bool Same(const std::vector<dg::DPoint3D>& a, const std::vector<dg::DPoint3D>& b);
// Equal within the tolerance; a not-a-number is near a not-a-number.
bool Near(double a, double b, double tolerance);
bool Near(const dg::DPoint3D& a, const dg::DPoint3D& b, double tolerance);

std::string Format(double v);
std::string Format(const dg::DPoint3D& p);
std::string Format(const dg::DVec3& v);
std::string Format(const std::vector<dg::DPoint3D>& points);

}  // namespace replay
