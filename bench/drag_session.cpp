// A fixed session for instruction counts (scripts/callgrind.sh): N repetitions of one kind of
// work on a centre line and its shadow, only those counted. Under callgrind with
// --collect-atstart=no the client requests switch collection on and off around them; without
// the client-request header the script subtracts a run of 0 repetitions instead.
//
//   illsxmk_drag_session KIND N
//     point | extension | jog                  steady-state steps through the shadow's handler
//     point-move | extension-move | jog-move   the same steps as the framework's pointer moves
//     point-cycle | extension-cycle | jog-cycle   whole drags, stop and pick completion included
//     ...-straight (point-straight, ...)       the same on a straight line (default along axis)
//     build-straight | build-along-axis        BuildPoints into a vector with capacity
//     plain-straight | plain-along-axis        the plain baselines of the same paths
//     plain-along-axis-inverse                 ... with the rotation inverted, not transposed
//     line                                     a centre line with one shadow made and released
//     lines                                    N centre lines with one shadow each made, then
//                                              all released (counted once, not N times)
//   illsxmk_drag_session --client-requests     exit status 0 when built with client requests
//
// It prints the heap and pool allocations made inside the counted part.
#include "Baseline.h"
#include "HeapCounter.h"
#include "Scene.h"

#if defined(__has_include)
#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#define ILLSXMK_CLIENT_REQUESTS 1
#endif
#endif
#ifndef ILLSXMK_CLIENT_REQUESTS
#define ILLSXMK_CLIENT_REQUESTS 0
#define CALLGRIND_TOGGLE_COLLECT
#endif

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Makes the compiler assume that the object may have changed (or been read) here, so that the
// same inputs are not folded into constants across repetitions.
template <typename T>
void Opaque(T& object) {
    __asm__ __volatile__("" : : "r"(&object) : "memory");
}

struct Counted {
    bench::AllocationSnapshot before;
    bench::AllocationSnapshot after;
};

// Runs body once uncounted (so that first calls, such as the dynamic linker resolving a
// function, are not counted), then n times with collection on, and answers the allocations
// made in the counted part. The body is a template argument so that the loop adds no call of
// its own to what is counted.
template <typename Body>
Counted Count(long n, const Body& body) {
    body(0);
    Counted counted;
    counted.before = bench::AllocationSnapshot::Now();
    CALLGRIND_TOGGLE_COLLECT;
    for (long i = 0; i < n; ++i)
        body(i);
    CALLGRIND_TOGGLE_COLLECT;
    counted.after = bench::AllocationSnapshot::Now();
    return counted;
}

// KIND is a handle (point, extension, jog) followed by -move or -cycle for those kinds of
// repetition and -straight for a straight line (the default is an along-axis line).
bool DragSession(const std::string& kind, long n, Counted& counted) {
    std::vector<std::string> words;
    for (std::size_t from = 0;;) {
        const std::size_t dash = kind.find('-', from);
        words.push_back(kind.substr(from, dash - from));
        if (dash == std::string::npos)
            break;
        from = dash + 1;
    }
    bench::Handle handle;
    if (words[0] == "point")
        handle = bench::Handle::EndPoint;
    else if (words[0] == "extension")
        handle = bench::Handle::EndExtension;
    else if (words[0] == "jog")
        handle = bench::Handle::Jog;
    else
        return false;
    std::string how = "step";
    bool alongAxis = true;
    for (std::size_t i = 1; i < words.size(); ++i) {
        if (words[i] == "move" || words[i] == "cycle")
            how = words[i];
        else if (words[i] == "straight")
            alongAxis = false;
        else
            return false;
    }

    bench::Host host;
    bench::HandleDrag drag(host, bench::MeasuredLine(alongAxis), handle);
    if (how == "cycle") {
        drag.Cycle();
        counted = Count(n, [&drag](long) { drag.Cycle(); });
        return true;
    }
    if (!drag.Start())
        return false;
    drag.Step(0);
    drag.Step(1);
    if (how == "step")
        counted = Count(n, [&drag](long i) { drag.Step(static_cast<int>(i)); });
    else
        counted = Count(n, [&drag](long i) { drag.Move(static_cast<int>(i)); });
    drag.Release();
    return true;
}

bool PathSession(const std::string& kind, long n, Counted& counted) {
    const bool library = kind.rfind("build-", 0) == 0;
    if (!library && kind.rfind("plain-", 0) != 0)
        return false;
    const std::string mode = kind.substr(6);
    const bool inverse = !library && mode == "along-axis-inverse";
    if (mode != "straight" && mode != "along-axis" && !inverse)
        return false;
    bench::LineInput input = bench::MeasuredLine(mode != "straight");
    du::SmartPtr<sxmk::CenterLineXYZ> record(new sxmk::CenterLineXYZ);
    std::vector<dg::DPoint3D> out;
    out.reserve(7);
    if (library) {
        counted = Count(n, [&](long) {
            Opaque(input);
            input.Build(*record, out);
            Opaque(out);
        });
    } else {
        counted = Count(n, [&](long) {
            Opaque(input);
            if (inverse)
                bench::PlainAlongAxisInverse(input.start, input.end, input.startExt, input.endExt,
                                             input.ratio, input.frame.GetRotation(),
                                             input.axisOrder, out);
            else if (input.alongAxis)
                bench::PlainAlongAxis(input.start, input.end, input.startExt, input.endExt,
                                      input.ratio, input.frame.GetRotation(), input.axisOrder, out);
            else
                bench::PlainStraight(input.start, input.end, input.startExt, input.endExt, out);
            Opaque(out);
        });
    }
    return true;
}

bool LineSession(long n, Counted& counted) {
    bench::Host host(true);
    const bench::LineInput input = bench::MeasuredLine(true);
    counted = Count(n, [&](long) {
        du::SmartPtr<sxmk::CenterLineXYZ> record = bench::Host::MakeRecord(input);
        du::SmartPtr<bench::Shadow> shadow = host.MakeShadow(record);
    });
    return true;
}

// N lines made and held, then all released: the whole is counted once.
bool LinesSession(long n, Counted& counted) {
    bench::Host host(true);
    std::vector<bench::LineInput> inputs(static_cast<std::size_t>(n), bench::MeasuredLine(true));
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        inputs[i].start.x += 0.001 * static_cast<double>(i);
        inputs[i].end.y -= 0.001 * static_cast<double>(i);
    }
    std::vector<du::SmartPtr<sxmk::CenterLineXYZ>> records;
    std::vector<du::SmartPtr<bench::Shadow>> shadows;
    records.reserve(inputs.size());
    shadows.reserve(inputs.size());
    counted = Count(1, [&](long) {
        for (const bench::LineInput& input : inputs) {
            records.push_back(bench::Host::MakeRecord(input));
            shadows.push_back(host.MakeShadow(records.back()));
        }
        shadows.clear();
        records.clear();
    });
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--client-requests") == 0)
        return ILLSXMK_CLIENT_REQUESTS ? 0 : 1;
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s KIND N (see the source for the kinds)\n", argv[0]);
        return 2;
    }
    const std::string kind = argv[1];
    const long n = std::strtol(argv[2], nullptr, 10);
    Counted counted{};
    const bool known = kind == "line" ? LineSession(n, counted)
                       : kind == "lines"
                           ? LinesSession(n, counted)
                           : (DragSession(kind, n, counted) || PathSession(kind, n, counted));
    if (!known) {
        std::fprintf(stderr, "%s: unknown kind or a drag that did not take: %s\n", argv[0],
                     kind.c_str());
        return 2;
    }
    std::printf("%s %ld heap_allocs=%llu pool_allocs=%llu\n", kind.c_str(), n,
                static_cast<unsigned long long>(counted.after.heapAllocations -
                                                counted.before.heapAllocations),
                static_cast<unsigned long long>(counted.after.poolAllocations -
                                                counted.before.poolAllocations));
    return 0;
}
