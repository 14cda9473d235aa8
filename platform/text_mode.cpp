#include "platform/text_file.h"

namespace kestrane {

std::string textModeBytes(const std::string& bytes) {
    std::string stored;
    stored.reserve(bytes.size() + bytes.size() / 16);
    for (char c : bytes) {
        if (c == '\n') stored += '\r';
        stored += c;
    }
    return stored;
}

}  // namespace kestrane
