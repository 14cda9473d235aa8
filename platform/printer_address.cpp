#include "platform/printer_address.h"

#include <algorithm>

namespace kestrane {

namespace {

bool isBlankOrControl(unsigned char c) {
    return c <= 0x20 || c == 0x7F;
}

bool parsePort(const std::string& digits, std::uint16_t& port) {
    if (digits.empty() || digits.size() > 5) return false;
    unsigned value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value == 0 || value > 65535) return false;
    port = static_cast<std::uint16_t>(value);
    return true;
}

}  // namespace

bool parsePrinterAddress(const std::string& text, PrinterAddress& address, std::string& reason) {
    for (char c : text) {
        if (isBlankOrControl(static_cast<unsigned char>(c))) {
            reason = "The printer address must not contain blanks or control characters";
            return false;
        }
    }
    PrinterAddress parsed;
    std::string portText;
    bool hasPort = false;
    if (!text.empty() && text[0] == '[') {
        const auto close = text.find(']');
        if (close == std::string::npos) {
            reason = "The printer address has an unclosed \"[\"";
            return false;
        }
        parsed.host = text.substr(1, close - 1);
        const std::string rest = text.substr(close + 1);
        if (!rest.empty()) {
            if (rest[0] != ':') {
                reason = "The printer address has text after \"]\" that is not a port";
                return false;
            }
            hasPort = true;
            portText = rest.substr(1);
        }
    } else {
        const auto first = text.find(':');
        const bool oneColon =
            first != std::string::npos && text.find(':', first + 1) == std::string::npos;
        parsed.host = oneColon ? text.substr(0, first) : text;
        if (oneColon) {
            hasPort = true;
            portText = text.substr(first + 1);
        }
    }
    if (parsed.host.empty()) {
        reason = "The printer address names no host";
        return false;
    }
    if (hasPort && !parsePort(portText, parsed.port)) {
        reason = "The printer address has no port number from 1 to 65535 after \":\"";
        return false;
    }
    address = parsed;
    return true;
}

std::string describePrinterAddress(const PrinterAddress& address) {
    // A host name has at most 253 bytes; anything longer is cut so a message stays readable.
    constexpr std::size_t kShown = 80;
    const std::string host = address.host.size() <= kShown
                                 ? address.host
                                 : address.host.substr(0, kShown) + "...";
    const bool ipv6 = address.host.find(':') != std::string::npos;
    return (ipv6 ? "[" + host + "]" : host) + ":" + std::to_string(address.port);
}

bool isSocketAddress(const std::string& address) { return address.rfind(kSocketScheme, 0) == 0; }

bool isDeviceAddress(const std::string& address) { return address.rfind("/dev/", 0) == 0; }

bool checkDevicePath(const std::string& path, std::string& reason) {
    for (char c : path) {
        if (isBlankOrControl(static_cast<unsigned char>(c))) {
            reason = "The printer address must not contain blanks or control characters";
            return false;
        }
    }
    if (path.find("/../") != std::string::npos || path.size() <= 5) {
        reason = "The printer address names no device under /dev/";
        return false;
    }
    return true;
}

bool parseSocketAddress(const std::string& text, PrinterAddress& address, std::string& reason) {
    const std::string rest = text.substr(std::min(text.size(), sizeof kSocketScheme - 1));
    PrinterAddress parsed;
    if (!parsePrinterAddress(rest, parsed, reason)) return false;
    // As parsePrinterAddress reads it: "[IPv6]:port", or "host:port" with one colon.
    const bool portGiven = rest[0] == '[' ? rest.find("]:") != std::string::npos
                                          : std::count(rest.begin(), rest.end(), ':') == 1;
    if (!portGiven) parsed.port = kRawSocketPort;
    address = parsed;
    return true;
}

bool parseAnyPrinterAddress(const std::string& text, PrinterTransport& transport, PrinterAddress& address,
                            std::string& reason) {
    transport = isSocketAddress(text)   ? PrinterTransport::kSocket
                : isDeviceAddress(text) ? PrinterTransport::kDevice
                                        : PrinterTransport::kLpd;
    switch (transport) {
        case PrinterTransport::kSocket: return parseSocketAddress(text, address, reason);
        case PrinterTransport::kDevice: return checkDevicePath(text, reason);
        case PrinterTransport::kLpd: break;
    }
    return parsePrinterAddress(text, address, reason);
}

}  // namespace kestrane
