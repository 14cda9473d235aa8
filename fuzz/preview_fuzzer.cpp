// The previewer's path: the whole layout as one section in the previewer's variant.
#include <cstddef>
#include <cstdint>
#include <string>

#include "render/receipt_section.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string base = std::string(KESTRANE_SAMPLES) + "/base";
    const std::string layout(reinterpret_cast<const char*>(data), size);
    kestrane::JobContext job(base);
    const kestrane::SectionImage image = kestrane::renderPreview(job, layout);
    if (image.canvas && image.canvas->bits.size() != static_cast<std::size_t>(image.canvas->stride) *
                                                          static_cast<std::size_t>(image.canvas->height)) {
        __builtin_trap();
    }
    return 0;
}
