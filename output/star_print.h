// The STAR print job: a receipt layout drawn by the STAR job and stretched onto the pages of a
// printer the spooler knows by name, one spooler document a table section.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jobs/job_outcome.h"
#include "platform/spooler.h"
#include "render/receipt_section.h"

namespace kestrane {

// The title every STAR document has in the spooler.
extern const char kStarDocumentTitle[];

// The most bytes one printer page may take (512 MiB: a page 4,096 pixels wide and a million rows
// long); a driver whose page would be larger cannot be printed on.
extern const int64_t kMaxPageBytes;

// One printer page of a receipt: `sourceRows` canvas rows from `sourceTop`, stretched onto a
// page `deviceRows` device pixels tall and the device's width.
struct PageSlice {
    int32_t sourceTop = 0;
    int32_t sourceRows = 0;
    int32_t deviceRows = 0;
};

// How a canvas `canvasHeight` rows tall and `canvasWidth` wide fills pages of `device`: the
// canvas is scaled to the device's width, T = trunc(canvasHeight * scale) device rows; each full
// page takes V device rows and trunc(V / scale) canvas rows; what is left over, if anything, goes
// on a last, shorter page. A page of exactly the rows left is a full page, and no empty page
// follows it. None when a page cannot hold one canvas row. V is the device's page length, or its longest page where it cuts pages to length
// (so a receipt up to that long is one page of T rows).
std::vector<PageSlice> pageSlices(int32_t canvasHeight, const DeviceSize& device,
                                  int32_t canvasWidth = kReceiptWidth);

// The device rows of the longest of `slices` (0 for none): the page length a document asks for.
int32_t longestSlice(const std::vector<PageSlice>& slices);

// The page `slice` of a canvas at the device's width, stretched as a monochrome StretchBlt
// would: black stays black when shrinking.
Canvas devicePage(const Canvas& canvas, const PageSlice& slice, int32_t deviceWidth);

// Prints `canvas` on `printerName` as one document titled kStarDocumentTitle: opened again,
// scaled to the device's width and cut into its pages. kStarPrinted once the spooler took every
// page; otherwise the failure, with the step and the spooler's words in the detail.
// With `confirmMilliseconds`, it then waits up to that long for the spooler to report the job
// completed: a job stopped, aborted or cancelled, or not done by then, is kNotPrinted.
JobOutcome printCanvas(const std::string& printerName, const Canvas& canvas, int confirmMilliseconds = 0);

// Prints `receiptText` on `printerName`: the printer must be ready, the texts long enough; each
// table section is drawn and sent with printCanvas. kStarPrinted, or the first failure; sections
// before a failure stay printed.
JobOutcome printStarReceipt(const std::string& imageDirectory, const std::string& printerName,
                            const std::string& receiptText, int confirmMilliseconds = 0);

}  // namespace kestrane
