// SPDX-License-Identifier: MIT
// LaunchArgumentsTests.cpp: what a command line asks of `arvelo` before anything starts:
// usage, version, a refusal of what it does not know, or a run.
#include "Arvelo/Shell/LaunchArguments.h"

#include <gtest/gtest.h>

using namespace arvelo;
using Action = LaunchArguments::Action;

TEST(LaunchArguments, EachCommandLineIsRunOrAnsweredOrRefused) {
    const struct {
        std::vector<std::string> arguments;
        Action action;
        const char* errorMentions;
    } cases[] = {
        {{}, Action::run, ""},
        {{"--fixture-only"}, Action::run, ""},
        {{"--integration-fixture", "--dock-scenario"}, Action::run, ""},
        {{"--open-settings", "--open-settings=shortcuts", "--open-settings=", "--open-onboarding"}, Action::run, ""},
        {{"arvelo://arrange", "arvelo://restore", "arvelo://no-such-command", "arvelo:"}, Action::run, ""},
        {{"--help"}, Action::help, ""},
        {{"-h"}, Action::help, ""},
        {{"arvelo://arrange", "--help", "--bogus"}, Action::help, ""},
        {{"--version"}, Action::version, ""},
        {{"--version", "--help"}, Action::help, ""},
        {{"--bogus"}, Action::error, "unknown option \"--bogus\""},
        {{"--open-settings=Shortcuts"},
         Action::error,
         "unknown settings tab \"Shortcuts\" (the tabs: general, shortcuts, focus, pin or permissions)"},
        {{"--open-settings=nope"}, Action::error, "unknown settings tab \"nope\""},
        {{"-x"}, Action::error, "unknown option"},
        {{"--fixture-only=1"}, Action::error, "unknown option"},
        {{"--FIXTURE-ONLY"}, Action::error, "unknown option"},
        {{"arvelo://arrange", "restore"}, Action::error, "not an arvelo:// command: \"restore\" (no scheme)"},
        {{"http://example.com"}, Action::error, "scheme is not"},
        {{"arvelo://[broken"}, Action::error, "malformed host"},
        {{"arvelo://arrange\nforged line"}, Action::error, "\"arvelo://arrange\\x0aforged line\""},
        {{std::string(3000, 'a')}, Action::error, "..."},
    };
    for (const auto& c : cases) {
        const LaunchArguments parsed = LaunchArguments::parse(c.arguments);
        const std::string line = c.arguments.empty() ? "(none)" : c.arguments.front();
        EXPECT_EQ(parsed.action, c.action) << line;
        if (c.action == Action::error) {
            EXPECT_NE(parsed.error.find(c.errorMentions), std::string::npos) << parsed.error;
            EXPECT_EQ(parsed.error.find('\n'), std::string::npos) << parsed.error;
        }
    }
}

TEST(LaunchArguments, TheUsageNamesEveryFlagAndCommand) {
    const std::string usage = LaunchArguments::usage();
    for (const char* name : {"--help", "--version", "--open-settings", "--open-onboarding", "--fixture-only",
                             "--integration-fixture", "--dock-scenario", "arrange", "restore", "recover", "overview",
                             "desktop", "back", "forward", "zoom-out", "pin", "release-all", "map"}) {
        EXPECT_NE(usage.find(name), std::string::npos) << name;
    }
    EXPECT_EQ(LaunchArguments::version().rfind("arvelo (Vomira) ", 0), 0u);
    EXPECT_EQ(LaunchArguments::version().back(), '\n');
}
