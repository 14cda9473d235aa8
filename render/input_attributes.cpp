#include "render/input_attributes.h"

#include "render/text_wrap.h"

namespace kestrane {

std::map<std::string, std::string> parseInputAttributes(const std::string& raw) {
    constexpr auto npos = std::string::npos;
    std::map<std::string, std::string> attributes;
    const std::size_t n = raw.size();
    std::size_t pos = 0;
    while (n > 0) {
        const std::size_t equals = raw.find('=', pos);
        if (equals == npos || equals == pos) break;
        std::string key = raw.substr(pos, equals - pos);
        trimLineStarts(key);
        pos = equals;
        const std::size_t open = raw.find('"', pos);
        if (open != npos) {
            const std::size_t close = raw.find('"', open + 1);
            if (close != npos) {
                attributes[key] = raw.substr(open + 1, close - open - 1);
                pos = close + 1;
            }
        }
        if (pos >= n) break;
    }
    return attributes;
}

}  // namespace kestrane
