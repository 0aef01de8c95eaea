#include "CenterLineTestSupport.h"
#include "Constants.h"

#include <limits>

namespace centerlinetest {
namespace {

// A straight record from (0,0,0) to (10,0,0) with extensions 1 and 2, stored as
// (-1,0,0), (0,0,0), (10,0,0), (12,0,0).
class StraightEdit : public RecordTest {
protected:
    void SetUp() override {
        RecordTest::SetUp();
        BuildAndStore({{0, 0, 0}, {10, 0, 0}, false, 1.0f, 2.0f});
    }
};

const Points kStraightStored = {{-1, 0, 0}, {0, 0, 0}, {10, 0, 0}, {12, 0, 0}};

TEST_F(StraightEdit, EndPointMoveRebuildsIntoOutAndKeepsRecord) {
    Points out;
    dg::DPoint3D newEnd;
    record->MoveEndPoint(dg::DVec3(0, 5, 0), out, newEnd);
    EXPECT_EQ(newEnd, dg::DPoint3D(10, 5, 0));

    ASSERT_EQ(out.size(), 4u);
    EXPECT_EQ(out[1], dg::DPoint3D(0, 0, 0));
    EXPECT_EQ(out[2], dg::DPoint3D(10, 5, 0));
    const dg::DVec3 unit = dg::DVec3(10, 5, 0) * (1.0 / std::sqrt(125.0));
    EXPECT_TRUE(PointNear(out[0], dg::DPoint3D(0, 0, 0) - unit, 1e-12));
    EXPECT_TRUE(PointNear(out[3], dg::DPoint3D(10, 5, 0) + unit * 2.0, 1e-12));

    EXPECT_EQ(Stored(), kStraightStored);
    EXPECT_EQ(record->GetEndPoint(), dg::DPoint3D(10, 0, 0));
    EXPECT_EQ(record->GetStartExtention(), 1.0f);
    EXPECT_EQ(record->GetEndExtention(), 2.0f);
}

TEST_F(StraightEdit, StartPointMovesMeasureFromStoredStartNotFromLastMove) {
    Points out;
    dg::DPoint3D newStart;
    record->MoveStartPoint(dg::DVec3(1, 0, 0), out, newStart);
    EXPECT_EQ(newStart, dg::DPoint3D(1, 0, 0));
    record->MoveStartPoint(dg::DVec3(2, 0, 0), out, newStart);
    EXPECT_EQ(newStart, dg::DPoint3D(2, 0, 0));
    EXPECT_EQ(out, (Points{{1, 0, 0}, {2, 0, 0}, {10, 0, 0}, {12, 0, 0}}));
    EXPECT_EQ(Stored(), kStraightStored);
    EXPECT_EQ(record->GetStartPoint(), dg::DPoint3D(0, 0, 0));
}

struct ExtensionEditCase {
    const char* name;
    bool atStart;
    float ext;
    Points expectedStored;
};

class ExtensionEdit : public StraightEdit,
                      public ::testing::WithParamInterface<ExtensionEditCase> {};

TEST_P(ExtensionEdit, WritesItsEndOfStoredListWithNegativeRule) {
    const ExtensionEditCase& c = GetParam();
    Points out;
    if (c.atStart)
        record->MoveStartExt(c.ext, out);
    else
        record->MoveEndExt(c.ext, out);
    EXPECT_EQ(Stored(), c.expectedStored);
    EXPECT_EQ(c.atStart ? out.front() : out.back(),
              c.atStart ? c.expectedStored.front() : c.expectedStored.back());
    EXPECT_EQ(c.atStart ? record->GetStartExtention() : record->GetEndExtention(), c.ext);
    EXPECT_EQ(record->GetStartPoint(), dg::DPoint3D(0, 0, 0));
    EXPECT_EQ(record->GetEndPoint(), dg::DPoint3D(10, 0, 0));
}

INSTANTIATE_TEST_SUITE_P(
    Extensions, ExtensionEdit,
    ::testing::Values(
        ExtensionEditCase{
            "StartLonger", true, 3.0f, {{-3, 0, 0}, {0, 0, 0}, {10, 0, 0}, {12, 0, 0}}},
        ExtensionEditCase{
            "StartInside", true, -3.0f, {{3, 0, 0}, {3, 0, 0}, {10, 0, 0}, {12, 0, 0}}},
        ExtensionEditCase{"EndZero", false, 0.0f, {{-1, 0, 0}, {0, 0, 0}, {10, 0, 0}, {10, 0, 0}}},
        ExtensionEditCase{
            "EndInside", false, -4.0f, {{-1, 0, 0}, {0, 0, 0}, {6, 0, 0}, {6, 0, 0}}}),
    [](const ::testing::TestParamInfo<ExtensionEditCase>& p) { return p.param.name; });

struct ResetCase {
    const char* name;
    float startValue;
    float endValue;
    bool startReset;
    bool endReset;
};

class ExtensionReset : public StraightEdit, public ::testing::WithParamInterface<ResetCase> {};

TEST_P(ExtensionReset, ResetsOnlySidesBelowThreshold) {
    const ResetCase& c = GetParam();
    record->ResetExtentions(c.startValue, c.endValue);
    Points expected = kStraightStored;
    if (c.startReset)
        expected[0] = expected[1] = dg::DPoint3D(0, 0, 0);
    if (c.endReset)
        expected[2] = expected[3] = dg::DPoint3D(10, 0, 0);
    EXPECT_EQ(Stored(), expected);
    EXPECT_EQ(record->GetStartExtention(), c.startReset ? 0.0f : 1.0f);
    EXPECT_EQ(record->GetEndExtention(), c.endReset ? 0.0f : 2.0f);
}

constexpr float kThreshold = sxmk::detail::kNearZeroF;
constexpr float kNan = std::numeric_limits<float>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Values, ExtensionReset,
    ::testing::Values(ResetCase{"StartOnly", 0.0f, 2.0f, true, false},
                      ResetCase{"BothTiny", 1e-7f, 1e-7f, true, true},
                      ResetCase{"NegativeTiny", -1e-7f, -kThreshold, true, false},
                      ResetCase{"ThresholdItselfIsNotZero", kThreshold, 0.0f, false, true},
                      ResetCase{"NanIsNotZero", kNan, kNan, false, false}),
    [](const ::testing::TestParamInfo<ResetCase>& p) { return p.param.name; });

TEST_F(RecordTest, PointDragAfterResetStartsFromTrueStart) {
    // A negative start extension holds the extension point in the start slot until reset.
    BuildAndStore({{0, 0, 0}, {10, 0, 0}, false, -2.0f, 0.0f});
    ASSERT_EQ(Stored()[1], dg::DPoint3D(2, 0, 0));
    record->ResetExtentions(0.0f, record->GetEndExtention());
    Points out;
    dg::DPoint3D newStart;
    record->MoveStartPoint(dg::DVec3(0, 1, 0), out, newStart);
    EXPECT_EQ(newStart, dg::DPoint3D(0, 1, 0));
    EXPECT_EQ(out, (Points{{0, 1, 0}, {0, 1, 0}, {10, 0, 0}, {10, 0, 0}}));
}

TEST_F(RecordTest, AlongAxisEditsUseSlotsOneAndFiveAndExtensionsKeepJogPoints) {
    const Points stored = BuildAndStore({{0, 0, 0}, {10, 4, 2}, true, 1.0f, 2.0f, 0.5f});
    Points out;
    dg::DPoint3D moved;
    record->MoveEndPoint(dg::DVec3(0, 0, 1), out, moved);
    EXPECT_EQ(moved, dg::DPoint3D(10, 4, 3));
    EXPECT_EQ(out[5], moved);
    EXPECT_EQ(Stored(), stored);

    record->MoveStartExt(-3.0f, out);
    EXPECT_EQ(Stored()[0], dg::DPoint3D(3, 0, 0));
    EXPECT_EQ(Stored()[1], dg::DPoint3D(3, 0, 0));
    EXPECT_EQ(Points(Stored().begin() + 2, Stored().end()),
              Points(stored.begin() + 2, stored.end()));

    const Points afterStart = Stored();
    record->MoveEndExt(5.0f, out);
    EXPECT_EQ(Stored()[5], dg::DPoint3D(10, 4, 2));
    EXPECT_EQ(Stored()[6], dg::DPoint3D(15, 4, 2));
    EXPECT_EQ(Points(Stored().begin(), Stored().begin() + 5),
              Points(afterStart.begin(), afterStart.begin() + 5));
}

// Records whose stored list is shorter than their mode's layout: nothing is edited.
TEST_F(RecordTest, EditsOnListShorterThanLayoutDoNothing) {
    auto expectUntouched = [this](const char* state) {
        SCOPED_TRACE(state);
        const Points storedBefore = Stored();
        const float startExt = record->GetStartExtention();
        const float endExt = record->GetEndExtention();
        const Points sentinel = {{7, 7, 7}};
        const dg::DPoint3D marker(8, 8, 8);
        Points out = sentinel;
        dg::DPoint3D moved = marker;
        record->MoveStartPoint(dg::DVec3(1, 1, 1), out, moved);
        record->MoveEndPoint(dg::DVec3(1, 1, 1), out, moved);
        record->MoveStartExt(3.0f, out);
        record->MoveEndExt(3.0f, out);
        record->ResetExtentions(0.0f, 0.0f);
        EXPECT_EQ(out, sentinel);
        EXPECT_EQ(moved, marker);
        EXPECT_EQ(Stored(), storedBefore);
        EXPECT_EQ(record->GetStartExtention(), startExt);
        EXPECT_EQ(record->GetEndExtention(), endExt);
    };
    expectUntouched("empty record");

    // A straight list stored, then the mode switched to along-axis by a build that is not stored.
    BuildAndStore({{0, 0, 0}, {10, 0, 0}, false, 1.0f, 2.0f});
    Points scratch;
    record->BuildPoints({0, 0, 0}, {10, 4, 2}, true, 1.0f, 2.0f, 0.5f, {}, kXYZ, scratch);
    expectUntouched("four points along axis");
}

TEST_F(RecordTest, EndExtensionEditWithOutShorterThanStoredListWritesLastPoints) {
    // Seven points stored, then the mode switched to straight: out gets 4 points.
    const Points stored = BuildAndStore({{0, 0, 0}, {10, 4, 2}, true, 1.0f, 2.0f, 0.5f});
    Points scratch;
    record->BuildPoints({0, 0, 0}, {10, 4, 2}, false, 1.0f, 2.0f, 0.5f, {}, kXYZ, scratch);

    for (float ext : {3.0f, -3.0f}) {
        Points out;
        record->MoveEndExt(ext, out);
        ASSERT_EQ(out.size(), 4u);
        ASSERT_EQ(Stored().size(), 7u);
        EXPECT_EQ(Stored()[6], out[3]);
        EXPECT_EQ(Stored()[5], ext < 0.0f ? out[3] : dg::DPoint3D(10, 4, 2));
        EXPECT_EQ(Points(Stored().begin(), Stored().begin() + 5),
                  Points(stored.begin(), stored.begin() + 5));
    }
}

}  // namespace
}  // namespace centerlinetest
