#pragma once

#include <HostFixture.h>
#include <PointPrinting.h>

#include <dg/Location.h>
#include <dg/Matrix.h>
#include <dg/Vector.h>
#include <du/SmartPtr.h>
#include <sxmk/CenterLineXYZ.h>

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <random>
#include <vector>

namespace centerlinetest {

using Points = std::vector<dg::DPoint3D>;

constexpr unsigned short kXYZ[3] = {0, 1, 2};

inline bool IsFinite(const dg::DPoint3D& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

inline ::testing::AssertionResult PointNear(const dg::DPoint3D& actual,
                                            const dg::DPoint3D& expected, double tolerance) {
    if (dg::Distance(actual, expected) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << ::testing::PrintToString(actual) << " is not within " << tolerance << " of "
           << ::testing::PrintToString(expected);
}

inline ::testing::AssertionResult ListNear(const Points& actual, const Points& expected,
                                           double tolerance) {
    if (actual.size() != expected.size())
        return ::testing::AssertionFailure()
               << "size " << actual.size() << ", expected " << expected.size();
    for (std::size_t i = 0; i < actual.size(); ++i)
        if (!(dg::Distance(actual[i], expected[i]) <= tolerance))
            return ::testing::AssertionFailure()
                   << "point " << i << " is " << ::testing::PrintToString(actual[i])
                   << ", expected " << ::testing::PrintToString(expected[i]);
    return ::testing::AssertionSuccess();
}

// A uniformly random rotation (from a random unit quaternion), rounded to float.
inline dg::FMat33 RandomRotation(std::mt19937& gen) {
    std::normal_distribution<double> n(0.0, 1.0);
    double w = n(gen), x = n(gen), y = n(gen), z = n(gen);
    const double len = std::sqrt(w * w + x * x + y * y + z * z);
    w /= len;
    x /= len;
    y /= len;
    z /= len;
    auto f = [](double v) { return static_cast<float>(v); };
    return dg::FMat33(f(1 - 2 * (y * y + z * z)), f(2 * (x * y + w * z)), f(2 * (x * z - w * y)),
                      f(2 * (x * y - w * z)), f(1 - 2 * (x * x + z * z)), f(2 * (y * z + w * x)),
                      f(2 * (x * z + w * y)), f(2 * (y * z - w * x)), f(1 - 2 * (x * x + y * y)));
}

// Everything a build takes, with the defaults of the worked examples.
struct BuildInput {
    BuildInput(const dg::DPoint3D& s, const dg::DPoint3D& e, bool along = false, float se = 0.0f,
               float ee = 0.0f, float r = 0.5f, const dg::Location& f = dg::Location(),
               const unsigned short* o = kXYZ)
        : start(s),
          end(e),
          alongAxis(along),
          startExt(se),
          endExt(ee),
          ratio(r),
          frame(f),
          order(o) {}

    dg::DPoint3D start;
    dg::DPoint3D end;
    bool alongAxis;
    float startExt;
    float endExt;
    float ratio;
    dg::Location frame;
    const unsigned short* order;
};

// A fresh record per test, released before the fixture checks for leaks.
class RecordTest : public testsupport::HostFixture {
protected:
    void SetUp() override {
        HostFixture::SetUp();
        record = new sxmk::CenterLineXYZ;
        ASSERT_NE(record.get(), nullptr);
    }
    void ReleaseAll() override { record.reset(); }

    Points Build(const BuildInput& in) {
        Points out;
        record->BuildPoints(in.start, in.end, in.alongAxis, in.startExt, in.endExt, in.ratio,
                            in.frame, in.order, out);
        return out;
    }
    // Fills the record the way the host does: build, then store the list that was built.
    Points BuildAndStore(const BuildInput& in) {
        Points out = Build(in);
        record->SetPoints(out);
        return out;
    }
    const Points& Stored() const { return *record->GetPoints(); }

    du::SmartPtr<sxmk::CenterLineXYZ> record;
};

}  // namespace centerlinetest
