// Runs the benchmarks and then prints what they mean against the targets: the library's path
// building as a ratio to the plain baseline, each drag step as a ratio to the path building it
// would do, allocations per steady-state step, and the cost and memory of a centre line with its
// shadow as the number of lines grows. Every ratio comes from this one run.
#include "HeapCounter.h"
#include "Scene.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

// The figures of one benchmark: median CPU time over its repetitions and its counters.
struct Figures {
    std::vector<double> cpuNs;
    std::map<std::string, double> counters;

    double MedianNs() const {
        std::vector<double> sorted = cpuNs;
        std::sort(sorted.begin(), sorted.end());
        const std::size_t n = sorted.size();
        return n % 2 ? sorted[n / 2] : 0.5 * (sorted[n / 2 - 1] + sorted[n / 2]);
    }
};

// Shows the runs as the console reporter does and keeps their figures for the summary.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    // Colours only on a terminal, as the library's own console reporter does by default.
    SummaryReporter() : ConsoleReporter(isatty(fileno(stdout)) ? OO_ColorTabular : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred) {
                ++errors;
                continue;
            }
            std::string name = run.run_name.function_name;
            if (!run.run_name.args.empty())
                name += "/" + run.run_name.args;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type != Run::RT_Iteration && !median)
                continue;
            Figures& f = figures[name];
            // With only aggregates reported, the median stands for the runs.
            if (median && !f.cpuNs.empty())
                continue;
            f.cpuNs.push_back(run.GetAdjustedCPUTime() * 1e9 /
                              benchmark::GetTimeUnitMultiplier(run.time_unit));
            for (const auto& counter : run.counters)
                f.counters[counter.first] = counter.second.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    const Figures* Find(const std::string& name) const {
        const auto it = figures.find(name);
        return it == figures.end() || it->second.cpuNs.empty() ? nullptr : &it->second;
    }
    double Counter(const std::string& name, const std::string& counter) const {
        const Figures* f = Find(name);
        if (f == nullptr)
            return -1.0;
        const auto it = f->counters.find(counter);
        return it == f->counters.end() ? -1.0 : it->second;
    }

    int errors = 0;

private:
    std::map<std::string, Figures> figures;
};

// Prints numerator / denominator of CPU time, with the target when there is one.
void PrintRatio(const SummaryReporter& r, const char* what, const std::string& numerator,
                const std::string& denominator, double target) {
    const Figures* a = r.Find(numerator);
    const Figures* b = r.Find(denominator);
    if (a == nullptr || b == nullptr)
        return;
    const double ratio = a->MedianNs() / b->MedianNs();
    std::printf("  %-52s %6.2f  (%.1f ns / %.1f ns)", what, ratio, a->MedianNs(), b->MedianNs());
    if (target > 0.0)
        std::printf("  target <= %.0f: %s", target, ratio <= target ? "holds" : "DOES NOT HOLD");
    std::printf("\n");
}

void PrintSummary(const SummaryReporter& r) {
    std::printf("\nSummary (medians of this run; ratios of CPU time)\n");
    PrintRatio(r, "along-axis BuildPoints / plain baseline", "BM_BuildPoints/along_axis",
               "BM_PlainPath/along_axis", 2.0);
    PrintRatio(r, "along-axis BuildPoints / plain, rotation inverted", "BM_BuildPoints/along_axis",
               "BM_PlainPath/along_axis_inverse", 2.0);
    PrintRatio(r, "straight BuildPoints / plain baseline", "BM_BuildPoints/straight",
               "BM_PlainPath/straight", 0.0);
    PrintRatio(r, "point step / BuildPoints, along axis", "BM_DragStep/point_along_axis",
               "BM_BuildPoints/along_axis", 3.0);
    PrintRatio(r, "point step / BuildPoints, straight", "BM_DragStep/point_straight",
               "BM_BuildPoints/straight", 3.0);
    PrintRatio(r, "extension step / BuildPoints, along axis", "BM_DragStep/extension_along_axis",
               "BM_BuildPoints/along_axis", 0.0);
    PrintRatio(r, "extension step / BuildPoints, straight", "BM_DragStep/extension_straight",
               "BM_BuildPoints/straight", 0.0);
    PrintRatio(r, "jog step / BuildPoints, along axis", "BM_DragStep/jog_along_axis",
               "BM_BuildPoints/along_axis", 0.0);
    PrintRatio(r, "point move (framework + step) / step", "BM_DragMove/point_along_axis",
               "BM_DragStep/point_along_axis", 0.0);
    PrintRatio(r, "extension move (framework + step) / step", "BM_DragMove/extension_along_axis",
               "BM_DragStep/extension_along_axis", 0.0);
    PrintRatio(r, "jog move (framework + step) / step", "BM_DragMove/jog_along_axis",
               "BM_DragStep/jog_along_axis", 0.0);

    bool header = false;
    for (const char* name :
         {"BM_BuildPoints/straight*", "BM_BuildPoints/along_axis*", "BM_DragStep/point_straight*",
          "BM_DragStep/point_along_axis*", "BM_DragStep/extension_straight*",
          "BM_DragStep/extension_along_axis*", "BM_DragStep/jog_along_axis*",
          "BM_DragMove/point_along_axis*", "BM_DragMove/extension_along_axis*",
          "BM_DragMove/jog_along_axis*", "BM_DragCycle/point_along_axis",
          "BM_DragCycle/extension_along_axis", "BM_DragCycle/jog_along_axis",
          "BM_ShadowConstruct/along_axis", "BM_OnApplyPreferences/with_colour",
          "BM_OnApplyPreferences/without_colour"}) {
        std::string key(name);
        const bool zeroTarget = key.back() == '*';
        if (zeroTarget)
            key.pop_back();
        const double heap = r.Counter(key, "heap_allocs");
        const double pool = r.Counter(key, "pool_allocs");
        if (heap < 0.0)
            continue;
        if (!header)
            std::printf("  heap / pool allocations per iteration (target 0 / 0 where marked *):\n");
        header = true;
        std::printf("    %-40s %8.2f / %-8.2f%s\n", name, heap, pool,
                    !zeroTarget                  ? ""
                    : heap == 0.0 && pool == 0.0 ? "  holds"
                                                 : "  DOES NOT HOLD");
    }

    const std::string shadow = "BM_ShadowConstruct/along_axis";
    if (r.Find(shadow) != nullptr) {
        const double recordPool = r.Counter(shadow, "record_pool_bytes");
        const double recordHeap = r.Counter(shadow, "record_heap_bytes");
        const double shadowPool = r.Counter(shadow, "shadow_pool_bytes");
        const double shadowHeap = r.Counter(shadow, "shadow_heap_bytes");
        std::printf(
            "  along-axis centre line: %.0f pool + %.0f heap bytes; its shadow: %.0f pool + "
            "%.0f heap bytes; together %.0f bytes\n",
            recordPool, recordHeap, shadowPool, shadowHeap,
            recordPool + recordHeap + shadowPool + shadowHeap);
    }

    const Figures* reference = r.Find("BM_LinesConstructRelease/100");
    header = false;
    for (const char* n : {"1", "10", "100", "1000", "10000"}) {
        const std::string key = std::string("BM_LinesConstructRelease/") + n;
        const Figures* f = r.Find(key);
        if (f == nullptr)
            continue;
        if (!header)
            std::printf(
                "  N centre lines with a shadow each, per line (time relative to N = 100):\n");
        header = true;
        const double perLine = f->MedianNs() / std::stod(n);
        std::printf("    N = %-6s %9.1f ns per line", n, perLine);
        if (reference != nullptr)
            std::printf(" (%.2f)", perLine / (reference->MedianNs() / 100.0));
        std::printf("; %.0f pool + %.0f heap bytes, %.1f pool + %.1f heap allocations per line\n",
                    r.Counter(key, "pool_bytes_per_line"), r.Counter(key, "heap_bytes_per_line"),
                    r.Counter(key, "pool_allocs_per_line"), r.Counter(key, "heap_allocs_per_line"));
    }
}

// The counter must see allocations made inside the library: BuildPoints into an empty vector
// grows it there.
bool CounterSeesTheLibrary() {
    du::SmartPtr<sxmk::CenterLineXYZ> record(new sxmk::CenterLineXYZ);
    std::vector<dg::DPoint3D> out;
    const std::uint64_t before = bench::HeapNow().allocations;
    bench::MeasuredLine(true).Build(*record, out);
    const std::uint64_t seen = bench::HeapNow().allocations - before;
    std::printf(
        "heap counter: %llu allocation(s) seen inside the library while BuildPoints grew "
        "an empty vector%s\n",
        static_cast<unsigned long long>(seen), seen > 0 ? "" : " (NOT SEEN)");
    return seen > 0;
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    if (!CounterSeesTheLibrary())
        return 1;
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    PrintSummary(reporter);
    if (reporter.errors > 0) {
        std::printf("%d benchmark(s) failed\n", reporter.errors);
        return 1;
    }
    return 0;
}
