#include "markup/preview_text.h"

#include "markup/normalise.h"
#include "markup/replacement_scan.h"

namespace kestrane {

bool preparePreviewText(const std::string& layout, std::string& out) {
    const std::string rooted = wrapTableRoot(layout, Variant::Previewer);
    if (rooted.size() <= 5) return false;
    out = replaceLineBreaks(rewriteMarkup(rooted));
    return true;
}

}  // namespace kestrane
