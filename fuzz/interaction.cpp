// Fuzz target: centre-line shadows driven by preselection, drags, picks and host changes.
#include "Interaction.h"
#include "FuzzMain.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzzharness::Report("interaction", fuzzharness::RunInteraction(data, size));
}
