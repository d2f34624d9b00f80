// SPDX-License-Identifier: MIT
// WindowAccessPlacement.cpp: placing a window at a frame and making it stick: the staged
// write (shrink, move, size), the five read-back checks that write again while the window is
// elsewhere, and the late check that learns the window's minimum size from what it took.
#include "Arvelo/Windows/WindowAccess.h"

#include <algorithm>
#include <cmath>

namespace arvelo {
namespace {

namespace ax = platform::ax;
using platform::AccessError;

// The late check's single pass.
constexpr std::array<double, 1> kLateCheck{WindowAccess::kLateCheckDelay};

}  // namespace

bool WindowAccess::place(const RecordPtr& record, const Rect& frame) {
    WindowRecord& r = *record;
    if (dryRun) {
        r.parked = false;
        r.expectedFrame = frame;
        r.settledFrame = frame;
        r.frame = frame;
        return true;
    }
    noteOriginal(r);
    r.restoreTarget.reset();
    r.parked = false;
    if (boolValue(r.element, ax::kMinimized)) ax_.setAttributeValue(r.element, ax::kMinimized, false, kNormalTimeout);
    r.expectedFrame = frame;
    const bool written = writeFrame(r, frame);
    startTask(record, frame, kCheckDelays, &WindowAccess::checkPass);
    startTask(record, frame, kLateCheck, &WindowAccess::latePass);
    return written;
}

void WindowAccess::noteOriginal(WindowRecord& record) {
    if (record.originalFrame) return;
    record.originalFrame = rect(record.element).value_or(record.frame);
    record.originalMinimized = boolValue(record.element, ax::kMinimized);
}

Size WindowAccess::fittedSize(const WindowRecord& record, Size size) const {
    if (dryRun) return size;
    return ax_.fittedSize(record.element, size, kNormalTimeout).value_or(size);
}

bool WindowAccess::placedAt(const WindowRecord& record, const Rect& current, const Rect& target) const {
    if (within(current, target, kCheckTolerance)) return true;
    if (!within({current.origin(), target.size()}, target, kCheckTolerance)) return false;
    // The size the window's own rules make of the target is the size it was given: asking
    // again would change nothing.
    const Size fitted = fittedSize(record, target.size());
    return fitted != target.size() && within(current, {target.origin(), fitted}, kCheckTolerance);
}

bool WindowAccess::writeFrame(WindowRecord& record, const Rect& target) {
    const platform::AccessElement element = record.element;
    const auto read = [&] { return WindowScan::rect(ax_, element, kWriteTimeout); };
    const auto before = read();
    if (!before) return false;
    // A size the window's own rules round the target to needs no write of its own.
    const Size wanted = fittedSize(record, target.size());

    Rect current = *before;
    std::string stage = "ready";
    AccessError sizeResult = AccessError::success;
    AccessError positionResult = AccessError::success;
    if (current.width > target.width + kWriteTolerance || current.height > target.height + kWriteTolerance) {
        stage = "shrink";
        const Size smaller{std::min(current.width, target.width), std::min(current.height, target.height)};
        sizeResult = ax_.setAttributeValue(element, ax::kSize, smaller, kWriteTimeout);
        current = read().value_or(current);
    }
    if (std::abs(current.x - target.x) > kWriteTolerance || std::abs(current.y - target.y) > kWriteTolerance) {
        stage += "+move";
        positionResult = ax_.setAttributeValue(element, ax::kPosition, target.origin(), kWriteTimeout);
        current = read().value_or(current);
    }
    if (std::abs(current.width - wanted.width) > kWriteTolerance ||
        std::abs(current.height - wanted.height) > kWriteTolerance) {
        stage += "+size";
        sizeResult = ax_.setAttributeValue(element, ax::kSize, target.size(), kWriteTimeout);
        current = read().value_or(current);
    }
    record.settledFrame = current;

    // Where the window took the size it was given, a larger learnt minimum was wrong.
    const bool widthTaken = current.width <= target.width + kWriteTolerance;
    const bool heightTaken = current.height <= target.height + kWriteTolerance;
    if (widthTaken || heightTaken) {
        storeMinimum(record,
                     {widthTaken ? std::min(record.minimum.width, std::max(target.width, kMinimumWindowSize.width))
                                 : record.minimum.width,
                      heightTaken ? std::min(record.minimum.height, std::max(target.height, kMinimumWindowSize.height))
                                  : record.minimum.height});
    }

    record.lastFrameWrite = {
        {"stage", stage},
        {"before", toString(*before)},
        {"after", toString(current)},
        {"target", toString(target)},
        {"sizeResult", platform::rawValue(sizeResult)},
        {"positionResult", platform::rawValue(positionResult)},
    };
    return sizeResult == AccessError::success && positionResult == AccessError::success;
}

bool WindowAccess::checkPass(const RecordPtr& record, const Rect& target, std::size_t) {
    WindowRecord& r = *record;
    if (r.expectedFrame != target || r.parked || leftButtonDown()) return false;
    const auto minimized = ax_.copyAttributeValue(r.element, ax::kMinimized, kNormalTimeout);
    if (!minimized.ok() || minimized.value.boolean().value_or(true)) return true;
    const auto current = rect(r.element);
    if (!current) return true;
    r.frame = *current;
    if (placedAt(r, *current, target)) return false;
    writeFrame(r, target);
    return true;
}

bool WindowAccess::latePass(const RecordPtr& record, const Rect& target, std::size_t) {
    WindowRecord& r = *record;
    if (r.expectedFrame != target || r.parked) return false;
    const auto current = rect(r.element);
    if (!current) return false;
    const bool untouched = r.settledFrame && std::abs(r.settledFrame->width - current->width) < kUntouchedTolerance &&
                           std::abs(r.settledFrame->height - current->height) < kUntouchedTolerance;
    r.settledFrame = current;
    learnMinimum(r, target.size(), current->size(), untouched);
    return false;
}

void WindowAccess::learnMinimum(WindowRecord& record, Size asked, Size got, bool untouched) {
    if (leftButtonDown()) return;
    const bool widthRefused = got.width > asked.width + kLearningSlack;
    const bool heightRefused = got.height > asked.height + kLearningSlack;
    if (!untouched && (widthRefused || heightRefused)) return;

    const Size cap = minimumCap();
    const auto learn = [](bool refused, double asked, double got, double current, double cap, double floor) {
        if (!refused) return std::min(current, std::max(asked, floor));
        const double candidate = std::min(got, cap);
        return candidate >= current ? candidate : current;
    };
    storeMinimum(
        record,
        {learn(widthRefused, asked.width, got.width, record.minimum.width, cap.width, kMinimumWindowSize.width),
         learn(heightRefused, asked.height, got.height, record.minimum.height, cap.height, kMinimumWindowSize.height)});
}

void WindowAccess::storeMinimum(WindowRecord& record, Size minimum) {
    if (std::abs(minimum.width - record.minimum.width) <= kMinimumChange &&
        std::abs(minimum.height - record.minimum.height) <= kMinimumChange)
        return;
    record.minimum = minimum;
    if (onMinimumChange) onMinimumChange();
}

}  // namespace arvelo
