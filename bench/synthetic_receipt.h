// Receipts of any number of rows for the benchmarks of both print paths.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

namespace bench {

// Rows rotate through the kinds a till receipt is made of, so no single path dominates.
inline std::string syntheticRow(int64_t n) {
    const std::string id = std::to_string(n);
    switch (n % 4) {
        case 0:
            return "<tr><td><strong>Item " + id + "</strong></td><td><strong>:</strong></td>"
                   "<td align=\"right\">9.99</td></tr>\n";
        case 1:
            return "<tr><td>Line " + id + ": roasted beans, 250 g bag, ground for filter, "
                   "best before 03/2027</td></tr>\n";
        case 2:
            return "<tr><td><center><strong>Offer " + id + "</strong></center></td></tr>\n";
        default:
            return "<tr><td><hr></td></tr>\n";
    }
}

inline std::string syntheticReceipt(int64_t rows, bool withCodes) {
    std::string text = "<table>\n";
    for (int64_t n = 0; n < rows; ++n) text += syntheticRow(n);
    if (withCodes) {
        text += "<tr><td><input type=\"hidden\" name=\"barcodeText\" value=\"4711023\"></td></tr>\n"
                "<tr><td><input type=\"hidden\" name=\"qrcodeText\" value=\"4711023\"></td></tr>\n";
    }
    return text + "</table>\n";
}

// per_row: CPU time a row (kInvert turns the rate into seconds a row), so linear growth shows
// as a flat column.
inline void countPerRow(benchmark::State& state, int64_t rows) {
    state.counters["per_row"] = benchmark::Counter(
        static_cast<double>(rows), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

}  // namespace bench
