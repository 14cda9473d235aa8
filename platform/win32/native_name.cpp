#include "platform/native_name.h"

namespace kestrane {

// The engine calls the ANSI (-A) functions, which read names in the ANSI code page: Windows-1252
// on the tills we support. A name it cannot hold would reach the OS as another name.
NameCharset nativeNameCharset() {
    return NameCharset::kWindows1252;
}

}  // namespace kestrane
