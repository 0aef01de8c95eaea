#include "WindowShapes.h"

#include <algorithm>
#include <cmath>

namespace replay {

namespace {

// The arrowhead of an arrow handle in its own units along +X, used when a node has none.
constexpr double kHeadTip = 0.0675;
constexpr double kHeadRingX = -0.3168063;
constexpr double kHeadRingRadius = 0.135;

Point2 At(const Screen& s) {
    return {s.x, s.y};
}

// Width of a note's text in pixels: a fixed advance per character (UTF-8 aware).
double TextWidth(const std::string& text) {
    std::size_t glyphs = 0;
    for (const char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++glyphs;
    return 7.0 * static_cast<double>(glyphs);
}

// The smallest box of each minimum size class, in pixels.
void MinimumBox(sxmu::ModelNote::MinimumSize size, double& width, double& height) {
    switch (size) {
        case sxmu::ModelNote::MinimumSizeSmall:
            width = 60.0;
            height = 24.0;
            return;
        case sxmu::ModelNote::MinimumSizeMedium:
            width = 96.0;
            height = 32.0;
            return;
        case sxmu::ModelNote::MinimumSizeLarge:
            width = 140.0;
            height = 44.0;
            return;
        case sxmu::ModelNote::MinimumSizeNone:
            break;
    }
    width = 0.0;
    height = 0.0;
}

}  // namespace

double DistanceToSegment(const Point2& p, const Point2& a, const Point2& b) {
    const double ex = b.x - a.x, ey = b.y - a.y;
    const double ee = ex * ex + ey * ey;
    double t = ee > 0.0 ? ((p.x - a.x) * ex + (p.y - a.y) * ey) / ee : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(p.x - (a.x + ex * t), p.y - (a.y + ey * t));
}

std::optional<SphereShape> SphereInWindow(const Projector& projector, const dg::Location& placement,
                                          const sxmu::ModelSphere& sphere) {
    const auto centre = projector.Project(ToWorld(placement, sphere.location.GetPos()));
    if (!centre)
        return std::nullopt;
    const double radius = std::fabs(sphere.radius * sphere.screenScale.x) * projector.ScreenUnit();
    if (!std::isfinite(radius))
        return std::nullopt;
    return SphereShape{At(*centre), radius};
}

std::optional<ArrowShape> ArrowInWindow(const Projector& projector, const dg::Location& placement,
                                        const sxmu::ModelLeaderLine& arrow) {
    if (arrow.points.size() < 2)
        return std::nullopt;
    const dg::Location& local = arrow.location;
    const dg::DPoint3D worldBase = ToWorld(placement, local.GetPos());
    const auto base = projector.Project(worldBase);
    if (!base)
        return std::nullopt;
    const dg::DVec3 tip = arrow.points[1] - arrow.points[0];
    dg::DVec3 direction = ToWorld(placement, tip * local.GetRotation());
    const double scale = std::fabs(arrow.screenScale.x) * projector.ScreenUnit();
    const double length = tip.Norm() * scale;
    ArrowShape shape;
    shape.base = At(*base);
    shape.end = shape.headTip = shape.ringA = shape.ringB = shape.base;
    if (!direction.Normalize() || !std::isfinite(length)) {
        shape.endOn = true;
        return shape;
    }
    // The window direction of the arrow: the image of a short step along it.
    const double step = 1e-3 * std::max(1.0, std::fabs(base->depth));
    const auto ahead = projector.Project(worldBase + direction * step);
    double dx = ahead ? ahead->x - base->x : 0.0;
    double dy = ahead ? ahead->y - base->y : 0.0;
    const double n = std::hypot(dx, dy);
    if (!(n > 1e-9 * step)) {
        shape.endOn = true;
        return shape;
    }
    dx /= n;
    dy /= n;
    double headTip = kHeadTip, ringX = kHeadRingX, ringRadius = kHeadRingRadius;
    if (const sxmu::ModelArrowhead* head = arrow.arrowHead.get();
        head && head->points.size() >= 2) {
        headTip = head->points[0].x;
        ringX = head->points[1].x;
        ringRadius = std::hypot(head->points[1].y, head->points[1].z);
    }
    auto along = [&](const Point2& from, double d) {
        return Point2{from.x + dx * d, from.y + dy * d};
    };
    shape.end = along(shape.base, length);
    shape.headTip = along(shape.end, headTip * scale);
    const Point2 ring = along(shape.end, ringX * scale);
    const double r = ringRadius * scale;
    shape.ringA = {ring.x - dy * r, ring.y + dx * r};
    shape.ringB = {ring.x + dy * r, ring.y - dx * r};
    return shape;
}

std::vector<std::vector<Point2>> PolylineInWindow(const Projector& projector,
                                                  const dg::Location& placement,
                                                  const std::vector<dg::DPoint3D>& points) {
    std::vector<std::vector<Point2>> runs;
    bool open = false;  // the last run ends at point i, unclipped
    for (std::size_t i = 0; i + 1 < points.size(); ++i) {
        const dg::DPoint3D a0 = ToWorld(placement, points[i]);
        const dg::DPoint3D b0 = ToWorld(placement, points[i + 1]);
        dg::DPoint3D a = a0, b = b0;
        std::optional<Screen> pa, pb;
        if (projector.ClipToFront(a, b)) {
            pa = projector.Project(a);
            pb = projector.Project(b);
        }
        if (!pa || !pb) {
            open = false;
            continue;
        }
        if (!open || a != a0)
            runs.push_back({At(*pa)});
        runs.back().push_back(At(*pb));
        open = b == b0;
    }
    return runs;
}

std::optional<NoteBox> NoteBoxInWindow(const Projector& projector, const dg::Location& placement,
                                       const sxmu::ModelNote& note, const sxmu::ModelNote* title,
                                       const sxmu::ModelNote* description,
                                       const dg::DVec3& displacement) {
    const auto anchor =
        projector.Project(ToWorld(placement, note.location.GetPos()) + displacement);
    if (!anchor)
        return std::nullopt;
    NoteBox box;
    box.anchor = At(*anchor);
    if (title && !title->text.empty())
        box.lines.push_back(title->text);
    box.lines.push_back(note.text);
    if (description && !description->text.empty())
        box.lines.push_back(description->text);
    double textWidth = 0.0;
    for (const std::string& line : box.lines)
        textWidth = std::max(textWidth, TextWidth(line));
    double minWidth = 0.0, minHeight = 0.0;
    MinimumBox(note.minimumSize, minWidth, minHeight);
    box.width = std::max(textWidth + 12.0, minWidth);
    box.height = std::max(kNoteLineHeight * static_cast<double>(box.lines.size()) + 8.0, minHeight);
    // The box hangs to the right of its anchor, centred on it vertically.
    box.x = box.anchor.x + 6.0;
    box.y = box.anchor.y - box.height / 2.0;
    return box;
}

std::optional<NoteBox> LabelBox(const Projector& projector, const LabelEntry& entry) {
    if (!entry.label->note)
        return std::nullopt;
    return NoteBoxInWindow(projector, entry.label->placement, *entry.label->note, nullptr, nullptr,
                           dg::DVec3::ZERO);
}

std::optional<NoteBox> CalloutBox(const Projector& projector, const CalloutEntry& entry,
                                  std::size_t view) {
    const sxmu::ModelNoteDragger* dragger = ReplayScene::DraggerOf(entry.shadows[view].get());
    if (!dragger || !dragger->note)
        return std::nullopt;
    return NoteBoxInWindow(projector, entry.label->placement, *dragger->note,
                           dragger->titleNote.get(), dragger->descriptionNote.get(),
                           dragger->dragDisplacement);
}

const sxmu::ModelLineStrip* LineStripOf(const LineShadow& line) {
    if (const sxmu::ModelContainer* root = ReplayScene::RootOf(line))
        for (const du::SmartPtr<sxmu::ModelBase>& child : root->GetChildren())
            if (const auto* strip = dynamic_cast<const sxmu::ModelLineStrip*>(child.get()))
                return strip;
    return nullptr;
}

std::vector<std::pair<HandleName, Point2>> HandlePixels(const ReplayScene& scene,
                                                        const CenterLineEntry& entry,
                                                        std::size_t view) {
    std::vector<std::pair<HandleName, Point2>> out;
    const LineShadow& line = entry.shadows[view];
    const Projector& projector = scene.views[view].projector;
    const sxmu::ModelContainer* root = ReplayScene::RootOf(line);
    const dg::Location& placement = entry.record->placement;
    for (HandleName h : kAllHandles) {
        const sxmu::ModelBase* node = ReplayScene::NodeOf(line, h);
        if (!node || !root || !root->Contains(node))
            continue;
        std::optional<Point2> at;
        if (const auto* sphere = dynamic_cast<const sxmu::ModelSphere*>(node)) {
            if (const auto shape = SphereInWindow(projector, placement, *sphere))
                at = shape->centre;
        } else if (const auto* arrow = dynamic_cast<const sxmu::ModelLeaderLine*>(node)) {
            if (const auto shape = ArrowInWindow(projector, placement, *arrow))
                // Halves first: ends beyond half the double range would overflow their sum.
                at = Point2{shape->base.x / 2 + shape->end.x / 2,
                            shape->base.y / 2 + shape->end.y / 2};
        }
        if (at)
            out.emplace_back(h, *at);
    }
    return out;
}

}  // namespace replay
