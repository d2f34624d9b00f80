// SPDX-License-Identifier: MIT
// FocusActivationPolicy.cpp: the always-allowed identifiers and identifier normalisation.
#include "TenvikKit/FocusLock/FocusActivationPolicy.h"

#include <algorithm>

namespace tenvik {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

}  // namespace

const std::set<std::string>& FocusActivationPolicy::systemAllowlist() {
    // Identifiers as the window scan reads them (application id, else WM_CLASS class, which is
    // compared lower-cased): screen lockers, polkit agents and keyring or passphrase prompts,
    // and input-method windows of the common desktops.
    static const std::set<std::string> allowlist = {
        // Screen lockers.
        "xscreensaver", "light-locker", "xfce4-screensaver", "gnome-screensaver", "mate-screensaver",
        "cinnamon-screensaver", "kscreenlocker_greet", "xsecurelock", "i3lock", "slock", "xlock",
        // Administrator (polkit) password prompts.
        "polkit-gnome-authentication-agent-1", "polkit-mate-authentication-agent-1", "lxpolkit", "lxqt-policykit-agent",
        "xfce-polkit", "polkit-kde-authentication-agent-1", "org.kde.polkit-kde-authentication-agent-1",
        // Keyring, wallet and passphrase prompts.
        "gcr-prompter", "gcr-prompter-4", "pinentry", "pinentry-gtk-2", "pinentry-gnome3", "pinentry-qt", "ksshaskpass",
        "ssh-askpass", "x11-ssh-askpass", "kwalletd5", "kwalletd6",
        // Input methods (candidate and preedit windows).
        "ibus-ui-gtk3", "ibus-x11", "ibus-extension-gtk3", "fcitx", "fcitx5", "org.fcitx.Fcitx5", "uim-candwin-gtk",
        "scim-panel-gtk"};
    return allowlist;
}

std::optional<std::string> FocusActivationPolicy::normalizedApplicationID(std::string_view text) {
    while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
    if (text.empty() || std::any_of(text.begin(), text.end(), isSpace)) return std::nullopt;
    std::string identifier(text);
    if (identifier.find('.') == std::string::npos)
        std::transform(identifier.begin(), identifier.end(), identifier.begin(),
                       [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return identifier;
}

bool FocusActivationPolicy::allows(std::string_view entry, std::string_view identifier) {
    if (entry == identifier) return true;
    const auto normalizedEntry = normalizedApplicationID(entry);
    return normalizedEntry && normalizedEntry == normalizedApplicationID(identifier);
}

}  // namespace tenvik
