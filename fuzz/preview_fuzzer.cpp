// The previewer's path: the whole layout as one section in the previewer's variant.
#include <cstddef>
#include <cstdint>
#include <string>

#include <optional>

#include "jobs/receipt_jobs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string base = std::string(KESTRANE_SAMPLES) + "/base";
    const std::string layout(reinterpret_cast<const char*>(data), size);
    std::optional<kestrane::Canvas> image;
    kestrane::drawPreview(base, layout, false, image);
    if (image && image->bits.size() != static_cast<std::size_t>(image->stride) * static_cast<std::size_t>(image->height)) {
        __builtin_trap();
    }
    return 0;
}
