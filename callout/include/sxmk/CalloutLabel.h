#pragma once

#include <sxmk/IllsxmkExport.h>

#include <du/SmartPtr.h>
#include <sxk/Preferences.h>
#include <sxk/Scene.h>
#include <sxk/View.h>
#include <sxk/illustration/Illustration3dScene.h>
#include <sxmk/Label.h>

namespace sxmk {

// A label whose note takes its minimum size from the illustration scene it belongs to.
class ILLSXMK_API CalloutLabel : public Label {
public:
    CalloutLabel();
    ~CalloutLabel() override;

    // Stores the scene (referenced) and applies its minimum callout size to the note.
    void SetScene(du::SmartPtr<sxk::Scene> newScene);
    // Applies that scene's minimum callout size to the note; stores nothing.
    void SetPrefsFromScene(const du::SmartPtr<sxk::illustration::Illustration3dScene>& from);
    // Re-applies the stored scene's minimum callout size; the preferences are not read.
    void OnApplyPreferences(const du::SmartPtr<sxk::Preferences>& preferences) override;
    sxk::Markup* ConstructShadow(const du::SmartPtr<sxk::View>& view) override;

private:
    du::SmartPtr<sxk::Scene> scene;
};

}  // namespace sxmk
