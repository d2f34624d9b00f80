// SPDX-License-Identifier: MIT
// LaunchArguments.cpp: the flags `arvelo` knows, the check of every argument, and the usage
// and version texts.
#include "Arvelo/Shell/LaunchArguments.h"

#include "Arvelo/Commands/URLCommand.h"
#include "TenvikKit/Controller/KitWindows.h"

#include <algorithm>
#include <array>
#include <string_view>

#ifndef VOMIRA_VERSION
#define VOMIRA_VERSION "unknown"
#endif

namespace arvelo {

namespace {

// Flags that are whole arguments.
constexpr std::array<std::string_view, 5> kFlags = {
    "--fixture-only", "--integration-fixture", "--dock-scenario", "--open-settings", "--open-onboarding",
};
// "--open-settings=<tab>": one of the settings window's tabs (empty: the window as it was).
constexpr std::string_view kOpenSettingsPrefix = "--open-settings=";
constexpr const char* kSettingsTabs = "general, shortcuts, focus, pin or permissions";
// How much of a refused argument an error message quotes.
constexpr std::size_t kQuotedLength = 80;

bool isHelp(std::string_view argument) { return argument == "--help" || argument == "-h"; }

bool isKnownFlag(std::string_view argument) {
    return std::find(kFlags.begin(), kFlags.end(), argument) != kFlags.end() ||
           argument.starts_with(kOpenSettingsPrefix);
}

// An argument as an error message shows it: cut short, control characters escaped.
std::string quoted(std::string_view argument) {
    std::string text = "\"";
    for (const char c : argument.substr(0, kQuotedLength)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) {
            static constexpr char kHex[] = "0123456789abcdef";
            text += "\\x";
            text += kHex[byte >> 4];
            text += kHex[byte & 0xf];
        } else {
            text += c;
        }
    }
    if (argument.size() > kQuotedLength) text += "...";
    return text + "\"";
}

}  // namespace

LaunchArguments LaunchArguments::parse(const std::vector<std::string>& arguments) {
    // --help and --version answer whatever else is on the line.
    for (const std::string& argument : arguments) {
        if (isHelp(argument)) return {Action::help, {}};
    }
    for (const std::string& argument : arguments) {
        if (argument == "--version") return {Action::version, {}};
    }
    for (const std::string& argument : arguments) {
        if (!argument.empty() && argument[0] == '-') {
            if (!isKnownFlag(argument)) return {Action::error, "unknown option " + quoted(argument)};
            const std::string_view tab = std::string_view(argument).substr(
                argument.starts_with(kOpenSettingsPrefix) ? kOpenSettingsPrefix.size() : argument.size());
            if (!tab.empty() && !tenvik::settingsTabFromRawValue(tab))
                return {Action::error, "unknown settings tab " + quoted(tab) + " (the tabs: " + kSettingsTabs + ")"};
            continue;
        }
        const URLCommandParse parse = parseURLCommand(argument);
        if (!parse.command) {
            return {Action::error, "not an arvelo:// command: " + quoted(argument) + " (" + parse.skipReason + ")"};
        }
    }
    return {};
}

std::string LaunchArguments::usage() {
    return "Usage: arvelo [OPTION]... [arvelo://COMMAND]...\n"
           "Arranges the windows of an X11 desktop into tiles and puts them back when it quits.\n"
           "While Vomira runs, a later launch hands its commands to the running one and ends.\n"
           "\n"
           "Options:\n"
           "  --help                 show this help and exit\n"
           "  --version              show the version and exit\n"
           "  --open-settings[=TAB]  open the Rev & Uzidu settings (TAB: general, shortcuts,\n"
           "                         focus, pin or permissions)\n"
           "  --open-onboarding      open the Rev & Uzidu onboarding window\n"
           "  --fixture-only         arrange only the fixture application's windows and quit\n"
           "                         after 180 seconds\n"
           "  --integration-fixture  fixture mode: run the integration verification\n"
           "  --dock-scenario        fixture mode: run the scripted docking scenario\n"
           "\n"
           "Commands (arvelo://COMMAND, also through xdg-open):\n"
           "  arrange        give every window its own tile (Set Windows)\n"
           "  restore        put every window back where it was\n"
           "  recover        put windows back where a run that ended early found them\n"
           "  overview       show everything\n"
           "  desktop        focus the desktop\n"
           "  back, forward  step through the views shown before\n"
           "  zoom-out       step out of the focused tile\n"
           "  pin            pin the window in front as a live preview\n"
           "  release-all    release the focus lock and every pin\n"
           "  map            open or close the window map (when its menu switch is on)\n"
           "  Any other command opens the dashboard.\n"
           "\n"
           "Exit status: 0 when done, 1 when Vomira cannot run or the running one cannot be\n"
           "reached, 2 for an unknown option or a malformed command.\n";
}

std::string LaunchArguments::version() { return std::string("arvelo (Vomira) ") + VOMIRA_VERSION + "\n"; }

}  // namespace arvelo
