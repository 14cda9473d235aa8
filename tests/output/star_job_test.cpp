#include "output/star_job.h"

#include <gtest/gtest.h>

#include "markup/layout_limits.h"
#include "tests/support/bitmap_writer.h"

namespace kestrane {
namespace {

// Runs the job, keeping each section's height and whether it has ink below its first rows.
struct JobRun {
    JobOutcome outcome;
    std::vector<int32_t> heights;
};

JobRun run(const std::string& layout, JobStatus sinkAnswer = JobStatus::kDrawn) {
    JobRun result;
    result.outcome = runStarJob(".", layout, [&](const Canvas& canvas, std::size_t index) {
        EXPECT_EQ(index, result.heights.size());
        result.heights.push_back(canvas.height);
        // Every section has drawn rows above its closing rule.
        EXPECT_GT(testing::countBlack(canvas, {0, 0, 570, canvas.height - 3}), 0);
        return jobOutcome(sinkAnswer);
    });
    return result;
}

// `layout` followed by blanks up to `size` bytes.
std::string padded(const std::string& layout, std::size_t size) {
    return layout + std::string(size - layout.size(), ' ');
}

TEST(StarJobTest, SectionsGoToTheSinkInOrderUntilTheFirstFailure) {
    using Heights = std::vector<int32_t>;
    const std::string row = "<tr><td>A</td></tr>";  // 28 rows, a canvas of 49
    const struct {
        const char* what;
        std::string layout;
        JobStatus status;
        Heights heights;
    } cases[] = {
        {"two tables", "<table>" + row + "</table><table>" + row + row + "</table>", JobStatus::kDrawn,
         {49, 77}},
        // Once the job has reached a table's rows, rows after it print though no table holds
        // them: the second section ("<center>" rows, then a table the passes never reach, as
        // only first groups are read) is not refused.
        {"rows between tables",
         "<table>" + row + "</table><center>" + row + "</center><table>" + row + "</table>",
         JobStatus::kDrawn, {49, 49}},
        {"a table without an end tag has nothing to print", "<table>" + row, JobStatus::kNothingToPrint, {}},
        {"a second section that does not parse", "<table>" + row + "</table><table><tr></table>",
         JobStatus::kTemplateNotParsed, {49}},
        {"a first section without rows", "<table></table><table>" + row + "</table>",
         JobStatus::kLayoutNotSupported, {}},
        {"a section taller than a roll of paper",
         "<table>" + row + "</table><table><tr><td>a</td><td>" + std::string(50000, 'W') +
             "</td><td>c</td></tr></table>",
         JobStatus::kSectionTooTall, {49}},
        {"four bytes", "<tr>", JobStatus::kTextTooShort, {}},
        {"exactly the cap", padded("<table>" + row + "</table>", kMaxLayoutBytes), JobStatus::kDrawn, {49}},
        {"a byte over the cap", padded("<table>" + row + "</table>", kMaxLayoutBytes + 1),
         JobStatus::kLayoutTooLarge, {}},
        {"five bytes without markup", "hello", JobStatus::kUnsupportedLayout, {}},
    };
    for (const auto& c : cases) {
        const JobRun result = run(c.layout);
        EXPECT_EQ(result.outcome.status, c.status) << c.what;
        EXPECT_EQ(result.heights, c.heights) << c.what;
    }
}

TEST(StarJobTest, ASinkFailureEndsTheJobWithItsOutcome) {
    const JobRun result = run("<table><tr><td>A</td></tr></table><table><tr><td>B</td></tr></table>",
                              JobStatus::kCouldNotWrite);
    EXPECT_EQ(result.outcome.status, JobStatus::kCouldNotWrite);
    EXPECT_EQ(result.heights.size(), 1u);
}

TEST(StarJobTest, NamesEachImageThatCannotBeLoadedOnce) {
    const JobRun result = run(
        "<table><tr><td><img src=\"gone.png\"></td></tr><tr><td>x</td></tr></table>"
        "<table><tr><td><img src=\"gone.png\"></td></tr><tr><td>x</td></tr></table>");
    EXPECT_EQ(result.outcome.status, JobStatus::kDrawn);
    EXPECT_EQ(result.outcome.warnings,
              std::vector<std::string>{"./node_modules/printer/GDIImageDirectory/gone.bmp: image cannot be "
                                       "loaded (not a readable BMP file, or too large)"});
}

}  // namespace
}  // namespace kestrane
