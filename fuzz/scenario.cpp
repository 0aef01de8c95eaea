// Fuzz target: the replay tool's scenario parser, and the replay of what it accepts.
#include "FuzzMain.h"
#include "ScenarioReplay.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzzharness::Report("scenario", fuzzharness::RunScenario(data, size));
}
