#include "markup/node.h"

#include <gtest/gtest.h>

namespace KVTGDIPRINTING_LOGIC {
namespace {

NodeA* named(const std::string& name) {
    auto* node = new NodeA;
    node->name = name;
    return node;
}

TEST(NodeTest, ListsChildrenByNameWithCounts) {
    NodeA* table = named("table");
    for (int i = 0; i < 3; ++i) table->addChild(named("tr"));
    EXPECT_EQ(table->dumpChildren(), "Children of :table\ntr[3]\n");
    table->addChild(named("tbody"));
    EXPECT_EQ(table->dumpChildren(), "Children of :table\ntbody\ntr[3]\n");
    table->destroy();
}

TEST(NodeTest, OrdersGroupsByUnsignedBytesAndKeepsDocumentOrderWithin) {
    NodeA* td = named("td");
    td->addChild(named("strong"));
    td->addChild(named("center"));
    NodeA* second = named("strong");
    second->text = "second";
    td->addChild(second);
    td->addChild(named("\xE9t"));
    td->addChild(named("Z"));
    td->addChild(named("cent"));
    EXPECT_EQ(td->dumpChildren(), "Children of :td\nZ\ncent\ncenter\nstrong[2]\n\xE9t\n");
    NodeList* strong = td->getChildren("strong");
    ASSERT_NE(strong, nullptr);
    ASSERT_EQ(strong->size(), 2u);
    EXPECT_EQ((*strong)[1], second);
    EXPECT_EQ(second->parent, td);
    EXPECT_EQ(td->getChildren("em"), nullptr);
    EXPECT_EQ(td->children.count("em"), 0u);
    td->destroy();
}

TEST(NodeTest, LooksUpKeysExactlyWithoutInserting) {
    NodeA* node = named("tr");
    node->setAttribute("align", "right");
    node->setVariable("img", "src=\"a.bmp\">");
    node->setVariable("img", "src=\"b.bmp\">");
    EXPECT_EQ(node->getAttribute("align"), "right");
    EXPECT_EQ(node->getAttribute("Align"), "");
    EXPECT_EQ(node->getAttribute("align "), "");
    EXPECT_EQ(node->getVariable("img"), "src=\"b.bmp\">");
    EXPECT_EQ(node->getVariable("input"), "");
    EXPECT_EQ(node->variables.size(), 1u);
    EXPECT_EQ(node->attributes.size(), 1u);
    EXPECT_EQ(node->dumpVariables(), "Variables of :tr\nimg\n");
    EXPECT_EQ(node->dumpAttributes(), "Variables of :tr\nalign\n");
    EXPECT_EQ(node->getArray("x"), nullptr);
    node->destroy();
}

TEST(NodeTest, DumpsHeadingsOfAnUnnamedNode) {
    NodeA* node = new NodeA;
    EXPECT_EQ(node->dumpVariables(), "Variables of :\n");
    EXPECT_EQ(node->dumpAttributes(), "Variables of :\n");
    EXPECT_EQ(node->dumpChildren(), "Children of :\n");
    EXPECT_EQ(node->dumpArrayNames(), "Array Names on \n");
    node->arrays["list"].push_back("x");
    EXPECT_EQ(node->dumpArrayNames(), "Array Names on \nlist\n");
    ASSERT_NE(node->getArray("list"), nullptr);
    EXPECT_EQ(node->box.left + node->box.top + node->box.right + node->box.bottom, 0);
    node->destroy();
}

TEST(NodeTest, NameOperationsAgree) {
    for (const char* name : {"", "Error", "table", "\xFF"}) {
        NodeA* node = named(name);
        EXPECT_EQ(node->getName(), name);
        EXPECT_EQ(node->getNodeName(), name);
        node->destroy();
    }
}

TEST(NodeTest, RenamingAfterAddingDoesNotMoveTheChild) {
    NodeA* row = named("tr");
    NodeA* cell = named("td");
    row->addChild(cell);
    cell->name = "th";
    EXPECT_EQ(row->getChildren("td")->front(), cell);
    EXPECT_EQ(row->getChildren("th"), nullptr);
    row->destroy();
}

// Run under AddressSanitizer by the test script: a node freed twice or left behind fails.
TEST(NodeTest, DestroysDeepAndWideTreesWithoutRecursion) {
    NodeA* root = named("a");
    NodeA* tip = root;
    for (int depth = 0; depth < 1000000; ++depth) {
        NodeA* child = named(depth % 2 ? "a" : "b");
        tip->addChild(child);
        tip->addChild(named("leaf"));
        tip = child;
    }
    root->destroy();
}

}  // namespace
}  // namespace KVTGDIPRINTING_LOGIC
