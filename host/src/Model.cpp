#include <sxmu/Model.h>

#include <algorithm>
#include <atomic>
#include <utility>

namespace sxmu {

ModelBase::~ModelBase() = default;

void ModelBase::SetRenderAttrsVector(const du::SmartPtr<RenderAttrsVector>& attrs) {
    renderAttrs = attrs;
}

void ModelBase::SetRenderAttrsByIndex(int index) {
    renderAttrsIndex = index;
}

void ModelContainer::AddHead(const du::SmartPtr<ModelBase>& node) {
    if (node)
        children.insert(children.begin(), node);
}

namespace {
std::atomic<long> absentRemovals{0};
}

bool ModelContainer::Remove(const du::SmartPtr<ModelBase>& node) {
    const auto it = std::find(children.begin(), children.end(), node);
    if (it == children.end()) {
        ++absentRemovals;
        return false;
    }
    // Released after the child is gone from the list.
    du::SmartPtr<ModelBase> held = std::move(*it);
    children.erase(it);
    return true;
}

long ModelContainer::AbsentRemovals() {
    return absentRemovals.load();
}

bool ModelContainer::Contains(const ModelBase* node) const {
    return std::any_of(children.begin(), children.end(),
                       [node](const du::SmartPtr<ModelBase>& c) { return c.get() == node; });
}

ModelLineStrip::ModelLineStrip(int stripKind) : kind(stripKind) {}

ModelNoteDragger::ModelNoteDragger(const du::SmartPtr<ModelNote>& mainNote,
                                   const du::SmartPtr<ModelNote>& descNote,
                                   const du::SmartPtr<ModelNote>& ttlNote)
    : note(mainNote), descriptionNote(descNote), titleNote(ttlNote) {}

void ModelNoteDragger::ResetLocation() {
    dragDisplacement = dg::DVec3::ZERO;
    ++resetLocationCount;
}

}  // namespace sxmu
