// SPDX-License-Identifier: MIT
// StateCoding.h: the JSON forms shared by the arranger's state files: rectangles as
// [[x, y], [width, height]], dates as seconds since 1 January 2001 UTC, and strict member
// readers that reject a missing required member or a member of the wrong JSON type.
// Decoders throw StateDecodeError; callers turn it into "file unreadable".
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

#include "ArveloCore/Geometry.h"

namespace arvelo {

using OrderedJSON = nlohmann::ordered_json;

// A wall-clock instant in seconds since 1970, as the platform clock gives it.
using Date = double;

struct StateDecodeError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

namespace StateCoding {

// Seconds between 1 January 1970 and the reference date 1 January 2001 (both UTC).
inline constexpr double kReferenceDateOffset = 978307200.0;

double secondsSinceReferenceDate(Date date);
Date dateFromReferenceSeconds(double seconds);

// Whole numbers are written as JSON integers so that a rectangle (10, 20, 300, 400) reads
// [[10,20],[300,400]]; everything else as the shortest double that reads back the same.
OrderedJSON number(double value);

OrderedJSON encodeRect(const Rect& rect);
Rect decodeRect(const nlohmann::json& value, const char* what);

OrderedJSON encodeDate(Date date);
// A time (seconds since 1970) as UTC text in a strftime format, to the whole second.
std::string utcText(double secondsSince1970, const char* format);
Date decodeDate(const nlohmann::json& value, const char* what);

// Member access for decoders. `requireMember` throws when the member is missing;
// `optionalMember` gives nullptr for a missing or null member.
const nlohmann::json& requireObject(const nlohmann::json& value, const char* what);
const nlohmann::json& requireMember(const nlohmann::json& object, const char* key);
const nlohmann::json* optionalMember(const nlohmann::json& object, const char* key);

std::string decodeString(const nlohmann::json& value, const char* what);
bool decodeBool(const nlohmann::json& value, const char* what);
double decodeNumber(const nlohmann::json& value, const char* what);
// A JSON integer (no fraction, no exponent form that parses as a float) within the range.
std::int64_t decodeInteger(const nlohmann::json& value, const char* what, std::int64_t min, std::int64_t max);

}  // namespace StateCoding
}  // namespace arvelo
