// SPDX-License-Identifier: MIT
// SizeHints: the ICCCM size constraints, in the order managers apply them.
#include "Platform/X11/SizeHints.h"

#include <algorithm>
#include <limits>

namespace platform::x11 {

namespace {

constexpr std::int64_t kUnbounded = std::numeric_limits<std::int32_t>::max();

bool has(const xcb_size_hints_t& hints, std::uint32_t flag) { return (hints.flags & flag) != 0; }

}  // namespace

ClientSize fitClientSize(const xcb_size_hints_t& hints, ClientSize asked) {
    // The base size stands in for a minimum that is not given and the other way round.
    const bool hasBase = has(hints, XCB_ICCCM_SIZE_HINT_BASE_SIZE);
    const bool hasMinimum = has(hints, XCB_ICCCM_SIZE_HINT_P_MIN_SIZE);
    const ClientSize base = hasBase      ? ClientSize{hints.base_width, hints.base_height}
                            : hasMinimum ? ClientSize{hints.min_width, hints.min_height}
                                         : ClientSize{};
    const ClientSize minimum = hasMinimum ? ClientSize{hints.min_width, hints.min_height}
                               : hasBase  ? ClientSize{hints.base_width, hints.base_height}
                                          : ClientSize{};
    ClientSize maximum{kUnbounded, kUnbounded};
    if (has(hints, XCB_ICCCM_SIZE_HINT_P_MAX_SIZE)) {
        // A maximum of 0 (or below the minimum) bounds nothing.
        if (hints.max_width > 0) maximum.width = std::max<std::int64_t>(hints.max_width, minimum.width);
        if (hints.max_height > 0) maximum.height = std::max<std::int64_t>(hints.max_height, minimum.height);
    }
    ClientSize size{std::clamp(asked.width, minimum.width, maximum.width),
                    std::clamp(asked.height, minimum.height, maximum.height)};

    // Whole increments above the base size, rounded down, then up again while below the minimum.
    if (has(hints, XCB_ICCCM_SIZE_HINT_P_RESIZE_INC)) {
        const auto step = [](std::int64_t length, std::int64_t base, std::int64_t increment, std::int64_t least,
                             std::int64_t most) {
            if (increment <= 1 || length < base) return length;
            length = base + (length - base) / increment * increment;
            while (length < least && length + increment <= most) length += increment;
            return length;
        };
        size.width = step(size.width, base.width, hints.width_inc, minimum.width, maximum.width);
        size.height = step(size.height, base.height, hints.height_inc, minimum.height, maximum.height);
    }

    // Aspect ratios of the size above the base size (the real base only): the side that is too
    // long for the ratio is shortened.
    if (has(hints, XCB_ICCCM_SIZE_HINT_P_ASPECT) && hints.min_aspect_den > 0 && hints.max_aspect_den > 0) {
        const ClientSize aspectBase = hasBase ? ClientSize{hints.base_width, hints.base_height} : ClientSize{};
        const std::int64_t w = size.width - aspectBase.width, h = size.height - aspectBase.height;
        if (w > 0 && h > 0) {
            const std::int64_t minNum = hints.min_aspect_num, minDen = hints.min_aspect_den;
            const std::int64_t maxNum = hints.max_aspect_num, maxDen = hints.max_aspect_den;
            if (minNum > 0 && w * minDen < h * minNum) {
                // Too tall: w / h below the least ratio.
                size.height = std::max(minimum.height, aspectBase.height + w * minDen / minNum);
            } else if (maxNum > 0 && w * maxDen > h * maxNum) {
                // Too wide: w / h above the largest ratio.
                size.width = std::max(minimum.width, aspectBase.width + h * maxNum / maxDen);
            }
        }
    }
    return size;
}

}  // namespace platform::x11
