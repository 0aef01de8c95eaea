// The along-axis path is built with the frame's 3x3 rotation; the reference builds it the earlier
// way, through the 4x4 transform and the host's inversion. Over many random frames, ends,
// ratios, extensions and axis orders the two agree to rounding, and they refuse the same frames.
#include "CenterLineTestSupport.h"
#include "ReferencePath.h"

#include <algorithm>
#include <array>
#include <limits>
#include <random>

namespace centerlinetest {
namespace {

class PathAgainstReference : public RecordTest {
protected:
    // Both lists of one build and the largest distance between their points, against the
    // coordinates' scale.
    void ExpectAgreement(const dg::DPoint3D& start, const dg::DPoint3D& end, float startExt,
                         float endExt, float ratio, const dg::Location& frame,
                         const unsigned short* order) {
        const Points expected =
            reference::BuildPoints(start, end, true, startExt, endExt, ratio, frame, order);
        const Points actual = Build({start, end, true, startExt, endExt, ratio, frame, order});
        double scale = std::max({1.0, std::fabs(static_cast<double>(startExt)),
                                 std::fabs(static_cast<double>(endExt))});
        for (const dg::DPoint3D& p : expected)
            scale = std::max({scale, std::fabs(p.x), std::fabs(p.y), std::fabs(p.z)});
        ASSERT_EQ(actual.size(), 7u);
        // A NaN ratio makes the jog points NaN in both; every other coordinate is compared.
        for (std::size_t i = 0; i < actual.size(); ++i)
            for (int c = 0; c < 3; ++c) {
                const double a = actual[i][c], e = expected[i][c];
                const bool agree =
                    std::isnan(a) ? std::isnan(e) : std::fabs(a - e) <= 1e-12 * scale;
                ASSERT_TRUE(agree)
                    << "point " << i << " is " << ::testing::PrintToString(actual[i])
                    << ", expected " << ::testing::PrintToString(expected[i]) << "; order "
                    << (order ? order[0] : 9) << (order ? order[1] : 9) << (order ? order[2] : 9)
                    << ", ratio " << ratio << ", start " << ::testing::PrintToString(start)
                    << ", end " << ::testing::PrintToString(end);
                if (!std::isnan(a))
                    worst = std::max(worst, std::fabs(a - e) / scale);
            }
    }

    // On a grid of 1/1024: exact in double, so that a value held in a wider register (x87 on
    // i686) is the same value that a copy in memory holds, and coincident or axis-apart ends
    // stay exactly so in both computations.
    double RandomCoordinate(double range) {
        return std::round(std::uniform_real_distribution<double>(-range, range)(rng) * 1024.0) /
               1024.0;
    }
    dg::DPoint3D RandomPoint(double range) {
        const double x = RandomCoordinate(range), y = RandomCoordinate(range),
                     z = RandomCoordinate(range);
        return {x, y, z};
    }
    float RandomRatio() {
        switch (std::uniform_int_distribution<int>(0, 9)(rng)) {
            case 0:
                return 0.0f;
            case 1:
                return 1.0f;
            case 2:
                return std::numeric_limits<float>::quiet_NaN();
            default:
                return std::uniform_real_distribution<float>(-2.0f, 3.0f)(rng);
        }
    }
    float RandomExtension() {
        return std::uniform_int_distribution<int>(0, 5)(rng) == 0
                   ? 0.0f
                   : std::uniform_real_distribution<float>(-50.0f, 50.0f)(rng);
    }
    // Rows of the identity permuted, each with a sign: the frame's axes along the world's.
    dg::FMat33 RandomSignedPermutation() {
        int rows[3] = {0, 1, 2};
        std::shuffle(rows, rows + 3, rng);
        dg::FMat33 m(0, 0, 0, 0, 0, 0, 0, 0, 0);
        for (int r = 0; r < 3; ++r)
            m.m[r][rows[r]] = std::uniform_int_distribution<int>(0, 1)(rng) ? 1.0f : -1.0f;
        return m;
    }
    // A skewed and scaled frame that is still well conditioned.
    dg::FMat33 RandomGeneralFrame(float magnitude) {
        std::uniform_real_distribution<float> u(-1.0f, 1.0f);
        for (;;) {
            dg::FMat33 m;
            for (auto& row : m.m)
                for (float& v : row)
                    v = u(rng);
            dg::DVec3 r0(m.m[0][0], m.m[0][1], m.m[0][2]), r1(m.m[1][0], m.m[1][1], m.m[1][2]),
                r2(m.m[2][0], m.m[2][1], m.m[2][2]);
            if (std::fabs(dg::Dot(r0, dg::Cross(r1, r2))) < 0.3)
                continue;
            for (auto& row : m.m)
                for (float& v : row)
                    v *= magnitude;
            return m;
        }
    }

    std::mt19937 rng{20261207u};
    double worst = 0.0;
};

TEST_F(PathAgainstReference, AgreesOverRandomFramesEndsAndAxisOrders) {
    unsigned short order[3] = {0, 1, 2};
    do {
        for (int iteration = 0; iteration < 400; ++iteration) {
            dg::FMat33 rotation;
            switch (iteration % 5) {
                case 0:
                case 1:
                    rotation = RandomRotation(rng);
                    break;
                case 2:
                    rotation = RandomSignedPermutation();
                    break;
                case 3:
                    rotation = RandomGeneralFrame(1.0f);
                    break;
                default:
                    rotation = RandomGeneralFrame(iteration % 2 ? 1e-3f : 1e3f);
                    break;
            }
            const double range = iteration % 3 == 0 ? 1e4 : 10.0;
            const dg::DPoint3D start = RandomPoint(range);
            dg::DPoint3D end = RandomPoint(range);
            // Degenerate ends: coincident, or apart along one axis of a signed permutation only
            // (the other local coordinates tie exactly).
            if (iteration % 7 == 0)
                end = start;
            else if (iteration % 5 == 2 && iteration % 3 == 1) {
                const int axis = iteration % 3;
                const double t = RandomCoordinate(range);
                end = start +
                      dg::DVec3(rotation.m[axis][0], rotation.m[axis][1], rotation.m[axis][2]) * t;
            }
            ExpectAgreement(start, end, RandomExtension(), RandomExtension(), RandomRatio(),
                            dg::Location(rotation, RandomPoint(100.0)), order);
            if (HasFatalFailure())
                return;
        }
    } while (std::next_permutation(order, order + 3));
    RecordProperty("worst_relative_difference", ::testing::PrintToString(worst));
}

TEST_F(PathAgainstReference, RefusesTheSameFramesAndAxisOrders) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float tiny = std::numeric_limits<float>::denorm_min();
    const float huge = std::numeric_limits<float>::max();
    const dg::FMat33 frames[] = {
        dg::FMat33(0, 0, 0, 0, 0, 0, 0, 0, 0),
        dg::FMat33(1, 0, 0, 1, 0, 0, 0, 0, 1),       // two equal axes
        dg::FMat33(1, 2, 3, 2, 4, 6, 0, 0, 1),       // dependent rows
        dg::FMat33(1, 0, 0, 0, 1, 1e-7f, 0, 1, 0),   // nearly dependent rows, still invertible
        dg::FMat33(1, 0, 0, 0, 1e-5f, 0, 0, 0, 1),   // thin but invertible
        dg::FMat33(1, 0, 0, 0, 1e-15f, 0, 0, 0, 1),  // thinner than the test allows
        dg::FMat33(1, 0, 0, 0, nan, 0, 0, 0, 1),
        dg::FMat33(inf, 0, 0, 0, 1, 0, 0, 0, 1),
        dg::FMat33(-inf, 0, 0, 0, -inf, 0, 0, 0, inf),
        dg::FMat33(tiny, 0, 0, 0, tiny, 0, 0, 0, tiny),
        dg::FMat33(huge, 0, 0, 0, huge, 0, 0, 0, huge),
        dg::FMat33(huge, 0, 0, 0, 1, 0, 0, 0, 1),
        dg::FMat33(0, 0, 2, 0, -3, 0, 0.5f, 0, 0),
    };
    const std::array<unsigned short, 3> orders[] = {{0, 1, 2}, {2, 0, 1},     {3, 1, 2},
                                                    {1, 1, 0}, {65535, 0, 1}, {2, 2, 2}};
    for (const dg::FMat33& frame : frames)
        for (const std::array<unsigned short, 3>& order : orders)
            for (float ratio : {-0.5f, 0.3f, 1.5f}) {
                SCOPED_TRACE(::testing::Message() << "frame " << frame.m[0][0] << " "
                                                  << frame.m[1][1] << " " << frame.m[1][2]);
                ExpectAgreement({1, -2, 3}, {-4, 5, 7}, 1.5f, -2.5f, ratio,
                                dg::Location(frame, {9, 9, 9}), order.data());
                ExpectAgreement({1, -2, 3}, {1, -2, 3}, 1.5f, 2.5f, ratio,
                                dg::Location(frame, {9, 9, 9}), order.data());
            }
    ExpectAgreement({1, -2, 3}, {-4, 5, 7}, 1.5f, -2.5f, 0.5f, dg::Location(), nullptr);
}

TEST_F(PathAgainstReference, StraightPathIsUnchanged) {
    for (int iteration = 0; iteration < 200; ++iteration) {
        const dg::DPoint3D start = RandomPoint(1e3);
        const dg::DPoint3D end = iteration % 9 == 0 ? start : RandomPoint(1e3);
        const float startExt = RandomExtension(), endExt = RandomExtension();
        // Equal in double arithmetic; to rounding where registers are wider (x87).
        const Points expected =
            reference::BuildPoints(start, end, false, startExt, endExt, 0.5f, dg::Location(), kXYZ);
        EXPECT_TRUE(ListNear(Build({start, end, false, startExt, endExt}), expected, 1e-9));
    }
}

}  // namespace
}  // namespace centerlinetest
