#include "render/fonts.h"

namespace kestrane {

const Font* const LargeFont = createFont(28, 400, "Arial");
const Font* const SmallFont = createFont(24, 400, "Arial");
const Font* const SmallBoldFont = createFont(24, 700, "Arial");
const Font* const CaptionFont = createFont(28, 400, "Arial");

}  // namespace kestrane
