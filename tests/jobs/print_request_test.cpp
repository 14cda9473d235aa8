#include "jobs/print_request.h"

#include <gtest/gtest.h>

namespace kestrane {
namespace {

PrintRequest request(const std::string& name, const std::string& type, const std::string& address) {
    return {name, type, address, "/base", "<table><tr><td>x</td></tr></table>"};
}

// Jobs for one printer wait for each other, however its name or address is written; jobs for
// different printers do not.
TEST(PrinterKeyTest, OnePrinterOneKeyHoweverItIsWritten) {
    const struct {
        const char* what;
        PrintRequest a, b;
        bool same;
    } cases[] = {
        {"a queue name in any case", request("receipt80", "STAR", "-"), request("RECEIPT80", "star", "x"), true},
        {"two queues", request("receipt80", "STAR", "-"), request("receipt58", "STAR", "-"), false},
        {"the default port written out", request("-", "EPSON", "Till-1"), request("-", "EPSON", "till-1:515"), true},
        {"IPv6 with and without the port", request("-", "EPSON", "[::1]"), request("-", "EPSON", "[::1]:515"), true},
        {"another port is another printer", request("-", "EPSON", "till-1"), request("-", "EPSON", "till-1:9100"), false},
        {"a STAR and an EPSON printer of one name", request("till", "STAR", "till"), request("till", "EPSON", "till"), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(printerKey(c.a) == printerKey(c.b), c.same) << c.what << ": " << printerKey(c.a) << " / " << printerKey(c.b);
    }
}

}  // namespace
}  // namespace kestrane
