// SPDX-License-Identifier: MIT
// PropertyValue: decoding of property replies; nothing here talks to the server.
#include "Platform/X11/PropertyValue.h"

#include <cstring>

namespace platform::x11 {

namespace {
std::string latin1ToUtf8(const char* data, std::size_t length) {
    std::string out;
    out.reserve(length);
    for (std::size_t i = 0; i < length; ++i) {
        const auto c = static_cast<unsigned char>(data[i]);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

bool isText(const xcb_get_property_reply_t* reply) {
    return reply && reply->type != XCB_ATOM_NONE && reply->format == 8;
}
}  // namespace

std::vector<std::uint32_t> cardinals(const xcb_get_property_reply_t* reply) {
    if (!reply || reply->format != 32) return {};
    const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
    const int count = xcb_get_property_value_length(reply) / 4;
    return {data, data + count};
}

std::optional<std::uint32_t> firstCardinal(const xcb_get_property_reply_t* reply) {
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply) < 4) return std::nullopt;
    std::uint32_t value;
    std::memcpy(&value, xcb_get_property_value(reply), sizeof value);
    return value;
}

std::optional<std::string> text(const xcb_get_property_reply_t* reply, xcb_atom_t utf8String) {
    if (!isText(reply)) return std::nullopt;
    const auto* data = static_cast<const char*>(xcb_get_property_value(reply));
    std::size_t length = static_cast<std::size_t>(xcb_get_property_value_length(reply));
    // Some clients store a terminating NUL; it is not part of the text.
    while (length > 0 && data[length - 1] == '\0') --length;
    if (reply->type == utf8String) return std::string(data, length);
    return latin1ToUtf8(data, length);
}

std::vector<std::string> strings(const xcb_get_property_reply_t* reply, xcb_atom_t utf8String) {
    std::vector<std::string> out;
    const auto whole = text(reply, utf8String);
    if (!whole) return out;
    std::size_t start = 0;
    while (start <= whole->size()) {
        const std::size_t end = whole->find('\0', start);
        out.push_back(whole->substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return out;
}

}  // namespace platform::x11
