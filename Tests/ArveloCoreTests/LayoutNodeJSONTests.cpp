// SPDX-License-Identifier: MIT
// The JSON form of a layout node: key order, defaults, strict types and hostile documents.
#include "ArveloCore/LayoutNode.h"
#include "TreeHelpers.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

using arvelo::LayoutNode;
using arvelo::SplitAxis;
using namespace treehelpers;

TEST(LayoutNodeJSON, WritesKeysInOrderAndOmitsOnlyAbsentAxisAndSelection) {
    LayoutNode bare("n", {});
    EXPECT_EQ(arvelo::encodeLayoutNode(bare), R"({"id":"n","ratio":0.5,"children":[],"windows":[],"isDesktop":false})");

    const LayoutNode tree = split("s", leaf("l", {"a", "b"}), LayoutNode::desktop(), SplitAxis::vertical, 0.25);
    EXPECT_EQ(arvelo::encodeLayoutNode(tree),
              R"({"id":"s","axis":"vertical","ratio":0.25,"children":[)"
              R"({"id":"l","ratio":0.5,"children":[],"windows":["a","b"],"selected":"a","isDesktop":false},)"
              R"({"id":"desktop","ratio":0.5,"children":[],"windows":[],"isDesktop":true}],)"
              R"("windows":[],"isDesktop":false})");
}

TEST(LayoutNodeJSON, RoundTripsThroughBothJsonFlavours) {
    LayoutNode tree = LayoutNode::grid({"a", "b", "c", "d", "e"}, 16.0 / 9.0, true);
    tree.edit(tree.children[0].id, [](LayoutNode& n) { n.ratio = 0.123456789012345; });
    tree.select("b");
    EXPECT_EQ(arvelo::decodeLayoutNode(arvelo::encodeLayoutNode(tree)), tree);
    EXPECT_EQ(nlohmann::json(tree).get<LayoutNode>(), tree);
    EXPECT_EQ(nlohmann::ordered_json(tree).get<LayoutNode>(), tree);
}

TEST(LayoutNodeJSON, ReadsDefaultsForMissingAndNullKeysAndIgnoresUnknownOnes) {
    const LayoutNode onlyID = arvelo::decodeLayoutNode(R"({"id":"x"})");
    EXPECT_EQ(onlyID.id, "x");
    EXPECT_EQ(onlyID.ratio, 0.5);
    EXPECT_TRUE(onlyID.children.empty());
    EXPECT_TRUE(onlyID.windows.empty());
    EXPECT_EQ(onlyID.selected, std::nullopt);
    EXPECT_FALSE(onlyID.isDesktop);
    EXPECT_FALSE(onlyID.axis.has_value());

    const LayoutNode nulls = arvelo::decodeLayoutNode(
        R"({"id":"x","axis":null,"ratio":null,"children":null,"windows":null,"selected":null,"isDesktop":null,"extra":[1,2]})");
    EXPECT_EQ(nulls, onlyID);

    // A stored leaf without a selection stays without one; integers are numbers.
    const LayoutNode noSelection = arvelo::decodeLayoutNode(R"({"id":"x","windows":["a"],"ratio":1})");
    EXPECT_EQ(noSelection.selected, std::nullopt);
    EXPECT_EQ(noSelection.ratio, 1.0);
}

TEST(LayoutNodeJSON, WrongTypesFailTheWholeDecode) {
    const char* documents[] = {
        R"({})",
        R"({"id":null})",
        R"({"id":7})",
        R"({"id":"x","axis":"diagonal"})",
        R"({"id":"x","axis":1})",
        R"({"id":"x","ratio":"0.5"})",
        R"({"id":"x","ratio":true})",
        R"({"id":"x","children":{}})",
        R"({"id":"x","children":[1]})",
        R"({"id":"x","children":[{"id":"y","windows":"a"}]})",
        R"({"id":"x","windows":["a",1]})",
        R"({"id":"x","windows":["a",null]})",
        R"({"id":"x","selected":1})",
        R"({"id":"x","isDesktop":1})",
        R"({"id":"x","isDesktop":"true"})",
        R"([{"id":"x"}])",
        R"("x")",
    };
    for (const char* document : documents)
        EXPECT_THROW(arvelo::decodeLayoutNode(document), nlohmann::json::exception) << document;
}

TEST(LayoutNodeJSON, ErrorsNameWhereInTheTreeTheFaultIs) {
    try {
        arvelo::decodeLayoutNode(
            R"({"id":"r","children":[{"id":"a"},{"id":"b","children":[{"id":"c","ratio":"x"}]}]})");
        FAIL() << "decoded";
    } catch (const nlohmann::json::type_error& error) {
        EXPECT_NE(std::string(error.what()).find("root.children[1].children[0]: \"ratio\""), std::string::npos)
            << error.what();
    }
}

TEST(LayoutNodeJSON, EveryTruncationOfADocumentFailsCleanly) {
    const std::string text = arvelo::encodeLayoutNode(LayoutNode::dwindle({"a", "b", "c"}, true, true));
    for (std::size_t length = 0; length < text.size(); ++length)
        EXPECT_THROW(arvelo::decodeLayoutNode(std::string_view(text).substr(0, length)), nlohmann::json::exception)
            << length;
}

namespace {

std::string nested(int depth) {
    std::string text;
    for (int i = 0; i < depth; ++i) text += R"({"id":"n","children":[)";
    for (int i = 0; i < depth; ++i) text += "]}";
    return text;
}

}  // namespace

TEST(LayoutNodeJSON, NestingIsBoundedInsteadOfOverflowingTheStack) {
    const LayoutNode deepest = arvelo::decodeLayoutNode(nested(arvelo::kMaxLayoutDepth));
    int levels = 1;
    for (const LayoutNode* node = &deepest; !node->children.empty(); node = &node->children.front()) ++levels;
    EXPECT_EQ(levels, arvelo::kMaxLayoutDepth);
    EXPECT_THROW(arvelo::decodeLayoutNode(nested(arvelo::kMaxLayoutDepth + 1)), nlohmann::json::other_error);
    EXPECT_THROW(arvelo::decodeLayoutNode(nested(200000)), nlohmann::json::other_error);
    // Deep nesting that is not a tree of nodes fails on its type at once.
    EXPECT_THROW(
        arvelo::decodeLayoutNode(R"({"id":"x","windows":)" + std::string(200000, '[') + std::string(200000, ']') + "}"),
        nlohmann::json::type_error);
}

TEST(LayoutNodeJSON, LargeArraysDecode) {
    nlohmann::ordered_json json = {{"id", "x"}, {"windows", nlohmann::ordered_json::array()}};
    for (int i = 0; i < 100000; ++i) json["windows"].push_back(std::to_string(i));
    EXPECT_EQ(json.get<LayoutNode>().windows.size(), 100000u);
}
