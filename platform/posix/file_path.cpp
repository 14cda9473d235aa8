#include "platform/file_path.h"

namespace kestrane {

std::string nativePath(const std::string& enginePath) {
    std::string path = enginePath;
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    return path;
}

}  // namespace kestrane
