// SPDX-License-Identifier: MIT
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

namespace {

// "{a, b}", built by appending (GCC 12 warns falsely about "literal" + std::string at -O3).
std::string pairText(double a, double b) {
    std::string text = "{";
    text.append(formatNumber(a)).append(", ").append(formatNumber(b)).append("}");
    return text;
}

}  // namespace

std::string toString(Point p) { return pairText(p.x, p.y); }

std::string toString(Size s) { return pairText(s.width, s.height); }

std::string toString(const Rect& r) {
    std::string text = "{";
    text.append(toString(r.origin())).append(", ").append(toString(r.size())).append("}");
    return text;
}

}  // namespace arvelo
