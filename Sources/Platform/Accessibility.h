// SPDX-License-Identifier: MIT
// Accessibility.h: the Accessibility service: elements of other applications' windows, their
// attributes read and written by name ("AXWindows", "AXPosition", ...), actions ("AXRaise",
// "AXPress"), the element at a position, trust, observers, and the optional window-number call.
// Every request carries the messaging time-out in force; requests are safe from any thread.
#pragma once

#include "ArveloCore/Geometry.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace platform {

// Accessibility error codes, with their fixed numbers (they reach files and traces).
enum class AccessError : std::int32_t {
    success = 0,
    failure = -25200,
    illegalArgument = -25201,
    invalidUIElement = -25202,
    cannotComplete = -25204,
    actionUnsupported = -25206,
    attributeUnsupported = -25205,
    apiDisabled = -25211,
    noValue = -25212,
};
constexpr std::int32_t rawValue(AccessError error) { return static_cast<std::int32_t>(error); }

// The time-out the platform uses for an element nobody set one on.
inline constexpr double kDefaultMessagingTimeout = 6.0;

// What an element stands for.
enum class AccessElementKind : std::uint8_t {
    application,  // the application element of a process (window is 0)
    window,       // a window, sheet or dialog: `window` is its window number
    closeButton,  // the close button of window `window`
};

// An Accessibility element: a plain value naming a process and one of its windows.
struct AccessElement {
    std::int32_t pid = 0;
    std::uint32_t window = 0;
    AccessElementKind kind = AccessElementKind::application;

    friend bool operator==(const AccessElement&, const AccessElement&) = default;

    static AccessElement application(std::int32_t pid) { return {pid, 0, AccessElementKind::application}; }
    static AccessElement windowOf(std::int32_t pid, std::uint32_t window) { return {pid, window, AccessElementKind::window}; }
    static AccessElement closeButtonOf(std::int32_t pid, std::uint32_t window) {
        return {pid, window, AccessElementKind::closeButton};
    }

    // The element's hash, part of window keys: the window number for a window, the window
    // number with the kind above bit 32 for its parts, the process id with bit 40 set for an
    // application. Equal elements hash alike on every backend.
    std::uint64_t hash() const;
};

// An attribute value: nil, a string, a Boolean, a number, a point, a size, an element or a
// list of elements. Points and sizes are in the top-left-origin screen space.
class AccessValue {
public:
    using Storage = std::variant<std::monostate, std::string, bool, double, arvelo::Point, arvelo::Size, AccessElement,
                                 std::vector<AccessElement>>;

    AccessValue() = default;
    AccessValue(std::string s) : storage_(std::move(s)) {}
    AccessValue(const char* s) : storage_(std::string(s)) {}
    AccessValue(bool b) : storage_(b) {}
    AccessValue(double n) : storage_(n) {}
    AccessValue(arvelo::Point p) : storage_(p) {}
    AccessValue(arvelo::Size s) : storage_(s) {}
    AccessValue(AccessElement e) : storage_(e) {}
    AccessValue(std::vector<AccessElement> list) : storage_(std::move(list)) {}

    friend bool operator==(const AccessValue&, const AccessValue&) = default;

    const Storage& storage() const { return storage_; }
    bool isNil() const { return std::holds_alternative<std::monostate>(storage_); }

    // Typed reads; absent when the value holds another type.
    std::optional<std::string> string() const;
    // A Boolean, or a number read as one (non-zero is true): how the platform's Boolean
    // attributes arrive.
    std::optional<bool> boolean() const;
    std::optional<double> number() const;
    std::optional<arvelo::Point> point() const;
    std::optional<arvelo::Size> size() const;
    std::optional<AccessElement> element() const;
    std::optional<std::vector<AccessElement>> elements() const;

    // A short text form for logs and test messages.
    std::string description() const;

private:
    Storage storage_;
};

// The result of a read: an error code and, on success, the value.
struct AccessResult {
    AccessError error = AccessError::success;
    AccessValue value;

    bool ok() const { return error == AccessError::success; }
    friend bool operator==(const AccessResult&, const AccessResult&) = default;
};

// The result of a settable query.
struct AccessSettable {
    AccessError error = AccessError::success;
    bool settable = false;

    // True only when the query succeeded and answered yes.
    bool yes() const { return error == AccessError::success && settable; }
};

// Attribute, action and notification names used by the program.
namespace ax {
inline constexpr std::string_view kWindows = "AXWindows";
inline constexpr std::string_view kChildren = "AXChildren";
inline constexpr std::string_view kParent = "AXParent";
inline constexpr std::string_view kFocusedWindow = "AXFocusedWindow";
inline constexpr std::string_view kMainWindow = "AXMainWindow";
inline constexpr std::string_view kRole = "AXRole";
inline constexpr std::string_view kSubrole = "AXSubrole";
inline constexpr std::string_view kTitle = "AXTitle";
inline constexpr std::string_view kMinimized = "AXMinimized";
inline constexpr std::string_view kFullScreen = "AXFullScreen";
// How many of its axes the window manager keeps maximised (a number: 0, 1 or 2). Both axes are
// a maximise the user or the application asked for; one axis is the manager's own edge tiling
// (metacity and marco tile a window to half the screen as a vertical maximisation).
inline constexpr std::string_view kMaximized = "AXMaximized";
inline constexpr std::string_view kPosition = "AXPosition";
inline constexpr std::string_view kSize = "AXSize";
inline constexpr std::string_view kMain = "AXMain";
inline constexpr std::string_view kFocused = "AXFocused";
inline constexpr std::string_view kCloseButton = "AXCloseButton";

inline constexpr std::string_view kRaiseAction = "AXRaise";
inline constexpr std::string_view kPressAction = "AXPress";

inline constexpr std::string_view kApplicationRole = "AXApplication";
inline constexpr std::string_view kWindowRole = "AXWindow";
inline constexpr std::string_view kSheetRole = "AXSheet";
inline constexpr std::string_view kButtonRole = "AXButton";
inline constexpr std::string_view kStandardWindowSubrole = "AXStandardWindow";
inline constexpr std::string_view kDialogSubrole = "AXDialog";
inline constexpr std::string_view kCloseButtonSubrole = "AXCloseButton";

inline constexpr std::string_view kMovedNotification = "AXMoved";
inline constexpr std::string_view kResizedNotification = "AXResized";
inline constexpr std::string_view kMiniaturizedNotification = "AXWindowMiniaturized";
inline constexpr std::string_view kDeminiaturizedNotification = "AXWindowDeminiaturized";
inline constexpr std::string_view kDestroyedNotification = "AXUIElementDestroyed";
}  // namespace ax

// An observer of one process's Accessibility notifications. Notifications are delivered on
// the main thread through onNotification, until the observer is destroyed.
class AccessObserver {
public:
    virtual ~AccessObserver() = default;
    virtual AccessError addNotification(const AccessElement& element, std::string_view notification) = 0;
    virtual AccessError removeNotification(const AccessElement& element, std::string_view notification) = 0;

    std::function<void(const AccessElement& element, const std::string& notification)> onNotification;
};

struct AccessObserverResult {
    AccessError error = AccessError::success;
    std::unique_ptr<AccessObserver> observer;  // null unless error is success
};

// The Accessibility service. All requests may be called from any thread; each waits for its
// answer at most `timeout` seconds and fails with cannotComplete past it.
class Accessibility {
public:
    virtual ~Accessibility() = default;

    // Whether this process may use Accessibility; the second form may ask the user.
    virtual bool isProcessTrusted() = 0;
    virtual bool isProcessTrustedWithOptions(bool prompt) = 0;

    virtual AccessResult copyAttributeValue(const AccessElement& element, std::string_view attribute, double timeout) = 0;
    virtual AccessError setAttributeValue(const AccessElement& element, std::string_view attribute, const AccessValue& value,
                                      double timeout) = 0;
    virtual AccessSettable isAttributeSettable(const AccessElement& element, std::string_view attribute, double timeout) = 0;
    virtual AccessError performAction(const AccessElement& element, std::string_view action, double timeout) = 0;

    // The element of `application`'s process at a point of the top-left-origin screen space.
    // The value, on success, is an element.
    virtual AccessResult elementAtPosition(const AccessElement& application, arvelo::Point point, double timeout) = 0;

    // The optional private call mapping an element to its window number. When the call does
    // not exist, windowNumberCallAvailable() is false and windowNumber() answers 0.
    // windowNumber() answers 0 when the call does not fill a number.
    virtual bool windowNumberCallAvailable() = 0;
    virtual std::uint32_t windowNumber(const AccessElement& element) = 0;

    // A new observer of the process `pid`.
    virtual AccessObserverResult createObserver(std::int32_t pid) = 0;

    // A number that moves whenever an event may have changed an answer about the element (of
    // an application: its window list; of a window: any of its attributes, its children
    // included). Readers that keep what they read may answer from it while the stamp stands.
    // Absent when the backend cannot tell, and then nothing read of the element may be kept.
    // Asks nothing of the application.
    virtual std::optional<std::uint64_t> changeStamp(const AccessElement& element);

    // The size of the visible frame a window takes when it is asked for `size`, by the rules
    // it states for its own size (on X11 its WM_NORMAL_HINTS: minimum and maximum size, whole
    // resize increments above a base size, aspect ratios), which the window manager applies to
    // every resize: `size` itself for a window that states none. Absent when the window cannot
    // be read. A window that stands at this size after a write stands where it was asked to.
    virtual std::optional<arvelo::Size> fittedSize(const AccessElement& element, arvelo::Size size, double timeout);

    // A number that moves when another window manager takes over the desktop (0 where
    // there is none to tell).
    virtual std::uint64_t windowManagerGeneration();

    // Batched reads for a scan: several attributes of one element, and several attributes of
    // several elements (results[i][j] is attribute j of element i). Backends that can
    // pipeline requests override these; the plain forms read one by one.
    virtual std::vector<AccessResult> copyMultipleAttributeValues(const AccessElement& element,
                                                              const std::vector<std::string>& attributes,
                                                              double timeout);
    virtual std::vector<std::vector<AccessResult>> copyAttributeValues(const std::vector<AccessElement>& elements,
                                                                   const std::vector<std::string>& attributes,
                                                                   double timeout);
};

}  // namespace platform

template <>
struct std::hash<platform::AccessElement> {
    std::size_t operator()(const platform::AccessElement& e) const noexcept { return std::hash<std::uint64_t>{}(e.hash()); }
};
