// HotKeys.cpp: the registration table and the handler chain shared by every hot-key backend.
#include "Platform/HotKeys.h"

#include <algorithm>
#include <memory>
#include <utility>

namespace platform {

namespace {

// The names of the keys of an ANSI keyboard by key code, as desktop shortcut settings write them.
const char* keyName(std::uint32_t keyCode) {
    static constexpr std::pair<std::uint32_t, const char*> kNames[] = {
        {0, "A"},   {11, "B"},  {8, "C"},   {2, "D"},   {14, "E"},          {3, "F"},         {5, "G"},
        {4, "H"},   {34, "I"},  {38, "J"},  {40, "K"},  {37, "L"},          {46, "M"},        {45, "N"},
        {31, "O"},  {35, "P"},  {12, "Q"},  {15, "R"},  {1, "S"},           {17, "T"},        {32, "U"},
        {9, "V"},   {13, "W"},  {7, "X"},   {16, "Y"},  {6, "Z"},           {29, "0"},        {18, "1"},
        {19, "2"},  {20, "3"},  {21, "4"},  {23, "5"},  {22, "6"},          {26, "7"},        {28, "8"},
        {25, "9"},  {24, "="},  {27, "-"},  {30, "]"},  {33, "["},          {39, "'"},        {41, ";"},
        {42, "\\"}, {43, ","},  {44, "/"},  {47, "."},  {50, "`"},          {36, "Return"},   {48, "Tab"},
        {49, "Space"}, {51, "Backspace"}, {53, "Escape"}, {115, "Home"}, {116, "Page Up"}, {117, "Delete"},
        {119, "End"}, {121, "Page Down"}, {123, "Left"}, {124, "Right"}, {125, "Down"}, {126, "Up"},
        {122, "F1"}, {120, "F2"}, {99, "F3"}, {118, "F4"}, {96, "F5"}, {97, "F6"}, {98, "F7"}, {100, "F8"},
        {101, "F9"}, {109, "F10"}, {103, "F11"}, {111, "F12"},
    };
    for (const auto& [code, name] : kNames)
        if (code == keyCode) return name;
    return nullptr;
}

}  // namespace

std::string hotKeyName(std::uint32_t keyCode, std::uint32_t modifiers) {
    std::string name;
    if (modifiers & kCommandKeyMask) name += "Super+";
    if (modifiers & kControlKeyMask) name += "Ctrl+";
    if (modifiers & kOptionKeyMask) name += "Alt+";
    if (modifiers & kShiftKeyMask) name += "Shift+";
    const char* key = keyName(keyCode);
    return name + (key ? std::string(key) : "Key " + std::to_string(keyCode));
}

HotKeyHandlerRef HotKeys::installHandler(Handler handler) {
    const HotKeyHandlerRef ref = nextRef_++;
    handlers_.emplace_back(ref, std::make_shared<Handler>(std::move(handler)));
    return ref;
}

void HotKeys::removeHandler(HotKeyHandlerRef handler) {
    std::erase_if(handlers_, [&](const auto& entry) { return entry.first == handler; });
}

StatusCode HotKeys::registerHotKey(std::uint32_t keyCode, std::uint32_t modifiers, HotKeyID identity, HotKeyRef& ref) {
    ref = 0;
    modifiers &= kHotKeyModifierMask;
    const bool taken = std::any_of(registrations_.begin(), registrations_.end(), [&](const auto& entry) {
        return entry.second.keyCode == keyCode && entry.second.modifiers == modifiers;
    });
    if (taken) return kEventHotKeyExistsErr;
    if (const StatusCode status = grab(keyCode, modifiers); status != kNoErr) return status;
    ref = nextRef_++;
    registrations_[ref] = Registration{keyCode, modifiers, identity};
    return kNoErr;
}

StatusCode HotKeys::unregisterHotKey(HotKeyRef ref) {
    const auto it = registrations_.find(ref);
    if (it == registrations_.end()) return kEventHotKeyInvalidErr;
    const Registration registration = it->second;
    registrations_.erase(it);
    ungrab(registration.keyCode, registration.modifiers);
    return kNoErr;
}

bool HotKeys::pressed(std::uint32_t keyCode, std::uint32_t modifiers) {
    modifiers &= kHotKeyModifierMask;
    const auto it = std::find_if(registrations_.begin(), registrations_.end(), [&](const auto& entry) {
        return entry.second.keyCode == keyCode && entry.second.modifiers == modifiers;
    });
    if (it == registrations_.end()) return false;
    const HotKeyID identity = it->second.identity;
    // A handler may install or remove handlers; the chain is the one in place at the press.
    const auto chain = handlers_;
    for (auto entry = chain.rbegin(); entry != chain.rend(); ++entry)
        if ((*entry->second)(identity) != kEventNotHandledErr) break;
    return true;
}

}  // namespace platform
