// SPDX-License-Identifier: MIT
// SavedLayoutMatchingTests.cpp: pairing a saved layout's windows with live ones: the same key
// first, then the same application and title, then the same application; each live window
// taken once, in list order, for the saved keys in text order.
#include <gtest/gtest.h>

#include "Arvelo/Coordinator/SavedLayoutMatching.h"

using namespace arvelo;
using SavedLayoutMatching::LiveWindow;
using Mapping = std::map<std::string, std::string>;

namespace {

LiveWindow live(std::string key, std::string app, std::string title) {
    return {std::move(key), app + "|" + title, app};
}

SavedView savedWith(std::map<std::string, std::string> identities,
                    std::optional<std::map<std::string, std::string>> apps = std::nullopt) {
    SavedView view;
    view.identities = std::move(identities);
    view.apps = std::move(apps);
    return view;
}

TEST(SavedLayoutMatching, EachPassTakesWhatTheEarlierPassesLeft) {
    struct Case {
        const char* name;
        SavedView view;
        std::vector<LiveWindow> windows;
        Mapping expected;
    };
    const Case cases[] = {
        {"the same windows keep their keys, whatever their titles now",
         savedWith({{"1:1:1", "org.a|Old"}, {"1:2:2", "org.a|Other"}}),
         {live("1:2:2", "org.a", "New"), live("1:1:1", "org.a", "Newer")},
         {{"1:1:1", "1:1:1"}, {"1:2:2", "1:2:2"}}},
        {"after a restart: application and title; equal identities in list order, keys in text order",
         savedWith({{"9:1:1", "org.a|Doc"}, {"10:1:1", "org.a|Doc"}, {"9:2:2", "org.b|Mail"}}),
         {live("20:5:5", "org.b", "Mail"), live("20:6:6", "org.a", "Doc"), live("20:7:7", "org.a", "Doc")},
         {{"10:1:1", "20:6:6"}, {"9:1:1", "20:7:7"}, {"9:2:2", "20:5:5"}}},
        {"a changed title: the same application, from the saved apps",
         savedWith({{"1:1:1", "org.a|Draft"}}, Mapping{{"1:1:1", "org.a"}}),
         {live("2:1:1", "org.b", "Draft"), live("2:2:2", "org.a", "Final")},
         {{"1:1:1", "2:2:2"}}},
        {"a changed title: the same application, from the identity",
         savedWith({{"1:1:1", "org.a|Draft"}}),
         {live("2:2:2", "org.a", "Final")},
         {{"1:1:1", "2:2:2"}}},
        {"a key match is not taken again by a title match",
         savedWith({{"1:1:1", "org.a|Doc"}, {"2:2:2", "org.a|Notes"}}),
         {live("2:2:2", "org.a", "Doc")},
         {{"2:2:2", "2:2:2"}}},
        {"another application matches nothing",
         savedWith({{"1:1:1", "org.a|Doc"}}),
         {live("2:2:2", "org.b", "Doc")},
         {}},
    };
    for (const auto& c : cases) EXPECT_EQ(SavedLayoutMatching::match(c.view, c.windows), c.expected) << c.name;
}

TEST(SavedLayoutMatching, TheApplicationOfAnIdentityIsItsFirstNonEmptyPiece) {
    const std::pair<const char*, const char*> cases[] = {
        {"org.a|Title", "org.a"}, {"org.a", "org.a"}, {"|Title", "Title"}, {"||", ""}, {"", ""},
    };
    for (const auto& [identity, application] : cases)
        EXPECT_EQ(SavedLayoutMatching::applicationOf(identity), application) << identity;
}

}  // namespace
