// File names as the engine builds them (Windows style, "\" or "/") to names the OS opens.
#pragma once

#include <string>

namespace kestrane {

// The path to hand to the OS's file calls. On POSIX every "\" becomes "/", so a name written
// C:\img\logo.bmp and one written C:/img/logo.bmp find the same file. The engine keeps its own
// strings unchanged; only file calls see the result.
std::string nativePath(const std::string& enginePath);

}  // namespace kestrane
