// SPDX-License-Identifier: MIT
// ChromeMetrics.cpp: the chrome's geometry and drawing rules.
#include "Arvelo/Chrome/ChromeMetrics.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace arvelo::chrome {

double tabWidth(double barWidth, int count) {
    const double share = count > 0 ? (barWidth - 2 * kTabInset) / count - kTabSpacing : kTabMaxWidth;
    return std::min(std::max(share, kTabMinWidth), kTabMaxWidth);
}

TabBarMetrics tabBarMetrics(double width, double height, int count, int shown) {
    TabBarMetrics m;
    m.width = width;
    m.height = height;
    m.headerHeight = std::max(height - 4, kHeaderMinHeight);
    m.tabHeight = std::max(m.headerHeight - 8, kTabMinHeight);
    m.tabWidth = tabWidth(width, count);
    m.fontSize = std::min(std::max(m.tabHeight * 0.46, 9.0), 13.0);
    m.iconSide = m.tabHeight * 0.6;
    m.documentWidth = 2 * kTabInset + std::max(shown, 0) * (m.tabWidth + kTabSpacing);
    return m;
}

Rect tabBarRect(const Tile& tile, const std::optional<Rect>& expectedFrame, const Rect& visibleFrame) {
    const double h = tile.tabHeight();
    const Rect window = tile.windowFrame();
    if (!tile.miniature && expectedFrame) {
        const Rect& e = *expectedFrame;
        const bool off = std::abs(e.y - window.y) > kFollowTolerance ||
                         std::abs(e.width - window.width) > kFollowTolerance ||
                         std::abs(e.x - window.x) > kFollowTolerance;
        if (off) return Rect(e.x, std::max(e.y - h, visibleFrame.y), e.width, h);
    }
    return Rect(tile.frame.x, tile.frame.y, tile.frame.width, h);
}

double glyphSide(double tabHeight) { return std::max(std::min(tabHeight - 6, 18.0), 12.0); }

Rect minimizeGlyphRect(double tabWidth, double tabHeight) {
    const double s = glyphSide(tabHeight);
    return Rect(tabWidth - 6 - 2 * s - 2, (tabHeight - s) / 2, s, s);
}

Rect closeGlyphRect(double tabWidth, double tabHeight) {
    const double s = glyphSide(tabHeight);
    return Rect(tabWidth - 6 - s, (tabHeight - s) / 2, s, s);
}

double glyphTrailingInset(double tabHeight) { return 2 * glyphSide(tabHeight) + 10; }

Rect zoomBarRect(double fittingWidth, const Rect& visibleFrame) {
    const double w = std::ceil(fittingWidth) + kZoomBarPadding;
    return Rect(visibleFrame.midX() - w / 2, visibleFrame.y + kZoomBarDrop, w, kZoomBarHeight);
}

double seamFraction(const Seam& seam, double primaryHeight, Point pointer) {
    const Rect& parent = seam.parentFrame;
    const bool stacked = seam.axis == SplitAxis::vertical;
    const double length = stacked ? parent.height : parent.width;
    const double position = stacked ? (primaryHeight - pointer.y) - parent.y : pointer.x - parent.x;
    return position / std::max(length, 1.0);
}

MiniatureLook miniatureLook(double width, double height, bool hasPicture) {
    MiniatureLook look;
    look.scale = std::min({1.0, width / 480, height / 320});
    look.iconSide = std::min({64.0, width / 2, height / 2});
    look.titleShown = width > 90 && height > 80;
    if (!hasPicture) return look;
    const double t = (look.scale - 0.5) / 0.1;
    if (t >= 1) {
        look.labelShown = false;
        look.labelOpacity = 0;
        return look;
    }
    look.labelOpacity = t < 0 ? 1 : 1 - t;
    look.veilOpacity = 0.55 * look.labelOpacity;
    return look;
}

Size pictureArea(Size bounds) { return {std::max(1.0, bounds.width - 12), std::max(1.0, bounds.height - 12)}; }

Size pictureFit(Size bounds, Size picture) {
    if (picture.width <= 0 || picture.height <= 0) return {0, 0};
    const double areaWidth = bounds.width - 12, areaHeight = bounds.height - 12;
    const double f = std::min({1.0, areaWidth / picture.width, areaHeight / picture.height});
    return {picture.width * std::max(f, 0.0), picture.height * std::max(f, 0.0)};
}

int placeholderHue(const std::string& title) {
    int hue = 0;
    for (std::size_t i = 0; i < title.size();) {
        const auto byte = static_cast<unsigned char>(title[i]);
        std::uint32_t scalar = byte;
        int extra = 0;
        if (byte >= 0xF0) {
            scalar = byte & 0x07;
            extra = 3;
        } else if (byte >= 0xE0) {
            scalar = byte & 0x0F;
            extra = 2;
        } else if (byte >= 0xC0) {
            scalar = byte & 0x1F;
            extra = 1;
        }
        ++i;
        for (int k = 0; k < extra && i < title.size(); ++k, ++i)
            scalar = (scalar << 6) | (static_cast<unsigned char>(title[i]) & 0x3F);
        hue = static_cast<int>((hue + scalar) % 360);
    }
    return hue;
}

Rect miniatureTitleRect(double width, double height, double iconSide) {
    return Rect(8, std::max(8.0, height / 2 - iconSide / 2 - 21), width - 16, 18);
}

}  // namespace arvelo::chrome
