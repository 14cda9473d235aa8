#include "cli/image_warnings.h"

#include <iostream>

#include "platform/file_path.h"

namespace kestrane {

void warnUnloadedImages(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        if (path.empty()) {
            std::cerr << "kestrane: warning: an <img> names no file (src=\"...\")\n";
        } else {
            std::cerr << "kestrane: warning: " << nativePath(path)
                      << ": image cannot be loaded (not a readable BMP file, or too large)\n";
        }
    }
}

}  // namespace kestrane
