#include "cli/pages_command.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>

#include "cli/options.h"
#include "cli/output_directory.h"
#include "jobs/receipt_jobs.h"
#include "platform/png_file.h"
#include "platform/raster_pages.h"

namespace kestrane {

int runPagesCommand(const std::vector<std::string>& args) {
    const OptionTable table{{}, {{"--out", "--out"}, {"-o", "--out"}}, {"--out"}, "JOBFILE"};
    ParsedOptions options;
    std::string error;
    if (!parseOptions(args, table, options, error)) return usageError("pages", error);
    std::ifstream in(options.layout, std::ios::binary);
    if (!in) {
        const int cause = errno;
        std::cerr << "kestrane pages: cannot read the job file '" << options.layout << "': "
                  << (options.layout.empty() ? "no file named" : std::strerror(cause)) << "\n";
        return 2;
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    const std::string out = options.value("--out");
    if (!makeOutputDirectory(out)) return 2;
    std::vector<RasterPage> pages;
    bool whole = true;
    if (bytes.str().compare(0, 2, "\x1B@") == 0) {
        // An ESC/POS stream: its raster images, at a receipt printer's 203 dpi.
        std::vector<Canvas> images;
        whole = readEscposPages(bytes.str(), images, error);
        for (Canvas& image : images) pages.push_back({203, 203, std::move(image)});
    } else {
        whole = readRasterPages(bytes.str(), pages, error);
    }
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const std::string path = out + "/page-" + std::to_string(i + 1) + ".png";
        std::string writeError;
        if (!writePngFile(pages[i].pixels, path, writeError)) {
            std::cerr << "kestrane: " << writeError << "\n";
            return 2;
        }
        std::cout << path << " " << pages[i].pixels.width << "x" << pages[i].pixels.height << " px at "
                  << pages[i].xdpi << "x" << pages[i].ydpi << " dpi\n";
    }
    if (!whole) {
        std::cerr << "kestrane: " << options.layout << ": " << error << "\n";
        return 1;
    }
    return 0;
}

}  // namespace kestrane
