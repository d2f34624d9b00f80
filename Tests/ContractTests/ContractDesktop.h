// SPDX-License-Identifier: MIT
// ContractDesktop: a desktop the contract cases run on, the simulated one or a real X server
// with its window manager, offered through the same few calls: the platform services, opening
// the fixture application or xlogo, waiting (virtual time on the simulation, bounded polling
// on X), and what the user does (switching desktops, sending a window to another desktop,
// moving the pointer).
#pragma once

#include "Platform/Services.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace contract {

struct OpenedApp {
    std::int32_t pid = 0;  // 0 when the application did not come up
};

struct ContractDesktop {
    std::string name;
    platform::Services services;

    std::function<OpenedApp()> openFixture;
    // Empty when the client program is not installed.
    std::function<std::optional<OpenedApp>()> openXlogo;
    // A terminal: a window that takes whole character cells only (X11 resize increments).
    // Empty when xterm is not installed.
    std::function<std::optional<OpenedApp>()> openTerminal;
    // Waits until the condition holds, at most a few seconds; false when it never did.
    std::function<bool(const std::function<bool()>&)> waitUntil;
    // Lets a little time pass, so that late changes show.
    std::function<void()> pause;
    std::function<void(platform::SpaceID)> switchToSpace;
    std::function<void(std::uint32_t window, platform::SpaceID)> sendWindowToSpace;
    // Top-left-origin space.
    std::function<void(arvelo::Point)> movePointer;

    // Keeps the desktop's own state (processes, the simulated world) alive.
    std::shared_ptr<void> state;
};

ContractDesktop makeSimulatedDesktop();
// Null when there is no X server (DISPLAY unset or unreachable).
std::unique_ptr<ContractDesktop> makeX11Desktop();

// The fixture application's identifier and window titles, in title order.
inline constexpr const char* kFixtureIdentifier = "org.vomira.ArveloFixture";
inline constexpr const char* kFixtureTitles[] = {"ArveloFixture 1", "ArveloFixture 2", "ArveloFixture 3"};

}  // namespace contract
