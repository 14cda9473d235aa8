// Any bytes go through every markup stage without a crash, a hang or memory beyond a constant
// times the input. The test script runs these under AddressSanitizer and UBSan.
#include <gtest/gtest.h>

#include <random>

#include "markup/normalise.h"
#include "markup/parser.h"
#include "markup/preview_text.h"
#include "markup/replacement_scan.h"

namespace kestrane {
namespace {

using KVTGDIPRINTING_LOGIC::NodeA;

// Runs both job orders over `layout`; returns the root names, add-on sections first.
std::vector<std::string> runAllStages(const std::string& layout) {
    std::vector<std::string> names;
    const std::string rewritten = rewriteMarkup(wrapTableRoot(layout, Variant::AddOn));
    std::string joined;
    for (const std::string& section : splitTableSections(rewritten)) {
        joined += section;
        NodeA* root = parseMarkup(replaceLineBreaks(section), Variant::AddOn).root;
        names.push_back(root->getNodeName());
        root->destroy();
    }
    // Sections are consecutive pieces of the rewritten text.
    EXPECT_EQ(rewritten.compare(0, joined.size(), joined), 0);
    std::string previewText;
    if (preparePreviewText(layout, previewText)) {
        NodeA* root = parseMarkup(previewText, Variant::Previewer).root;
        names.push_back(root->getNodeName());
        root->destroy();
    }
    return names;
}

TEST(BadInputTest, OddBytesAndBracketsPassEveryStage) {
    const std::string cases[] = {
        "",
        std::string(1, '\0'),
        std::string(64, '\0'),
        std::string("<table>\0<tr></tr></table>", 25),
        "\x80\x81\xfe\xff<\xff>\xff</\xff>",
        "no tags at all, just words",
        "<", ">", "<>", "><", "<<>>", "<><><>", "</>", "</", "/>", "<<<<", ">>>>",
        "<table", "<table>", "</table>", "<table></table", "<tbody", "<tbody>",
        "<table><tr><td>a</td></tr></table>",
        "<table><tr><td><</td></tr></table>",
        "<table><tr><td>></td></tr></table>",
        "<table a=\"<\" b=\">\"><tr></tr></table>",
        "<img src=\"<\">", "<input >", "<input", "< >", "<  >", "<\n>", "<\t/>",
        "<table><hr></table><hr><hr>",
        "?>", "<?>", "<table>?></table>", "<?xml?><table></table>",
        "<table><tr><td>&nbsp;&nbsp</td></tr></table>",
        "<table x=\"", "<table x=\"\">", "<table =\"\">", "<a b=\"\" c=\"\" \">",
    };
    for (const std::string& layout : cases) runAllStages(layout);
}

TEST(BadInputTest, BracketsAnywhereInAValidLayout) {
    const std::string valid = "<table><tr><td>ab</td></tr></table>";
    const std::string odd[] = {"<", ">", "</", "<>", std::string(1, '\0')};
    for (std::size_t at = 0; at <= valid.size(); ++at) {
        for (const std::string& insert : odd) {
            std::string text = valid;
            text.insert(at, insert);
            const auto names = runAllStages(text);
            // The previewer parses the whole text as one section, so it always has a result.
            ASSERT_FALSE(names.empty()) << text;
        }
    }
}

TEST(BadInputTest, RandomBytesNeverCrash) {
    std::mt19937 random(20261207);
    const char alphabet[] = "<>/ =\"tablerdh\n\0\xff";
    for (int round = 0; round < 2000; ++round) {
        std::string text(random() % 200, ' ');
        for (char& c : text) c = alphabet[random() % (sizeof alphabet - 1)];
        runAllStages(text);
    }
}

TEST(BadInputTest, TenMegabyteLayoutsAreLinear) {
    std::string rows;
    while (rows.size() < 10u * 1024 * 1024) {
        rows += "<tr><td><strong>Item</strong></td><td>:</td><td align=\"right\">9.99</td></tr>\n";
    }
    const std::string layout = "<table>" + rows + "</table>";
    const auto names = runAllStages(layout);
    EXPECT_EQ(names, (std::vector<std::string>{"table", "table"}));

    std::string cell = "<table><tr><td>" + std::string(10u * 1024 * 1024, 'x') + "</td></tr></table>";
    EXPECT_EQ(runAllStages(cell), (std::vector<std::string>{"table", "table"}));

    std::string brackets(10u * 1024 * 1024, '<');
    for (std::size_t i = 1; i < brackets.size(); i += 3) brackets[i] = '>';
    runAllStages(brackets);
}

// One million containers, each pushed because its name differs from its parent's.
std::string deepLayout(bool closed) {
    const int depth = 1000000;
    std::string text;
    text.reserve(depth * 8);
    for (int i = 0; i < depth; ++i) text += i % 2 ? "<b>" : "<a>";
    if (closed) {
        for (int i = depth - 1; i >= 0; --i) text += i % 2 ? "</b>" : "</a>";
    }
    return text;
}

TEST(BadInputTest, MillionDeepNestingParsesAndReleasesWithoutRecursion) {
    NodeA* root = parseMarkup(deepLayout(true), Variant::AddOn).root;
    ASSERT_EQ(root->getNodeName(), "a");
    int depth = 1;
    for (const NodeA* node = root; !node->children.empty(); ++depth) {
        node = node->children.begin()->second.front();
    }
    EXPECT_EQ(depth, 1000000);
    root->destroy();

    const ParseResult parsed = parseMarkup(deepLayout(false), Variant::Previewer);
    EXPECT_TRUE(parsed.rejected);
    NodeA* error = parsed.root;
    EXPECT_EQ(error->getNodeName(), "Error");
    EXPECT_EQ(error->getVariable("error"), "Not all XML Containers are matched properly");
    error->destroy();
}

}  // namespace
}  // namespace kestrane
