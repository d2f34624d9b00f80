// SPDX-License-Identifier: MIT
// PersistedStateTests.cpp: the JSON forms of WorkspaceState, SavedView and RestoreEntry:
// exact member names and order, optional members left out, rectangles and dates, and the
// strict reading that rejects a whole value for one bad member.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Arvelo/State/RestoreEntry.h"
#include "Arvelo/State/SavedView.h"
#include "Arvelo/State/WorkspaceState.h"

using namespace arvelo;

namespace {

std::vector<std::string> memberNames(const OrderedJSON& object) {
    std::vector<std::string> names;
    for (const auto& [key, value] : object.items()) names.push_back(key);
    return names;
}

LayoutNode leaf(std::string id, std::vector<std::string> windows) {
    return LayoutNode(std::move(id), std::move(windows));
}

SavedView fullView() {
    SavedView view;
    view.id = 3;
    view.name = "Layout 3";
    WorkspaceState state;
    state.root = LayoutNode::split(leaf("A", {"1:10:10"}), LayoutNode::desktop(), SplitAxis::horizontal, 0.25);
    state.focus = "A";
    state.preferred = "1:10:10";
    state.autoArrange = false;
    state.camera = Rect(0.5, 0, 0.5, 1);
    view.displays = {{"1", state}, {"2", WorkspaceState{}}};
    view.identities = {{"1:10:10", "org.example.Editor|notes.txt"}};
    view.focusWindows = std::map<std::string, std::vector<std::string>>{{"1", {"1:10:10"}}};
    view.apps = std::map<std::string, std::string>{{"1:10:10", "org.example.Editor"}};
    view.savedAt = StateCoding::dateFromReferenceSeconds(756000000.25);
    return view;
}

}  // namespace

TEST(PersistedState, WorkspaceStateWithoutOptionalsHasOnlyRoot) {
    const OrderedJSON json = WorkspaceState{}.toJSON();
    EXPECT_EQ(memberNames(json), std::vector<std::string>{"root"});
    EXPECT_EQ(json["root"]["id"], "desktop");
}

TEST(PersistedState, MembersAreWrittenInDeclaredOrder) {
    const SavedView view = fullView();
    const OrderedJSON json = view.toJSON();
    EXPECT_EQ(memberNames(json),
              (std::vector<std::string>{"id", "name", "displays", "identities", "focusWindows", "apps", "savedAt"}));
    EXPECT_EQ(memberNames(json["displays"]["1"]),
              (std::vector<std::string>{"root", "focus", "preferred", "autoArrange", "camera"}));
    EXPECT_EQ(memberNames(RestoreEntry{"a|b", 7, Rect(1, 2, 3, 4)}.toJSON()),
              (std::vector<std::string>{"identity", "pid", "frame"}));

    // What is written reads back to the same value, and re-encodes to the same text.
    const SavedView back = SavedView::fromJSON(nlohmann::json::parse(json.dump()));
    EXPECT_EQ(back, view);
    EXPECT_EQ(back.toJSON().dump(), json.dump());
}

TEST(PersistedState, LastLayoutHasExactlyFourMembers) {
    SavedView last;
    last.id = 0;
    last.name = "Last layout";
    last.displays = {{"1", WorkspaceState{}}};
    last.identities = {{"k", "pid.812|Untitled"}};
    EXPECT_EQ(memberNames(last.toJSON()), (std::vector<std::string>{"id", "name", "displays", "identities"}));
}

TEST(PersistedState, RectanglesAndDatesHaveTheirTextForms) {
    WorkspaceState state;
    state.camera = Rect(10, 20, 300, 400);
    EXPECT_EQ(state.toJSON()["camera"].dump(), "[[10,20],[300,400]]");

    WorkspaceState fractional;
    fractional.camera = Rect(0.25, -0.5, 1.5, 2);
    EXPECT_EQ(fractional.toJSON()["camera"].dump(), "[[0.25,-0.5],[1.5,2]]");

    // Dates count seconds from 1 January 2001, fractions allowed.
    SavedView view;
    view.savedAt = 978307200.0 + 12.5;
    EXPECT_EQ(view.toJSON()["savedAt"].dump(), "12.5");
    EXPECT_DOUBLE_EQ(*SavedView::fromJSON(view.toJSON()).savedAt, 978307212.5);
}

TEST(PersistedState, OptionalMembersReadMissingOrNullAsAbsent) {
    const auto view = SavedView::fromJSON(nlohmann::json::parse(
        R"({"id":1,"name":"Layout 1","displays":{"7":{"root":{"id":"desktop","isDesktop":true},"focus":null}},
            "identities":{},"savedAt":null,"unknown":[1,2]})"));
    EXPECT_FALSE(view.savedAt);
    EXPECT_FALSE(view.apps);
    EXPECT_FALSE(view.focusWindows);
    EXPECT_FALSE(view.displays.at("7").focus);
    EXPECT_TRUE(view.displays.at("7").root.isDesktop);
}

TEST(PersistedState, OneBadMemberFailsTheWholeValue) {
    struct Case {
        const char* what;
        const char* json;
    };
    const Case savedViewCases[] = {
        {"no identities", R"({"id":1,"name":"n","displays":{}})"},
        {"id with a fraction", R"({"id":1.5,"name":"n","displays":{},"identities":{}})"},
        {"id as text", R"({"id":"1","name":"n","displays":{},"identities":{}})"},
        {"name not text", R"({"id":1,"name":7,"displays":{},"identities":{}})"},
        {"identity not text", R"({"id":1,"name":"n","displays":{},"identities":{"k":1}})"},
        {"state without root", R"({"id":1,"name":"n","displays":{"1":{}},"identities":{}})"},
        {"root of a bad axis",
         R"({"id":1,"name":"n","displays":{"1":{"root":{"id":"r","axis":"diagonal"}}},"identities":{}})"},
        {"focus not text", R"({"id":1,"name":"n","displays":{"1":{"root":{"id":"r"},"focus":3}},"identities":{}})"},
        {"autoArrange not Boolean",
         R"({"id":1,"name":"n","displays":{"1":{"root":{"id":"r"},"autoArrange":1}},"identities":{}})"},
        {"camera of three numbers",
         R"({"id":1,"name":"n","displays":{"1":{"root":{"id":"r"},"camera":[[0,0],[1]]}},"identities":{}})"},
        {"savedAt as text", R"({"id":1,"name":"n","displays":{},"identities":{},"savedAt":"yesterday"})"},
        {"focusWindows not lists", R"({"id":1,"name":"n","displays":{},"identities":{},"focusWindows":{"1":"k"}})"},
        {"not an object", R"([1,2,3])"},
    };
    for (const auto& c : savedViewCases)
        EXPECT_THROW(SavedView::fromJSON(nlohmann::json::parse(c.json)), StateDecodeError) << c.what;

    const Case restoreCases[] = {
        {"pid as text", R"([{"identity":"a|b","pid":"12","frame":[[0,0],[1,1]]}])"},
        {"pid beyond 32 bits", R"([{"identity":"a|b","pid":4294967296,"frame":[[0,0],[1,1]]}])"},
        {"no frame", R"([{"identity":"a|b","pid":12}])"},
        {"frame not numbers", R"([{"identity":"a|b","pid":12,"frame":[["0",0],[1,1]]}])"},
        {"one good, one bad",
         R"([{"identity":"a|b","pid":12,"frame":[[0,0],[1,1]]},{"identity":5,"pid":1,"frame":[[0,0],[1,1]]}])"},
        {"not a list", R"({"identity":"a|b","pid":12,"frame":[[0,0],[1,1]]})"},
    };
    for (const auto& c : restoreCases)
        EXPECT_THROW(RestoreEntry::decodeList(nlohmann::json::parse(c.json)), StateDecodeError) << c.what;
}

TEST(PersistedState, RestoreEntriesRoundTrip) {
    const std::vector<RestoreEntry> entries = {{"org.example.Editor|notes.txt", -3, Rect(-10.5, 20, 640, 480)},
                                               {"pid.812|Untitled", 812, Rect(0, 0, 300, 200)}};
    const auto json = RestoreEntry::encodeList(entries);
    EXPECT_EQ(json.dump(), R"([{"identity":"org.example.Editor|notes.txt","pid":-3,"frame":[[-10.5,20],[640,480]]},)"
                           R"({"identity":"pid.812|Untitled","pid":812,"frame":[[0,0],[300,200]]}])");
    EXPECT_EQ(RestoreEntry::decodeList(nlohmann::json::parse(json.dump())), entries);
}
