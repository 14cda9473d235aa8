#include "platform/host_name.h"

#include <windows.h>

namespace kestrane {

std::string localHostName() {
    char name[256] = {};
    DWORD size = sizeof name;
    if (!GetComputerNameExA(ComputerNameDnsHostname, name, &size)) return std::string();
    return std::string(name, size);
}

}  // namespace kestrane
