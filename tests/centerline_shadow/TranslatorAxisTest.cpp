// Arrow handles and the appearance-set builders.
#include "Constants.h"
#include "HostFixture.h"

#include <gtest/gtest.h>

#include <attrs/Server.h>
#include <sxmk/TranslatorAxis.h>

#include <cmath>

namespace {

using sxmk::defaultHandleColor;
using sxmk::TranslatorAxis;

const dg::Color kOrange(1.0f, 0.5f, 0.0f, 1.0f);

class ArrowHandle : public testsupport::HostFixture {};

TEST_F(ArrowHandle, RenderSetTakesColourWeightModeAndFixedSwitches) {
    struct Case {
        dg::Color colour;
        int weight;
        int mode;
    };
    for (const Case& c : {Case{defaultHandleColor, 4, 5}, Case{kOrange, 3, 5},
                          Case{dg::Color(0.2f, 0.3f, 0.4f, 0.5f), 2, 2}}) {
        const auto attrs = sxmk::MakeRenderAttrs(c.colour, c.weight, c.mode);
        ASSERT_TRUE(attrs);
        EXPECT_EQ(attrs->color, c.colour);
        EXPECT_EQ(attrs->weight, c.weight);
        EXPECT_EQ(attrs->mode, c.mode);
        EXPECT_EQ(attrs->renderOption1, 0);
        EXPECT_EQ(attrs->renderOption2, 0);
        EXPECT_EQ(attrs->renderOption3, 0);
        EXPECT_EQ(attrs->renderSwitch1, 1);
        EXPECT_EQ(attrs->renderSwitch2, 1);
        EXPECT_EQ(attrs->lineType, sxmu::RenderAttrsVector().lineType);
    }
    EXPECT_NE(sxmk::MakeRenderAttrs(kOrange, 2, 2), sxmk::MakeRenderAttrs(kOrange, 2, 2));
}

TEST_F(ArrowHandle, FillIsSolidAndRequestedAnewEachTime) {
    const int served = attrs::Server::Instance()->shareCount;
    const auto first = sxmk::MakeFillAttrs(kOrange);
    const auto second = sxmk::MakeFillAttrs(kOrange);
    EXPECT_EQ(attrs::Server::Instance()->shareCount, served + 2);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->fillStyle, 0);
    EXPECT_EQ(first->color, kOrange);
    EXPECT_NE(first.get(), second.get());
}

// Built in a preselection colour, an arrow holds what one built in the default colour holds after
// SetPreselectColor: the same sets, each a separate object, the node showing the normal ones.
TEST_F(ArrowHandle, ColouredConstructionEqualsRecolouring) {
    du::SmartPtr<TranslatorAxis> coloured(new TranslatorAxis(dg::DVec3(0.0, 2.0, 0.0), kOrange));
    du::SmartPtr<TranslatorAxis> recoloured(new TranslatorAxis(dg::DVec3(0.0, 2.0, 0.0)));
    recoloured->SetPreselectColor(kOrange);
    const auto renderSets = [](const TranslatorAxis& a) {
        return std::vector<const sxmu::RenderAttrsVector*>{
            a.preselectLineAttrs.get(), a.lineAttrs.get(), a.preselectHeadAttrs.get(),
            a.headAttrs.get()};
    };
    const auto made = renderSets(*coloured), expected = renderSets(*recoloured);
    for (std::size_t i = 0; i < made.size(); ++i) {
        EXPECT_EQ(made[i]->color, expected[i]->color) << i;
        EXPECT_EQ(made[i]->weight, expected[i]->weight) << i;
        EXPECT_EQ(made[i]->mode, expected[i]->mode) << i;
        for (std::size_t j = 0; j < i; ++j)
            EXPECT_NE(made[i], made[j]);
    }
    EXPECT_EQ(coloured->preselectHeadFill->color, kOrange);
    EXPECT_EQ(coloured->headFill->color, sxmk::defaultHandleColor);
    EXPECT_NE(coloured->preselectHeadFill, coloured->headFill);
    EXPECT_EQ(coloured->arrow->GetRenderAttrsVector(), coloured->lineAttrs);
    EXPECT_EQ(coloured->arrow->GetArrowHead()->GetRenderAttrsVector(), coloured->headAttrs);
    EXPECT_EQ(coloured->arrow->GetArrowHead()->fillAttrs, coloured->headFill);
    EXPECT_EQ(coloured->arrow->points, recoloured->arrow->points);
    EXPECT_EQ(coloured->arrow->GetArrowHead()->points, recoloured->arrow->GetArrowHead()->points);
}

TEST_F(ArrowHandle, NewArrowIsAScreenSizedLineToTheTipWithAConeHead) {
    du::SmartPtr<TranslatorAxis> axis(new TranslatorAxis(dg::DVec3(0.0, 2.0, 0.0)));
    const auto& arrow = axis->arrow;
    ASSERT_TRUE(arrow);
    EXPECT_TRUE(arrow->screenSized);
    EXPECT_EQ(arrow->screenSizeOption1, 0);
    EXPECT_EQ(arrow->screenSizeOption2, 0);
    EXPECT_EQ(arrow->leaderStyle, 3);
    constexpr double kScale = sxmk::detail::kHandleScreenScale;
    EXPECT_EQ(arrow->screenScale, dg::DVec3(kScale, kScale, kScale));
    ASSERT_EQ(arrow->points.size(), 2u);
    EXPECT_EQ(arrow->points[0], dg::DPoint3D(0.0, 0.0, 0.0));
    EXPECT_EQ(arrow->points[1], dg::DPoint3D(0.0, 2.0, 0.0));

    const auto head = arrow->GetArrowHead();
    ASSERT_TRUE(head);
    EXPECT_TRUE(head->screenSized);
    EXPECT_EQ(head->screenSizeOption1, 0);
    EXPECT_EQ(head->screenSizeOption2, 0);
    ASSERT_EQ(head->points.size(), 12u);
    EXPECT_EQ(head->points[0], dg::DPoint3D(0.0675, 0.0, 0.0));
    const double ringX = 0.135 * (0.0675 - 1.0 / std::tan(std::acos(-1.0) / 8.0));
    EXPECT_NEAR(ringX, -0.3168063, 1e-7);
    EXPECT_NEAR(head->points[1].x, ringX, 1e-12);
    EXPECT_NEAR(head->points[1].y, 0.0, 1e-12);
    EXPECT_NEAR(head->points[1].z, 0.135, 1e-12);
    EXPECT_NEAR(head->points[11].x, head->points[1].x, 1e-12);
    EXPECT_NEAR(head->points[11].y, head->points[1].y, 1e-12);
    EXPECT_NEAR(head->points[11].z, head->points[1].z, 1e-12);
    for (std::size_t i = 1; i < 12; ++i) {
        const dg::DPoint3D& p = head->points[i];
        EXPECT_NEAR(p.x, ringX, 1e-12) << i;
        EXPECT_NEAR(std::hypot(p.y, p.z), 0.135, 1e-12) << i;
    }
    // Ring point i lies at i tenths of a turn.
    EXPECT_NEAR(head->points[4].y, 0.135 * std::sin(3 * 2.0 * std::acos(-1.0) / 10.0), 1e-12);
}

TEST_F(ArrowHandle, StartsWithSixSeparateDefaultSetsAndShowsTheNormalOnes) {
    du::SmartPtr<TranslatorAxis> axis(new TranslatorAxis(dg::DVec3(1.0, 0.0, 0.0)));
    EXPECT_EQ(axis->GetReferenceCount(), 1);

    EXPECT_EQ(axis->preselectLineAttrs->weight, 4);
    EXPECT_EQ(axis->preselectLineAttrs->mode, 5);
    EXPECT_EQ(axis->lineAttrs->weight, 3);
    EXPECT_EQ(axis->lineAttrs->mode, 5);
    for (const auto* set : {&axis->preselectHeadAttrs, &axis->headAttrs}) {
        EXPECT_EQ((*set)->weight, 2);
        EXPECT_EQ((*set)->mode, 2);
    }
    for (const auto* set :
         {&axis->preselectLineAttrs, &axis->lineAttrs, &axis->preselectHeadAttrs, &axis->headAttrs})
        EXPECT_EQ((*set)->color, defaultHandleColor);
    for (const auto* fill : {&axis->preselectHeadFill, &axis->headFill}) {
        EXPECT_EQ((*fill)->color, defaultHandleColor);
        EXPECT_EQ((*fill)->fillStyle, 0);
    }
    EXPECT_NE(axis->preselectHeadAttrs, axis->headAttrs);
    EXPECT_NE(axis->preselectHeadFill, axis->headFill);

    const auto head = axis->arrow->GetArrowHead();
    EXPECT_EQ(axis->arrow->GetRenderAttrsVector(), axis->lineAttrs);
    EXPECT_EQ(head->GetRenderAttrsVector(), axis->headAttrs);
    EXPECT_EQ(head->fillAttrs, axis->headFill);
}

TEST_F(ArrowHandle, HighlightSwitchesToPreselectedSetsAndClearRestoresTheSameOnes) {
    du::SmartPtr<TranslatorAxis> axis(new TranslatorAxis(dg::DVec3(1.0, 0.0, 0.0)));
    const auto head = axis->arrow->GetArrowHead();

    axis->Highlight();
    EXPECT_EQ(axis->arrow->GetRenderAttrsVector(), axis->preselectLineAttrs);
    EXPECT_EQ(head->GetRenderAttrsVector(), axis->preselectHeadAttrs);
    EXPECT_EQ(head->fillAttrs, axis->preselectHeadFill);

    axis->ClearHighlight();
    EXPECT_EQ(axis->arrow->GetRenderAttrsVector(), axis->lineAttrs);
    EXPECT_EQ(head->GetRenderAttrsVector(), axis->headAttrs);
    EXPECT_EQ(head->fillAttrs, axis->headFill);
}

TEST_F(ArrowHandle, NewPreselectColourShowsOnlyFromTheNextHighlight) {
    du::SmartPtr<TranslatorAxis> axis(new TranslatorAxis(dg::DVec3(1.0, 0.0, 0.0)));
    const auto head = axis->arrow->GetArrowHead();
    const auto lineAttrs = axis->lineAttrs;
    const auto headAttrs = axis->headAttrs;
    const auto headFill = axis->headFill;

    axis->Highlight();
    const auto oldLine = axis->preselectLineAttrs;
    axis->SetPreselectColor(kOrange);
    EXPECT_EQ(axis->arrow->GetRenderAttrsVector(), oldLine);
    EXPECT_EQ(axis->arrow->GetRenderAttrsVector()->color, defaultHandleColor);

    EXPECT_EQ(axis->preselectLineAttrs->color, kOrange);
    EXPECT_EQ(axis->preselectLineAttrs->weight, 4);
    EXPECT_EQ(axis->preselectLineAttrs->mode, 5);
    EXPECT_EQ(axis->preselectHeadAttrs->color, kOrange);
    EXPECT_EQ(axis->preselectHeadAttrs->weight, 2);
    EXPECT_EQ(axis->preselectHeadFill->color, kOrange);
    // The normal sets are never replaced.
    EXPECT_EQ(axis->lineAttrs, lineAttrs);
    EXPECT_EQ(axis->headAttrs, headAttrs);
    EXPECT_EQ(axis->headFill, headFill);

    axis->ClearHighlight();
    axis->Highlight();
    EXPECT_EQ(axis->arrow->GetRenderAttrsVector(), axis->preselectLineAttrs);
    EXPECT_EQ(head->GetRenderAttrsVector(), axis->preselectHeadAttrs);
    EXPECT_EQ(head->fillAttrs, axis->preselectHeadFill);
}

TEST_F(ArrowHandle, PlacementTakesRotationAndPosition) {
    du::SmartPtr<TranslatorAxis> axis(new TranslatorAxis(dg::DVec3(1.0, 0.0, 0.0)));
    const dg::FMat33 turn(0, 1, 0, -1, 0, 0, 0, 0, 1);
    axis->SetPlacement(dg::Location(turn, dg::DPoint3D(1, 2, 3)));
    EXPECT_EQ(axis->arrow->location, dg::Location(turn, dg::DPoint3D(1, 2, 3)));

    axis->SetPlacement(axis->arrow->location);
    EXPECT_EQ(axis->arrow->location, dg::Location(turn, dg::DPoint3D(1, 2, 3)));
}

}  // namespace
