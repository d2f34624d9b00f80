// SPDX-License-Identifier: MIT
// WindowDragController.cpp: the monitor's events (the gate, the press that arms a drag, the
// sampled drag steps, the release that drops or resizes, the Option-pinch), the move test,
// and the trace lines.
#include "Arvelo/Input/WindowDragController.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace arvelo {

namespace {
// Differences of clock readings carry rounding; a step exactly one interval after the last
// one still counts as too soon.
constexpr double kClockSlack = 1e-9;

const char* flag(bool value) { return value ? "true" : "false"; }
}  // namespace

std::shared_ptr<WindowDragController> WindowDragController::make(std::shared_ptr<WindowDragHost> host,
                                                                 const platform::Services& services,
                                                                 bool observesEvents) {
    std::shared_ptr<WindowDragController> controller(new WindowDragController(std::move(host), services));
    if (observesEvents) controller->install();
    return controller;
}

WindowDragController::WindowDragController(std::shared_ptr<WindowDragHost> host, const platform::Services& services)
    : host_(std::move(host)),
      mouseMonitor_(services.mouseMonitor),
      windowList_(services.windowList),
      workspace_(services.workspace),
      clock_(services.clock),
      logger_(services.logger("windows")) {}

void WindowDragController::install() {
    if (!mouseMonitor_) {
        logger_.error(
            "Docking by drag is off: this desktop cannot watch the mouse outside Vomira (the X server offers no "
            "XInput2 raw events)");
        return;
    }
    monitor_ = mouseMonitor_->addGlobalMonitor(platform::kAllMouseEventsMask,
                                               [weak = weak_from_this()](const platform::MouseEvent& event) {
                                                   if (auto self = weak.lock()) self->observe(event);
                                               });
}

void WindowDragController::cancel() {
    source_.reset();
    initialFrame_.reset();
    started_ = false;
    if (host_->attached()) host_->hideDropPreview();
}

void WindowDragController::stop() {
    monitor_.reset();
    cancel();
}

bool WindowDragController::gateOpen() const {
    return host_->managing() && !host_->chromeSuspended() && host_->dragDocking();
}

void WindowDragController::observe(const platform::MouseEvent& event) {
    using platform::MouseEventType;
    if (!host_->attached()) return;
    if (!gateOpen()) {
        if (event.type == MouseEventType::leftMouseDown) {
            const bool managing = host_->managing();
            note(std::string("down ignored: managing=") + flag(managing) +
                 " accepting=" + flag(managing && !host_->chromeSuspended()));
        }
        cancel();
        return;
    }
    const Point pointer = event.location ? *event.location : host_->pointerAX();
    switch (event.type) {
        case MouseEventType::leftMouseDown:
            mouseDown(pointer, event);
            break;
        case MouseEventType::leftMouseDragged:
            mouseDragged(pointer);
            break;
        case MouseEventType::leftMouseUp:
            mouseUp(pointer);
            break;
        case MouseEventType::magnify:
            magnify(event);
            break;
        case MouseEventType::rightMouseDown:
        case MouseEventType::rightMouseUp:
        case MouseEventType::mouseMoved:
        case MouseEventType::rightMouseDragged:
        case MouseEventType::otherMouseUp:
        case MouseEventType::otherMouseDragged:
            break;  // not among the kinds the drag monitor asks for
    }
}

void WindowDragController::mouseDown(Point pointer, const platform::MouseEvent& event) {
    // A Shift-press frames an area of the canvas instead; it leaves any drag as it is.
    if (event.modifierFlags & platform::kEventShiftFlag) return;
    cancel();
    const auto list = windowList_ ? windowList_->windows({true, true}) : std::vector<platform::WindowInfo>{};
    std::set<std::int32_t> regular;
    if (workspace_)
        for (const auto& app : workspace_->runningApplications())
            if (app.activationPolicy == platform::ActivationPolicy::regular) regular.insert(app.pid);
    if (list.empty()) return;

    // The frontmost ordinary window of a regular application under the pointer. The list is
    // read a moment after the press; when the platform named the window pressed, that window
    // counts wherever it has moved since.
    const auto ordinary = [&](const platform::WindowInfo& entry) {
        return entry.layer == 0 && regular.contains(entry.ownerPid) && entry.bounds;
    };
    const platform::WindowInfo* hit = nullptr;
    if (event.windowNumber) {
        const auto pressed = std::find_if(list.begin(), list.end(), [&](const platform::WindowInfo& entry) {
            return entry.number == *event.windowNumber && ordinary(entry);
        });
        if (pressed != list.end()) hit = &*pressed;
    }
    if (!hit) {
        const auto under = std::find_if(list.begin(), list.end(), [&](const platform::WindowInfo& entry) {
            return ordinary(entry) && entry.bounds->contains(pointer);
        });
        if (under == list.end()) return;
        hit = &*under;
    }

    if (hit->number != 0) {
        if (const auto record = host_->recordWithNumber(hit->number)) {
            source_ = record->id;
            // The frame as the press found it, else as it reads now, else as last known.
            if (event.windowFrame && event.windowNumber == hit->number)
                initialFrame_ = event.windowFrame;
            else
                initialFrame_ = host_->currentFrame(*record).value_or(record->frame);
            started_ = false;
        }
    }
    note("down at " + toString(pointer) + " on window " + std::to_string(hit->number) + " owner " +
         (hit->ownerName.empty() ? std::string("?") : hit->ownerName) + " source=" + source_.value_or("none"));
}

void WindowDragController::mouseDragged(Point pointer) {
    const double now = clock_->uptime();
    if (now - lastSample_ <= kSampleInterval + kClockSlack) return;
    lastSample_ = now;
    if (!source_ || !moved()) return;
    if (!started_) note("drag started " + *source_);
    started_ = true;
    host_->updateDropPreview(*source_, pointer);
}

void WindowDragController::mouseUp(Point pointer) {
    const bool wasMoved = moved();
    std::optional<DockEdge> edge;
    if (source_) edge = host_->dropEdge(*source_, pointer);
    note("up at " + toString(pointer) + " source=" + source_.value_or("none") + " moved=" + flag(wasMoved) +
         " started=" + flag(started_) + " destination=" + (edge ? std::string(rawValue(*edge)) : "none"));

    const bool armed = source_.has_value();
    if (source_) {
        const auto frame = sourceFrame();
        if (!wasMoved && !started_) {
            // The button went up without a drag: a size change by hand is a resize.
            if (initialFrame_ && frame &&
                (std::abs(frame->width - initialFrame_->width) >= kMoveThreshold ||
                 std::abs(frame->height - initialFrame_->height) >= kMoveThreshold))
                host_->resizeDocked(*source_, *frame);
        } else {
            std::optional<Point> vector;
            if (frame && initialFrame_) vector = Point{frame->x - initialFrame_->x, frame->y - initialFrame_->y};
            // The drop may end the source's record; the key is kept by value.
            const std::string key = *source_;
            host_->finishWindowDrop(key, pointer, vector);
        }
    }
    cancel();
    host_->restackTabBars();
    // Releases in other programs that never armed a drag leave the diagnostics alone.
    if (armed) host_->writeDiagnostics();
}

void WindowDragController::magnify(const platform::MouseEvent& event) {
    if (!(event.modifierFlags & platform::kEventOptionFlag)) return;
    if (event.phase == platform::GesturePhase::began) magnification_ = 0;
    magnification_ += event.magnification;
    if (event.phase == platform::GesturePhase::cancelled) {
        magnification_ = 0;
        return;
    }
    if (event.phase != platform::GesturePhase::ended) return;
    host_->selectDisplayUnderPointer();
    if (magnification_ < -kPinchThreshold) {
        host_->zoomOut();
    } else if (magnification_ > kPinchThreshold) {
        host_->focusTileAt(host_->pointerAX());
    }
    magnification_ = 0;
}

std::optional<Rect> WindowDragController::sourceFrame() const {
    if (!source_) return std::nullopt;
    const auto record = host_->record(*source_);
    if (!record) return std::nullopt;
    return host_->currentFrame(*record);
}

bool WindowDragController::moved() const {
    if (!host_->attached() || !source_ || !initialFrame_) return false;
    const auto frame = sourceFrame();
    if (!frame) return false;
    const Rect& start = *initialFrame_;
    if (std::abs(frame->width - start.width) >= kMoveThreshold) return false;
    if (std::abs(frame->height - start.height) >= kMoveThreshold) return false;
    return std::abs(frame->x - start.x) + std::abs(frame->y - start.y) > kMoveThreshold;
}

void WindowDragController::note(std::string line) { host_->note(std::move(line)); }

}  // namespace arvelo
