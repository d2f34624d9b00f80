// SPDX-License-Identifier: MIT
// RecorderKeyRules.cpp: the recorder's key rules, first match wins.
#include "TenvikKit/Recorder/RecorderKeyRules.h"

#include "Platform/KeyNotation.h"

namespace tenvik {

RecorderDecision RecorderKeyRules::decide(bool recording, std::uint32_t keyCode, std::uint32_t modifiers) {
    if (!recording) {
        if (keyCode == kSpace || keyCode == kReturn) return {RecorderAction::beginRecording, std::nullopt};
        return {RecorderAction::passOn, std::nullopt};
    }
    if (keyCode == kTab)
        return {modifiers & HotKey::kShift ? RecorderAction::moveFocusPrevious : RecorderAction::moveFocusNext,
                std::nullopt};
    const std::uint32_t known = HotKey::kCommand | HotKey::kShift | HotKey::kOption | HotKey::kControl;
    const bool hasModifier = modifiers & (HotKey::kCommand | HotKey::kOption | HotKey::kControl);
    if (hasModifier) return {RecorderAction::record, HotKey{keyCode, modifiers & known}};
    if (keyCode == kEscape) return {RecorderAction::cancel, std::nullopt};
    if (keyCode == kDelete || keyCode == kForwardDelete) return {RecorderAction::clear, std::nullopt};
    return {RecorderAction::showHint, std::nullopt};
}

std::string RecorderKeyRules::refusalReason(std::uint32_t keyCode, std::uint32_t modifiers) {
    const auto name = platform::keyName(keyCode);
    const bool typesText = name && name->size() == 1;
    if (!typesText) return std::string(kHintText) + ".";
    const std::string pressed = platform::hotKeyName(keyCode, modifiers & HotKey::kShift);
    const char c = (*name)[0];
    const char* what = (c >= 'A' && c <= 'Z')   ? "the letter "
                       : (c >= '0' && c <= '9') ? "the digit "
                                                : "the character ";
    return pressed + " alone types " + what + *name + " in every window, so it cannot be a shortcut. " + kHintText +
           ".";
}

}  // namespace tenvik
