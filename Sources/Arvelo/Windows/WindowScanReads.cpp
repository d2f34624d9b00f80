// SPDX-License-Identifier: MIT
// WindowScanReads.cpp: the window key and the small Accessibility readers shared by the scan
// and by window access: a frame, a Boolean attribute, the distance to a window-list entry and
// the climb from any element to its window.
#include "Arvelo/Windows/WindowScan.h"

#include <cmath>

namespace arvelo::WindowScan {

namespace ax = platform::ax;

std::string windowKey(std::int32_t pid, std::uint32_t windowNumber, const platform::AccessElement& element,
                      std::uint32_t incarnation) {
    const std::uint64_t hash = element.hash() + (static_cast<std::uint64_t>(incarnation) << 48);
    return std::to_string(pid) + ":" + std::to_string(windowNumber) + ":" + std::to_string(hash);
}

std::optional<Rect> rect(platform::Accessibility& accessibility, const platform::AccessElement& element, double timeout) {
    const auto position = accessibility.copyAttributeValue(element, ax::kPosition, timeout);
    if (!position.ok()) return std::nullopt;
    const auto size = accessibility.copyAttributeValue(element, ax::kSize, timeout);
    if (!size.ok()) return std::nullopt;
    const auto origin = position.value.point();
    const auto extent = size.value.size();
    if (!origin || !extent) return std::nullopt;
    return Rect(*origin, *extent);
}

bool boolValue(platform::Accessibility& accessibility, const platform::AccessElement& element, std::string_view attribute,
               double timeout) {
    const auto result = accessibility.copyAttributeValue(element, attribute, timeout);
    return result.ok() && result.value.boolean().value_or(false);
}

double score(const platform::WindowInfo& entry, const Rect& rect) {
    if (!entry.bounds) return kNoScore;
    const Rect& bounds = *entry.bounds;
    return std::abs(bounds.minX() - rect.minX()) + std::abs(bounds.minY() - rect.minY()) +
           std::abs(bounds.width - rect.width) + std::abs(bounds.height - rect.height);
}

std::optional<platform::AccessElement> ancestorWindow(platform::Accessibility& accessibility,
                                                  const platform::AccessElement& element) {
    platform::AccessElement current = element;
    for (int tested = 0; tested < kAncestorLimit; ++tested) {
        const auto role = accessibility.copyAttributeValue(current, ax::kRole, kTimeout);
        if (role.ok() && role.value.string() == ax::kWindowRole) return current;
        const auto parent = accessibility.copyAttributeValue(current, ax::kParent, kTimeout);
        const auto next = parent.ok() ? parent.value.element() : std::nullopt;
        if (!next) return std::nullopt;
        current = *next;
    }
    return std::nullopt;
}

}  // namespace arvelo::WindowScan
