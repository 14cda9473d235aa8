#include "platform/uuid.h"

#include <rpc.h>

namespace kestrane {

std::string newUuidHex() {
    UUID id{};
    if (UuidCreate(&id) != RPC_S_OK) return std::string();
    // The fields in the order a UUID is written, so the text reads as the usual form does.
    unsigned char bytes[16] = {
        static_cast<unsigned char>(id.Data1 >> 24), static_cast<unsigned char>(id.Data1 >> 16),
        static_cast<unsigned char>(id.Data1 >> 8),  static_cast<unsigned char>(id.Data1),
        static_cast<unsigned char>(id.Data2 >> 8),  static_cast<unsigned char>(id.Data2),
        static_cast<unsigned char>(id.Data3 >> 8),  static_cast<unsigned char>(id.Data3)};
    for (int i = 0; i < 8; ++i) bytes[8 + i] = id.Data4[i];
    return uuidHex(bytes);
}

}  // namespace kestrane
