// SPDX-License-Identifier: MIT
// X11Accessibility: the Accessibility service on an X11 desktop run by an EWMH window manager.
// Elements are (process, client window); reads come from window properties and geometry in
// pipelined batches, writes are requests to the window manager; a read of a window that was
// just written waits until the manager has applied the write (AppliedWrites). Every wait is
// bounded by the request's messaging time-out. Safe from any thread.
#pragma once

#include "Platform/Accessibility.h"
#include "Platform/X11/AppliedWrites.h"
#include "Platform/X11/AttributeAnswers.h"
#include "Platform/X11/Connection.h"
#include "Platform/X11/EventHub.h"
#include "Platform/X11/WindowManagerInfo.h"

#include <atomic>
#include <memory>

namespace platform::x11 {

class X11Accessibility final : public Accessibility {
public:
    X11Accessibility(std::shared_ptr<Connection> connection, std::shared_ptr<EventHub> events);

    // A window manager is running; while the X server does not answer in time, the last answer.
    bool isProcessTrusted() override;
    bool isProcessTrustedWithOptions(bool prompt) override;

    AccessResult copyAttributeValue(const AccessElement& element, std::string_view attribute, double timeout) override;
    AccessError setAttributeValue(const AccessElement& element, std::string_view attribute, const AccessValue& value,
                              double timeout) override;
    AccessSettable isAttributeSettable(const AccessElement& element, std::string_view attribute, double timeout) override;
    AccessError performAction(const AccessElement& element, std::string_view action, double timeout) override;
    AccessResult elementAtPosition(const AccessElement& application, arvelo::Point point, double timeout) override;

    bool windowNumberCallAvailable() override { return true; }
    std::uint32_t windowNumber(const AccessElement& element) override;

    AccessObserverResult createObserver(std::int32_t pid) override;

    // The fact cache's generation: it moves with every event that may change a kept fact and
    // with every write or action of this program. A window not followed yet has none.
    std::optional<std::uint64_t> changeStamp(const AccessElement& element) override;

    // By the window's WM_NORMAL_HINTS, applied to its client size inside the frame extents.
    std::optional<arvelo::Size> fittedSize(const AccessElement& element, arvelo::Size size, double timeout) override;
    // Moves when the root's _NET_SUPPORTING_WM_CHECK or _NET_SUPPORTED changes.
    std::uint64_t windowManagerGeneration() override { return manager_.generation(); }

    std::vector<AccessResult> copyMultipleAttributeValues(const AccessElement& element,
                                                      const std::vector<std::string>& attributes,
                                                      double timeout) override;
    std::vector<std::vector<AccessResult>> copyAttributeValues(const std::vector<AccessElement>& elements,
                                                           const std::vector<std::string>& attributes,
                                                           double timeout) override;

private:
    DesktopContext context() const;
    // Reads what `needs` asks for about the given elements' windows.
    // `fresh`: the windows' facts come from the server, not from the cache (a write's check).
    ClientTable read(const std::vector<AccessElement>& elements, const Needs& needs, Deadline deadline, bool fresh = false);
    // Asks again for a restore the window manager did not apply, once it has unmapped the window.
    void restoreAgainIfLost(const AccessElement& element, Deadline deadline);

    std::shared_ptr<Connection> connection_;
    std::shared_ptr<EventHub> events_;
    WindowManagerInfo manager_;
    AppliedWrites writes_;
    std::atomic<bool> lastTrust_{false};
};

}  // namespace platform::x11
