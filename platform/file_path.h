// File names as the engine builds them (Windows style, "\" or "/") to names the OS opens.
#pragma once

#include <cstdint>
#include <string>

namespace kestrane {

// The path to hand to the OS's file calls. On POSIX every "\" becomes "/", so a name written
// C:\img\logo.bmp and one written C:/img/logo.bmp find the same file. The engine keeps its own
// strings unchanged; only file calls see the result.
std::string nativePath(const std::string& enginePath);

// What tells one version of a file from another.
struct FileStamp {
    int64_t size = 0;
    int64_t modifiedNs = 0;
    uint64_t inode = 0;
    uint64_t device = 0;
};

inline bool operator==(const FileStamp& a, const FileStamp& b) {
    return a.size == b.size && a.modifiedNs == b.modifiedNs && a.inode == b.inode &&
           a.device == b.device;
}

// The stamp of the regular file at `enginePath`; false when there is none.
bool fileStamp(const std::string& enginePath, FileStamp& stamp);

}  // namespace kestrane
