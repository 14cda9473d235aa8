// `kestrane tree` end to end: the binary, its JSON and its exit status.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>

#include "tests/support/run_command.h"

namespace kestrane {
namespace {

using testing::readFile;
using testing::runCommand;
using testing::writeTempFile;

testing::CommandResult tree(const std::string& layout, std::vector<std::string> flags = {}) {
    const std::string path = writeTempFile("layout", layout);
    flags.insert(flags.begin(), {"tree", path});
    auto result = runCommand(KESTRANE_CLI, flags);
    std::remove(path.c_str());
    return result;
}

std::string node(const std::string& name, const std::string& text, const std::string& children,
                 const std::string& attributes = "{}", const std::string& variables = "{}") {
    return "{\"name\": \"" + name + "\", \"text\": \"" + text + "\", \"attributes\": " +
           attributes + ", \"variables\": " + variables +
           ", \"box\": [0, 0, 0, 0], \"children\": {" + children + "}}";
}

TEST(TreeCommandTest, PrintsOneDocumentPerLayout) {
    const std::string cell = node("td", "A", "");
    const std::string table = node("table", "", "\"tr\": [" + node("tr", "", "\"td\": [" + cell + "]") + "]");
    const std::string twoTables = "{\"sections\": [{\"tree\": " + table + "}, {\"tree\": " + table + "}]}\n";
    const struct {
        const char* what;
        std::string layout;
        std::vector<std::string> flags;
        std::string out;
        int status;
    } cases[] = {
        {"too short", "<a>", {}, "{\"error\": \"Error - There is a set limit on the minimum size of a receipt text and your text does not meet the minimum\"}\n", 1},
        {"empty", "", {}, "{\"error\": \"Error - There is a set limit on the minimum size of a receipt text and your text does not meet the minimum\"}\n", 1},
        {"no markup", "plain words", {}, "{\"error\": \"Error - Unsupported Receipt Layout Format!\"}\n", 1},
        {"no > after the first <", "ab<cdef", {}, "{\"error\": \"Error - Unsupported Receipt Layout Format!\"}\n", 1},
        {"table without end tag", "<table><tr><td>A</td></tr>", {}, "{\"sections\": []}\n", 0},
        {"two tables, two sections", "<table><tr><td>A</td></tr></table> <table><tr><td>A</td></tr></table>", {}, twoTables, 0},
        {"error node is an ordinary section", "<table><tr></table>", {},
         "{\"sections\": [{\"tree\": " + node("Error", "", "", "{}", "{\"error\": \"Not all XML Containers are matched properly\"}") + "}]}\n", 0},
        {"preview without markup", "plain words", {"--preview"}, "{\"error\": \"Template Could not Render\"}\n", 1},
        {"preview parses the whole text once", "<table><tr><td>A</td></tr></table> <table><tr><td>A</td></tr></table>", {"--preview"},
         "{\"sections\": [{\"tree\": " + table + "}]}\n", 0},
        {"bytes as code points, escapes", "<table><tr><td>\xE9\"\\\x01\x7F</td></tr></table>", {},
         "{\"sections\": [{\"tree\": " + node("table", "", "\"tr\": [" + node("tr", "", "\"td\": [" + node("td", "\xC3\xA9\\\"\\\\\\u0001\x7F", "") + "]") + "]") + "}]}\n", 0},
        {"line breaks become line feeds", "<table><tr><td>a<br>b</td></tr></table>", {},
         "{\"sections\": [{\"tree\": " + node("table", "", "\"tr\": [" + node("tr", "", "\"td\": [" + node("td", "a\\nb", "") + "]") + "]") + "}]}\n", 0},
    };
    for (const auto& c : cases) {
        const auto result = tree(c.layout, c.flags);
        EXPECT_EQ(result.out, c.out) << c.what;
        EXPECT_EQ(result.status, c.status) << c.what;
    }
}

TEST(TreeCommandTest, ReadsStandardInput) {
    const std::string path = writeTempFile("stdin", "<table><tr><td>A</td></tr></table>");
    const auto fromStdin = runCommand(KESTRANE_CLI, {"tree", "-"}, path);
    std::remove(path.c_str());
    EXPECT_EQ(fromStdin.status, 0);
    EXPECT_EQ(fromStdin.out.rfind("{\"sections\": [{\"tree\": {\"name\": \"table\"", 0), 0u);

}

// The samples' trees are reviewed files; tests/data/regenerate shows any difference.
TEST(TreeCommandTest, SamplesMatchTheirReviewedTrees) {
    for (const char* sample : {"kestrane", "vexo", "invoice"}) {
        for (const bool preview : {false, true}) {
            std::vector<std::string> args = {"tree", std::string(KESTRANE_SAMPLES) + "/" + sample + ".html"};
            if (preview) args.push_back("--preview");
            const auto result = runCommand(KESTRANE_CLI, args);
            const std::string expected = std::string(KESTRANE_TEST_DATA) + "/tree/" + sample +
                                         (preview ? ".preview" : "") + ".json";
            EXPECT_EQ(result.status, 0) << sample;
            EXPECT_EQ(result.out, readFile(expected)) << expected;
        }
    }
}

TEST(TreeCommandTest, WritesDeepTreesWithoutRecursion) {
    // Half a million levels: as deep as a layout under the size cap gets.
    std::string layout = "<table>";
    for (int i = 0; i < 500000; ++i) layout += i % 2 ? "<b>" : "<a>";
    for (int i = 499999; i >= 0; --i) layout += i % 2 ? "</b>" : "</a>";
    layout += "</table>";
    const auto result = tree(layout);
    EXPECT_EQ(result.status, 0);
    const std::string tail = "]}}]}}}]}\n";
    ASSERT_GT(result.out.size(), tail.size());
    EXPECT_EQ(result.out.substr(result.out.size() - tail.size()), tail);
}

}  // namespace
}  // namespace kestrane
