// The STAR print path for the "Kestrane" sample, layout to a job the spooler accepted, against
// the virtual printer (scripts/virtual-printer, started here). BM_OurShare is the same job with
// the spooler taken out: drawing, paging and stretching to the 80 mm queue's 575-pixel pages,
// everything of ours; BM_PrintToCups minus it is what CUPS costs (connections, IPP requests,
// raster encoding, the scheduler). Medians over 200 jobs.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "jobs/job_messages.h"
#include "jobs/receipt_jobs.h"

namespace {

const std::string kBase = std::string(KESTRANE_SAMPLES) + "/base";
const kestrane::DeviceSize kRoll80{575, 1598, 203, 203};

std::string sample() {
    std::ifstream in(std::string(KESTRANE_SAMPLES) + "/kestrane.html", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Starts the virtual printer for the whole run and points the CUPS client at it.
class VirtualPrinter {
  public:
    VirtualPrinter() {
        char pattern[] = "/tmp/kestrane-bench-XXXXXX";
        dir_ = mkdtemp(pattern) != nullptr ? pattern : "";
        up_ = !dir_.empty() && std::system(command("up").c_str()) == 0;
        if (up_) setenv("CUPS_SERVER", (dir_ + "/cups.sock").c_str(), 1);
    }
    ~VirtualPrinter() {
        std::system(command("down").c_str());
        std::system(("rm -rf '" + dir_ + "'").c_str());
    }
    bool up() const { return up_; }
    // Empties the sink now and then, so a long run does not fill the disk.
    void clearJobs() const { std::system(("rm -f '" + dir_ + "'/jobs/receipt80/*").c_str()); }

  private:
    std::string command(const char* verb) const {
        return std::string(KESTRANE_SOURCE_DIR) + "/scripts/virtual-printer " + verb + " '" + dir_ + "' >/dev/null";
    }
    std::string dir_;
    bool up_ = false;
};

void BM_OurShare(benchmark::State& state) {
    const std::string layout = sample();
    for (auto _ : state) {
        const auto outcome = kestrane::drawReceipt(kBase, layout, [](const kestrane::Canvas& canvas, std::size_t) {
            for (const kestrane::Canvas& page : kestrane::devicePages(canvas, kRoll80)) {
                benchmark::DoNotOptimize(page.bits.data());
            }
            return kestrane::jobOutcome(kestrane::JobStatus::kDrawn);
        });
        if (!outcome.succeeded()) state.SkipWithError(kestrane::jobMessage(outcome).c_str());
    }
}

void BM_PrintToCups(benchmark::State& state) {
    static const VirtualPrinter printer;
    if (!printer.up()) {
        state.SkipWithError("the virtual printer did not start");
        return;
    }
    const std::string layout = sample();
    for (auto _ : state) {
        const kestrane::JobOutcome outcome = kestrane::printStarJob(kBase, "receipt80", layout);
        if (!outcome.succeeded()) state.SkipWithError(kestrane::jobMessage(outcome).c_str());
    }
    printer.clearJobs();
}

}  // namespace

BENCHMARK(BM_OurShare)->Iterations(1)->Repetitions(200)->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PrintToCups)
    ->Iterations(1)
    ->Repetitions(200)
    ->ReportAggregatesOnly(true)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
