// The engine's jobs as every front end runs them: printing on a STAR printer through the
// spooler, on an EPSON printer by LPD, drawing the receipt without a printer (its sections, the
// previewer's image, the pages a device would get), printing a drawn image, and the ESC/POS
// stream. Each answers with a JobOutcome; jobMessage (jobs/job_messages.h) makes its text.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "jobs/job_outcome.h"
#include "platform/canvas.h"
#include "platform/lpr_client.h"
#include "platform/spooler.h"

namespace kestrane {

// The most bytes a layout may have (4 MiB); a larger one is kLayoutTooLarge before any work.
extern const std::size_t kLayoutCap;

// The STAR job: each table section of `layout` drawn and printed on the spooler's `printer`,
// one document a section. kStarPrinted or the first failure.
JobOutcome printStarJob(const std::string& base, const std::string& printer, const std::string& layout);

// The EPSON job: `layout` converted to ESC/POS, stored in the job directory below `base` and
// sent by LPD to `address`. kEpsonDelivered or the failure.
JobOutcome printEpsonJob(const std::string& base, const std::string& address, const std::string& layout,
                         const RawLimits& limits = RawLimits());

// A drawn image (the previewer's) printed on `printer` as one document, scaled to the printer's
// width and cut into its pages. kStarPrinted or the failure.
JobOutcome printImageJob(const std::string& printer, const Canvas& image);

// Takes one drawn section; a succeeded() outcome lets the job go on.
using DrawnSection = std::function<JobOutcome(const Canvas& section, std::size_t index)>;

// The STAR job's sections of `layout` as it draws them (570 pixels wide), handed to `take` in
// order. kDrawn or the first failure.
JobOutcome drawReceipt(const std::string& base, const std::string& layout, const DrawnSection& take);

// What the previewer shows: the whole layout as one image in its own variant, or (`starJob`)
// the STAR job's sections one below the other. kDrawn with `image` set, or the failure
// (kPreviewNotRendered for the previewer's variant, which gives no reason).
JobOutcome drawPreview(const std::string& base, const std::string& layout, bool starJob,
                       std::optional<Canvas>& image);

// The pages a printer of `device` gets for a drawn section: stretched to its width (a pixel
// stays black when any pixel it covers is) and cut to its page length.
std::vector<Canvas> devicePages(const Canvas& section, const DeviceSize& device);

// The ESC/POS stream an EPSON printer gets for `layout`, line feeds stored as CR LF as the job's
// stream file holds them (with `nativeQr`, QR code fields as the printer's QR command). kDrawn,
// or kLayoutTooLarge.
JobOutcome escposStream(const std::string& layout, std::string& stream, bool nativeQr = false);

// The receipt as ESC/POS raster images for a printer `dots` wide (576 at 80 mm, 384 at 58 mm):
// every section as the STAR job draws it (images below `base`), then a cut. kDrawn with its
// warnings, or the failure.
JobOutcome escposRasterReceipt(const std::string& base, const std::string& layout, int32_t dots, std::string& stream);

// The pages of an ESC/POS stream's raster images as a printer prints them, each cut ending one.
// False, with `error` set, for a stream cut short inside an image.
bool readEscposPages(const std::string& stream, std::vector<Canvas>& pages, std::string& error);

}  // namespace kestrane
