#include "platform/file_path.h"

#include <sys/stat.h>

namespace kestrane {

std::string nativePath(const std::string& enginePath) {
    std::string path = enginePath;
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    return path;
}

bool fileStamp(const std::string& enginePath, FileStamp& stamp) {
    struct stat status {};
    if (::stat(nativePath(enginePath).c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return false;
    }
    stamp.size = status.st_size;
    stamp.modifiedNs = int64_t{status.st_mtim.tv_sec} * 1000000000 + status.st_mtim.tv_nsec;
    stamp.inode = status.st_ino;
    stamp.device = status.st_dev;
    return true;
}

}  // namespace kestrane
