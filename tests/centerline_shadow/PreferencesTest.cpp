// The preselection colour of the centre-line handles.
#include "CenterLineFixture.h"

#include <gtest/gtest.h>

#include <sxmk/TranslatorAxis.h>

#include <cstddef>
#include <vector>

namespace {

using sxmk::defaultHandleColor;
using testsupport::AlongAxisLine;

const char* const kKey = "General/Navigation/preselection_color";
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

    std::vector<const du::SmartPtr<sxmk::TranslatorAxis>*> Axes() const {
        return {&Access::jogAxis(*shadow), &Access::startExtensionAxis(*shadow),
                &Access::endExtensionAxis(*shadow)};
    }
    // Identities of every preselected set: three per arrow, then the spheres' two.
    std::vector<const void*> PreselectedSets() const {
        std::vector<const void*> out;
        for (const auto* axis : Axes()) {
            out.push_back((*axis)->preselectLineAttrs.get());
            out.push_back((*axis)->preselectHeadAttrs.get());
            out.push_back((*axis)->preselectHeadFill.get());
        }
        out.push_back(Access::preselectRenderAttrs(*shadow).get());
        out.push_back(Access::preselectFillAttrs(*shadow).get());
        return out;
    }
    std::vector<const void*> NormalSets() const {
        std::vector<const void*> out;
        for (const auto* axis : Axes()) {
            out.push_back((*axis)->lineAttrs.get());
            out.push_back((*axis)->headAttrs.get());
            out.push_back((*axis)->headFill.get());
        }
        out.push_back(Access::normalRenderAttrs(*shadow).get());
        out.push_back(Access::normalFillAttrs(*shadow).get());
        return out;
    }
    void Highlight(const sxmu::ModelBase* node) {
        shadow->PreselectHighlight(
            du::SmartPtr<sxmu::ModelBase>(const_cast<sxmu::ModelBase*>(node)));
    }
    dg::Color SphereColour(int i) const {
        return Access::sphereDraggers(*shadow)[static_cast<std::size_t>(i)]
            ->GetRenderAttrsVector()
            ->color;
    }
    dg::Color SphereFillColour(int i) const {
        return Access::sphereDraggers(*shadow)[static_cast<std::size_t>(i)]->fillAttrs->color;
    }

    du::SmartPtr<sxk::Preferences> changed;
};

TEST_F(PreselectionColour, WithoutAColourPreselectedHandlesDifferOnlyInLineWeight) {
    for (int i : {0, 1}) {
        Highlight(Access::sphereDraggers(*shadow)[static_cast<std::size_t>(i)].get());
        EXPECT_EQ(SphereColour(i), defaultHandleColor);
        EXPECT_EQ(SphereFillColour(i), defaultHandleColor);
        shadow->ClearPreselectHighlight();
    }
    Highlight(StartArrow());
    const auto& arrow = Access::startExtensionAxis(*shadow)->arrow;
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
    const auto after = PreselectedSets();
    ASSERT_EQ(after.size(), 11u);
    for (std::size_t i = 0; i < after.size(); ++i)
        EXPECT_NE(after[i], before[i]) << i;
    EXPECT_EQ(NormalSets(), normal);
    EXPECT_EQ(shadow->contentChangedCount, notified);

    for (const auto* axis : Axes()) {
        EXPECT_EQ((*axis)->preselectLineAttrs->color, kOrange);
        EXPECT_EQ((*axis)->preselectLineAttrs->weight, 4);
        EXPECT_EQ((*axis)->preselectLineAttrs->mode, 5);
        EXPECT_EQ((*axis)->preselectHeadAttrs->color, kOrange);
        EXPECT_EQ((*axis)->preselectHeadFill->color, kOrange);
    }
    EXPECT_EQ(Access::preselectRenderAttrs(*shadow)->weight, 2);
    EXPECT_EQ(Access::preselectRenderAttrs(*shadow)->mode, 2);
}

TEST_F(PreselectionColour, SpheresHighlightInTheReadColourAndClearToTheDefault) {
    changed->SetColor(kKey, kOrange);
    shadow->OnApplyPreferences(changed);
    for (int i : {0, 1}) {
        Highlight(Access::sphereDraggers(*shadow)[static_cast<std::size_t>(i)].get());
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
    Highlight(JogArrow());
    EXPECT_EQ(Access::jogAxis(*shadow)->arrow->GetRenderAttrsVector()->color, kTranslucent);
    EXPECT_EQ(Access::preselectFillAttrs(*shadow)->color, kTranslucent);
}

TEST_F(PreselectionColour, HighlightedArrowKeepsTheOldColourUntilHighlightedAgain) {
    Highlight(EndArrow());
    const auto& arrow = Access::endExtensionAxis(*shadow)->arrow;
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
    EXPECT_EQ(Access::preselectRenderAttrs(*shadow)->color, kOrange);
}

}  // namespace
