// The render pass: draws a laid-out section into a canvas, at the row boxes and with the texts
// the layout pass left in the tree. It measures nothing itself.
#pragma once

#include "markup/node.h"
#include "markup/variant.h"
#include "platform/canvas.h"
#include "render/job_context.h"

namespace kestrane {

// Draws `node` and everything below it: cell texts in their columns, rules, images, Code 39
// barcodes and QR symbols. Walks the tree without recursion; leaves the last font selected.
void renderNode(JobContext& job, Canvas& canvas, KVTGDIPRINTING_LOGIC::NodeA* node,
                Variant variant);

}  // namespace kestrane
