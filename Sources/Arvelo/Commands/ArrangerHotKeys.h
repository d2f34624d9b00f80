// SPDX-License-Identifier: MIT
// ArrangerHotKeys.h: the arranger's global hot keys at run time: registers the fixed table
// under the 'ARVL' signature, keeps the window-map key in line with its user default, takes
// presses of its own signature (declining the kit's) and runs each id's command on the
// arranger after selecting the display under the pointer.
#pragma once

#include "Arvelo/Commands/ArrangerHotKeyTable.h"
#include "Platform/Services.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace arvelo {

class CommandHost;

class ArrangerHotKeys {
public:
    ArrangerHotKeys(std::shared_ptr<CommandHost> arranger, platform::Services services);
    // Unregisters every key and removes the handler.
    ~ArrangerHotKeys();
    ArrangerHotKeys(const ArrangerHotKeys&) = delete;
    ArrangerHotKeys& operator=(const ArrangerHotKeys&) = delete;

    // Installs the handler and registers every key of the table, then the window-map key
    // when it is switched on. A key that cannot be had sets the arranger's status line.
    void installShortcuts();
    // Registers or releases the window-map key to follow "windowMapEnabled".
    void updateWindowMapShortcut();
    // Releases every key, then the window-map key, then removes the handler.
    void uninstall();
    // Runs the command of one id.
    void shortcut(std::uint32_t id);

    // Opens the window map, or closes it when it is open (filled by the window map).
    std::function<void()> toggleWindowMap;

    // Registered references: the table's keys in registration order, and the window-map key.
    std::vector<platform::HotKeyRef> shortcuts;
    std::optional<platform::HotKeyRef> mapShortcut;
    platform::HotKeyHandlerRef handler = 0;

private:
    platform::StatusCode handle(platform::HotKeyID identity);
    // Registers one key; when it cannot, logs and answers the sentence saying why.
    std::optional<std::string> registerKey(const ArrangerHotKey& key, platform::HotKeyRef& ref);
    void focusTileUnderPointer();

    std::shared_ptr<CommandHost> arranger_;
    platform::Services services_;
    platform::Logger logger_;
};

}  // namespace arvelo
