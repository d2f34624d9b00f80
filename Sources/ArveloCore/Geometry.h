// SPDX-License-Identifier: MIT
// Geometry.h: the point, size and rectangle value types that every module measures with.
// They behave like the desktop platform's own rectangle: standardised negative sizes,
// a null rectangle for an empty intersection, half-open containment, and the text form
// "{{x, y}, {w, h}}".
#pragma once

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

namespace arvelo {

struct Point {
    double x = 0;
    double y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    double width = 0;
    double height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    constexpr Rect() = default;
    constexpr Rect(double x_, double y_, double w_, double h_) : x(x_), y(y_), width(w_), height(h_) {}
    constexpr Rect(Point origin, Size size) : x(origin.x), y(origin.y), width(size.width), height(size.height) {}

    friend bool operator==(const Rect&, const Rect&) = default;

    // The null rectangle: the result of intersecting rectangles that do not meet.
    static Rect null() {
        const double inf = std::numeric_limits<double>::infinity();
        return {inf, inf, 0, 0};
    }
    bool isNull() const { return std::isinf(x) || std::isinf(y); }
    // Empty: null, or a zero width or height.
    bool isEmpty() const { return isNull() || width == 0 || height == 0; }

    Point origin() const { return {x, y}; }
    Size size() const { return {width, height}; }

    // The same rectangle with a non-negative width and height.
    Rect standardized() const {
        Rect r = *this;
        if (r.width < 0) {
            r.x += r.width;
            r.width = -r.width;
        }
        if (r.height < 0) {
            r.y += r.height;
            r.height = -r.height;
        }
        return r;
    }

    double minX() const { return width < 0 ? x + width : x; }
    double maxX() const { return width < 0 ? x : x + width; }
    double midX() const { return x + width / 2; }
    double minY() const { return height < 0 ? y + height : y; }
    double maxY() const { return height < 0 ? y : y + height; }
    double midY() const { return y + height / 2; }
    double absWidth() const { return std::abs(width); }
    double absHeight() const { return std::abs(height); }

    // The overlap of two rectangles; null when they do not overlap. Rectangles that only
    // share an edge give a zero-sized, non-null result, as the platform's does.
    Rect intersection(const Rect& other) const {
        if (isNull() || other.isNull()) return null();
        const Rect a = standardized(), b = other.standardized();
        const double x0 = std::max(a.x, b.x), y0 = std::max(a.y, b.y);
        const double x1 = std::min(a.maxX(), b.maxX()), y1 = std::min(a.maxY(), b.maxY());
        if (x1 < x0 || y1 < y0) return null();
        return {x0, y0, x1 - x0, y1 - y0};
    }
    bool intersects(const Rect& other) const {
        const Rect i = intersection(other);
        return !i.isNull() && i.width > 0 && i.height > 0;
    }

    // The smallest rectangle holding both; a null rectangle adds nothing.
    Rect united(const Rect& other) const {
        if (isNull()) return other.standardized();
        if (other.isNull()) return standardized();
        const Rect a = standardized(), b = other.standardized();
        const double x0 = std::min(a.x, b.x), y0 = std::min(a.y, b.y);
        const double x1 = std::max(a.maxX(), b.maxX()), y1 = std::max(a.maxY(), b.maxY());
        return {x0, y0, x1 - x0, y1 - y0};
    }

    // Shrinks by dx on the left and right and dy at the top and bottom (negative grows);
    // null when nothing is left.
    Rect insetBy(double dx, double dy) const {
        if (isNull()) return null();
        Rect r = standardized();
        r.x += dx;
        r.y += dy;
        r.width -= 2 * dx;
        r.height -= 2 * dy;
        if (r.width < 0 || r.height < 0) return null();
        return r;
    }

    Rect offsetBy(double dx, double dy) const { return {x + dx, y + dy, width, height}; }

    // Half-open containment: the left and top edges belong to the rectangle, the right
    // and bottom edges do not.
    bool contains(Point p) const {
        if (isNull()) return false;
        const Rect r = standardized();
        return p.x >= r.x && p.x < r.maxX() && p.y >= r.y && p.y < r.maxY();
    }
    bool contains(const Rect& other) const {
        if (isNull() || other.isNull()) return false;
        const Rect a = standardized(), b = other.standardized();
        return b.x >= a.x && b.y >= a.y && b.maxX() <= a.maxX() && b.maxY() <= a.maxY();
    }
};

// The text forms of the diagnostics files: "{x, y}", "{w, h}", "{{x, y}, {w, h}}".
// Numbers are written as the shortest decimal that reads back to the same value.
std::string formatNumber(double value);
std::string toString(Point p);
std::string toString(Size s);
std::string toString(const Rect& r);

}  // namespace arvelo
