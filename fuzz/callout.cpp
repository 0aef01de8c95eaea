// Fuzz target: callout labels and their shadows driven by drags, scene and host changes.
#include "Callout.h"
#include "FuzzMain.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzzharness::Report("callout", fuzzharness::RunCallout(data, size));
}
