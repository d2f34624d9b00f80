// SPDX-License-Identifier: MIT
// NavigationHistoryTests.cpp: the back and forward lists on their own: the cap on the steps
// kept, what going back and forward hands out and keeps, and that recording forgets the steps
// ahead.
#include <gtest/gtest.h>

#include "Arvelo/Coordinator/NavigationHistory.h"

using namespace arvelo;

namespace {

// A step told apart by its camera height.
NavigationStep step(double n) { return {{"1", ViewPosition{std::nullopt, std::nullopt, Rect(0, 0, 1, n)}}}; }

double heightOf(const NavigationStep& s) { return s.at("1").camera->height; }

std::vector<double> heights(const std::vector<NavigationStep>& steps) {
    std::vector<double> result;
    for (const auto& s : steps) result.push_back(heightOf(s));
    return result;
}

TEST(NavigationHistory, KeepsTheLatestStepsUpToItsLimit) {
    NavigationHistory history;
    for (int i = 1; i <= static_cast<int>(NavigationHistory::kLimit) + 1; ++i) history.record(step(i));
    ASSERT_EQ(history.past().size(), NavigationHistory::kLimit);
    EXPECT_EQ(heightOf(history.past().front()), 2) << "the step recorded first is gone";
    EXPECT_EQ(heightOf(history.past().back()), NavigationHistory::kLimit + 1);
}

TEST(NavigationHistory, BackAndForwardTradeTheShownViewForTheNextStep) {
    NavigationHistory history;
    history.record(step(1));
    history.record(step(2));

    // Shown: 3. Back hands out 2 and keeps 3 ahead; back again hands out 1 and keeps 2 ahead.
    EXPECT_EQ(heightOf(*history.back(step(3))), 2);
    EXPECT_EQ(heightOf(*history.back(step(2))), 1);
    EXPECT_TRUE(history.past().empty());
    EXPECT_EQ(heights(history.future()), (std::vector<double>{3, 2}));

    EXPECT_EQ(heightOf(*history.forward(step(1))), 2);
    EXPECT_EQ(heightOf(*history.forward(step(2))), 3);
    EXPECT_EQ(heights(history.past()), (std::vector<double>{1, 2}));
    EXPECT_TRUE(history.future().empty());
}

TEST(NavigationHistory, NothingToGoToChangesNothing) {
    NavigationHistory history;
    EXPECT_FALSE(history.back(step(1)));
    EXPECT_FALSE(history.forward(step(1)));
    EXPECT_TRUE(history.past().empty());
    EXPECT_TRUE(history.future().empty());

    history.record(step(1));
    EXPECT_FALSE(history.forward(step(2)));
    EXPECT_EQ(heights(history.past()), (std::vector<double>{1}));
}

TEST(NavigationHistory, RecordingForgetsTheStepsAheadAndClearForgetsAll) {
    NavigationHistory history;
    history.record(step(1));
    history.record(step(2));
    ASSERT_TRUE(history.back(step(3)));
    history.record(step(4));
    EXPECT_TRUE(history.future().empty());
    EXPECT_EQ(heights(history.past()), (std::vector<double>{1, 4}));

    ASSERT_TRUE(history.back(step(5)));
    history.clear();
    EXPECT_TRUE(history.past().empty());
    EXPECT_TRUE(history.future().empty());
}

}  // namespace
