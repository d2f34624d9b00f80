// SPDX-License-Identifier: MIT
// StoredText.cpp: normalising and bounding text for the state files.
#include "Arvelo/State/StoredText.h"

#include <nlohmann/json.hpp>

namespace arvelo {

namespace {

// A UTF-8 character is at most 4 bytes and a replacement adds at most 2 per byte replaced, so
// this much of the input is all that can reach the bound.
constexpr std::size_t kLookedAtBytes = 4 * kMaxStoredTextBytes;

bool continuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

std::string storedText(std::string_view text) {
    std::string valid(text.substr(0, kLookedAtBytes));
    // Exactly what the state files' writer makes of invalid bytes: the JSON text, read back.
    const std::string encoded =
        nlohmann::json(std::move(valid)).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    valid = nlohmann::json::parse(encoded).get<std::string>();
    if (valid.size() <= kMaxStoredTextBytes) return valid;
    std::size_t end = kMaxStoredTextBytes;
    while (end > 0 && continuationByte(valid[end])) --end;
    valid.resize(end);
    return valid;
}

std::string storedIdentity(std::string_view identity) {
    const auto bar = identity.find('|');
    if (bar == std::string_view::npos) return storedText(identity);
    return storedText(identity.substr(0, bar)) + "|" + storedText(identity.substr(bar + 1));
}

}  // namespace arvelo
