#pragma once

// Allocation counters of a benchmark run: heap and pool allocations per iteration, measured
// around the timed loop.

#include "HeapCounter.h"

#include <benchmark/benchmark.h>

namespace bench {

class AllocationMeter {
public:
    explicit AllocationMeter(benchmark::State& measured)
        : state(measured), start(AllocationSnapshot::Now()) {}

    // Call right after the timed loop.
    void Finish() {
        const AllocationSnapshot end = AllocationSnapshot::Now();
        state.counters["heap_allocs"] =
            benchmark::Counter(static_cast<double>(end.heapAllocations - start.heapAllocations),
                               benchmark::Counter::kAvgIterations);
        state.counters["pool_allocs"] =
            benchmark::Counter(static_cast<double>(end.poolAllocations - start.poolAllocations),
                               benchmark::Counter::kAvgIterations);
    }

private:
    benchmark::State& state;
    AllocationSnapshot start;
};

}  // namespace bench
