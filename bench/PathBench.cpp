// Path building: the library's BuildPoints, straight and along axis, into a vector that keeps
// its capacity, and the same paths by the plain baselines.
#include "Baseline.h"
#include "Meter.h"
#include "Scene.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

using bench::LineInput;

enum class Plain { Straight, AlongAxis, AlongAxisInverse };

void PlainPath(Plain plain, const LineInput& input, std::vector<dg::DPoint3D>& out) {
    switch (plain) {
        case Plain::Straight:
            bench::PlainStraight(input.start, input.end, input.startExt, input.endExt, out);
            break;
        case Plain::AlongAxis:
            bench::PlainAlongAxis(input.start, input.end, input.startExt, input.endExt, input.ratio,
                                  input.frame.GetRotation(), input.axisOrder, out);
            break;
        case Plain::AlongAxisInverse:
            bench::PlainAlongAxisInverse(input.start, input.end, input.startExt, input.endExt,
                                         input.ratio, input.frame.GetRotation(), input.axisOrder,
                                         out);
            break;
    }
}

// A baseline must compute what the library computes, or it measures nothing. A single-precision
// rotation is orthonormal only to about 1e-7, so its transpose and its inverse differ by that
// much relative to the coordinates; the other baselines agree to rounding.
bool BaselineAgrees(benchmark::State& state, Plain plain, const LineInput& input) {
    du::SmartPtr<sxmk::CenterLineXYZ> record(new sxmk::CenterLineXYZ);
    std::vector<dg::DPoint3D> library;
    std::vector<dg::DPoint3D> baseline;
    input.Build(*record, library);
    PlainPath(plain, input, baseline);
    const double tolerance = plain == Plain::AlongAxis ? 1e-6 : 1e-12;
    bool same = library.size() == baseline.size();
    for (std::size_t i = 0; same && i < library.size(); ++i) {
        const dg::DPoint3D& p = library[i];
        const double scale = 1.0 + std::fabs(p.x) + std::fabs(p.y) + std::fabs(p.z);
        same = dg::Distance(p, baseline[i]) <= tolerance * scale;
    }
    if (!same)
        state.SkipWithError("the plain baseline does not give the library's path");
    return same;
}

void BM_BuildPoints(benchmark::State& state, bool alongAxis) {
    LineInput input = bench::MeasuredLine(alongAxis);
    du::SmartPtr<sxmk::CenterLineXYZ> record(new sxmk::CenterLineXYZ);
    std::vector<dg::DPoint3D> out;
    out.reserve(7);
    bench::AllocationMeter meter(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(input);  // the inputs are not constants to fold
        input.Build(*record, out);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    meter.Finish();
}

void BM_PlainPath(benchmark::State& state, Plain plain) {
    LineInput input = bench::MeasuredLine(plain != Plain::Straight);
    if (!BaselineAgrees(state, plain, input))
        return;
    std::vector<dg::DPoint3D> out;
    out.reserve(7);
    bench::AllocationMeter meter(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(input);  // the inputs are not constants to fold
        PlainPath(plain, input, out);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    meter.Finish();
}

BENCHMARK_CAPTURE(BM_BuildPoints, straight, false);
BENCHMARK_CAPTURE(BM_PlainPath, straight, Plain::Straight);
BENCHMARK_CAPTURE(BM_BuildPoints, along_axis, true);
BENCHMARK_CAPTURE(BM_PlainPath, along_axis, Plain::AlongAxis);
BENCHMARK_CAPTURE(BM_PlainPath, along_axis_inverse, Plain::AlongAxisInverse);

}  // namespace
