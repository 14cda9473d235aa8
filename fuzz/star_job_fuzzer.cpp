// The STAR job from layout bytes to finished canvases, with the sample images.
#include <cstddef>
#include <cstdint>
#include <string>

#include "jobs/receipt_jobs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string base = std::string(KESTRANE_SAMPLES) + "/base";
    const std::string layout(reinterpret_cast<const char*>(data), size);
    kestrane::drawReceipt(base, layout, [](const kestrane::Canvas& canvas, std::size_t) {
        if (canvas.width != 570 || canvas.height < 22 ||
            canvas.bits.size() != static_cast<std::size_t>(canvas.stride) * canvas.height) {
            __builtin_trap();
        }
        return kestrane::jobOutcome(kestrane::JobStatus::kDrawn);
    });
    return 0;
}
