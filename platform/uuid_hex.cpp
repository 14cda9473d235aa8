#include "platform/uuid.h"

namespace kestrane {

std::string uuidHex(const unsigned char (&bytes)[16]) {
    static const char kHex[] = "0123456789abcdef";
    std::string text;
    for (const unsigned char byte : bytes) {
        text += kHex[byte >> 4];
        text += kHex[byte & 0x0F];
    }
    return text;
}

}  // namespace kestrane
