// SPDX-License-Identifier: MIT
// The split axis and dock edge: raw values, the order of every edge, and strict JSON coding.
#include "ArveloCore/DockEdge.h"
#include "ArveloCore/SplitAxis.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

using arvelo::DockEdge;
using arvelo::SplitAxis;

TEST(SplitAxis, RawValuesAndJSON) {
    for (const SplitAxis axis : {SplitAxis::horizontal, SplitAxis::vertical}) {
        EXPECT_EQ(arvelo::splitAxisFromRawValue(arvelo::rawValue(axis)), axis);
        EXPECT_EQ(nlohmann::json(axis).get<SplitAxis>(), axis);
        EXPECT_EQ(nlohmann::ordered_json(axis).get<SplitAxis>(), axis);
    }
    EXPECT_EQ(nlohmann::json(SplitAxis::vertical).dump(), R"("vertical")");
    EXPECT_EQ(arvelo::splitAxisFromRawValue("Horizontal"), std::nullopt);
    EXPECT_THROW(nlohmann::json("diagonal").get<SplitAxis>(), nlohmann::json::type_error);
    EXPECT_THROW(nlohmann::json(0).get<SplitAxis>(), nlohmann::json::type_error);
}

TEST(DockEdge, AllCasesInOrderWithRawValuesAndJSON) {
    std::vector<std::string> raw;
    for (const DockEdge edge : arvelo::allDockEdges) {
        raw.emplace_back(arvelo::rawValue(edge));
        EXPECT_EQ(arvelo::dockEdgeFromRawValue(arvelo::rawValue(edge)), edge);
        EXPECT_EQ(nlohmann::json(edge).get<DockEdge>(), edge);
        EXPECT_EQ(nlohmann::ordered_json(edge).get<DockEdge>(), edge);
    }
    EXPECT_EQ(raw, (std::vector<std::string>{"left", "right", "top", "bottom", "tab"}));
    EXPECT_EQ(arvelo::dockEdgeFromRawValue("middle"), std::nullopt);
    EXPECT_THROW(nlohmann::json("middle").get<DockEdge>(), nlohmann::json::type_error);
    EXPECT_THROW(nlohmann::json(nullptr).get<DockEdge>(), nlohmann::json::type_error);
}
