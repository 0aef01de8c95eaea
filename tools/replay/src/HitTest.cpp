#include "HitTest.h"

#include "RecordState.h"
#include "WindowShapes.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace replay {

namespace {

void Consider(std::optional<NodeHit>& best, const NodeHit& hit) {
    if (!best || hit.kind < best->kind || (hit.kind == best->kind && hit.distance < best->distance))
        best = hit;
}

double PolylineDistance(const std::vector<std::vector<Point2>>& runs, const Point2& p) {
    double best = std::numeric_limits<double>::infinity();
    for (const std::vector<Point2>& run : runs)
        for (std::size_t i = 0; i + 1 < run.size(); ++i)
            best = std::min(best, DistanceToSegment(p, run[i], run[i + 1]));
    return best;
}

// Where the ray enters the box (or leaves it, when it starts inside); false when it misses.
bool RayBox(const dg::DRay& ray, const dg::DPoint3D& lo, const dg::DPoint3D& hi, double& t) {
    double t0 = -std::numeric_limits<double>::infinity();
    double t1 = std::numeric_limits<double>::infinity();
    for (int a = 0; a < 3; ++a) {
        const double o = ray.origin[a], d = ray.direction[a];
        if (std::fabs(d) < 1e-15) {
            if (o < lo[a] || o > hi[a])
                return false;
            continue;
        }
        double ta = (lo[a] - o) / d, tb = (hi[a] - o) / d;
        if (ta > tb)
            std::swap(ta, tb);
        t0 = std::max(t0, ta);
        t1 = std::min(t1, tb);
        if (t0 > t1)
            return false;
    }
    if (t1 < 0.0)
        return false;
    t = t0 >= 0.0 ? t0 : t1;
    return true;
}

// The point of the segment nearest to the ray's line.
dg::DPoint3D NearestOnSegment(const dg::DRay& ray, const dg::DPoint3D& a, const dg::DPoint3D& b) {
    const dg::DVec3 u = b - a;
    const dg::DVec3 v = ray.direction;
    const dg::DVec3 w = a - ray.origin;
    const double uu = dg::Dot(u, u), uv = dg::Dot(u, v), vv = dg::Dot(v, v);
    const double uw = dg::Dot(u, w), vw = dg::Dot(v, w);
    const double denom = uu * vv - uv * uv;
    double s = denom > 1e-18 ? (uv * vw - vv * uw) / denom : 0.0;
    s = std::clamp(s, 0.0, 1.0);
    return a + u * s;
}

dg::DPoint3D BoxCentre(const PartInput& p) {
    return {(p.min.x + p.max.x) / 2.0, (p.min.y + p.max.y) / 2.0, (p.min.z + p.max.z) / 2.0};
}

}  // namespace

sxmk::MarkupShadow* NodeHit::Shadow() const {
    if (line)
        return line->shadows[view].shadow.get();
    return callout ? callout->shadows[view].get() : nullptr;
}

const std::string& NodeHit::Id() const {
    return line ? line->config.id : callout->config.id;
}

std::string NodeHit::Describe() const {
    if (callout)
        return callout->config.id + " callout note";
    if (!line)
        return "nothing";
    if (handle)
        return line->config.id + " " + HandleLabel(*handle);
    return line->config.id + " line";
}

std::optional<NodeHit> HitTest(ReplayScene& scene, std::size_t view, int x, int y) {
    const Point2 p{static_cast<double>(x), static_cast<double>(y)};
    const Projector& proj = scene.views[view].projector;
    std::optional<NodeHit> best;
    for (CenterLineEntry& entry : scene.centerLines) {
        const LineShadow& shadow = entry.shadows[view];
        const sxmu::ModelContainer* root = ReplayScene::RootOf(shadow);
        if (!root)
            continue;
        const dg::Location& placement = entry.record->placement;
        for (const du::SmartPtr<sxmu::ModelBase>& child : root->GetChildren()) {
            NodeHit hit;
            hit.line = &entry;
            hit.view = view;
            hit.node = child.get();
            hit.handle = ReplayScene::HandleOf(shadow, child.get());
            if (const auto* sphere = dynamic_cast<const sxmu::ModelSphere*>(child.get())) {
                const auto shape = SphereInWindow(proj, placement, *sphere);
                if (!shape)
                    continue;
                hit.kind = NodeHit::Sphere;
                hit.distance = std::hypot(p.x - shape->centre.x, p.y - shape->centre.y);
                if (hit.distance <= std::max(kHandleHitRadius, shape->radius))
                    Consider(best, hit);
            } else if (const auto* arrow =
                           dynamic_cast<const sxmu::ModelLeaderLine*>(child.get())) {
                const auto shape = ArrowInWindow(proj, placement, *arrow);
                if (!shape)
                    continue;
                hit.kind = NodeHit::Arrow;
                hit.distance = DistanceToSegment(p, shape->base, shape->headTip);
                if (hit.distance <= kHandleHitRadius)
                    Consider(best, hit);
            } else if (const auto* strip = dynamic_cast<const sxmu::ModelLineStrip*>(child.get())) {
                hit.kind = NodeHit::Line;
                hit.handle.reset();
                hit.distance =
                    PolylineDistance(PolylineInWindow(proj, placement, strip->points), p);
                if (hit.distance <= kLineHitRadius)
                    Consider(best, hit);
            }
        }
    }
    for (CalloutEntry& entry : scene.callouts) {
        const auto box = CalloutBox(proj, entry, view);
        if (!box || !box->Contains(p))
            continue;
        NodeHit hit;
        hit.kind = NodeHit::Note;
        hit.callout = &entry;
        hit.view = view;
        hit.node = ReplayScene::DraggerOf(entry.shadows[view].get());
        hit.distance = std::hypot(p.x - box->anchor.x, p.y - box->anchor.y);
        Consider(best, hit);
    }
    return best;
}

std::vector<PickHit> CastPick(ReplayScene& scene, std::size_t view, int x, int y) {
    const Projector& proj = scene.views[view].projector;
    const dg::DRay ray = proj.Camera().WindowRay(static_cast<double>(x), static_cast<double>(y));
    const Point2 p{static_cast<double>(x), static_cast<double>(y)};
    std::vector<PickHit> hits;
    auto add = [&](sxk::Object* object, const dg::DPoint3D& point, const std::string& what) {
        PickHit hit;
        hit.result.object = object;
        hit.result.point = point;
        hit.depth = dg::Dot(point - ray.origin, ray.direction);
        hit.description = what + " at " + Format(point);
        hits.push_back(hit);
    };
    for (PartEntry& part : scene.parts) {
        double t = 0.0;
        if (RayBox(ray, part.config.min, part.config.max, t))
            add(part.shape.get(), ray.Lirp(t), "part " + part.config.id);
    }
    for (LabelEntry& label : scene.labels) {
        const auto box = LabelBox(proj, label);
        if (box && box->Contains(p))
            add(label.label.get(), ToWorld(label.label->placement, label.label->GetPos()),
                "label " + label.config.id);
    }
    for (CalloutEntry& callout : scene.callouts) {
        const auto box = CalloutBox(proj, callout, view);
        if (box && box->Contains(p))
            add(callout.label.get(), ToWorld(callout.label->placement, callout.label->GetPos()),
                "callout " + callout.config.id);
    }
    // A centre line is picked where it is drawn: the viewer reports the shadow it meets.
    for (CenterLineEntry& line : scene.centerLines) {
        const sxmu::ModelLineStrip* strip = LineStripOf(line.shadows[view]);
        if (!strip)
            continue;
        const dg::Location& placement = line.record->placement;
        double bestDistance = kLineHitRadius;
        std::optional<dg::DPoint3D> bestPoint;
        for (std::size_t i = 0; i + 1 < strip->points.size(); ++i) {
            const std::vector<dg::DPoint3D> segment{strip->points[i], strip->points[i + 1]};
            const double d = PolylineDistance(PolylineInWindow(proj, placement, segment), p);
            if (d <= bestDistance) {
                bestDistance = d;
                bestPoint = NearestOnSegment(ray, ToWorld(placement, segment[0]),
                                             ToWorld(placement, segment[1]));
            }
        }
        if (bestPoint)
            add(line.shadows[view].shadow.get(), *bestPoint,
                "centre line " + line.config.id + " (shadow)");
    }
    std::stable_sort(hits.begin(), hits.end(),
                     [](const PickHit& a, const PickHit& b) { return a.depth < b.depth; });
    return hits;
}

std::vector<PickHit> ExplicitPick(ReplayScene& scene, std::size_t view,
                                  const std::vector<PickResultInput>& configs) {
    std::vector<PickHit> hits;
    for (const PickResultInput& config : configs) {
        PickHit hit;
        dg::DPoint3D reference;
        std::string kind;
        for (PartEntry& e : scene.parts)
            if (e.config.id == config.object) {
                hit.result.object = e.shape.get();
                reference = BoxCentre(e.config);
                kind = "part ";
            }
        for (LabelEntry& e : scene.labels)
            if (e.config.id == config.object) {
                hit.result.object = e.label.get();
                reference = ToWorld(e.label->placement, e.label->GetPos());
                kind = "label ";
            }
        if (CalloutEntry* e = scene.FindCallout(config.object)) {
            hit.result.object = e->label.get();
            reference = ToWorld(e->label->placement, e->label->GetPos());
            kind = "callout ";
        }
        if (CenterLineEntry* e = scene.FindCenterLine(config.object)) {
            if (config.asShadow)
                hit.result.object = e->shadows[view].shadow.get();
            else
                hit.result.object = e->record.get();
            reference = ToWorld(e->record->placement, e->record->GetStartPoint());
            kind = config.asShadow ? "centre-line shadow " : "centre line ";
        }
        hit.result.point = config.point ? *config.point : reference;
        hit.description = kind + config.object + " at " + Format(hit.result.point);
        hits.push_back(hit);
    }
    return hits;
}

}  // namespace replay
