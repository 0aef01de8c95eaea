#pragma once

// Invariant bookkeeping shared by the harnesses: the first violation of a run, and the host's
// leak baseline (pool blocks and live reference-counted objects).

#include <du/RefCounted.h>
#include <sxk/HostileViewer.h>
#include <sxk/Kernel.h>
#include <sxk/MemoryPoolAllocated.h>
#include <sxk/Operation.h>
#include <sxmu/Model.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzzharness {

// What a run found: empty when every invariant held.
struct Outcome {
    std::string violation;
    int steps = 0;  // actions decoded and run

    bool Ok() const { return violation.empty(); }
};

class Checker {
public:
    explicit Checker(Outcome& result) : outcome(result) {}

    void SetStep(int step) { current = step; }
    // Records the first violation; later ones add nothing, the first explains the run.
    void Expect(bool holds, const char* what) {
        if (holds || !outcome.violation.empty())
            return;
        outcome.violation = "step " + std::to_string(current) + ": " + what;
    }
    bool Failed() const { return !outcome.violation.empty(); }

private:
    Outcome& outcome;
    int current = -1;
};

// A clean host for one run: the kernel installed, no armed pool failure, an empty operation
// history, a polite viewer (no hostile behaviour, no hooks) until the run asks for another.
// Finish checks that everything the run made was released, and that the host saw no misuse (a
// release of an unreferenced object, a removal of a node that is not there).
class HostSession {
public:
    HostSession() {
        sxk::HostileViewer::Reset();
        sxk::MemoryPoolAllocated::FailAllocation(0);
        sxk::RecordedOperations().clear();
        sxk::Kernel::Install();
        poolBlocks = sxk::MemoryPoolAllocated::LiveBlocks();
        liveObjects = du::RefCounted::LiveObjects();
        unreferencedReleases = du::RefCounted::UnreferencedReleases();
        absentRemovals = sxmu::ModelContainer::AbsentRemovals();
    }
    HostSession(const HostSession&) = delete;
    HostSession& operator=(const HostSession&) = delete;
    ~HostSession() { Reset(); }

    // Call after the run released its own references.
    void Finish(Checker& check) {
        Reset();
        check.SetStep(-1);
        check.Expect(sxk::MemoryPoolAllocated::LiveBlocks() == poolBlocks,
                     "pool blocks leaked once everything was released");
        check.Expect(du::RefCounted::LiveObjects() == liveObjects,
                     "reference-counted objects leaked once everything was released");
        check.Expect(du::RefCounted::UnreferencedReleases() == unreferencedReleases,
                     "an unreferenced object was released");
        check.Expect(sxmu::ModelContainer::AbsentRemovals() == absentRemovals,
                     "a node that is not in its container was removed");
    }

private:
    static void Reset() {
        sxk::HostileViewer::Reset();
        sxk::MemoryPoolAllocated::FailAllocation(0);
        sxk::RecordedOperations().clear();
        sxk::Kernel::Remove();
    }

    std::size_t poolBlocks = 0;
    long liveObjects = 0;
    long unreferencedReleases = 0;
    long absentRemovals = 0;
};

// Runs one harness on the bytes in a clean host and reports what it found, leaks included.
// RunT is constructed from the byte reader and the checker; Go() runs it and answers its steps.
template <typename RunT, typename Reader>
Outcome RunHarness(const std::uint8_t* data, std::size_t size) {
    Outcome outcome;
    Checker check(outcome);
    Reader in(data, size);
    HostSession host;
    outcome.steps = RunT(in, check).Go();
    host.Finish(check);
    return outcome;
}

}  // namespace fuzzharness
