#pragma once

// Where the display nodes land in the window: the shapes that hit testing measures against and
// that the frames draw, computed once so the two always agree.

#include "ReplayScene.h"

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace replay {

struct Point2 {
    double x = 0.0;
    double y = 0.0;
};

double DistanceToSegment(const Point2& p, const Point2& a, const Point2& b);

struct SphereShape {
    Point2 centre;
    double radius = 0.0;  // pixels
};

// A screen-sized arrow: the line from base to end, and the arrowhead (tip and the two outer
// points of its ring as seen side-on).
struct ArrowShape {
    Point2 base;
    Point2 end;
    Point2 headTip;
    Point2 ringA;
    Point2 ringB;
    bool endOn = false;  // the arrow points along the line of sight: only its base shows
};

struct NoteBox {
    Point2 anchor;  // the note's position
    double x = 0.0, y = 0.0, width = 0.0, height = 0.0;
    std::vector<std::string> lines;  // title, note, description (those present)

    bool Contains(const Point2& p) const {
        return p.x >= x && p.x <= x + width && p.y >= y && p.y <= y + height;
    }
};

constexpr double kNoteLineHeight = 16.0;

std::optional<SphereShape> SphereInWindow(const Projector& projector, const dg::Location& placement,
                                          const sxmu::ModelSphere& sphere);
std::optional<ArrowShape> ArrowInWindow(const Projector& projector, const dg::Location& placement,
                                        const sxmu::ModelLeaderLine& arrow);
// The polyline through the points (object space), cut where it passes behind the eye.
std::vector<std::vector<Point2>> PolylineInWindow(const Projector& projector,
                                                  const dg::Location& placement,
                                                  const std::vector<dg::DPoint3D>& points);
// The box of a note with its optional title and description, moved by a world displacement.
std::optional<NoteBox> NoteBoxInWindow(const Projector& projector, const dg::Location& placement,
                                       const sxmu::ModelNote& note, const sxmu::ModelNote* title,
                                       const sxmu::ModelNote* description,
                                       const dg::DVec3& displacement);
std::optional<NoteBox> LabelBox(const Projector& projector, const LabelEntry& entry);
// The callout as its shadow in that view draws it.
std::optional<NoteBox> CalloutBox(const Projector& projector, const CalloutEntry& entry,
                                  std::size_t view);

// The line strip of a centre-line shadow's display (null when it has none).
const sxmu::ModelLineStrip* LineStripOf(const LineShadow& line);

// Where each handle the centre line shows in that view lies in its window, in handle order: a
// sphere's centre, the middle of an arrow.
std::vector<std::pair<HandleName, Point2>> HandlePixels(const ReplayScene& scene,
                                                        const CenterLineEntry& entry,
                                                        std::size_t view);

}  // namespace replay
