#include "CenterLineTestSupport.h"

#include <dg/Matrix.h>

#include <algorithm>
#include <array>
#include <limits>
#include <random>

namespace centerlinetest {
namespace {

using PathBuild = RecordTest;

// Quarter turn about Z: the frame's X axis is the world's Y, its Y the world's -X.
dg::Location QuarterTurnFrame(const dg::DPoint3D& pos) {
    return dg::Location(dg::FMat33(0, 1, 0, -1, 0, 0, 0, 0, 1), pos);
}

struct WorkedExample {
    const char* name;
    BuildInput in;
    Points expected;
};

void PrintTo(const WorkedExample& c, std::ostream* os) {
    *os << c.name;
}

class PathWorkedExample : public RecordTest, public ::testing::WithParamInterface<WorkedExample> {};

TEST_P(PathWorkedExample, BuildsDocumentedList) {
    const WorkedExample& c = GetParam();
    EXPECT_TRUE(ListNear(Build(c.in), c.expected, 1e-12));
    EXPECT_EQ(record->IsAlongAxis(), c.in.alongAxis);
}

const unsigned short kYXZ[3] = {1, 0, 2};

INSTANTIATE_TEST_SUITE_P(
    Examples, PathWorkedExample,
    ::testing::Values(
        WorkedExample{"StraightPositive",
                      {{0, 0, 0}, {3, 4, 0}, false, 5.0f, 10.0f},
                      {{-3, -4, 0}, {0, 0, 0}, {3, 4, 0}, {9, 12, 0}}},
        // BuildPoints leaves the extended start out of the start slot; SetPoints does that.
        WorkedExample{"StraightNegativeStart",
                      {{0, 0, 0}, {10, 0, 0}, false, -1.0f, 0.0f},
                      {{1, 0, 0}, {0, 0, 0}, {10, 0, 0}, {10, 0, 0}}},
        WorkedExample{
            "AxisMidRatio",
            {{0, 0, 0}, {10, 4, 2}, true, 1.0f, 2.0f, 0.5f},
            {{-1, 0, 0}, {0, 0, 0}, {5, 0, 0}, {5, 4, 0}, {5, 4, 2}, {10, 4, 2}, {12, 4, 2}}},
        WorkedExample{
            "AxisMainY",
            {{0, 0, 0}, {10, 4, 2}, true, 1.0f, 2.0f, 0.5f, {}, kYXZ},
            {{0, -1, 0}, {0, 0, 0}, {0, 2, 0}, {10, 2, 0}, {10, 2, 2}, {10, 4, 2}, {10, 6, 2}}},
        WorkedExample{
            "AxisJogBeforeStartFlipsStartExtension",
            {{0, 0, 0}, {10, 4, 2}, true, 1.0f, 2.0f, -0.5f},
            {{1, 0, 0}, {0, 0, 0}, {-5, 0, 0}, {-5, 4, 0}, {-5, 4, 2}, {10, 4, 2}, {12, 4, 2}}},
        WorkedExample{
            "AxisJogBeyondEndFlipsEndExtension",
            {{0, 0, 0}, {10, 4, 2}, true, 1.0f, 2.0f, 1.5f},
            {{-1, 0, 0}, {0, 0, 0}, {15, 0, 0}, {15, 4, 0}, {15, 4, 2}, {10, 4, 2}, {8, 4, 2}}},
        WorkedExample{
            "AxisRatioZeroJogsAtStart",
            {{0, 0, 0}, {10, 4, 2}, true, 1.0f, 2.0f, 0.0f},
            {{-1, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 4, 0}, {0, 4, 2}, {10, 4, 2}, {12, 4, 2}}},
        WorkedExample{
            "AxisRatioOneJogsAtEnd",
            {{0, 0, 0}, {10, 4, 2}, true, 1.0f, 2.0f, 1.0f},
            {{-1, 0, 0}, {0, 0, 0}, {10, 0, 0}, {10, 4, 0}, {10, 4, 2}, {10, 4, 2}, {12, 4, 2}}},
        WorkedExample{
            "AxisRunningBackwards",
            {{10, 4, 2}, {0, 0, 0}, true, 1.0f, 2.0f, 0.5f},
            {{11, 4, 2}, {10, 4, 2}, {5, 4, 2}, {5, 0, 2}, {5, 0, 0}, {0, 0, 0}, {-2, 0, 0}}},
        // Equal main-axis coordinates: the start extension points to -X, the end one to +X.
        WorkedExample{
            "AxisTieOnMainAxis",
            {{0, 0, 0}, {0, 4, 2}, true, 1.0f, 2.0f, 0.5f},
            {{-1, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 4, 0}, {0, 4, 2}, {0, 4, 2}, {2, 4, 2}}},
        // The frame's X axis is the world's Y, so this is the main-Y example; its position is
        // ignored.
        WorkedExample{
            "AxisRotatedFrame",
            {{0, 0, 0}, {10, 4, 2}, true, 1.0f, 2.0f, 0.5f, QuarterTurnFrame({100, 200, 300})},
            {{0, -1, 0}, {0, 0, 0}, {0, 2, 0}, {10, 2, 0}, {10, 2, 2}, {10, 4, 2}, {10, 6, 2}}}),
    [](const ::testing::TestParamInfo<WorkedExample>& p) { return p.param.name; });

TEST_F(PathBuild, NanRatioFlipsNeitherExtension) {
    const Points out =
        Build({{0, 0, 0}, {10, 4, 2}, true, 1.0f, 2.0f, std::numeric_limits<float>::quiet_NaN()});
    ASSERT_EQ(out.size(), 7u);
    EXPECT_EQ(out[0], dg::DPoint3D(-1, 0, 0));
    EXPECT_EQ(out[6], dg::DPoint3D(12, 4, 2));
}

TEST_F(PathBuild, CoincidentStraightEndsKeepExtensionPointsOnTheEnds) {
    const dg::DPoint3D p(1, 2, 3);
    const Points out = Build({p, p, false, 5.0f, -3.0f});
    EXPECT_EQ(out, (Points{p, p, p, p}));
}

TEST_F(PathBuild, TinyStraightSegmentStillGivesFiniteExtensions) {
    // A distance that squares to zero, and one whose reciprocal overflows.
    for (double tiny : {1e-200, std::numeric_limits<double>::denorm_min()}) {
        const Points out = Build({{0, 0, 0}, {tiny, 0, 0}, false, 1.0f, 2.0f});
        ASSERT_EQ(out.size(), 4u);
        for (const dg::DPoint3D& p : out)
            EXPECT_TRUE(IsFinite(p)) << tiny;
    }
}

class InvalidAxisOrder : public RecordTest,
                         public ::testing::WithParamInterface<std::array<unsigned short, 3>> {};

TEST_P(InvalidAxisOrder, BuildsAndLaterEditsWithXYZ) {
    const std::array<unsigned short, 3> order = GetParam();
    const BuildInput reference{{0, 0, 0}, {10, 4, 2}, true, 1.0f, 2.0f, 0.3f};
    const Points expected = Build(reference);

    BuildInput in = reference;
    in.order = order.data();
    EXPECT_EQ(BuildAndStore(in), expected);
    record->SetDivRation(reference.ratio);

    // Later edits rebuild with the order that was stored.
    Points out;
    record->MoveStartExt(1.0f, out);
    EXPECT_EQ(out, expected);
}

// 32 and 33 name bits that a shift by the entry, unchecked, would alias to 0 and 1 on x86, and so
// pass for a permutation.
INSTANTIATE_TEST_SUITE_P(Orders, InvalidAxisOrder,
                         ::testing::Values(std::array<unsigned short, 3>{3, 1, 2},
                                           std::array<unsigned short, 3>{1, 0, 7},
                                           std::array<unsigned short, 3>{32, 1, 2},
                                           std::array<unsigned short, 3>{0, 33, 2},
                                           std::array<unsigned short, 3>{1, 2, 65535},
                                           std::array<unsigned short, 3>{65535, 0, 1},
                                           std::array<unsigned short, 3>{0, 0, 1},
                                           std::array<unsigned short, 3>{1, 2, 1},
                                           std::array<unsigned short, 3>{2, 2, 2}));

// The record's along-axis extension helper is private but exported, part of the interface the
// viewer links against, though path building measures extensions in the frame instead. Its
// address is taken through an explicit instantiation, where access is not checked.
using AxisExtensions = void (sxmk::CenterLineXYZ::*)(dg::DPoint3D&, dg::DPoint3D&, dg::DPoint3D&,
                                                     dg::DPoint3D&, float, float, float,
                                                     const unsigned short*);
AxisExtensions AxisExtensionsOfRecord();
template <AxisExtensions member>
struct AxisExtensionsAccess {
    friend AxisExtensions AxisExtensionsOfRecord() { return member; }
};
template struct AxisExtensionsAccess<&sxmk::CenterLineXYZ::GetExtentedPointsOnAxis>;

// The helper extends each end along the coordinate axis that the order's first entry names,
// outwards from the other end, the start's extension turned inwards by a ratio below 0 and the
// end's by one above 1. A first entry that names no axis (above 2), or no order, extends along X:
// the entry must not pick a coordinate of its own.
TEST_F(PathBuild, AxisExtensionsRunAlongTheFirstAxisOfTheOrder) {
    struct Case {
        const char* name;
        const unsigned short* order;
        dg::DPoint3D start;
        dg::DPoint3D end;
        float ratio;
        dg::DPoint3D extendedStart;
        dg::DPoint3D extendedEnd;
    };
    const unsigned short x[3] = {0, 1, 2};
    const unsigned short y[3] = {1, 0, 2};
    const unsigned short z[3] = {2, 0, 1};
    const unsigned short entry3[3] = {3, 1, 2};
    const unsigned short entry65535[3] = {65535, 0, 1};
    const dg::DPoint3D s(1, 2, 3);
    const dg::DPoint3D e(11, 6, 8);
    // Axes that run different ways: only the axis of the order may decide the extensions' sides.
    const dg::DPoint3D ms(1, 6, 8);  // to me: X rises, Y and Z fall
    const dg::DPoint3D me(11, 2, 3);
    const dg::DPoint3D ns(1, 6, 3);  // to ne: Y falls, X and Z rise
    const dg::DPoint3D ne(11, 2, 8);
    const Case cases[] = {
        {"X, the others falling", x, ms, me, 0.5f, {0, 6, 8}, {13, 2, 3}},
        {"Y falling, X rising", y, ms, me, 0.5f, {1, 7, 8}, {11, 0, 3}},
        {"Z falling, X rising", z, ms, me, 0.5f, {1, 6, 9}, {11, 2, 1}},
        {"Z rising, Y falling", z, ns, ne, 0.5f, {1, 6, 2}, {11, 2, 10}},
        {"X", x, s, e, 0.5f, {0, 2, 3}, {13, 6, 8}},
        {"Y", y, s, e, 0.5f, {1, 1, 3}, {11, 8, 8}},
        {"Z", z, s, e, 0.5f, {1, 2, 2}, {11, 6, 10}},
        {"entry 3", entry3, s, e, 0.5f, {0, 2, 3}, {13, 6, 8}},
        {"entry 65535", entry65535, s, e, 0.5f, {0, 2, 3}, {13, 6, 8}},
        {"no order", nullptr, s, e, 0.5f, {0, 2, 3}, {13, 6, 8}},
        {"start above the end", x, e, s, 0.5f, {12, 6, 8}, {-1, 2, 3}},
        {"jog before the start", y, s, e, -0.5f, {1, 3, 3}, {11, 8, 8}},
        {"jog beyond the end", z, s, e, 1.5f, {1, 2, 2}, {11, 6, 6}},
    };
    const AxisExtensions extend = AxisExtensionsOfRecord();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dg::DPoint3D start = c.start;
        dg::DPoint3D end = c.end;
        dg::DPoint3D outStart;
        dg::DPoint3D outEnd;
        (record.get()->*extend)(outStart, outEnd, start, end, c.ratio, 1.0f, 2.0f, c.order);
        EXPECT_EQ(outStart, c.extendedStart);
        EXPECT_EQ(outEnd, c.extendedEnd);
        EXPECT_EQ(start, c.start);
        EXPECT_EQ(end, c.end);

        // Extending the ends in place reads both before writing either.
        (record.get()->*extend)(start, end, start, end, c.ratio, 1.0f, 2.0f, c.order);
        EXPECT_EQ(start, c.extendedStart);
        EXPECT_EQ(end, c.extendedEnd);
    }
}

TEST_F(PathBuild, NullAxisOrderBuildsWithXYZ) {
    const BuildInput reference{{0, 0, 0}, {10, 4, 2}, true, 1.0f, 2.0f, 0.3f};
    const Points expected = Build(reference);
    BuildInput in = reference;
    in.order = nullptr;
    EXPECT_EQ(Build(in), expected);
    EXPECT_EQ(Build({{0, 0, 0}, {3, 4, 0}, false, 5.0f, 10.0f, 0.5f, {}, nullptr}).size(), 4u);
}

TEST_F(PathBuild, UninvertibleFrameBuildsWithIdentityRotation) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const dg::FMat33 rotations[] = {
        dg::FMat33(0, 0, 0, 0, 0, 0, 0, 0, 0),
        dg::FMat33(1, 0, 0, 1, 0, 0, 0, 0, 1),  // two equal axes
        dg::FMat33(1, 0, 0, 0, nan, 0, 0, 0, 1),
        dg::FMat33(inf, 0, 0, 0, 1, 0, 0, 0, 1),
    };
    const BuildInput reference{{0, 0, 0}, {10, 4, 2}, true, 1.0f, 2.0f, 0.3f};
    const Points expected = Build(reference);
    for (const dg::FMat33& r : rotations) {
        BuildInput in = reference;
        in.frame = dg::Location(r, {5, 5, 5});
        const Points out = Build(in);
        EXPECT_EQ(out, expected);
        for (const dg::DPoint3D& p : out)
            EXPECT_TRUE(IsFinite(p));
    }
}

TEST_F(PathBuild, StoresModeExtensionsFrameAndOrderButNothingElse) {
    const unsigned short zxy[3] = {2, 0, 1};
    BuildAndStore({{0, 0, 0}, {10, 4, 2}, true, 1.0f, 2.0f, 0.5f});
    record->SetDivRation(0.3f);
    const Points stored = Stored();
    const dg::DVec3 direction = record->GetMainAxisDirection();

    const BuildInput other{
        {1, 1, 1}, {9, 9, 9}, true, -3.0f, 4.0f, 0.9f, QuarterTurnFrame({7, 7, 7}), zxy};
    Points scratch(10, dg::DPoint3D(9, 9, 9));
    record->BuildPoints(other.start, other.end, true, other.startExt, other.endExt, other.ratio,
                        other.frame, other.order, scratch);
    EXPECT_EQ(scratch.size(), 7u);

    EXPECT_EQ(record->GetDivRation(), 0.3f);
    EXPECT_EQ(record->GetStartPoint(), dg::DPoint3D(0, 0, 0));
    EXPECT_EQ(record->GetEndPoint(), dg::DPoint3D(10, 4, 2));
    EXPECT_EQ(Stored(), stored);
    EXPECT_EQ(record->GetStartAxisLimit(), stored[1]);
    EXPECT_EQ(record->GetEndAxisLimit(), stored[5]);
    EXPECT_EQ(record->GetMainAxisDirection(), direction);
    EXPECT_EQ(record->GetStartExtention(), -3.0f);
    EXPECT_EQ(record->GetEndExtention(), 4.0f);

    // An edit that changes nothing rebuilds from the record's ends with the frame and order of
    // the last build; a second record gives the list to expect.
    du::SmartPtr<sxmk::CenterLineXYZ> twin = new sxmk::CenterLineXYZ;
    Points expected;
    twin->BuildPoints(record->GetStartPoint(), record->GetEndPoint(), true, -3.0f, 4.0f, 0.3f,
                      other.frame, zxy, expected);
    Points out;
    record->MoveEndExt(4.0f, out);
    EXPECT_EQ(out, expected);

    Build({{0, 0, 0}, {1, 0, 0}, false, 0.0f, 0.0f});
    EXPECT_FALSE(record->IsAlongAxis());
}

// Random frames, ends, ratios and extensions, for all six axis orders.
class PathProperties : public RecordTest {
protected:
    static dg::DVec3 Axis(const dg::FMat33& r, int i) {
        dg::DVec3 a(r.m[i][0], r.m[i][1], r.m[i][2]);
        a.Normalize();
        return a;
    }
    static dg::DPoint3D RandomPoint(std::mt19937& gen) {
        std::uniform_real_distribution<double> u(-100.0, 100.0);
        const double x = u(gen), y = u(gen), z = u(gen);
        return {x, y, z};
    }
    static double Unparallel(const dg::DVec3& leg, const dg::DVec3& unitAxis) {
        return dg::Cross(leg, unitAxis).Norm();
    }

    std::mt19937 rng{20240611u};
    std::uniform_real_distribution<float> ratioDist{-1.0f, 2.0f};
    std::uniform_real_distribution<float> extDist{-20.0f, 20.0f};
};

TEST_F(PathProperties, AlongAxisLegsFollowTheFrameAxes) {
    unsigned short order[3] = {0, 1, 2};
    do {
        for (int iteration = 0; iteration < 60; ++iteration) {
            const dg::FMat33 r = RandomRotation(rng);
            const dg::DPoint3D start = RandomPoint(rng), end = RandomPoint(rng);
            const float ratio = iteration == 0 ? 0.0f : (iteration == 1 ? 1.0f : ratioDist(rng));
            const float startExt = extDist(rng), endExt = extDist(rng);
            const BuildInput in{
                start, end, true, startExt, endExt, ratio, dg::Location(r, RandomPoint(rng)),
                order};
            const Points p = Build(in);
            SCOPED_TRACE(::testing::Message() << "order " << order[0] << order[1] << order[2]
                                              << " iteration " << iteration);
            ASSERT_EQ(p.size(), 7u);
            EXPECT_EQ(p[1], start);
            EXPECT_EQ(p[5], end);

            const dg::DVec3 a0 = Axis(r, order[0]), a1 = Axis(r, order[1]), a2 = Axis(r, order[2]);
            EXPECT_LT(Unparallel(p[2] - p[1], a0), 1e-9);
            EXPECT_LT(Unparallel(p[3] - p[2], a1), 1e-9);
            EXPECT_LT(Unparallel(p[4] - p[3], a2), 1e-9);
            EXPECT_LT(Unparallel(p[5] - p[4], a0), 1e-9);
            const double along = dg::Dot(end - start, a0);
            EXPECT_NEAR((p[2] - p[1]).Norm(), std::fabs(static_cast<double>(ratio) * along), 1e-4);

            // Each extension point continues its leg beyond its end at the signed distance.
            const dg::DVec3 firstLeg = p[2] - p[1], lastLeg = p[5] - p[4];
            EXPECT_NEAR((p[0] - p[1]).Norm(), std::fabs(startExt), 1e-4);
            EXPECT_NEAR((p[6] - p[5]).Norm(), std::fabs(endExt), 1e-4);
            EXPECT_LT(Unparallel(p[0] - p[1], a0), 1e-4);
            EXPECT_LT(Unparallel(p[6] - p[5], a0), 1e-4);
            if (firstLeg.Norm() > 1e-3) {
                EXPECT_NEAR(dg::Dot(p[0] - p[1], firstLeg) / firstLeg.Norm(), -startExt, 1e-4);
            }
            if (lastLeg.Norm() > 1e-3) {
                EXPECT_NEAR(dg::Dot(p[6] - p[5], lastLeg) / lastLeg.Norm(), endExt, 1e-4);
            }

            // Only the frame's rotation counts.
            BuildInput moved = in;
            moved.frame.SetPos(RandomPoint(rng));
            EXPECT_EQ(Build(moved), p);
        }
    } while (std::next_permutation(order, order + 3));
}

TEST_F(PathProperties, StraightListIsCollinearWithExtensionsAtSignedDistance) {
    for (int iteration = 0; iteration < 200; ++iteration) {
        const dg::DPoint3D start = RandomPoint(rng), end = RandomPoint(rng);
        const float startExt = extDist(rng), endExt = extDist(rng);
        const Points p = Build({start, end, false, startExt, endExt});
        ASSERT_EQ(p.size(), 4u);
        EXPECT_EQ(p[1], start);
        EXPECT_EQ(p[2], end);
        const dg::DVec3 d = end - start;
        const double len = d.Norm();
        for (const dg::DPoint3D& q : p)
            EXPECT_LT(dg::Cross(q - start, d).Norm() / len, 1e-9);
        EXPECT_NEAR(dg::Dot(p[0] - start, d) / len, -startExt, 1e-9);
        EXPECT_NEAR(dg::Dot(p[3] - end, d) / len, endExt, 1e-9);
    }
}

}  // namespace
}  // namespace centerlinetest
