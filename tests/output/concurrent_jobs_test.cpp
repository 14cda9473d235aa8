// Jobs on several threads give exactly the receipts they give one after the other. scripts/test
// also runs this program built with ThreadSanitizer, which fails any data race between jobs.
#include <gtest/gtest.h>

#include <thread>

#include "output/star_job.h"
#include "tests/support/bitmap_writer.h"
#include "tests/support/temp_dir.h"

namespace kestrane {
namespace {

using Sections = std::vector<CanvasBits>;

Sections runJob(const std::string& base, const std::string& layout) {
    Sections sections;
    const JobOutcome outcome = runStarJob(base, layout, [&](const Canvas& canvas, std::size_t) {
        sections.push_back(canvas.bits);
        return jobOutcome(JobStatus::kDrawn);
    });
    EXPECT_EQ(outcome.status, JobStatus::kDrawn);
    return sections;
}

TEST(ConcurrentJobsTest, ThreadsGiveWhatOneJobAfterTheOtherGives) {
    // Two base directories whose logo.bmp differ in size and shading; each job's layout needs
    // the job's own cursor, flags and image directory to come out right.
    testing::TempDir first, second;
    testing::writeBytes(first.imageFolder() + "/logo.bmp",
                        testing::bmp24(275, 100, [](int x, int y) {
                            const auto v = static_cast<uint8_t>((x + y) % 256);
                            return testing::Rgb{v, v, v};
                        }));
    testing::writeBytes(second.imageFolder() + "/logo.bmp",
                        testing::solidBmp(100, 300, {40, 40, 40}));
    const std::string row = "<tr><td>Total</td><td>:</td><td align=\"right\">9.99</td></tr>";
    const std::string logo = "<tr><td><center><img src=\"logo.png\"></center></td></tr>";
    const struct {
        std::string base, layout;
    } jobs[] = {
        {first.path(), "<table>" + logo + row + "</table><center>" + row + "</center>"
                       "<table><tr><td><input type=\"hidden\" name=\"qrcodeText\" value=\"1\"></td></tr></table>"},
        {second.path(), "<table>" + row + logo + row + row + "</table><table>" + logo + "</table>"},
        {first.path(), "<table><tr><td><input type=\"hidden\" name=\"barcodeText\" value=\"A1\"></td></tr>" +
                           logo + "</table>"},
    };
    constexpr int kRounds = 20;
    std::vector<std::vector<Sections>> results(std::size(jobs));
    std::vector<std::thread> threads;
    for (std::size_t j = 0; j < std::size(jobs); ++j) {
        threads.emplace_back([&, j] {
            for (int round = 0; round < kRounds; ++round) {
                results[j].push_back(runJob(jobs[j].base, jobs[j].layout));
            }
        });
    }
    for (std::thread& thread : threads) thread.join();

    for (std::size_t j = 0; j < std::size(jobs); ++j) {
        const Sections alone = runJob(jobs[j].base, jobs[j].layout);
        ASSERT_FALSE(alone.empty());
        for (const Sections& sections : results[j]) EXPECT_EQ(sections, alone) << "job " << j;
    }
    // The two logos really differ, so a job that read the other's directory would show.
    EXPECT_NE(runJob(first.path(), "<table>" + logo + "</table>"),
              runJob(second.path(), "<table>" + logo + "</table>"));
}

}  // namespace
}  // namespace kestrane
