// Fuzz target: builds, stores and edits of one centre-line record.
#include "FuzzMain.h"
#include "RecordPath.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzzharness::Report("record_path", fuzzharness::RunRecordPath(data, size));
}
