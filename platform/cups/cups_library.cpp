#include <dlfcn.h>

#include <stdexcept>
#include <string>

#include "platform/cups/cups_library.h"

namespace kestrane {

namespace {

void* library() {
    // Loaded once, for the life of the process.
    static void* const handle = dlopen("libcups.so.2", RTLD_NOW | RTLD_LOCAL);
    return handle;
}

}  // namespace

bool cupsLoaded() { return library() != nullptr; }

void* cupsFunction(const char* name) {
    void* function = library() != nullptr ? dlsym(library(), name) : nullptr;
    if (function == nullptr) {
        throw std::runtime_error(std::string("the CUPS client library libcups.so.2 has no ") + name);
    }
    return function;
}

}  // namespace kestrane
