// SPDX-License-Identifier: MIT
// ChromeMetrics.h: the geometry of the chrome's panels as pure functions: the tab bar's rows
// and tab widths, the hover glyphs, the zoom bar's place, the seam handle's fraction and the
// miniature tile's drawing rules (scale, veil, picture fit, placeholder hue, icon and title).
// Widths are computed with min and max as the arithmetic means, so a tile narrower than its
// tabs (even 10 points) gives the minimum width, never an undefined clamp.
#pragma once

#include <optional>
#include <string>

#include "ArveloCore/Geometry.h"
#include "ArveloCore/Seam.h"
#include "ArveloCore/Tile.h"

namespace arvelo::chrome {

// ---- Tab bar
inline constexpr double kTabSpacing = 4;
inline constexpr double kTabInset = 4;
inline constexpr double kTabMinWidth = 90;
inline constexpr double kTabMaxWidth = 260;
inline constexpr double kHeaderMinHeight = 16;
inline constexpr double kTabMinHeight = 12;
// How far a window may sit off its tile (min x, min y or width) before its bar follows it.
inline constexpr double kFollowTolerance = 2;

struct TabBarMetrics {
    double width = 0;          // W: the bar's width
    double height = 0;         // H: the panel's height (the tile's tab height)
    double headerHeight = 0;   // h: the strip's height
    double tabHeight = 0;      // h': one tab's height
    double tabWidth = 0;       // every tab's width
    double fontSize = 0;       // the title's font size
    double iconSide = 0;       // the icon's side
    double documentWidth = 0;  // the row of tabs, scrolled when wider than the bar
    double stripY = 4;         // the strip's distance from the panel's bottom edge

    // The strip in top-left view coordinates (it may start above the panel when H < 20).
    Rect stripTopLeft() const { return Rect(0, height - stripY - headerHeight, width, headerHeight); }
};

// The bar of a tile `width` wide, `height` high, with `count` windows of which `shown` have a
// record (and so a tab).
TabBarMetrics tabBarMetrics(double width, double height, int count, int shown);
double tabWidth(double barWidth, int count);

// The bar's rectangle (top-left space): over the tile, or following its selected window when
// that window's expected frame is off its tile by more than 2 points in min x, min y or width
// (and the tile is no miniature); never above the display's visible frame.
Rect tabBarRect(const Tile& tile, const std::optional<Rect>& expectedFrame, const Rect& visibleFrame);

// ---- Hover glyphs of a tab (bounds of the tab, top-left view coordinates)
double glyphSide(double tabHeight);
Rect minimizeGlyphRect(double tabWidth, double tabHeight);
Rect closeGlyphRect(double tabWidth, double tabHeight);
// How much earlier the title stops while the glyphs show.
double glyphTrailingInset(double tabHeight);

// ---- Zoom bar
inline constexpr double kZoomBarHeight = 32;
inline constexpr double kZoomBarPadding = 40;
inline constexpr double kZoomBarDrop = 4;
// Centred, 4 points below the top of the visible frame; `fittingWidth` is the button's.
Rect zoomBarRect(double fittingWidth, const Rect& visibleFrame);

// ---- Seam handle: the pointer (bottom-left space) as a fraction of the split's extent, not
// clamped; a zero-length extent counts as 1 point.
double seamFraction(const Seam& seam, double primaryHeight, Point pointer);

// ---- Miniature tile
struct MiniatureLook {
    double scale = 1;         // s = min(1, w / 480, h / 320)
    bool labelShown = true;   // icon and title drawn (always without a picture)
    double labelOpacity = 1;  // a
    double veilOpacity = 0;   // the darkening veil over a picture
    double iconSide = 0;      // min(64, w / 2, h / 2)
    bool titleShown = false;  // wider than 90 and higher than 80
};
MiniatureLook miniatureLook(double width, double height, bool hasPicture);
// The picture's drawn size: fitted into the bounds less 6 points a side, never grown.
Size pictureFit(Size bounds, Size picture);
// The room a miniature of these bounds has for its picture: the bounds less 6 points a side,
// at least a point each way.
Size pictureArea(Size bounds);
// 0..359 from the title's Unicode scalar values (UTF-8 decoded), summed modulo 360.
int placeholderHue(const std::string& title);
// The title's rectangle in bottom-left view coordinates.
Rect miniatureTitleRect(double width, double height, double iconSide);

}  // namespace arvelo::chrome
