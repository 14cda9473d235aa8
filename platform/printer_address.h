// Printer network addresses as the add-on receives them: "host", "host:port", "[IPv6]" or
// "[IPv6]:port". A bare IPv6 literal (two or more colons, no brackets) is a host alone.
#pragma once

#include <cstdint>
#include <string>

namespace kestrane {

// The port of the line printer daemon protocol, used when the address names none.
constexpr std::uint16_t kLpdPort = 515;

struct PrinterAddress {
    std::string host;  // name or IP literal, without brackets
    std::uint16_t port = kLpdPort;
};

// Reads `text` into `address`. Returns false with a sentence in `reason` for an empty host, a
// bad port, an unclosed bracket, or any blank or control character (such an address must never
// reach a resolver, a shell or a command line).
bool parsePrinterAddress(const std::string& text, PrinterAddress& address, std::string& reason);

// Raw TCP printers ("socket://host:port", port 9100 by default): the usual way to reach a
// network receipt printer, an explicit form so that "host:port" keeps naming an LPD server.
constexpr std::uint16_t kRawSocketPort = 9100;
constexpr char kSocketScheme[] = "socket://";

// Whether `address` names a raw TCP printer ("socket://...").
bool isSocketAddress(const std::string& address);

// Reads "socket://host[:port]": the rest as parsePrinterAddress reads it, 9100 by default.
bool parseSocketAddress(const std::string& text, PrinterAddress& address, std::string& reason);

// Whether `address` names a printer on a device file: a path under /dev/ (/dev/usb/lp0,
// /dev/ttyS0, /dev/serial/by-id/...). Such a path is checked as any address is (no blanks or
// control characters) by checkDevicePath.
bool isDeviceAddress(const std::string& address);
bool checkDevicePath(const std::string& path, std::string& reason);

// How an EPSON job reaches its printer, by the form of its address.
enum class PrinterTransport { kLpd, kSocket, kDevice };

// Reads an address of any form: sets `transport`, and `address` for LPD and raw TCP (a device
// is its path). False with the reason as the form's own reader gives it.
bool parseAnyPrinterAddress(const std::string& text, PrinterTransport& transport, PrinterAddress& address,
                            std::string& reason);

// "host:port", or "[host]:port" for an IPv6 literal: how messages name the printer. A host of
// over 80 bytes is shown cut to 80 and "...".
std::string describePrinterAddress(const PrinterAddress& address);

}  // namespace kestrane
