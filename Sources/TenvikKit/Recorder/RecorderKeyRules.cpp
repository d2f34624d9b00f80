// RecorderKeyRules.cpp: the recorder's key rules, first match wins.
#include "TenvikKit/Recorder/RecorderKeyRules.h"

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

}  // namespace tenvik
