// The text stages of a preview: the whole layout becomes one section.
#pragma once

#include <string>

namespace kestrane {

// Gives the layout a table root (the previewer's variant), rewrites it and turns its breaks into
// line feeds, ready for parseMarkup. Returns false, leaving `out` alone, when the rooted text
// has 5 bytes or fewer.
bool preparePreviewText(const std::string& layout, std::string& out);

}  // namespace kestrane
