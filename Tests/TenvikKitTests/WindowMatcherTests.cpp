// SPDX-License-Identifier: MIT
// WindowMatcherTests.cpp: the choice among an application's capturable windows as a table of
// cases (front-most capturable window, active window, title and frame scores with their
// thresholds, ties, no common owner), and title normalisation.
#include "TenvikKit/Pins/WindowMatcher.h"

#include <gtest/gtest.h>

namespace tenvik {
namespace {

WindowMatchCandidate shareable(std::uint32_t id, std::string title, arvelo::Rect bounds, bool active = false,
                               std::int32_t pid = 10) {
    return {id, pid, std::move(title), bounds, active};
}
WindowMatchCandidate listed(std::uint32_t id, std::string title, arvelo::Rect bounds, std::int32_t pid = 10) {
    return {id, pid, std::move(title), bounds, false};
}

TEST(WindowMatcher, ChoosesAsTheRulesSay) {
    const arvelo::Rect a{0, 0, 400, 300}, b{500, 0, 400, 300};
    struct Case {
        const char* name;
        std::vector<WindowMatchCandidate> shareable;
        std::vector<WindowMatchCandidate> frontToBack;
        std::optional<std::uint32_t> expected;
    };
    const Case cases[] = {
        {"nothing capturable", {}, {listed(1, "A", a)}, std::nullopt},
        {"front-most capturable window wins over an active one and a better title",
         {shareable(1, "Doc", a, true), shareable(2, "Other", b)},
         {listed(3, "Doc", a), listed(2, "Something else", {900, 900, 10, 10}), listed(1, "Doc", a)},
         2},
        {"same number but another owner is not the same window",
         {shareable(1, "", a), shareable(2, "", b, true)},
         {listed(1, "", a, 99)},
         2},
        {"no common number: the active window",
         {shareable(1, "A", a), shareable(2, "B", b, true)},
         {listed(7, "A", a)},
         2},
        {"title beats frame", {shareable(1, "Report", a), shareable(2, "Notes", b)}, {listed(9, "  REPORT\n", b)}, 1},
        {"white-space titles do not match",
         {shareable(1, "  ", {0, 0, 400, 300}), shareable(2, "x", {5, 0, 400, 300})},
         {listed(9, " \t", {6, 0, 400, 300})},
         2},
        {"empty titles give no title score: the nearer frame wins",
         {shareable(1, "", {0, 0, 400, 300}), shareable(2, "", {100, 0, 400, 300})},
         {listed(9, "", {90, 0, 400, 300})},
         2},
        {"a tie keeps the earlier capturable window",
         {shareable(1, "", {0, 0, 400, 300}), shareable(2, "", {20, 0, 400, 300})},
         {listed(9, "", {10, 0, 400, 300})},
         1},
        {"a title match far away beats a near frame",
         {shareable(1, "", {0, 0, 400, 300}), shareable(2, "Mail", {1000, 0, 400, 300})},
         {listed(8, "", {0, 0, 400, 300}), listed(9, "mail", {1500, 0, 400, 300})},
         2},
        {"no pair with a common owner: the first capturable window",
         {shareable(5, "A", a), shareable(6, "B", b)},
         {listed(9, "A", a, 77)},
         5},
        {"the window list is empty: the first capturable window", {shareable(5, "A", a), shareable(6, "B", b)}, {}, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(WindowMatcher::select(c.shareable, c.frontToBack), c.expected);
    }
}

TEST(WindowMatcher, BonusStopsAtEightyPoints) {
    // A title match 750 points away scores 50: it loses to a frame 79 points away (200 - 79)
    // and beats one 80 points away (-80), in width or in position alike.
    const std::vector<WindowMatchCandidate> frontToBack = {listed(9, "Mail", {0, 0, 400, 300})};
    const auto titled = shareable(2, "Mail", {750, 0, 400, 300});
    struct Case {
        arvelo::Rect near;
        std::uint32_t expected;
    };
    const Case cases[] = {
        {{79, 0, 400, 300}, 1}, {{80, 0, 400, 300}, 2},  {{0, 0, 479, 300}, 1},
        {{0, 0, 400, 380}, 2},  {{40, 39, 400, 300}, 1}, {{40, 40, 400, 300}, 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WindowMatcher::select({shareable(1, "", c.near), titled}, frontToBack), c.expected)
            << c.near.x << "," << c.near.y << " " << c.near.width << "x" << c.near.height;
}

TEST(WindowMatcher, NormalisesTitles) {
    struct Case {
        std::string in, out;
    };
    const Case cases[] = {
        {"  Hello World \n", "hello world"},
        {"\t\r\n", ""},
        {"\u00a0Ärger\u2003", "ärger"},
        {"ΣΟΦΙΑ", "σοφια"},
        {"Привет", "привет"},
        {"MiXeD 42", "mixed 42"},
    };
    for (const auto& c : cases) EXPECT_EQ(WindowMatcher::normalizedTitle(c.in), c.out) << c.in;
}

TEST(WindowMatcher, FrameDistanceSumsTheFourDifferences) {
    EXPECT_EQ(WindowMatcher::frameDistance({0, 0, 100, 100}, {1, 2, 103, 96}), 1 + 2 + 3 + 4);
}

}  // namespace
}  // namespace tenvik
