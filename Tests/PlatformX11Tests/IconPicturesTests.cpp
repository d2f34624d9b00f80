// SPDX-License-Identifier: MIT
// IconPicturesTests.cpp: a window's own icon as _NET_WM_ICON carries it: several sizes in one
// property, a property cut short or carrying impossible sizes (taken up to what is sound), and
// the size that suits a view.
#include "Platform/X11/IconPictures.h"

#include <gtest/gtest.h>

using namespace platform::x11;

namespace {

// A property of square pictures of these sides, each pixel its side.
std::vector<std::uint32_t> property(std::initializer_list<std::uint32_t> sides) {
    std::vector<std::uint32_t> words;
    for (std::uint32_t side : sides) {
        words.push_back(side);
        words.push_back(side);
        words.insert(words.end(), std::size_t{side} * side, side);
    }
    return words;
}

std::vector<int> sidesOf(const std::vector<IconPicture>& pictures) {
    std::vector<int> sides;
    for (const IconPicture& p : pictures) {
        EXPECT_EQ(p.argb.size(), std::size_t(p.width) * p.height);
        sides.push_back(p.width);
    }
    return sides;
}

TEST(IconPictures, EverySoundPictureUpToTheFirstThatIsNot) {
    struct Case {
        const char* name;
        std::vector<std::uint32_t> words;
        std::vector<int> sides;
    };
    std::vector<std::uint32_t> cut = property({16, 32});
    cut.resize(cut.size() - 1);
    std::vector<std::uint32_t> huge = property({16});
    huge.insert(huge.end(), {0xFFFFFFFFu, 0xFFFFFFFFu, 1, 2, 3});
    std::vector<std::uint32_t> overflowing = property({16});
    overflowing.insert(overflowing.end(), {65536u, 65536u});  // 2^32 pixels: no wrap to 0
    const Case cases[] = {
        {"three sizes", property({16, 48, 32}), {16, 48, 32}},
        {"nothing", {}, {}},
        {"a lone width", {16}, {}},
        {"the last picture cut short", cut, {16}},
        {"an impossible size after a sound one", huge, {16}},
        {"sides whose product overflows", overflowing, {16}},
        {"a zero width", {0, 16}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(sidesOf(iconPictures(c.words.data(), c.words.size())), c.sides);
    }
}

TEST(IconPictures, TheSmallestAtLeastAsLargeAsTheViewElseTheLargest) {
    const std::vector<std::uint32_t> words = property({16, 48, 32, 128});
    const auto pictures = iconPictures(words.data(), words.size());
    struct Case {
        int side;
        int chosen;
    };
    for (const Case c : {Case{14, 16}, Case{16, 16}, Case{17, 32}, Case{40, 48}, Case{64, 128}, Case{300, 128}}) {
        SCOPED_TRACE(c.side);
        const auto best = bestIconPicture(pictures, c.side);
        ASSERT_TRUE(best);
        EXPECT_EQ(best->width, c.chosen);
    }
    EXPECT_FALSE(bestIconPicture({}, 16));
}

}  // namespace
