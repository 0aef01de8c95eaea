#include <sxmk/MarkupShadow.h>

#include <dg/Matrix.h>

namespace sxmk {

const du::Symbol dragCursorMove("sxmk::dragCursorMove");

MarkupShadow::MarkupShadow(const du::SmartPtr<sxk::View>& shadowView, bool isInteractive)
    : view(shadowView), interactive(isInteractive) {}

MarkupShadow::~MarkupShadow() = default;

void MarkupShadow::DoPreDrawFixup(const dg::Location&) {}

void MarkupShadow::Translate(const dg::DVec3&) {}

void MarkupShadow::Stop(const dg::DVec3&, const du::SmartPtr<sxk::Operation>&) {}

du::SmartPtr<sxk::Markup> MarkupShadow::GetMarkup() {
    return nullptr;
}

bool MarkupShadow::GetDragCursor(const du::SmartPtr<sxmu::ModelBase>&, du::Symbol&) const {
    return false;
}

void MarkupShadow::PreselectHighlight(const du::SmartPtr<sxmu::ModelBase>&) {
    ++baseHighlightCount;
}

void MarkupShadow::ClearPreselectHighlight() {
    ++baseClearHighlightCount;
}

bool MarkupShadow::HandleDragStart() {
    return true;
}

void MarkupShadow::HandleDragStep() {}

void MarkupShadow::HandleDragStop() {}

void MarkupShadow::ChoosePickedMarkup() {}

void MarkupShadow::GetDeltaInObjectSpace(dg::DVec3& out, const dg::DVec3& delta) {
    const dg::DVec3 in = delta;  // out may be delta itself
    const du::SmartPtr<sxk::Markup> markup = GetMarkup();
    if (!markup) {
        out = in;
        return;
    }
    dg::DMat44 toObject;
    markup->placement.GetXform(toObject);
    toObject.m[3][0] = toObject.m[3][1] = toObject.m[3][2] = 0.0;  // a displacement has no position
    // A degenerate rotation has no inverse; the displacement then passes unchanged.
    if (!toObject.Invert()) {
        out = in;
        return;
    }
    out = in * toObject;
}

int MarkupShadow::BroadcastTranslate(const dg::DVec3& delta) {
    ++broadcastTranslateCount;
    int moved = 0;
    // By index: a target may change its own list, never this one's length while we hold it,
    // and iterating this way needs no copy during a drag step.
    for (std::size_t i = 0; i < broadcastTargets.size(); ++i) {
        MarkupShadow* target = broadcastTargets[i].get();
        if (!target || target == this)
            continue;
        target->Translate(delta);
        ++moved;
    }
    return moved;
}

int MarkupShadow::BroadcastStop(const dg::DVec3& delta,
                                const du::SmartPtr<sxk::Operation>& operation) {
    int stopped = 0;
    for (std::size_t i = 0; i < broadcastTargets.size(); ++i) {
        MarkupShadow* target = broadcastTargets[i].get();
        if (!target || target == this)
            continue;
        target->Stop(delta, operation);
        ++stopped;
    }
    return stopped;
}

}  // namespace sxmk
