#include "SessionText.h"

#include "RecordState.h"
#include "UndoController.h"

#include <cmath>
#include <cstdio>

namespace replay {

namespace {

// Window positions are written as whole pixels within +/-1e6 (a hundred times the largest window
// a scenario may have), where rounding into an int is defined and alike on every platform; a
// point farther out, or not finite, is said to lie far off the window.
constexpr double kPixelLimit = 1e6;

bool WithinReach(const Point2& p) {
    return std::fabs(p.x) <= kPixelLimit && std::fabs(p.y) <= kPixelLimit;
}

std::string PickFlags(unsigned int flags) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", flags);
    return text;
}

std::string DescribeView(const ViewInput& v) {
    return std::string(v.shapeView ? "shape view" : "plain view") + " " + std::to_string(v.width) +
           "x" + std::to_string(v.height) + ", " +
           (v.perspective ? "perspective " + Format(v.fieldOfViewDegrees) + " deg"
                          : "parallel, width " + Format(v.parallelWidth)) +
           ", eye " + Format(v.eye) + ", target " + Format(v.target) +
           (v.nearDistance ? ", near " + Format(*v.nearDistance) : "");
}

std::string DescribePart(const Projector& proj, const PartEntry& e) {
    std::string line = "part " + e.config.id + " " + Format(e.config.min) + ".." +
                       Format(e.config.max) + ", instance " + Quote(e.config.instance);
    if (e.config.sbom)
        line += ", sbom " + Quote(*e.config.sbom);
    if (e.config.weld)
        line += ", weld " + Quote(*e.config.weld);
    const dg::DPoint3D centre((e.config.min.x + e.config.max.x) / 2,
                              (e.config.min.y + e.config.max.y) / 2,
                              (e.config.min.z + e.config.max.z) / 2);
    if (const auto at = proj.Project(centre))
        line += "; centre " + AtPixel(Point2{at->x, at->y});
    return line;
}

// The record's fields, then where each handle shows in the window (the view's lines begin with
// their prefix).
void DescribeCenterLine(const ReplayScene& scene, const CenterLineEntry& e, std::size_t view,
                        const std::string& prefix, std::vector<std::string>& lines) {
    sxmk::CenterLineXYZ& r = *e.record;
    lines.push_back(
        prefix + "centre line " + e.config.id + (r.IsAlongAxis() ? " along axis" : " straight") +
        ", " + std::to_string(r.GetPoints()->size()) + " points " + Format(*r.GetPoints()) +
        ", extensions " + Format(r.GetStartExtention()) + " / " + Format(r.GetEndExtention()) +
        ", ratio " + Format(r.GetDivRation()) + ", part " + Quote(r.GetPartID().str()) +
        (r.IsEndPointAttached() ? ", end attached" : ""));
    std::string handles = prefix + "  handles of " + e.config.id + ":";
    bool any = false;
    for (const auto& [h, at] : HandlePixels(scene, e, view)) {
        handles += std::string(any ? "," : "") + " " + HandleKey(h) + " " + Pixel(at);
        any = true;
    }
    lines.push_back(handles + (any ? "" : " none shown"));
}

}  // namespace

std::string Pixel(int x, int y) {
    return std::to_string(x) + "," + std::to_string(y);
}

std::string Pixel(const Point2& p) {
    if (!WithinReach(p))
        return "far off the window";
    return Pixel(static_cast<int>(std::round(p.x)), static_cast<int>(std::round(p.y)));
}

std::string AtPixel(const Point2& p) {
    return WithinReach(p) ? "at pixel " + Pixel(p) : Pixel(p);
}

std::string PickPlace(const sxk::ShapeView::PendingPick& pick) {
    return Pixel(pick.x, pick.y) + " (flags " + PickFlags(pick.flags) + ")";
}

std::string PreferenceText(const PreferenceValue& v) {
    char buffer[64];
    switch (v.kind) {
        case PreferenceValue::Absent:
            return "removed";
        case PreferenceValue::Integer:
            std::snprintf(buffer, sizeof buffer, "0x%06X (integer)",
                          static_cast<unsigned>(v.integer));
            return buffer;
        case PreferenceValue::Colour:
            std::snprintf(buffer, sizeof buffer, "colour (%g, %g, %g, %g)",
                          static_cast<double>(v.colour.r), static_cast<double>(v.colour.g),
                          static_cast<double>(v.colour.b), static_cast<double>(v.colour.a));
            return buffer;
        case PreferenceValue::Text:
            return "text \"" + v.text + "\"";
    }
    return "?";
}

std::string ViewPrefix(const ReplayScene& scene, std::size_t view) {
    return scene.views.size() > 1 ? "[view " + std::to_string(view + 1) + "] " : "";
}

std::vector<std::string> DescribeScene(const SessionView& session) {
    const ReplayScene& scene = session.scene;
    std::vector<std::string> lines;
    for (std::size_t v = 0; v < scene.views.size(); ++v) {
        const Projector& proj = scene.views[v].projector;
        const std::string prefix = ViewPrefix(scene, v);
        lines.push_back(prefix + DescribeView(scene.views[v].input));
        for (const PartEntry& e : scene.parts)
            lines.push_back(prefix + DescribePart(proj, e));
        for (const LabelEntry& e : scene.labels)
            if (const auto box = LabelBox(proj, e))
                lines.push_back(prefix + "label " + e.config.id + " " + Quote(e.config.note) + " " +
                                AtPixel(box->anchor));
        for (const CalloutEntry& e : scene.callouts)
            if (const auto box = CalloutBox(proj, e, v))
                lines.push_back(prefix + "callout " + e.config.id + " " + Quote(e.config.note) +
                                " " + AtPixel(box->anchor) + ", box " + Format(box->width) + "x" +
                                Format(box->height));
        for (const CenterLineEntry& e : scene.centerLines)
            DescribeCenterLine(scene, e, v, prefix, lines);
    }
    for (const std::string& w : scene.warnings)
        lines.push_back("warning: " + w);
    return lines;
}

std::vector<std::string> PendingPicks(const ReplayScene& scene) {
    std::vector<std::string> out;
    for (std::size_t v = 0; v < scene.views.size(); ++v)
        if (const sxk::ShapeView* shapeView = scene.views[v].shapeView)
            for (const sxk::ShapeView::PendingPick& pick : shapeView->pendingPicks)
                out.push_back(ViewPrefix(scene, v) + "at " + PickPlace(pick));
    return out;
}

std::vector<std::string> Summary(const SessionView& session) {
    const UndoController& controller = session.controller;
    std::vector<std::string> lines;
    const std::vector<std::string> picks = PendingPicks(session.scene);
    if (!picks.empty())
        lines.push_back("note: " + std::to_string(picks.size()) +
                        " pick(s) never completed (no pick action after the release)");
    lines.push_back("operations recorded: " + Join(RecordedOperationNames()));
    lines.push_back("undo stack: " + Join(controller.UndoNames()) +
                    "; redo stack: " + Join(controller.RedoNames()));
    lines.push_back("controller calls: " + std::to_string(controller.Calls()));
    return lines;
}

}  // namespace replay
