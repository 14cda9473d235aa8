#include "output/star_job.h"

#include <gtest/gtest.h>

#include "markup/layout_limits.h"
#include "output/messages.h"
#include "tests/support/bitmap_writer.h"

namespace kestrane {
namespace {

// Runs the job, keeping each section's height and whether it has ink below its first rows.
struct JobRun {
    StarJobOutcome outcome;
    std::vector<int32_t> heights;
};

JobRun run(const std::string& layout, const std::string& sinkError = "") {
    JobRun result;
    result.outcome = runStarJob(".", layout, [&](const Canvas& canvas, std::size_t index) {
        EXPECT_EQ(index, result.heights.size());
        result.heights.push_back(canvas.height);
        // Every section has drawn rows above its closing rule.
        EXPECT_GT(testing::countBlack(canvas, {0, 0, 570, canvas.height - 3}), 0);
        return sinkError;
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
        std::string message;
        Heights heights;
    } cases[] = {
        {"two tables", "<table>" + row + "</table><table>" + row + row + "</table>", kStarSuccess,
         {49, 77}},
        // Once the job has reached a table's rows, rows after it print though no table holds
        // them: the second section ("<center>" rows, then a table the passes never reach, as
        // only first groups are read) is not refused.
        {"rows between tables",
         "<table>" + row + "</table><center>" + row + "</center><table>" + row + "</table>",
         kStarSuccess, {49, 49}},
        {"a table without an end tag prints nothing", "<table>" + row, kStarSuccess, {}},
        {"a second section that does not parse", "<table>" + row + "</table><table><tr></table>",
         kTemplateNotParsed, {49}},
        {"a first section without rows", "<table></table><table>" + row + "</table>",
         kLayoutNotSupported, {}},
        {"a section taller than a roll of paper",
         "<table>" + row + "</table><table><tr><td>a</td><td>" + std::string(50000, 'W') +
             "</td><td>c</td></tr></table>",
         kSectionTooTall, {49}},
        {"four bytes", "<tr>", kTextTooShort, {}},
        {"exactly the cap", padded("<table>" + row + "</table>", kMaxLayoutBytes), kStarSuccess, {49}},
        {"a byte over the cap", padded("<table>" + row + "</table>", kMaxLayoutBytes + 1),
         kLayoutTooLarge, {}},
        {"five bytes without markup", "hello", kUnsupportedLayout, {}},
    };
    for (const auto& c : cases) {
        const JobRun result = run(c.layout);
        EXPECT_EQ(result.outcome.message, c.message) << c.what;
        EXPECT_EQ(result.heights, c.heights) << c.what;
    }
}

TEST(StarJobTest, ASinkFailureEndsTheJobWithItsMessage) {
    const JobRun result = run("<table><tr><td>A</td></tr></table><table><tr><td>B</td></tr></table>",
                           "Error - Could not Write to Printer!");
    EXPECT_EQ(result.outcome.message, "Error - Could not Write to Printer!");
    EXPECT_EQ(result.heights.size(), 1u);
}

TEST(StarJobTest, NamesEachImageThatCannotBeLoadedOnce) {
    const JobRun result = run(
        "<table><tr><td><img src=\"gone.png\"></td></tr><tr><td>x</td></tr></table>"
        "<table><tr><td><img src=\"gone.png\"></td></tr><tr><td>x</td></tr></table>");
    EXPECT_EQ(result.outcome.message, kStarSuccess);
    EXPECT_EQ(result.outcome.unloadedImages,
              std::vector<std::string>{".\\node_modules\\printer\\GDIImageDirectory/gone.bmp"});
}

}  // namespace
}  // namespace kestrane
