// SPDX-License-Identifier: MIT
// ArrangerHotKeys.cpp: registration, the press handler and the commands of the arranger's keys.
#include "Arvelo/Commands/ArrangerHotKeys.h"

#include "Arvelo/Commands/CommandHost.h"

namespace arvelo {

ArrangerHotKeys::ArrangerHotKeys(std::shared_ptr<CommandHost> arranger, platform::Services services)
    : arranger_(std::move(arranger)), services_(std::move(services)), logger_(services_.logger("windows")) {}

ArrangerHotKeys::~ArrangerHotKeys() { uninstall(); }

void ArrangerHotKeys::installShortcuts() {
    if (!services_.hotKeys) {
        logger_.error("global hot keys are not available on this desktop");
        return;
    }
    if (handler == 0) handler = services_.hotKeys->installHandler([this](platform::HotKeyID id) { return handle(id); });
    for (const ArrangerHotKey& key : arrangerHotKeys()) {
        platform::HotKeyRef ref = 0;
        if (const auto refusal = registerKey(key, ref)) {
            arranger_->setStatus(shortcutInUseStatus(*refusal));
        } else {
            shortcuts.push_back(ref);
        }
    }
    updateWindowMapShortcut();
}

std::optional<std::string> ArrangerHotKeys::registerKey(const ArrangerHotKey& key, platform::HotKeyRef& ref) {
    const platform::StatusCode status =
        services_.hotKeys->registerHotKey(key.keyCode, key.modifiers, {kArrangerHotKeySignature, key.id}, ref);
    if (status == platform::kNoErr) return std::nullopt;
    std::string refusal = services_.hotKeys->refusalText(key.keyCode, key.modifiers, status);
    logger_.error(refusal);
    return refusal;
}

void ArrangerHotKeys::updateWindowMapShortcut() {
    if (!services_.hotKeys) return;
    const bool enabled = services_.defaults && services_.defaults->boolean(kWindowMapEnabledDefault).value_or(false);
    if (enabled && !mapShortcut) {
        platform::HotKeyRef ref = 0;
        if (const auto refusal = registerKey(kWindowMapHotKey, ref)) {
            arranger_->setStatus(windowMapShortcutInUseStatus(*refusal));
        } else {
            mapShortcut = ref;
        }
    } else if (!enabled && mapShortcut) {
        services_.hotKeys->unregisterHotKey(*mapShortcut);
        mapShortcut.reset();
    }
}

void ArrangerHotKeys::uninstall() {
    if (!services_.hotKeys) return;
    for (const platform::HotKeyRef ref : shortcuts) services_.hotKeys->unregisterHotKey(ref);
    shortcuts.clear();
    if (mapShortcut) services_.hotKeys->unregisterHotKey(*mapShortcut);
    mapShortcut.reset();
    if (handler != 0) services_.hotKeys->removeHandler(handler);
    handler = 0;
}

platform::StatusCode ArrangerHotKeys::handle(platform::HotKeyID identity) {
    if (identity.signature != kArrangerHotKeySignature) return platform::kEventNotHandledErr;
    shortcut(identity.id);
    return platform::kNoErr;
}

void ArrangerHotKeys::shortcut(std::uint32_t id) {
    CommandHost& arranger = *arranger_;
    const auto display = arranger.displayUnderPointer();
    arranger.selectDisplay(display ? display->id : arranger.model().selectedDisplay.get());

    const auto command = arrangerShortcut(id);
    if (!command) return;
    using Kind = ArrangerShortcut::Kind;
    switch (command->kind) {
        case Kind::showEverything:
            arranger.showEverything();
            break;
        case Kind::focusUnderPointer:
            focusTileUnderPointer();
            break;
        case Kind::zoomOut:
            arranger.zoomOut();
            break;
        case Kind::back:
            arranger.back();
            break;
        case Kind::forward:
            arranger.forward();
            break;
        case Kind::windowMap:
            if (toggleWindowMap) toggleWindowMap();
            break;
        case Kind::recallView:
            arranger.recallView(command->slot);
            break;
        case Kind::saveView:
            arranger.saveView(command->slot);
            break;
    }
}

void ArrangerHotKeys::focusTileUnderPointer() {
    CommandHost& arranger = *arranger_;
    // The pointer in window coordinates: y measured down from the top of the first screen.
    const Point pointer = services_.pointer->location();
    const auto screens = services_.screens->screens();
    const double primaryHeight = screens.empty() ? 0 : screens.front().frame.height;
    const Point point{pointer.x, primaryHeight - pointer.y};

    const std::string& displayID = arranger.model().selectedDisplay.get();
    const LayoutResult result = arranger.layout(displayID);
    logger_.debug("focus under the pointer on display \"" + displayID + "\"", toString(point));
    for (const Tile& tile : result.tiles) {
        if (!tile.frame.contains(point)) continue;
        if (tile.windows.empty()) {
            arranger.focusDesktop();
        } else {
            arranger.focus(tile.selected);
        }
        return;
    }
    if (const auto selected = arranger.model().selectedWindow.get()) arranger.focus(*selected);
}

}  // namespace arvelo
