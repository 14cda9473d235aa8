// The EPSON conversion from layout bytes to the ESC/POS stream.
#include <cstddef>
#include <cstdint>
#include <string>

#include "jobs/receipt_jobs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string layout(reinterpret_cast<const char*>(data), size);
    std::string stream;
    kestrane::escposStream(layout, stream);
    return 0;
}
