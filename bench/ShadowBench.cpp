// Shadows: construction (with the memory one takes), the preference hook, and N centre lines
// with one shadow each built and released, whose cost per line must not grow with N.
#include "Meter.h"
#include "Scene.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

namespace {

using bench::AllocationSnapshot;

double Bytes(std::uint64_t after, std::uint64_t before) {
    return static_cast<double>(after) - static_cast<double>(before);
}

// Pool and heap bytes that an object made between two snapshots holds.
void SetBytes(benchmark::State& state, const char* what, const AllocationSnapshot& before,
              const AllocationSnapshot& after) {
    const std::string prefix(what);
    state.counters[prefix + "_pool_bytes"] = Bytes(after.poolLiveBytes, before.poolLiveBytes);
    state.counters[prefix + "_heap_bytes"] = Bytes(after.heapLiveBytes, before.heapLiveBytes);
}

// Constructing a shadow (the viewer's preferences hold a preselection colour) and releasing it.
void BM_ShadowConstruct(benchmark::State& state, bool alongAxis) {
    bench::Host host(true);
    const AllocationSnapshot beforeRecord = AllocationSnapshot::Now();
    du::SmartPtr<sxmk::CenterLineXYZ> record =
        bench::Host::MakeRecord(bench::MeasuredLine(alongAxis));
    const AllocationSnapshot beforeShadow = AllocationSnapshot::Now();
    du::SmartPtr<bench::Shadow> shadow = host.MakeShadow(record);
    const AllocationSnapshot afterShadow = AllocationSnapshot::Now();
    if (!shadow) {
        state.SkipWithError("no shadow was made");
        return;
    }
    shadow = nullptr;
    SetBytes(state, "record", beforeRecord, beforeShadow);
    SetBytes(state, "shadow", beforeShadow, afterShadow);

    bench::AllocationMeter meter(state);
    for (auto _ : state) {
        shadow = host.MakeShadow(record);
        shadow = nullptr;
    }
    meter.Finish();
}

// The preference hook: with a preselection colour it rebuilds the eleven preselected sets;
// without one it reads the key and returns.
void BM_OnApplyPreferences(benchmark::State& state, bool withColour) {
    bench::Host host;
    du::SmartPtr<sxmk::CenterLineXYZ> record = bench::Host::MakeRecord(bench::MeasuredLine(true));
    du::SmartPtr<bench::Shadow> shadow = host.MakeShadow(record);
    du::SmartPtr<sxk::Preferences> preferences(new sxk::Preferences);
    if (withColour)
        preferences->SetColor(bench::kPreselectionColorKey, dg::Color(1.0f, 0.5f, 0.0f, 1.0f));
    shadow->OnApplyPreferences(preferences);
    bench::AllocationMeter meter(state);
    for (auto _ : state)
        shadow->OnApplyPreferences(preferences);
    meter.Finish();
}

// N centre lines, each filled as the viewer fills one and shown with one shadow, then all
// released. Counters per line: time, allocations, and the pool and heap bytes held while all
// N live.
void BM_LinesConstructRelease(benchmark::State& state) {
    const auto n = static_cast<std::size_t>(state.range(0));
    bench::Host host(true);
    std::vector<bench::LineInput> inputs(n, bench::MeasuredLine(true));
    for (std::size_t i = 0; i < n; ++i) {
        const double offset = 0.001 * static_cast<double>(i);
        inputs[i].start.x += offset;
        inputs[i].end.y -= offset;
    }
    std::vector<du::SmartPtr<sxmk::CenterLineXYZ>> records;
    std::vector<du::SmartPtr<bench::Shadow>> shadows;
    records.reserve(n);
    shadows.reserve(n);

    AllocationSnapshot peak{};
    const AllocationSnapshot start = AllocationSnapshot::Now();
    for (auto _ : state) {
        for (std::size_t i = 0; i < n; ++i) {
            records.push_back(bench::Host::MakeRecord(inputs[i]));
            shadows.push_back(host.MakeShadow(records.back()));
        }
        peak = AllocationSnapshot::Now();
        shadows.clear();
        records.clear();
    }
    const AllocationSnapshot end = AllocationSnapshot::Now();

    const double items = static_cast<double>(n);
    const double lines = items * static_cast<double>(state.iterations());
    state.SetComplexityN(state.range(0));
    state.counters["per_line"] = benchmark::Counter(
        items, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["heap_allocs_per_line"] =
        static_cast<double>(end.heapAllocations - start.heapAllocations) / lines;
    state.counters["pool_allocs_per_line"] =
        static_cast<double>(end.poolAllocations - start.poolAllocations) / lines;
    state.counters["pool_bytes_per_line"] = Bytes(peak.poolLiveBytes, start.poolLiveBytes) / items;
    state.counters["heap_bytes_per_line"] = Bytes(peak.heapLiveBytes, start.heapLiveBytes) / items;
}

BENCHMARK_CAPTURE(BM_ShadowConstruct, straight, false);
BENCHMARK_CAPTURE(BM_ShadowConstruct, along_axis, true);
BENCHMARK_CAPTURE(BM_OnApplyPreferences, with_colour, true);
BENCHMARK_CAPTURE(BM_OnApplyPreferences, without_colour, false);
BENCHMARK(BM_LinesConstructRelease)
    ->RangeMultiplier(10)
    ->Range(1, 10000)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity(benchmark::oN);

}  // namespace
