// Drags: one steady-state step of each handle kind through the shadow's own handler, the same
// step through the framework's pointer move, and whole drag cycles with their stop.
#include "Meter.h"
#include "Scene.h"

#include <benchmark/benchmark.h>

namespace {

using bench::Handle;

// Starts the drag and makes two steps, so that every vector already holds its capacity; false
// (and the run marked failed) when the drag does not take or its step moves nothing.
bool StartSteadyDrag(benchmark::State& state, bench::HandleDrag& drag) {
    if (!drag.Start() || bench::Access::pickedDragger(*drag.shadow) == bench::Shadow::NoDragger) {
        state.SkipWithError("the shadow did not take the drag");
        return false;
    }
    const dg::DPoint3D grabbedAt = drag.node->location.GetPos();
    drag.Step(0);
    const bool moved = drag.node->location.GetPos() != grabbedAt;
    drag.Step(1);
    if (!moved) {
        state.SkipWithError("the step moved nothing");
        return false;
    }
    return true;
}

// The library's step: HandleDragStep with the drag members set as the framework sets them.
void BM_DragStep(benchmark::State& state, bool alongAxis, Handle handle) {
    bench::Host host;
    bench::HandleDrag drag(host, bench::MeasuredLine(alongAxis), handle);
    if (!StartSteadyDrag(state, drag))
        return;
    bench::AllocationMeter meter(state);
    int i = 0;
    for (auto _ : state)
        drag.Step(i++);
    meter.Finish();
    drag.Release();
}

// The step as the viewer makes it: the framework's displacement of the pointer, then the step.
void BM_DragMove(benchmark::State& state, bool alongAxis, Handle handle) {
    bench::Host host;
    bench::HandleDrag drag(host, bench::MeasuredLine(alongAxis), handle);
    if (!StartSteadyDrag(state, drag))
        return;
    bench::AllocationMeter meter(state);
    int i = 0;
    for (auto _ : state)
        drag.Move(i++);
    meter.Finish();
    drag.Release();
}

// A whole drag: grab, eight moves, release, the stop handed to the controller (for a point drag
// after the pick at the release position completes).
void BM_DragCycle(benchmark::State& state, Handle handle) {
    bench::Host host;
    bench::HandleDrag drag(host, bench::MeasuredLine(true), handle);
    drag.Cycle();  // the first drag of a point collapses its extension for good
    if (drag.controller.stops != 1) {
        state.SkipWithError("the drag did not reach the controller");
        return;
    }
    bench::AllocationMeter meter(state);
    for (auto _ : state)
        drag.Cycle();
    meter.Finish();
}

BENCHMARK_CAPTURE(BM_DragStep, point_straight, false, Handle::EndPoint);
BENCHMARK_CAPTURE(BM_DragStep, point_along_axis, true, Handle::EndPoint);
BENCHMARK_CAPTURE(BM_DragStep, extension_straight, false, Handle::EndExtension);
BENCHMARK_CAPTURE(BM_DragStep, extension_along_axis, true, Handle::EndExtension);
BENCHMARK_CAPTURE(BM_DragStep, jog_along_axis, true, Handle::Jog);

BENCHMARK_CAPTURE(BM_DragMove, point_along_axis, true, Handle::EndPoint);
BENCHMARK_CAPTURE(BM_DragMove, extension_along_axis, true, Handle::EndExtension);
BENCHMARK_CAPTURE(BM_DragMove, jog_along_axis, true, Handle::Jog);

BENCHMARK_CAPTURE(BM_DragCycle, point_along_axis, Handle::EndPoint);
BENCHMARK_CAPTURE(BM_DragCycle, extension_along_axis, Handle::EndExtension);
BENCHMARK_CAPTURE(BM_DragCycle, jog_along_axis, Handle::Jog);

}  // namespace
