// SPDX-License-Identifier: MIT
// StateCoding.cpp: rectangle, date and strict member coding for the arranger's state files.
#include "Arvelo/State/StateCoding.h"

#include <cmath>
#include <ctime>
#include <limits>

namespace arvelo::StateCoding {

namespace {

[[noreturn]] void fail(const char* what, const std::string& why) {
    throw StateDecodeError(std::string(what) + ": " + why);
}

}  // namespace

double secondsSinceReferenceDate(Date date) { return date - kReferenceDateOffset; }

Date dateFromReferenceSeconds(double seconds) { return seconds + kReferenceDateOffset; }

OrderedJSON number(double value) {
    constexpr double kLargestExactInteger = 9007199254740992.0;  // 2^53
    if (std::isfinite(value) && std::trunc(value) == value && std::abs(value) <= kLargestExactInteger)
        return OrderedJSON(static_cast<std::int64_t>(value));
    return OrderedJSON(value);
}

OrderedJSON encodeRect(const Rect& rect) {
    return OrderedJSON::array({OrderedJSON::array({number(rect.x), number(rect.y)}),
                               OrderedJSON::array({number(rect.width), number(rect.height)})});
}

Rect decodeRect(const nlohmann::json& value, const char* what) {
    if (!value.is_array() || value.size() != 2) fail(what, "expected [[x, y], [width, height]]");
    double numbers[4] = {};
    for (std::size_t pair = 0; pair < 2; ++pair) {
        const auto& inner = value[pair];
        if (!inner.is_array() || inner.size() != 2) fail(what, "expected [[x, y], [width, height]]");
        for (std::size_t i = 0; i < 2; ++i) numbers[pair * 2 + i] = decodeNumber(inner[i], what);
    }
    return {numbers[0], numbers[1], numbers[2], numbers[3]};
}

std::string utcText(double secondsSince1970, const char* format) {
    const auto seconds = static_cast<std::time_t>(std::floor(secondsSince1970));
    std::tm parts{};
    gmtime_r(&seconds, &parts);
    char text[64];
    const std::size_t length = std::strftime(text, sizeof text, format, &parts);
    return std::string(text, length);
}

OrderedJSON encodeDate(Date date) { return number(secondsSinceReferenceDate(date)); }

Date decodeDate(const nlohmann::json& value, const char* what) {
    return dateFromReferenceSeconds(decodeNumber(value, what));
}

const nlohmann::json& requireObject(const nlohmann::json& value, const char* what) {
    if (!value.is_object()) fail(what, "expected an object");
    return value;
}

const nlohmann::json& requireMember(const nlohmann::json& object, const char* key) {
    const auto it = object.find(key);
    if (it == object.end()) fail(key, "missing");
    return *it;
}

const nlohmann::json* optionalMember(const nlohmann::json& object, const char* key) {
    const auto it = object.find(key);
    if (it == object.end() || it->is_null()) return nullptr;
    return &*it;
}

std::string decodeString(const nlohmann::json& value, const char* what) {
    if (!value.is_string()) fail(what, "expected a string");
    return value.get<std::string>();
}

bool decodeBool(const nlohmann::json& value, const char* what) {
    if (!value.is_boolean()) fail(what, "expected a boolean");
    return value.get<bool>();
}

double decodeNumber(const nlohmann::json& value, const char* what) {
    if (!value.is_number()) fail(what, "expected a number");
    const double number = value.get<double>();
    if (!std::isfinite(number)) fail(what, "number out of range");
    return number;
}

std::int64_t decodeInteger(const nlohmann::json& value, const char* what, std::int64_t min, std::int64_t max) {
    if (value.is_number_integer()) {
        if (value.is_number_unsigned()) {
            const auto u = value.get<std::uint64_t>();
            if (u > static_cast<std::uint64_t>(max)) fail(what, "integer out of range");
            return static_cast<std::int64_t>(u);
        }
        const auto i = value.get<std::int64_t>();
        if (i < min || i > max) fail(what, "integer out of range");
        return i;
    }
    if (value.is_number_float()) {
        // A whole number written with a fraction part ("3.0") still names an integer.
        const double d = value.get<double>();
        if (std::trunc(d) != d || d < static_cast<double>(min) || d > static_cast<double>(max))
            fail(what, "expected an integer");
        return static_cast<std::int64_t>(d);
    }
    fail(what, "expected an integer");
}

}  // namespace arvelo::StateCoding
