#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

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
        std::fprintf(stderr, "kestrane: the CUPS client library libcups.so.2 has no %s\n", name);
        std::abort();
    }
    return function;
}

}  // namespace kestrane
