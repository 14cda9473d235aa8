// Receipt images: BMP files in the image folder below a job's base directory, drawn 550 pixels
// wide.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/canvas.h"
#include "platform/image.h"
#include "render/job_context.h"

namespace kestrane {

// The tallest image a receipt draws, in canvas rows after scaling to 550 pixels wide (about 2 m
// of paper). A taller one, such as a 1-pixel-wide file that would scale to a million rows, is
// an image that cannot be loaded.
constexpr int32_t kMaxImageHeight = 16384;

// The image as a receipt draws it: scaled to 550 pixels wide and halftoned. Nothing for an
// empty image or one that would be drawn taller than kMaxImageHeight.
std::optional<Canvas> receiptHalftone(const Image& pixels);

// The file an img element names: the job's imageDirectory, "\node_modules\printer\" and
// "GDIImageDirectory", then the file part of its src value (from its last "/" or "\", which is
// kept). Empty when the raw attribute text has no usable src value.
std::string resolveImagePath(const JobContext& job, const std::string& raw);

// The height the image takes in the receipt: its height scaled to 550 pixels wide, plus 10; 1
// when the file cannot be loaded (it is then noted in the job's unloadedImages).
int32_t receiptImageHeight(JobContext& job, const std::string& path);

// Draws the image 550 pixels wide at (x + 10, y + 10). Returns the drawn height + 10, or 0
// when the file cannot be loaded (nothing is drawn; the file is noted in unloadedImages).
int32_t drawReceiptImage(JobContext& job, Canvas& canvas, int32_t x, int32_t y,
                         const std::string& path);

}  // namespace kestrane
