#include "platform/host_name.h"

#include <unistd.h>

namespace kestrane {

std::string localHostName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return std::string();
    return std::string(name);
}

}  // namespace kestrane
