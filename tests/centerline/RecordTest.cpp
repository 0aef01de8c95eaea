#include "CenterLineTestSupport.h"

#include <sxk/HostileViewer.h>

#include <array>
#include <cmath>

namespace sxmk {
// What the viewer reads of the record beyond its accessors (a friend of the record).
class CenterLineXYZTestAccess {
public:
    static std::array<unsigned short, 3> AxisOrder(const CenterLineXYZ& line) {
        return {line.axisOrder[0], line.axisOrder[1], line.axisOrder[2]};
    }
};
}  // namespace sxmk

namespace centerlinetest {
namespace {

using CenterLineRecord = RecordTest;

// A 7-point along-axis list with the main axis X: 1->2 runs from (0,0,0) to (5,0,0).
const Points kAxisList = {{-1, 0, 0}, {0, 0, 0},  {5, 0, 0}, {5, 4, 0},
                          {5, 4, 2},  {10, 4, 2}, {12, 4, 2}};
const Points kStraightList = {{-1, 0, 0}, {0, 0, 0}, {10, 0, 0}, {12, 0, 0}};

TEST_F(CenterLineRecord, NewRecordHasDocumentedDefaults) {
    EXPECT_FALSE(record->IsAlongAxis());
    EXPECT_EQ(record->GetDivRation(), 0.5f);
    EXPECT_EQ(record->GetStartExtention(), 0.0f);
    EXPECT_EQ(record->GetEndExtention(), 0.0f);
    EXPECT_EQ(record->GetStartPoint(), dg::DPoint3D::ORIGIN);
    EXPECT_EQ(record->GetEndPoint(), dg::DPoint3D::ORIGIN);
    EXPECT_FALSE(record->IsEndPointAttached());
    EXPECT_TRUE(record->GetPartID().IsEmpty());
    EXPECT_TRUE(Stored().empty());
    EXPECT_EQ(record->GetMidPointIndex(), 0);
    EXPECT_EQ(record->GetStartAxisLimit(), dg::DPoint3D::ORIGIN);
    EXPECT_EQ(record->GetEndAxisLimit(), dg::DPoint3D::ORIGIN);
    EXPECT_EQ(record->GetMainAxisDirection(), dg::DVec3::ZERO);
    // The viewer persists the axis order as the record holds it.
    EXPECT_EQ(sxmk::CenterLineXYZTestAccess::AxisOrder(*record),
              (std::array<unsigned short, 3>{0, 1, 2}));
}

struct NegativeRuleCase {
    const char* name;
    float startExt;
    float endExt;
    Points expectedStored;
};

class SetPointsRule : public RecordTest, public ::testing::WithParamInterface<NegativeRuleCase> {};

TEST_P(SetPointsRule, NegativeExtensionCopiesExtensionPointIntoSlot) {
    const NegativeRuleCase& c = GetParam();
    // The extensions only steer SetPoints here; the list is given as is.
    Build({{0, 0, 0}, {10, 0, 0}, false, c.startExt, c.endExt});
    record->SetPoints(kStraightList);
    EXPECT_EQ(Stored(), c.expectedStored);
    EXPECT_EQ(record->GetStartPoint(), dg::DPoint3D(0, 0, 0));
    EXPECT_EQ(record->GetEndPoint(), dg::DPoint3D(10, 0, 0));
}

INSTANTIATE_TEST_SUITE_P(
    Extensions, SetPointsRule,
    ::testing::Values(
        NegativeRuleCase{"Zero", 0.0f, 0.0f, kStraightList},
        NegativeRuleCase{"Positive", 1.0f, 2.0f, kStraightList},
        NegativeRuleCase{
            "NegativeStart", -2.0f, 2.0f, {{-1, 0, 0}, {-1, 0, 0}, {10, 0, 0}, {12, 0, 0}}},
        NegativeRuleCase{
            "NegativeEnd", 1.0f, -2.0f, {{-1, 0, 0}, {0, 0, 0}, {12, 0, 0}, {12, 0, 0}}},
        NegativeRuleCase{
            "BothNegative", -1.0f, -2.0f, {{-1, 0, 0}, {-1, 0, 0}, {12, 0, 0}, {12, 0, 0}}}),
    [](const ::testing::TestParamInfo<NegativeRuleCase>& p) { return p.param.name; });

TEST_F(CenterLineRecord, SetPointsWithFewerThanTwoPointsLeavesRecordUnchanged) {
    Build({{0, 0, 0}, {10, 0, 0}, false, -1.0f, -2.0f});
    record->SetPoints(kStraightList);
    const Points before = Stored();
    for (const Points& tooShort : {Points{}, Points{{7, 7, 7}}}) {
        record->SetPoints(tooShort);
        EXPECT_EQ(Stored(), before);
        EXPECT_EQ(record->GetStartPoint(), dg::DPoint3D(0, 0, 0));
        EXPECT_EQ(record->GetEndPoint(), dg::DPoint3D(10, 0, 0));
    }
}

TEST_F(CenterLineRecord, SetAlongAxisOnFourPointListChangesNothing) {
    record->SetPoints(kStraightList);
    record->SetAlongAxis(0.3f);
    EXPECT_FALSE(record->IsAlongAxis());
    EXPECT_EQ(record->GetDivRation(), 0.5f);
    EXPECT_EQ(record->GetMidPointIndex(), 0);
}

TEST_F(CenterLineRecord, SetAlongAxisOnSevenPointListDerivesAxisData) {
    record->SetPoints(kAxisList);
    record->SetAlongAxis(0.3f);
    EXPECT_TRUE(record->IsAlongAxis());
    EXPECT_EQ(record->GetDivRation(), 0.3f);
    EXPECT_EQ(record->GetMidPointIndex(), 3);
    EXPECT_EQ(record->GetStartAxisLimit(), kAxisList[1]);
    EXPECT_EQ(record->GetEndAxisLimit(), kAxisList[5]);
    EXPECT_EQ(record->GetMainAxisDirection(), dg::DVec3(-1, 0, 0));
}

// The main axis comes from the first main-axis leg, or, where that has no length (ratio 0), from
// the last one; with neither leg nothing defines it.
TEST_F(CenterLineRecord, SetAlongAxisTakesTheMainAxisFromALegWithLength) {
    struct Case {
        const char* name;
        dg::DPoint3D firstJog;  // list point 2
        dg::DPoint3D lastJog;   // list point 4
        dg::DVec3 direction;
    };
    const Case cases[] = {
        {"first leg", {5, 0, 0}, {5, 4, 2}, {-1, 0, 0}},
        {"first leg of zero length (ratio 0)", {0, 0, 0}, {0, 4, 2}, {-1, 0, 0}},
        {"first leg shorter than 2^-21", {0, 1e-7, 0}, {0, 4, 2}, {-1, 0, 0}},
        {"no leg along the main axis", {0, 0, 0}, {10, 4, 2}, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Points list = kAxisList;
        list[2] = c.firstJog;
        list[3] = {c.firstJog.x, 4, 0};
        list[4] = c.lastJog;
        record->SetPoints(list);
        record->SetAlongAxis(0.0f);
        EXPECT_TRUE(record->IsAlongAxis());
        EXPECT_EQ(record->GetMainAxisDirection(), c.direction);
    }
}

// Legs far shorter than 2^-21 but not exactly zero: their squared length underflows, so Norm()
// is 0 and a viewer's Normalize sees a zero vector. The direction must stay a number.
TEST_F(CenterLineRecord, SetAlongAxisWithLegsWhoseNormUnderflowsGivesNoNaN) {
    sxk::HostileViewer::Set(sxk::HostileViewer::Active() |
                            sxk::HostileViewer::NormalizeZeroGivesNaN);
    const double tiny = 1e-170;
    const Points list = {{-1, 0, 0}, {tiny, 0, 0}, {0, 0, 0}, {0, 4, 0},
                         {0, 4, 2},  {tiny, 4, 2}, {2, 4, 2}};
    record->SetPoints(list);
    record->SetAlongAxis(0.0f);
    const dg::DVec3 d = record->GetMainAxisDirection();
    EXPECT_TRUE(std::isfinite(d.x) && std::isfinite(d.y) && std::isfinite(d.z))
        << d.x << ", " << d.y << ", " << d.z;
}

TEST_F(CenterLineRecord, StoringOnAlongAxisRecordRederivesWithStoredRatio) {
    const Points built = BuildAndStore({{0, 0, 0}, {10, 4, 2}, true, 0.0f, 0.0f, 0.25f});
    EXPECT_EQ(record->GetDivRation(), 0.5f);
    EXPECT_EQ(record->GetMidPointIndex(), 3);
    EXPECT_EQ(record->GetStartAxisLimit(), built[1]);
    EXPECT_EQ(record->GetEndAxisLimit(), built[5]);
    EXPECT_EQ(record->GetMainAxisDirection(), dg::DVec3(-1, 0, 0));

    record->SetDivRation(0.8f);
    record->SetPoints(kAxisList);
    EXPECT_EQ(record->GetDivRation(), 0.8f);
    EXPECT_EQ(record->GetEndAxisLimit(), kAxisList[5]);
}

TEST_F(CenterLineRecord, StoringSevenPointsOnStraightRecordDerivesNothing) {
    record->SetPoints(kAxisList);
    EXPECT_EQ(Stored(), kAxisList);
    EXPECT_FALSE(record->IsAlongAxis());
    EXPECT_EQ(record->GetMidPointIndex(), 0);
    EXPECT_EQ(record->GetStartPoint(), kAxisList[1]);
    EXPECT_EQ(record->GetEndPoint(), kAxisList[5]);
}

}  // namespace
}  // namespace centerlinetest
