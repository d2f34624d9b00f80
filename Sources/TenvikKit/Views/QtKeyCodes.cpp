// SPDX-License-Identifier: MIT
// QtKeyCodes.cpp: the scan-code path through the reader the shell picked, and the Qt key table
// built on the hot-key service's keysym table.
#include "TenvikKit/Views/QtKeyCodes.h"

#include "Platform/KeyCodeTable.h"

#include <QKeyEvent>

#include <utility>

namespace tenvik {

namespace {

// Qt keys whose keysym is not the Qt key's own code (Latin-1 keys are).
struct QtKeysym {
    int key;
    std::uint32_t keysym;
};
constexpr QtKeysym kSpecialKeys[] = {
    {Qt::Key_Return, 0xFF0D},    {Qt::Key_Enter, 0xFF8D},  {Qt::Key_Tab, 0xFF09},     {Qt::Key_Backtab, 0xFF09},
    {Qt::Key_Backspace, 0xFF08}, {Qt::Key_Escape, 0xFF1B}, {Qt::Key_Delete, 0xFFFF},  {Qt::Key_Help, 0xFF6A},
    {Qt::Key_Home, 0xFF50},      {Qt::Key_End, 0xFF57},    {Qt::Key_PageUp, 0xFF55},  {Qt::Key_PageDown, 0xFF56},
    {Qt::Key_Left, 0xFF51},      {Qt::Key_Right, 0xFF53},  {Qt::Key_Down, 0xFF54},    {Qt::Key_Up, 0xFF52},
    {Qt::Key_Space, 0x0020},     {Qt::Key_yen, 0x00A5},    {Qt::Key_section, 0x00A7}, {Qt::Key_Underscore, 0x005F},
    {Qt::Key_Muhenkan, 0xFF22},  {Qt::Key_Henkan, 0xFF23},
};
// Shifted symbols of the US layout, read as their unshifted key when no scan code is known.
constexpr QtKeysym kShiftedKeys[] = {
    {Qt::Key_Exclam, '1'},     {Qt::Key_At, '2'},          {Qt::Key_NumberSign, '3'}, {Qt::Key_Dollar, '4'},
    {Qt::Key_Percent, '5'},    {Qt::Key_AsciiCircum, '6'}, {Qt::Key_Ampersand, '7'},  {Qt::Key_Asterisk, '8'},
    {Qt::Key_ParenLeft, '9'},  {Qt::Key_ParenRight, '0'},  {Qt::Key_Plus, '='},       {Qt::Key_BraceLeft, '['},
    {Qt::Key_BraceRight, ']'}, {Qt::Key_Colon, ';'},       {Qt::Key_QuoteDbl, '\''},  {Qt::Key_Less, ','},
    {Qt::Key_Greater, '.'},    {Qt::Key_Question, '/'},    {Qt::Key_Bar, '\\'},       {Qt::Key_AsciiTilde, '`'},
};

std::optional<std::uint32_t> keysymForQtKey(int key) {
    for (const QtKeysym& entry : kSpecialKeys)
        if (entry.key == key) return entry.keysym;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F20) return 0xFFBE + static_cast<std::uint32_t>(key - Qt::Key_F1);
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return static_cast<std::uint32_t>(key - Qt::Key_A + 'a');
    if (key > 0x20 && key < 0x7F) return static_cast<std::uint32_t>(key);
    return std::nullopt;
}

std::optional<int> qtKeyForKeysym(std::uint32_t keysym) {
    for (const QtKeysym& entry : kSpecialKeys)
        if (entry.keysym == keysym && entry.key != Qt::Key_Backtab) return entry.key;
    if (keysym >= 0xFFBE && keysym <= 0xFFD1) return Qt::Key_F1 + static_cast<int>(keysym - 0xFFBE);
    if (keysym >= 'a' && keysym <= 'z') return Qt::Key_A + static_cast<int>(keysym - 'a');
    if (keysym > 0x20 && keysym < 0x7F) return static_cast<int>(keysym);
    return std::nullopt;
}

// The reader the program runs with; none until the shell picks one.
platform::ScanCodeReader& scanCodeReader() {
    static platform::ScanCodeReader reader;
    return reader;
}

}  // namespace

void QtKeyCodes::readScanCodesWith(platform::ScanCodeReader reader) { scanCodeReader() = std::move(reader); }

std::optional<std::uint32_t> QtKeyCodes::keyCode(const QKeyEvent& event) {
    if (isModifierKey(event.key())) return std::nullopt;
    const platform::ScanCodeReader& reader = scanCodeReader();
    if (const auto keysym = reader ? reader(event.nativeScanCode()) : std::nullopt) {
        if (const auto code = platform::keyCodeForKeysym(*keysym)) return code;
    }
    return keyCodeForQtKey(event.key());
}

std::uint32_t QtKeyCodes::hotKeyModifiers(Qt::KeyboardModifiers modifiers) {
    std::uint32_t bits = 0;
    if (modifiers & Qt::MetaModifier) bits |= HotKey::kCommand;
    if (modifiers & Qt::ShiftModifier) bits |= HotKey::kShift;
    if (modifiers & Qt::AltModifier) bits |= HotKey::kOption;
    if (modifiers & Qt::ControlModifier) bits |= HotKey::kControl;
    return bits;
}

Qt::KeyboardModifiers QtKeyCodes::qtModifiers(std::uint32_t hotKeyModifiers) {
    Qt::KeyboardModifiers modifiers;
    if (hotKeyModifiers & HotKey::kCommand) modifiers |= Qt::MetaModifier;
    if (hotKeyModifiers & HotKey::kShift) modifiers |= Qt::ShiftModifier;
    if (hotKeyModifiers & HotKey::kOption) modifiers |= Qt::AltModifier;
    if (hotKeyModifiers & HotKey::kControl) modifiers |= Qt::ControlModifier;
    return modifiers;
}

std::optional<std::uint32_t> QtKeyCodes::keyCodeForQtKey(int key) {
    for (const QtKeysym& entry : kShiftedKeys)
        if (entry.key == key) return platform::keyCodeForKeysym(entry.keysym);
    const auto keysym = keysymForQtKey(key);
    if (!keysym) return std::nullopt;
    return platform::keyCodeForKeysym(*keysym);
}

std::optional<int> QtKeyCodes::qtKeyForKeyCode(std::uint32_t keyCode) {
    const auto keysym = platform::keysymForKeyCode(keyCode);
    if (!keysym) return std::nullopt;
    return qtKeyForKeysym(*keysym);
}

bool QtKeyCodes::isModifierKey(int key) {
    switch (key) {
        case Qt::Key_Shift:
        case Qt::Key_Control:
        case Qt::Key_Alt:
        case Qt::Key_AltGr:
        case Qt::Key_Meta:
        case Qt::Key_Super_L:
        case Qt::Key_Super_R:
        case Qt::Key_Hyper_L:
        case Qt::Key_Hyper_R:
        case Qt::Key_CapsLock:
        case Qt::Key_NumLock:
        case Qt::Key_ScrollLock:
            return true;
        default:
            return false;
    }
}

}  // namespace tenvik
