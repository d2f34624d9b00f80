// ArrangerHotKeyTableTests.cpp: the arranger's fixed keys, their order and the command of each id.
#include "Arvelo/Commands/ArrangerHotKeyTable.h"

#include <gtest/gtest.h>

#include <set>

namespace arvelo {
namespace {

TEST(ArrangerHotKeyTable, RegistersTheSixCommandKeysThenTheDigitPairs) {
    const auto keys = arrangerHotKeys();
    ASSERT_EQ(keys.size(), 24u);
    const std::vector<ArrangerHotKey> first{{1, 49, 0x1800}, {2, 125, 0x1800}, {3, 126, 0x1800},
                                            {4, 36, 0x1800}, {5, 33, 0x1800},  {6, 30, 0x1800}};
    EXPECT_EQ(std::vector<ArrangerHotKey>(keys.begin(), keys.begin() + 6), first);
    const std::uint32_t digits[] = {18, 19, 20, 21, 23, 22, 26, 28, 25};
    for (std::uint32_t n = 1; n <= 9; ++n) {
        EXPECT_EQ(keys[6 + 2 * (n - 1)], (ArrangerHotKey{10 + n, digits[n - 1], 0x1800})) << n;
        EXPECT_EQ(keys[7 + 2 * (n - 1)], (ArrangerHotKey{20 + n, digits[n - 1], 0x1A00})) << n;
    }
    EXPECT_EQ(kWindowMapHotKey, (ArrangerHotKey{7, 13, 0x1800}));
    EXPECT_EQ(kArrangerHotKeySignature, ('A' << 24 | 'R' << 16 | 'V' << 8 | 'L'));
}

TEST(ArrangerHotKeyTable, EveryIdRunsItsCommand) {
    using Kind = ArrangerShortcut::Kind;
    EXPECT_EQ(arrangerShortcut(1), (ArrangerShortcut{Kind::showEverything}));
    EXPECT_EQ(arrangerShortcut(2), (ArrangerShortcut{Kind::focusUnderPointer}));
    EXPECT_EQ(arrangerShortcut(4), (ArrangerShortcut{Kind::focusUnderPointer}));
    EXPECT_EQ(arrangerShortcut(3), (ArrangerShortcut{Kind::zoomOut}));
    EXPECT_EQ(arrangerShortcut(5), (ArrangerShortcut{Kind::back}));
    EXPECT_EQ(arrangerShortcut(6), (ArrangerShortcut{Kind::forward}));
    EXPECT_EQ(arrangerShortcut(7), (ArrangerShortcut{Kind::windowMap}));
    EXPECT_EQ(arrangerShortcut(14), (ArrangerShortcut{Kind::recallView, 4}));
    EXPECT_EQ(arrangerShortcut(24), (ArrangerShortcut{Kind::saveView, 4}));
    for (std::uint32_t id : {0u, 8u, 10u, 20u, 30u, 0xFFFFFFFFu}) EXPECT_FALSE(arrangerShortcut(id)) << id;
}

TEST(ArrangerHotKeyTable, FailureStatusQuotesTheSignedNumber) {
    EXPECT_EQ(shortcutInUseStatus(-9878),
              "A Vomira shortcut is in use by another app (-9878). The menu controls still work.");
}

}  // namespace
}  // namespace arvelo
