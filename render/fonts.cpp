#include "render/fonts.h"

namespace kestrane {

const Font* LargeFont() {
    static const Font* const font = createFont(28, 400, "Arial");
    return font;
}

const Font* SmallFont() {
    static const Font* const font = createFont(24, 400, "Arial");
    return font;
}

const Font* SmallBoldFont() {
    static const Font* const font = createFont(24, 700, "Arial");
    return font;
}

const Font* CaptionFont() {
    static const Font* const font = createFont(28, 400, "Arial");
    return font;
}

}  // namespace kestrane
