// SPDX-License-Identifier: MIT
// ChromeMetricsTests.cpp: the chrome's geometry as tables: tab widths for 1 to 12 windows in
// bars 10 to 3000 points wide (never an undefined clamp), the strip and tab heights, glyphs,
// the bar that follows its window, the zoom bar, seam fractions and the miniature's drawing
// rules.
#include "Arvelo/Chrome/ChromeMetrics.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace arvelo;
using namespace arvelo::chrome;

namespace {

TEST(ChromeMetrics, TabWidthsStayBetween90And260ForEveryCountAndWidth) {
    for (int n = 1; n <= 12; ++n) {
        for (double w : {10.0, 50.0, 100.0, 400.0, 800.0, 1000.0, 1440.0, 2000.0, 2560.0, 3000.0}) {
            const double width = tabWidth(w, n);
            const double share = (w - 8) / n - 4;
            EXPECT_GE(width, 90) << n << " in " << w;
            EXPECT_LE(width, 260) << n << " in " << w;
            if (share >= 90 && share <= 260) {
                EXPECT_DOUBLE_EQ(width, share) << n << " in " << w;
            }
        }
    }
    struct Case {
        double w;
        int n;
        double width;
    };
    for (const Case& k : {Case{400, 8, 90}, Case{2000, 2, 260}, Case{10, 2, 90}, Case{10, 12, 90}, Case{408, 2, 196},
                          Case{3000, 12, 245.33333333333334}}) {
        EXPECT_DOUBLE_EQ(tabWidth(k.w, k.n), k.width) << k.n << " in " << k.w;
    }
}

TEST(ChromeMetrics, ATileNarrowerThanItsTabsScrollsItsHeader) {
    const TabBarMetrics narrow = tabBarMetrics(10, 28, 3, 3);
    EXPECT_DOUBLE_EQ(narrow.tabWidth, 90);
    EXPECT_DOUBLE_EQ(narrow.documentWidth, 8 + 3 * 94);
    const TabBarMetrics eight = tabBarMetrics(400, 28, 8, 8);
    EXPECT_GT(eight.documentWidth, 400);
    const TabBarMetrics noRecords = tabBarMetrics(600, 28, 2, 0);
    EXPECT_DOUBLE_EQ(noRecords.documentWidth, 8);
}

TEST(ChromeMetrics, StripTabAndGlyphSizesFollowTheBarHeight) {
    struct Case {
        double H;
        double strip, tab, font, icon, stripTop;
    };
    const Case cases[] = {
        {18, 16, 12, 9, 7.2, -2},  // the minimum strip reaches 2 points above the panel
        {20, 16, 12, 9, 7.2, 0},  {28, 24, 16, 9, 9.6, 0}, {40, 36, 28, 12.88, 16.8, 0}, {60, 56, 48, 13, 28.8, 0},
    };
    for (const Case& k : cases) {
        const TabBarMetrics m = tabBarMetrics(800, k.H, 2, 2);
        EXPECT_DOUBLE_EQ(m.headerHeight, k.strip) << k.H;
        EXPECT_DOUBLE_EQ(m.tabHeight, k.tab) << k.H;
        EXPECT_NEAR(m.fontSize, k.font, 1e-9) << k.H;
        EXPECT_NEAR(m.iconSide, k.icon, 1e-9) << k.H;
        EXPECT_DOUBLE_EQ(m.stripTopLeft().y, k.stripTop) << k.H;
    }
    struct Glyph {
        double tabHeight, side;
    };
    for (const Glyph& g : {Glyph{20, 14}, Glyph{40, 18}, Glyph{24, 18}, Glyph{17, 12}, Glyph{10, 12}}) {
        EXPECT_DOUBLE_EQ(glyphSide(g.tabHeight), g.side) << g.tabHeight;
        EXPECT_DOUBLE_EQ(glyphTrailingInset(g.tabHeight), 2 * g.side + 10);
        EXPECT_EQ(closeGlyphRect(120, g.tabHeight), Rect(120 - 6 - g.side, (g.tabHeight - g.side) / 2, g.side, g.side));
        EXPECT_EQ(minimizeGlyphRect(120, g.tabHeight),
                  Rect(120 - 6 - 2 * g.side - 2, (g.tabHeight - g.side) / 2, g.side, g.side));
    }
}

TEST(ChromeMetrics, ABarFollowsItsWindowOnlyWhenItIsOffItsTileByMoreThanTwoPoints) {
    Tile tile;
    tile.windows = {"a", "b"};
    tile.selected = "a";
    tile.frame = {100, 50, 600, 500};
    const double h = tile.tabHeight();
    const Rect window = tile.windowFrame();
    const Rect visible{0, 24, 1440, 876};
    struct Case {
        const char* what;
        std::optional<Rect> expected;
        bool miniature;
        Rect bar;
    };
    const Rect onTile{100, 50, 600, h};
    const Case cases[] = {
        {"no expected frame", std::nullopt, false, onTile},
        {"on its tile", window, false, onTile},
        {"2 points left", Rect(window.x - 2, window.y, window.width, window.height), false, onTile},
        {"3 points left", Rect(window.x - 3, window.y, window.width, window.height), false,
         Rect(window.x - 3, window.y - h, window.width, h)},
        {"3 points narrower", Rect(window.x, window.y, window.width - 3, window.height), false,
         Rect(window.x, window.y - h, window.width - 3, h)},
        {"3 points lower", Rect(window.x, window.y + 3, window.width, window.height), false,
         Rect(window.x, window.y + 3 - h, window.width, h)},
        {"up against the top", Rect(window.x, 10, window.width, window.height), false,
         Rect(window.x, 24, window.width, h)},
        {"a miniature never follows", Rect(window.x - 50, window.y, window.width, window.height), true, onTile},
    };
    for (const Case& k : cases) {
        Tile t = tile;
        t.miniature = k.miniature;
        EXPECT_EQ(tabBarRect(t, k.expected, visible), k.bar) << k.what;
    }
}

TEST(ChromeMetrics, TheZoomBarHangsCentredBelowTheTopOfTheVisibleFrame) {
    EXPECT_EQ(zoomBarRect(120.3, Rect(0, 24, 1440, 876)), Rect(720 - 80.5, 28, 161, 32));
    EXPECT_EQ(zoomBarRect(100, Rect(1440, 0, 1920, 1080)), Rect(1440 + 960 - 70, 4, 140, 32));
}

TEST(ChromeMetrics, SeamFractionsAreThePointerAlongTheParentUnclamped) {
    Seam across{"s", SplitAxis::horizontal, Rect(496, 0, 8, 600), Rect(100, 0, 800, 600)};
    Seam stacked{"s", SplitAxis::vertical, Rect(0, 396, 600, 8), Rect(0, 100, 600, 600)};
    Seam flat{"s", SplitAxis::horizontal, Rect(0, 0, 0, 0), Rect(100, 0, 0, 0)};
    struct Case {
        const Seam* seam;
        double primaryHeight;
        Point pointer;
        double fraction;
    };
    const Case cases[] = {
        {&across, 1000, {500, 0}, 0.5},  {&across, 1000, {20, 0}, -0.1}, {&across, 1000, {1000, 0}, 1.125},
        {&stacked, 1000, {0, 600}, 0.5}, {&stacked, 0, {0, -250}, 0.25}, {&flat, 900, {101, 0}, 1.0},
    };
    for (const Case& k : cases) EXPECT_NEAR(seamFraction(*k.seam, k.primaryHeight, k.pointer), k.fraction, 1e-12);
}

TEST(ChromeMetrics, MiniatureLabelFadesInOnSmallTilesWithAPicture) {
    struct Case {
        double w, h;
        bool picture;
        bool label;
        double labelOpacity, veil;
        bool title;
    };
    const Case cases[] = {
        {300, 200, true, false, 0, 0, true},       // s = 0.625: the picture alone
        {264, 176, true, true, 0.5, 0.275, true},  // s = 0.55: half
        {240, 160, true, true, 1, 0.55, true},     // s = 0.5: full label, full veil
        {100, 60, true, true, 1, 0.55, false},
        {300, 200, false, true, 1, 0, true},  // no picture: icon and title, no veil
        {91, 81, false, true, 1, 0, true},
        {90, 200, false, true, 1, 0, false},
        {200, 80, false, true, 1, 0, false},
    };
    for (const Case& k : cases) {
        const MiniatureLook look = miniatureLook(k.w, k.h, k.picture);
        EXPECT_EQ(look.labelShown, k.label) << k.w << "x" << k.h;
        EXPECT_NEAR(look.labelOpacity, k.labelOpacity, 1e-9) << k.w << "x" << k.h;
        EXPECT_NEAR(look.veilOpacity, k.veil, 1e-9) << k.w << "x" << k.h;
        EXPECT_EQ(look.titleShown, k.title) << k.w << "x" << k.h;
    }
    EXPECT_DOUBLE_EQ(miniatureLook(1000, 60, false).iconSide, 30);
    EXPECT_DOUBLE_EQ(miniatureLook(1000, 1000, false).iconSide, 64);
    EXPECT_EQ(miniatureTitleRect(200, 200, 64), Rect(8, 47, 184, 18));
    EXPECT_EQ(miniatureTitleRect(200, 40, 20), Rect(8, 8, 184, 18));
}

TEST(ChromeMetrics, PicturesFitTheTileWithoutGrowingAndHuesComeFromTheTitle) {
    EXPECT_EQ(pictureFit({412, 312}, {200, 100}), Size(200, 100)) << "never grown";
    EXPECT_EQ(pictureFit({212, 612}, {400, 300}), Size(200, 150));
    EXPECT_EQ(pictureFit({212, 612}, {0, 300}), Size(0, 0));
    EXPECT_EQ(placeholderHue("Window"), (87 + 105 + 110 + 100 + 111 + 119) % 360);
    EXPECT_EQ(placeholderHue("é"), 233) << "Unicode scalars, not bytes";
    EXPECT_EQ(placeholderHue("Notes"), placeholderHue("Notes"));
    EXPECT_EQ(placeholderHue(""), 0);
}

}  // namespace
