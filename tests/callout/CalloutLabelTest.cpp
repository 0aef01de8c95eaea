#include "CalloutTestSupport.h"
#include "Constants.h"

#include <sxk/Preferences.h>
#include <sxk/illustration/Illustration3dScene.h>
#include <sxmk/Label.h>

namespace {

using callouttest::CalloutFixture;
using callouttest::DraggerOf;
using sxk::illustration::Illustration3dScene;

class CalloutLabelScene : public CalloutFixture {
protected:
    void SetUp() override {
        CalloutFixture::SetUp();
        illustration = new Illustration3dScene;
        illustration->SetMinCalloutSize(sxmu::ModelNote::MinimumSizeLarge);
        plainScene = new sxk::Scene;
    }
    void ReleaseAll() override {
        CalloutFixture::ReleaseAll();
        illustration.reset();
        plainScene.reset();
    }

    du::SmartPtr<Illustration3dScene> illustration;
    du::SmartPtr<sxk::Scene> plainScene;
};

TEST_F(CalloutLabelScene, SetSceneHoldsOneReferenceAndReleasesItOnReplaceAndDestruction) {
    label->SetScene(illustration);
    EXPECT_EQ(illustration->GetReferenceCount(), 2);

    label->SetScene(illustration);  // already stored: no reference change
    EXPECT_EQ(illustration->GetReferenceCount(), 2);

    label->SetScene(plainScene);
    EXPECT_EQ(illustration->GetReferenceCount(), 1);
    EXPECT_EQ(plainScene->GetReferenceCount(), 2);

    label.reset();
    EXPECT_EQ(plainScene->GetReferenceCount(), 1);
}

TEST_F(CalloutLabelScene, SetSceneAppliesMinimumSizeWithOneNotificationEachCall) {
    label->SetScene(illustration);
    EXPECT_EQ(note->minimumSize, sxmu::ModelNote::MinimumSizeLarge);
    EXPECT_EQ(label->contentChangedCount, 1);

    // Setting the stored scene again still applies (the scene's value may have changed).
    illustration->SetMinCalloutSize(sxmu::ModelNote::MinimumSizeMedium);
    label->SetScene(illustration);
    EXPECT_EQ(note->minimumSize, sxmu::ModelNote::MinimumSizeMedium);
    EXPECT_EQ(label->contentChangedCount, 2);
}

TEST_F(CalloutLabelScene, SceneWithoutMinimumSizeLeavesNoteAndSendsNothing) {
    struct Case {
        const char* name;
        bool illustrationScene;  // else a plain scene
        bool nullScene;
        bool withNote;
    };
    const Case cases[] = {
        {"null scene", false, true, true},
        {"plain scene", false, false, true},
        {"label without note", true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        du::SmartPtr<sxmk::CalloutLabel> l(new sxmk::CalloutLabel);
        du::SmartPtr<sxmu::ModelNote> n(new sxmu::ModelNote);
        if (c.withNote)
            l->note = n;
        du::SmartPtr<sxk::Scene> s;
        if (!c.nullScene)
            s = c.illustrationScene ? du::SmartPtr<sxk::Scene>(illustration) : plainScene;

        const int sceneRefs = s ? s->GetReferenceCount() : 0;

        l->SetScene(s);
        l->OnApplyPreferences(nullptr);

        EXPECT_EQ(n->minimumSize, sxmu::ModelNote::MinimumSizeNone);
        EXPECT_EQ(l->contentChangedCount, 0);
        if (s) {
            EXPECT_EQ(s->GetReferenceCount(), sceneRefs + 1) << "stored all the same";
        }
    }
}

TEST_F(CalloutLabelScene, SetSceneNullReleasesStoredSceneWithoutTouchingNote) {
    label->SetScene(illustration);
    note->minimumSize = sxmu::ModelNote::MinimumSizeSmall;
    label->SetScene(nullptr);
    EXPECT_EQ(illustration->GetReferenceCount(), 1);
    EXPECT_EQ(note->minimumSize, sxmu::ModelNote::MinimumSizeSmall);
    EXPECT_EQ(label->contentChangedCount, 1);

    label->OnApplyPreferences(nullptr);  // nothing stored any more
    EXPECT_EQ(label->contentChangedCount, 1);
}

TEST_F(CalloutLabelScene, OnApplyPreferencesReappliesStoredSceneWithoutReadingPreferences) {
    label->SetScene(illustration);
    note->minimumSize = sxmu::ModelNote::MinimumSizeNone;
    du::SmartPtr<sxk::Preferences> prefs(new sxk::Preferences);
    prefs->SetInt(sxmk::detail::kPreselectionColorKey, 0x00ff00);

    label->OnApplyPreferences(prefs);
    EXPECT_EQ(note->minimumSize, sxmu::ModelNote::MinimumSizeLarge);
    EXPECT_EQ(label->contentChangedCount, 2);
    EXPECT_EQ(prefs->readCount, 0);
}

TEST_F(CalloutLabelScene, PrefsFromOtherSceneApplyOnceAndStoredSceneWinsAtNextPreferences) {
    label->SetScene(illustration);
    du::SmartPtr<Illustration3dScene> other(new Illustration3dScene);
    other->SetMinCalloutSize(sxmu::ModelNote::MinimumSizeSmall);

    label->SetPrefsFromScene(other);
    EXPECT_EQ(note->minimumSize, sxmu::ModelNote::MinimumSizeSmall);
    EXPECT_EQ(label->contentChangedCount, 2);
    EXPECT_EQ(other->GetReferenceCount(), 1) << "SetPrefsFromScene stores nothing";

    label->OnApplyPreferences(nullptr);
    EXPECT_EQ(note->minimumSize, sxmu::ModelNote::MinimumSizeLarge);
    EXPECT_EQ(label->contentChangedCount, 3);

    label->SetPrefsFromScene(nullptr);
    EXPECT_EQ(label->contentChangedCount, 3);
}

using CalloutLabelShadowFactory = CalloutFixture;

TEST_F(CalloutLabelShadowFactory, ShadowsForTwoViewsEachHoldTheLabel) {
    du::SmartPtr<sxk::View> secondView(new sxk::View);
    du::SmartPtr<sxk::Markup> first(label->ConstructShadow(view));
    du::SmartPtr<sxk::Markup> second(label->ConstructShadow(secondView));
    ASSERT_TRUE(first);
    ASSERT_TRUE(second);
    EXPECT_NE(first.get(), second.get());
    EXPECT_EQ(first->GetReferenceCount(), 1) << "returned unreferenced";
    EXPECT_EQ(label->GetReferenceCount(), 3);

    auto* firstShadow = dynamic_cast<sxmk::CalloutLabelShadow*>(first.get());
    auto* secondShadow = dynamic_cast<sxmk::CalloutLabelShadow*>(second.get());
    ASSERT_TRUE(firstShadow);
    ASSERT_TRUE(secondShadow);
    EXPECT_EQ(firstShadow->view.get(), view.get());
    EXPECT_EQ(secondShadow->view.get(), secondView.get());
    EXPECT_EQ(firstShadow->MarkupOfShadow().get(), label.get());

    first.reset();
    second.reset();
    EXPECT_EQ(label->GetReferenceCount(), 1);
}

TEST_F(CalloutLabelShadowFactory, PassesDescriptionAndTitleNotesWhenPresent) {
    MakeShadow();
    const sxmu::ModelNoteDragger* plain = DraggerOf(*shadow);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->note.get(), note.get());
    EXPECT_FALSE(plain->descriptionNote);
    EXPECT_FALSE(plain->titleNote);
    shadow.reset();

    du::SmartPtr<sxmu::ModelNote> descNote(new sxmu::ModelNote("description"));
    du::SmartPtr<sxmu::ModelNote> titleNote(new sxmu::ModelNote("title"));
    label->description = new sxmk::Description(descNote);
    label->title = new sxmk::Title(titleNote);
    MakeShadow();
    const sxmu::ModelNoteDragger* full = DraggerOf(*shadow);
    ASSERT_TRUE(full);
    EXPECT_EQ(full->descriptionNote.get(), descNote.get());
    EXPECT_EQ(full->titleNote.get(), titleNote.get());
    EXPECT_EQ(descNote->GetReferenceCount(), 3) << "test, description and dragger";
}

TEST_F(CalloutLabelShadowFactory, LabelWithoutNoteGetsNoShadow) {
    label->note = nullptr;
    const std::size_t blocks = sxk::MemoryPoolAllocated::LiveBlocks();
    EXPECT_EQ(label->ConstructShadow(view), nullptr);
    EXPECT_EQ(sxk::MemoryPoolAllocated::LiveBlocks(), blocks);
    EXPECT_EQ(label->GetReferenceCount(), 1);
}

TEST_F(CalloutLabelShadowFactory, ExhaustedPoolGivesNullShadowAndKeepsNothing) {
    sxk::MemoryPoolAllocated::FailAllocation(1);
    EXPECT_EQ(label->ConstructShadow(view), nullptr);
    EXPECT_EQ(label->GetReferenceCount(), 1);
    EXPECT_EQ(note->GetReferenceCount(), 2) << "test and label only";
}

}  // namespace
