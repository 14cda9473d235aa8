#include "platform/seconds_text.h"

namespace kestrane {

std::string secondsText(std::chrono::milliseconds limit) {
    const long long ms = limit.count();
    std::string text = std::to_string(ms / 1000);
    if (ms % 1000 != 0) {
        std::string fraction = std::to_string(1000 + ms % 1000).substr(1);
        while (fraction.back() == '0') fraction.pop_back();
        text += "." + fraction;
    }
    return text + (ms == 1000 ? " second" : " seconds");
}

}  // namespace kestrane
