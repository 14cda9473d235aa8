// The character set of the names the engine hands the OS: printer names, host addresses, paths.
#pragma once

namespace kestrane {

enum class NameCharset {
    kUtf8,         // takes any text
    kWindows1252,  // takes only the characters Windows-1252 holds
};

// The character set this OS's calls read names in.
NameCharset nativeNameCharset();

}  // namespace kestrane
