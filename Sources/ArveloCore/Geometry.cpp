// Geometry.cpp: text forms of the geometry value types.
#include "Geometry.h"

#include <charconv>
#include <cstdio>

namespace arvelo {

std::string formatNumber(double value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    if (value == 0) return "0";
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string toString(Point p) { return "{" + formatNumber(p.x) + ", " + formatNumber(p.y) + "}"; }

std::string toString(Size s) { return "{" + formatNumber(s.width) + ", " + formatNumber(s.height) + "}"; }

std::string toString(const Rect& r) { return "{" + toString(r.origin()) + ", " + toString(r.size()) + "}"; }

}  // namespace arvelo
