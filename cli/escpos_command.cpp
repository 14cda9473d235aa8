#include "cli/escpos_command.h"

#include <cstdio>
#include <fstream>
#include <iostream>

#include "cli/layout_file.h"
#include "output/byte_sink.h"
#include "output/raw_conversion.h"
#include "platform/text_file.h"

namespace kestrane {

namespace {

int usage() {
    std::cerr << "usage: kestrane escpos LAYOUT [-o FILE]\n";
    return 2;
}

}  // namespace

int runEscposCommand(const std::vector<std::string>& args) {
    std::string layoutPath, outPath;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o" && i + 1 < args.size() && outPath.empty()) {
            outPath = args[++i];
        } else if (layoutPath.empty() && (args[i] == "-" || args[i].rfind("-", 0) != 0)) {
            layoutPath = args[i];
        } else {
            return usage();
        }
    }
    if (layoutPath.empty()) return usage();
    std::string layout, error;
    if (!readLayoutFile(layoutPath, layout, error)) {
        std::cerr << "kestrane: " << error << "\n";
        return 2;
    }
    StringSink sink;
    writeRawReceipt(layout, sink);
    const std::string stored = textModeBytes(sink.bytes());
    if (outPath.empty()) {
        std::cout.write(stored.data(), static_cast<std::streamsize>(stored.size()));
        std::cout.flush();
        return std::cout ? 0 : 2;
    }
    std::ofstream out(outPath, std::ios::binary | std::ios::trunc);
    out.write(stored.data(), static_cast<std::streamsize>(stored.size()));
    out.close();
    if (!out) {
        std::cerr << "kestrane: " << outPath << ": cannot write\n";
        return 2;
    }
    return 0;
}

}  // namespace kestrane
