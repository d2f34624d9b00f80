// SPDX-License-Identifier: MIT
// AttributeAnswers: the Accessibility view of the X11 desktop. Given a picture of the clients
// (a ClientTable), it checks that an element still stands for a live window of its process and
// answers its attributes and settable queries. It only reads the table; what to read for an
// attribute is said by needsOf().
#pragma once

#include "Platform/Accessibility.h"
#include "Platform/X11/ClientTable.h"

#include <xcb/xcb_ewmh.h>

#include <optional>
#include <string_view>

namespace platform::x11 {

// What must be read to answer: facts of the element's window, facts of the desktop, and
// whether every client must be read (for questions about the whole application).
struct Needs {
    unsigned windowFacts = 0;
    unsigned rootFacts = 0;
    bool everyClient = false;

    Needs& operator|=(const Needs& other) {
        windowFacts |= other.windowFacts;
        rootFacts |= other.rootFacts;
        everyClient = everyClient || other.everyClient;
        return *this;
    }
};

struct DesktopContext {
    const xcb_ewmh_connection_t& ewmh;
    xcb_window_t root;
};

Needs needsOf(const AccessElement& element, std::string_view attribute);
Needs needsOfSettable(const AccessElement& element, std::string_view attribute);

// success, or why the element does not stand for anything any more.
AccessError validate(const ClientTable& table, const AccessElement& element, const DesktopContext& context);

AccessResult answer(const ClientTable& table, const AccessElement& element, std::string_view attribute,
                const DesktopContext& context);
AccessSettable settable(const ClientTable& table, const AccessElement& element, std::string_view attribute,
                    const DesktopContext& context);

// The window the application works in: its active window's own window when it has the active
// window, else its frontmost top-level window that is not minimised. Needs every client with
// fact::kKind and fact::kState, and rootfact::kStacking and rootfact::kActive.
std::optional<xcb_window_t> mainWindowOf(const ClientTable& table, std::int32_t pid, const DesktopContext& context);

}  // namespace platform::x11
