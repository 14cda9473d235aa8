// The EPSON conversion from layout bytes to the ESC/POS stream.
#include <cstddef>
#include <cstdint>
#include <string>

#include "output/byte_sink.h"
#include "output/raw_conversion.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string layout(reinterpret_cast<const char*>(data), size);
    kestrane::StringSink sink;
    kestrane::writeRawReceipt(layout, sink);
    return 0;
}
