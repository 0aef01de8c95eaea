#include <sxmk/CalloutLabel.h>
#include <sxmk/CalloutLabelShadow.h>

#include "PoolNew.h"
#include "ViewerAdapter.h"

namespace sxmk {

namespace {

// Gives the note the scene's minimum callout size; nothing without a scene or a note.
void ApplyMinimumSize(Label& label, const sxk::illustration::Illustration3dScene* scene) {
    if (scene == nullptr || !detail::IsSet(label.note))
        return;
    label.note->minimumSize = scene->GetMinCalloutSize();
    label.NotifyContentChanged();
}

}  // namespace

CalloutLabel::CalloutLabel() = default;

CalloutLabel::~CalloutLabel() {
    detail::Reset(scene);
}

// Taken by value: the signature is part of the exported interface.
// NOLINTNEXTLINE(performance-unnecessary-value-param)
void CalloutLabel::SetScene(du::SmartPtr<sxk::Scene> newScene) {
    // Assignment references the new scene before it releases the old one.
    if (detail::Raw(newScene) != detail::Raw(scene))
        scene = newScene;
    ApplyMinimumSize(*this,
                     dynamic_cast<sxk::illustration::Illustration3dScene*>(detail::Raw(scene)));
}

void CalloutLabel::SetPrefsFromScene(
    const du::SmartPtr<sxk::illustration::Illustration3dScene>& from) {
    ApplyMinimumSize(*this, detail::Raw(from));
}

void CalloutLabel::OnApplyPreferences(const du::SmartPtr<sxk::Preferences>& /*preferences*/) {
    ApplyMinimumSize(*this,
                     dynamic_cast<sxk::illustration::Illustration3dScene*>(detail::Raw(scene)));
}

sxk::Markup* CalloutLabel::ConstructShadow(const du::SmartPtr<sxk::View>& view) {
    // The shadow shows the label through its note; without one there is nothing to show.
    if (!detail::IsSet(note))
        return nullptr;

    const du::SmartPtr<sxmu::ModelNote> descNote =
        description ? description->GetNote() : du::SmartPtr<sxmu::ModelNote>();
    const du::SmartPtr<sxmu::ModelNote> titleNote =
        title ? title->GetNote() : du::SmartPtr<sxmu::ModelNote>();

    // Unreferenced: the viewer takes the first reference. Null when the pool has no memory.
    return detail::PoolNew<CalloutLabelShadow>(view, this, note, descNote, titleNote,
                                               du::SmartPtr<sxk::Markup>());
}

}  // namespace sxmk
