// SPDX-License-Identifier: MIT
// WindowMatcher.cpp: the front-most capturable window, else the active one, else the best
// title-and-frame pair, else the first capturable window.
#include "TenvikKit/Pins/WindowMatcher.h"

#include <cmath>
#include <limits>

namespace tenvik::WindowMatcher {

namespace {

// One decoded character and the bytes it took; malformed bytes stand for themselves.
struct Decoded {
    char32_t code = 0;
    std::size_t length = 1;
};

Decoded decode(const std::string& text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    const std::size_t length = lead < 0x80           ? 1
                               : (lead >> 5) == 0x6  ? 2
                               : (lead >> 4) == 0xE  ? 3
                               : (lead >> 3) == 0x1E ? 4
                                                     : 0;
    if (length <= 1 || at + length > text.size()) return {lead, 1};
    char32_t code = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return {lead, 1};
        code = code << 6 | (byte(at + i) & 0x3F);
    }
    return {code, length};
}

void encode(char32_t code, std::string& out) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | code >> 18);
        out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Unicode's white space and line separators.
bool isWhitespaceOrNewline(char32_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

// Lower case for the scripts window titles mostly use: Latin (basic, Latin-1, Extended-A),
// Greek and Cyrillic capitals.
char32_t lowercased(char32_t c) {
    if (c >= 'A' && c <= 'Z') return c + 32;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
    if (c >= 0x100 && c <= 0x137 && c % 2 == 0) return c + 1;
    if (c >= 0x139 && c <= 0x148 && c % 2 == 1) return c + 1;
    if (c >= 0x14A && c <= 0x177 && c % 2 == 0) return c + 1;
    if (c == 0x178) return 0xFF;
    if (c >= 0x179 && c <= 0x17E && c % 2 == 1) return c + 1;
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 32;
    if (c >= 0x400 && c <= 0x40F) return c + 80;
    if (c >= 0x410 && c <= 0x42F) return c + 32;
    return c;
}

}  // namespace

std::string normalizedTitle(const std::string& title) {
    std::vector<Decoded> characters;
    for (std::size_t at = 0; at < title.size();) {
        characters.push_back(decode(title, at));
        at += characters.back().length;
    }
    std::size_t first = 0, last = characters.size();
    while (first < last && isWhitespaceOrNewline(characters[first].code)) ++first;
    while (last > first && isWhitespaceOrNewline(characters[last - 1].code)) --last;
    std::string out;
    for (std::size_t i = first; i < last; ++i) {
        if (characters[i].length == 1 && characters[i].code >= 0x80)
            out += static_cast<char>(characters[i].code);  // a malformed byte, kept as it was
        else
            encode(lowercased(characters[i].code), out);
    }
    return out;
}

double frameDistance(const arvelo::Rect& a, const arvelo::Rect& b) {
    return std::abs(a.minX() - b.minX()) + std::abs(a.minY() - b.minY()) + std::abs(a.absWidth() - b.absWidth()) +
           std::abs(a.absHeight() - b.absHeight());
}

std::optional<std::uint32_t> select(const std::vector<WindowMatchCandidate>& shareable,
                                    const std::vector<WindowMatchCandidate>& frontToBack) {
    if (shareable.empty()) return std::nullopt;

    // The front-most window that can be captured, whatever its title.
    for (const auto& listed : frontToBack)
        for (const auto& candidate : shareable)
            if (candidate.windowID == listed.windowID && candidate.ownerPID == listed.ownerPID) return listed.windowID;

    for (const auto& candidate : shareable)
        if (candidate.isActive) return candidate.windowID;

    // The capturable window with the best title-and-frame pair; the earlier one keeps a tie.
    double bestScore = -std::numeric_limits<double>::infinity();
    std::optional<std::uint32_t> best;
    for (const auto& candidate : shareable) {
        const std::string title = normalizedTitle(candidate.title);
        for (const auto& listed : frontToBack) {
            if (listed.ownerPID != candidate.ownerPID) continue;
            const double titleScore = !title.empty() && title == normalizedTitle(listed.title) ? kTitleMatchScore : 0;
            const double distance = frameDistance(candidate.bounds, listed.bounds);
            const double score = titleScore - distance + (distance < kNearFrameDistance ? kNearFrameBonus : 0);
            if (score > bestScore) {
                bestScore = score;
                best = candidate.windowID;
            }
        }
    }
    if (best) return best;
    return shareable.front().windowID;
}

}  // namespace tenvik::WindowMatcher
