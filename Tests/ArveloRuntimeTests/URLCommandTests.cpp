// SPDX-License-Identifier: MIT
// URLCommandTests.cpp: which strings become which arranger command, and which are skipped.
#include "Arvelo/Commands/URLCommand.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace arvelo {
namespace {

struct Case {
    std::string url;
    std::optional<URLCommand> command;  // nullopt: skipped
};

// A failure shows the string itself, control characters escaped.
std::string shownURL(const std::string& url) {
    std::string shown;
    for (const char c : url) {
        if (c >= 0x20 && c < 0x7f) {
            shown += c;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned char>(c));
            shown += escaped;
        }
    }
    return shown;
}
void PrintTo(const Case& c, std::ostream* out) { *out << '"' << shownURL(c.url) << '"'; }

// Each case is named after its string: letters and digits kept, every run of other characters
// one "_", and "__" with a number added when two strings come out the same (a name made from a
// string never holds "__").
std::string caseName(const testing::TestParamInfo<Case>& info, const std::vector<Case>& cases) {
    const auto nameOf = [](const std::string& url) {
        std::string name;
        for (const char c : url) {
            const bool kept = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
            if (kept)
                name += c;
            else if (name.empty() || name.back() != '_')
                name += '_';
        }
        return name.empty() ? std::string("empty") : name;
    };
    const std::string name = nameOf(info.param.url);
    int earlier = 0;
    for (std::size_t i = 0; i < info.index; ++i) earlier += nameOf(cases[i].url) == name;
    return earlier == 0 ? name : name + "__" + std::to_string(earlier + 1);
}

class URLCommandParsing : public testing::TestWithParam<Case> {};

TEST_P(URLCommandParsing, MapsToCommandOrSkips) {
    const Case& c = GetParam();
    const URLCommandParse parse = parseURLCommand(c.url);
    EXPECT_EQ(parse.command, c.command) << shownURL(c.url);
    EXPECT_EQ(parse.skipReason.empty(), c.command.has_value()) << shownURL(c.url) << ": " << parse.skipReason;
}

const std::vector<Case> kCases{
    // Every host of the table.
    Case{"arvelo://arrange", URLCommand::arrange}, Case{"arvelo://restore", URLCommand::restore},
    Case{"arvelo://recover", URLCommand::recover}, Case{"arvelo://overview", URLCommand::overview},
    Case{"arvelo://desktop", URLCommand::desktop}, Case{"arvelo://back", URLCommand::back},
    Case{"arvelo://forward", URLCommand::forward}, Case{"arvelo://zoom-out", URLCommand::zoomOut},
    Case{"arvelo://pin", URLCommand::pin}, Case{"arvelo://release-all", URLCommand::releaseAll},
    Case{"arvelo://map", URLCommand::map},
    // Path, query, fragment, user and port do not change the host's command.
    Case{"arvelo://restore/now?x=1#top", URLCommand::restore}, Case{"arvelo://back?", URLCommand::back},
    Case{"arvelo://me@forward:80", URLCommand::forward}, Case{"arvelo://arrange%20x/", URLCommand::dashboard},
    // Schemes and hosts match whatever their case; any other host opens the dashboard.
    Case{"arvelo://Restore", URLCommand::restore}, Case{"arvelo://RESTORE", URLCommand::restore},
    Case{"ARVELO://restore", URLCommand::restore}, Case{"Arvelo://Zoom-Out", URLCommand::zoomOut},
    Case{"arvelo://zoomout", URLCommand::dashboard}, Case{"arvelo://restore.", URLCommand::dashboard},
    Case{"arvelo://%72estore", URLCommand::dashboard}, Case{"arvelo://[::1]", URLCommand::dashboard},
    // No host at all.
    Case{"arvelo:", URLCommand::dashboard}, Case{"arvelo://", URLCommand::dashboard},
    Case{"arvelo:restore", URLCommand::dashboard}, Case{"arvelo:///restore", URLCommand::dashboard},
    // Other schemes, no scheme: skipped.
    Case{"arvelox://restore", std::nullopt}, Case{"http://restore", std::nullopt}, Case{"restore", std::nullopt},
    Case{"//restore", std::nullopt}, Case{"", std::nullopt}, Case{"--open-settings", std::nullopt},
    Case{"1arvelo://restore", std::nullopt},
    // Not URLs: characters outside the URL syntax, broken escapes, malformed hosts.
    Case{"arvelo://restore now", std::nullopt}, Case{" arvelo://restore", std::nullopt},
    Case{"arvelo://restore\n", std::nullopt}, Case{std::string("arvelo://re\0store", 17), std::nullopt},
    Case{"arvelo://rést", std::nullopt}, Case{"arvelo://restore%", std::nullopt},
    Case{"arvelo://restore%2", std::nullopt}, Case{"arvelo://restore%zz", std::nullopt},
    Case{"arvelo://[::1", std::nullopt}, Case{"arvelo://restore:port", std::nullopt},
    Case{"arvelo://re]store", std::nullopt}, Case{"arvelo://<restore>", std::nullopt}};

INSTANTIATE_TEST_SUITE_P(Table, URLCommandParsing, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& info) { return caseName(info, kCases); });

TEST(URLCommandParsing, HostIsReportedAsWritten) {
    EXPECT_EQ(parseURLCommand("arvelo://user@Zoom-Out:12/x").host, "Zoom-Out");
    EXPECT_EQ(parseURLCommand("arvelo:restore").host, "");
}

TEST(URLCommandParsing, HostileLengthsAreRefusedWithoutScanning) {
    const std::string longHost = "arvelo://" + std::string(kMaxURLLength, 'a');
    const URLCommandParse parse = parseURLCommand(longHost);
    EXPECT_FALSE(parse.command);
    EXPECT_NE(parse.skipReason.find("longer than"), std::string::npos);

    // Just inside the limit a long unknown host is still a URL of the scheme.
    const std::string atLimit = "arvelo://" + std::string(kMaxURLLength - 9, 'a');
    EXPECT_EQ(parseURLCommand(atLimit).command, URLCommand::dashboard);
}

}  // namespace
}  // namespace arvelo
