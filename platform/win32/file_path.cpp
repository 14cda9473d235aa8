#include "platform/file_path.h"

#include <windows.h>

namespace kestrane {

// Windows takes "\" and "/" alike: the engine's names go to the file calls as they are.
std::string nativePath(const std::string& enginePath) {
    return enginePath;
}

bool fileStamp(const std::string& enginePath, FileStamp& stamp) {
    const HANDLE file = CreateFileA(nativePath(enginePath).c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileInformationByHandle(file, &info) != 0 &&
                       (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    CloseHandle(file);
    if (!known) return false;
    stamp.size = (int64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    // FILETIME counts 100-nanosecond ticks.
    const int64_t ticks =
        (int64_t{info.ftLastWriteTime.dwHighDateTime} << 32) | info.ftLastWriteTime.dwLowDateTime;
    stamp.modifiedNs = ticks * 100;
    stamp.inode = (uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    stamp.device = info.dwVolumeSerialNumber;
    return true;
}

}  // namespace kestrane
