#include "RecordState.h"

#include <sxk/illustration/SbomInstance.h>

#include <cmath>
#include <cstdio>

namespace replay {

bool Same(double a, double b) {
    return a == b || (std::isnan(a) && std::isnan(b));
}

bool Same(const dg::DPoint3D& a, const dg::DPoint3D& b) {
    return Same(a.x, b.x) && Same(a.y, b.y) && Same(a.z, b.z);
}

bool Same(const dg::DVec3& a, const dg::DVec3& b) {
    return Same(a.x, b.x) && Same(a.y, b.y) && Same(a.z, b.z);
}

bool Same(const std::vector<dg::DPoint3D>& a, const std::vector<dg::DPoint3D>& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!Same(a[i], b[i]))
            return false;
    return true;
}

std::string Quote(const std::string& s) {
    return "\"" + s + "\"";
}

std::string Join(const std::vector<std::string>& items) {
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i)
        out += (i ? ", " : "") + Quote(items[i]);
    return out + "]";
}

bool Near(double a, double b, double tolerance) {
    return std::fabs(a - b) <= tolerance || (std::isnan(a) && std::isnan(b));
}

bool Near(const dg::DPoint3D& a, const dg::DPoint3D& b, double tolerance) {
    return Near(a.x, b.x, tolerance) && Near(a.y, b.y, tolerance) && Near(a.z, b.z, tolerance);
}

std::string DescribeItem(const du::SmartPtr<sxk::SelectionItem>& item) {
    if (!item)
        return "none";
    if (const auto* sbom =
            dynamic_cast<const sxk::illustration::SbomInstanceSelectionItem*>(item.get()))
        return "sbom:" + (sbom->GetSbomInstance() ? sbom->GetSbomInstance()->GetIDPath().str()
                                                  : std::string("?"));
    if (const auto* object = dynamic_cast<const sxk::ObjectSelectionItem*>(item.get())) {
        const auto* instance = dynamic_cast<const sxk::Instance*>(object->GetObject().get());
        return "instance:" + (instance ? instance->GetIDPath().str() : std::string("?"));
    }
    return "item";
}

std::string Format(double v) {
    if (v == 0.0)
        return "0";  // no "-0"
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.6g", v);
    return buffer;
}

std::string Format(const dg::DPoint3D& p) {
    return "(" + Format(p.x) + ", " + Format(p.y) + ", " + Format(p.z) + ")";
}

std::string Format(const dg::DVec3& v) {
    return Format(dg::DPoint3D(v.x, v.y, v.z));
}

std::string Format(const std::vector<dg::DPoint3D>& points) {
    std::string out = "[";
    for (std::size_t i = 0; i < points.size(); ++i)
        out += (i ? ", " : "") + Format(points[i]);
    return out + "]";
}

// The record has no setter for most of its fields; they are reached the way the viewer reaches
// them: SetAlongAxis on the list the along-axis data derive from gives those back (the list the
// record stored last may have another length and leave them alone); BuildPoints stores the mode,
// the extensions, the frame and the axis order; SetPoints of the list stored last gives back the
// true ends; the stored list itself is then written as it was (the shadow edits it in place
// during drags).
void RestoreCenterLine(ReplayScene& scene, CenterLineEntry& entry, const CenterLineState& state) {
    sxmk::CenterLineXYZ& r = *entry.record;
    std::vector<dg::DPoint3D> scratch;
    if (!state.axisStored.empty()) {
        *r.GetPoints() = state.axisStored;
        r.SetAlongAxis(state.ratio);
    }
    entry.axisStored = state.axisStored;
    entry.config.frame = state.frame;
    entry.config.axisOrder = state.axisOrder;
    r.BuildPoints(state.startPoint, state.endPoint, state.alongAxis, state.startExtension,
                  state.endExtension, state.ratio, dg::Location(state.frame, {}),
                  state.axisOrder.data(), scratch);
    r.SetPoints(state.lastStored);
    r.SetDivRation(state.ratio);
    *r.GetPoints() = state.points;
    r.SetEndPointAttached(state.attached);
    du::Symbol partID(state.partID);
    r.SetPartID(partID);
    entry.lastStored = state.lastStored;
    if (CaptureCenterLine(entry) != state)
        scene.warnings.push_back(entry.config.id + ": the record could not be restored exactly");
    scene.RebuildShadows(entry);
}

void RestoreCallout(CalloutEntry& entry, const CalloutState& state) {
    if (entry.label->note) {
        entry.label->note->location.SetPos(state.position);
        entry.label->note->minimumSize =
            static_cast<sxmu::ModelNote::MinimumSize>(state.minimumSize);
    }
    for (const du::SmartPtr<sxmk::CalloutLabelShadow>& shadow : entry.shadows) {
        shadow->SetRefPoint(state.position);
        shadow->MoveToLabel();
    }
}

}  // namespace replay
