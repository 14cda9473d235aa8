#include "platform/native_name.h"

namespace kestrane {

// CUPS queue names and the paths of the systems we run on are UTF-8, which holds any text.
NameCharset nativeNameCharset() {
    return NameCharset::kUtf8;
}

}  // namespace kestrane
