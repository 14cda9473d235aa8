#include "platform/printer_address.h"

#include <gtest/gtest.h>

namespace kestrane {
namespace {

TEST(PrinterAddressTest, ReadsHostAndPortForms) {
    const struct {
        std::string text, host;
        std::uint16_t port;
        std::string described;
    } cases[] = {
        {"192.168.1.50", "192.168.1.50", 515, "192.168.1.50:515"},
        {"192.168.1.50:9100", "192.168.1.50", 9100, "192.168.1.50:9100"},
        {"printer.local", "printer.local", 515, "printer.local:515"},
        {"printer.local:1", "printer.local", 1, "printer.local:1"},
        {"localhost:65535", "localhost", 65535, "localhost:65535"},
        {"[::1]:5515", "::1", 5515, "[::1]:5515"},
        {"[fe80::1]", "fe80::1", 515, "[fe80::1]:515"},
        {"::1", "::1", 515, "[::1]:515"},  // a bare IPv6 literal has no port
        {"2001:db8::7", "2001:db8::7", 515, "[2001:db8::7]:515"},
        // Raw TCP printers: port 9100 unless one is given.
        {"socket://192.168.1.50", "192.168.1.50", 9100, "192.168.1.50:9100"},
        {"socket://printer.local:9101", "printer.local", 9101, "printer.local:9101"},
        {"socket://[::1]", "::1", 9100, "[::1]:9100"},
        {"socket://[::1]:515", "::1", 515, "[::1]:515"},
        {"socket://::1", "::1", 9100, "[::1]:9100"},
    };
    for (const auto& c : cases) {
        PrinterAddress address;
        std::string reason;
        const bool socket = isSocketAddress(c.text);
        ASSERT_TRUE(socket ? parseSocketAddress(c.text, address, reason) : parsePrinterAddress(c.text, address, reason))
            << c.text << ": " << reason;
        EXPECT_EQ(address.host, c.host) << c.text;
        EXPECT_EQ(address.port, c.port) << c.text;
        EXPECT_EQ(describePrinterAddress(address), c.described) << c.text;
    }
}

TEST(PrinterAddressTest, RefusesBlanksControlsAndBadPorts) {
    const std::string blanks = "The printer address must not contain blanks or control characters";
    const std::string noHost = "The printer address names no host";
    const std::string badPort =
        "The printer address has no port number from 1 to 65535 after \":\"";
    const struct {
        std::string text, reason;
    } cases[] = {
        {"10.0.0.5 -P other", blanks},  // must never become extra arguments
        {" 10.0.0.5", blanks},
        {"10.0.0.5\t", blanks},
        {"10.0.0.5\n", blanks},
        {"10.0.0.5\r", blanks},
        {std::string("10.0.0.5\0x", 10), blanks},
        {"10.0.0.5\x7F", blanks},
        {"", noHost},
        {":515", noHost},
        {"[]:515", noHost},
        {"host:", badPort},
        {"host:0", badPort},
        {"host:65536", badPort},
        {"host:99999999999", badPort},
        {"host:51a", badPort},
        {"host:-1", badPort},
        {"[::1]:", badPort},
        {"[::1", "The printer address has an unclosed \"[\""},
        {"[::1]515", "The printer address has text after \"]\" that is not a port"},
        {"socket://", noHost},
        {"socket://10.0.0.5 ", blanks},
        {"socket://host:0", badPort},
    };
    for (const auto& c : cases) {
        PrinterAddress address;
        address.host = "unchanged";
        std::string reason;
        EXPECT_FALSE(isSocketAddress(c.text) ? parseSocketAddress(c.text, address, reason)
                                             : parsePrinterAddress(c.text, address, reason))
            << c.text;
        EXPECT_EQ(reason, c.reason) << c.text;
        EXPECT_EQ(address.host, "unchanged") << c.text;
    }
}

}  // namespace
}  // namespace kestrane
