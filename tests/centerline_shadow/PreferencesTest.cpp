// The preselection colour of the centre-line handles.
#include "CenterLineFixture.h"
#include "Constants.h"

#include <gtest/gtest.h>

#include <sxmk/TranslatorAxis.h>

#include <cstddef>
#include <vector>

namespace {

using sxmk::defaultHandleColor;
using testsupport::AlongAxisLine;

const char* const kKey = sxmk::detail::kPreselectionColorKey;
const dg::Color kOrange(1.0f, 0.5f, 0.0f, 1.0f);
const dg::Color kTranslucent(0.2f, 0.3f, 0.4f, 0.5f);

class PreselectionColour : public testsupport::CenterLineFixture {
protected:
    void SetUp() override {
        CenterLineFixture::SetUp();
        MakeShadow(AlongAxisLine({0, 0, 0}, {10, 4, 3}, 1.0f, 1.0f));
        ASSERT_TRUE(shadow);
        ASSERT_TRUE(DrawnRoot()->Contains(JogArrow()));
        changed = new sxk::Preferences;
    }
    void ReleaseAll() override {
        changed = nullptr;
        CenterLineFixture::ReleaseAll();
    }

    const sxmu::ModelBase* Sphere(int i) const { return i == 0 ? StartSphere() : EndSphere(); }
    std::vector<const sxmu::ModelBase*> Arrows() const {
        return {JogArrow(), StartArrow(), EndArrow()};
    }
    // Identities of the sets each handle draws with, three per arrow, then two per sphere:
    // while highlighted (each highlighted and cleared in turn), or as it is now.
    std::vector<const void*> Sets(bool highlighted) {
        std::vector<const void*> out;
        for (const sxmu::ModelBase* node :
             {JogArrow(), StartArrow(), EndArrow(), Sphere(0), Sphere(1)}) {
            const Look look = highlighted ? HighlightedLook(node) : LookOf(node);
            if (dynamic_cast<const sxmu::ModelSphere*>(node) != nullptr)
                out.insert(out.end(), {look.line, look.fill});
            else
                out.insert(out.end(), {look.line, look.head, look.fill});
        }
        return out;
    }
    std::vector<const void*> PreselectedSets() { return Sets(true); }
    std::vector<const void*> NormalSets() { return Sets(false); }
    void Highlight(const sxmu::ModelBase* node) {
        shadow->PreselectHighlight(
            du::SmartPtr<sxmu::ModelBase>(const_cast<sxmu::ModelBase*>(node)));
    }
    dg::Color SphereColour(int i) const { return LookOf(Sphere(i)).line->color; }
    dg::Color SphereFillColour(int i) const { return LookOf(Sphere(i)).fill->color; }

    du::SmartPtr<sxk::Preferences> changed;
};

TEST_F(PreselectionColour, WithoutAColourPreselectedHandlesDifferOnlyInLineWeight) {
    for (int i : {0, 1}) {
        Highlight(Sphere(i));
        EXPECT_EQ(SphereColour(i), defaultHandleColor);
        EXPECT_EQ(SphereFillColour(i), defaultHandleColor);
        shadow->ClearPreselectHighlight();
    }
    Highlight(StartArrow());
    const auto* arrow = dynamic_cast<const sxmu::ModelLeaderLine*>(StartArrow());
    EXPECT_EQ(arrow->GetRenderAttrsVector()->color, defaultHandleColor);
    EXPECT_EQ(arrow->GetRenderAttrsVector()->weight, 4);
    EXPECT_EQ(arrow->GetArrowHead()->fillAttrs->color, defaultHandleColor);
    shadow->ClearPreselectHighlight();
    EXPECT_EQ(arrow->GetRenderAttrsVector()->weight, 3);
}

TEST_F(PreselectionColour, ColourReadReplacesEveryPreselectedSetAndNothingElse) {
    const auto before = PreselectedSets();
    const auto normal = NormalSets();
    const int notified = shadow->contentChangedCount;
    changed->SetColor(kKey, kOrange);

    shadow->OnApplyPreferences(changed);
    EXPECT_EQ(shadow->contentChangedCount, notified);
    EXPECT_EQ(NormalSets(), normal);
    const auto after = PreselectedSets();
    ASSERT_EQ(after.size(), 13u);
    for (std::size_t i = 0; i < after.size(); ++i)
        EXPECT_NE(after[i], before[i]) << i;
    EXPECT_EQ(NormalSets(), normal);

    for (const sxmu::ModelBase* arrow : Arrows()) {
        const Look look = HighlightedLook(arrow);
        EXPECT_EQ(look.line->color, kOrange);
        EXPECT_EQ(look.line->weight, 4);
        EXPECT_EQ(look.line->mode, 5);
        EXPECT_EQ(look.head->color, kOrange);
        EXPECT_EQ(look.fill->color, kOrange);
    }
    for (int i : {0, 1}) {
        const Look look = HighlightedLook(Sphere(i));
        EXPECT_EQ(look.line->color, kOrange);
        EXPECT_EQ(look.line->weight, 2);
        EXPECT_EQ(look.line->mode, 2);
        EXPECT_EQ(look.fill->color, kOrange);
    }
}

TEST_F(PreselectionColour, SpheresHighlightInTheReadColourAndClearToTheDefault) {
    changed->SetColor(kKey, kOrange);
    shadow->OnApplyPreferences(changed);
    for (int i : {0, 1}) {
        Highlight(Sphere(i));
        EXPECT_EQ(SphereColour(i), kOrange);
        EXPECT_EQ(SphereFillColour(i), kOrange);
        shadow->ClearPreselectHighlight();
        EXPECT_EQ(SphereColour(i), defaultHandleColor);
        EXPECT_EQ(SphereFillColour(i), defaultHandleColor);
    }
}

TEST_F(PreselectionColour, ColourIsUsedWithItsAlpha) {
    changed->SetColor(kKey, kTranslucent);
    shadow->OnApplyPreferences(changed);
    EXPECT_EQ(HighlightedLook(JogArrow()).line->color, kTranslucent);
    EXPECT_EQ(HighlightedLook(StartSphere()).fill->color, kTranslucent);
}

TEST_F(PreselectionColour, HighlightedArrowKeepsTheOldColourUntilHighlightedAgain) {
    Highlight(EndArrow());
    const auto* arrow = dynamic_cast<const sxmu::ModelLeaderLine*>(EndArrow());
    const auto shownLine = arrow->GetRenderAttrsVector();
    const auto shownFill = arrow->GetArrowHead()->fillAttrs;

    changed->SetColor(kKey, kOrange);
    shadow->OnApplyPreferences(changed);
    EXPECT_EQ(arrow->GetRenderAttrsVector(), shownLine);
    EXPECT_EQ(arrow->GetArrowHead()->fillAttrs, shownFill);
    EXPECT_EQ(arrow->GetRenderAttrsVector()->color, defaultHandleColor);

    shadow->ClearPreselectHighlight();
    Highlight(EndArrow());
    EXPECT_EQ(arrow->GetRenderAttrsVector()->color, kOrange);
    EXPECT_EQ(arrow->GetArrowHead()->GetRenderAttrsVector()->color, kOrange);
    EXPECT_EQ(arrow->GetArrowHead()->fillAttrs->color, kOrange);
}

TEST_F(PreselectionColour, FailedReadKeepsTheEarlierColour) {
    changed->SetColor(kKey, kOrange);
    shadow->OnApplyPreferences(changed);
    const auto sets = PreselectedSets();

    du::SmartPtr<sxk::Preferences> without(new sxk::Preferences);
    du::SmartPtr<sxk::Preferences> notAColour(new sxk::Preferences);
    notAColour->SetText(kKey, "orange");
    for (const auto* prefs : {&without, &notAColour}) {
        shadow->OnApplyPreferences(*prefs);
        EXPECT_EQ(PreselectedSets(), sets);
        EXPECT_GE((*prefs)->readCount, 1);
    }
    // An absent argument is ignored as well.
    shadow->OnApplyPreferences(du::SmartPtr<sxk::Preferences>());
    EXPECT_EQ(PreselectedSets(), sets);
    EXPECT_EQ(HighlightedLook(StartSphere()).line->color, kOrange);
}

}  // namespace
