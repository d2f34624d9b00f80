// SPDX-License-Identifier: MIT
// CoordinatorSavedLayoutsTests.cpp: saving the layouts into numbered slots and recalling them:
// the file, the three matching passes (same key, same window, same application), the single
// display fallback, the Space test for candidates and the docking of unmatched windows.
#include "CoordinatorScene.h"

#include <nlohmann/json.hpp>

using namespace arvelo;
using arvelo::testing::CoordinatorScene;

namespace {

class SavedLayouts : public CoordinatorScene {
protected:
    void SetUp() override {
        desktop.addDisplay("Screen", {1440, 900});
        editor = std::make_unique<platform::sim::AppHandle>(desktop.launch("org.example.Editor", "Editor"));
        for (const char* title : {"alpha", "beta", "gamma"})
            windows.push_back(editor->openWindow(title, {100, 100, 500, 350}));
        start();
        ASSERT_TRUE(coordinator->managing.get());
        display = coordinator->displays->front().id;
    }

    std::string key(std::size_t index) const {
        for (const auto& record : coordinator->windows.get())
            if (record->windowNumber == windows[index].number()) return record->id;
        return "";
    }
    const WorkspaceState& state() const { return coordinator->states->at(display); }
    // The id of the leaf holding a window, or "none".
    std::string leafOf(const std::string& windowKey) const {
        const auto leaf = state().root.leaf(windowKey);
        return leaf ? leaf->id : "none";
    }
    // Recalls the view and lets the refresh it starts run and merge.
    void recall(const SavedView& view) {
        coordinator->recall(view);
        settle();
    }
    // A layout as an earlier run would have saved it: its own window keys, identities and apps.
    SavedView earlierRun(const std::string& displayID,
                         const std::vector<std::pair<std::string, std::string>>& windowsAndTitles,
                         bool withApps = true) {
        SavedView view;
        view.id = 7;
        view.name = "Layout 7";
        std::vector<std::string> keys;
        for (const auto& [savedKey, title] : windowsAndTitles) {
            keys.push_back(savedKey);
            view.identities[savedKey] = "org.example.Editor|" + title;
            if (withApps) {
                if (!view.apps) view.apps.emplace();
                (*view.apps)[savedKey] = "org.example.Editor";
            }
        }
        WorkspaceState saved;
        std::vector<LayoutNode> leaves;
        for (const auto& savedKey : keys) leaves.push_back(LayoutNode("leaf-" + savedKey, {savedKey}));
        saved.root = LayoutNode::even(leaves, SplitAxis::vertical);
        saved.preferred = keys.back();
        view.displays[displayID] = saved;
        return view;
    }

    std::unique_ptr<platform::sim::AppHandle> editor;
    std::vector<platform::sim::WindowHandle> windows;
    std::string display;
};

TEST_F(SavedLayouts, SavingASlotTwiceKeepsOneSortedEntryAndWritesTheFile) {
    coordinator->saveView(3);
    coordinator->saveView(1);
    coordinator->states.modify([&](auto& all) {
        all.at(display).focus = all.at(display).root.leaf(key(0))->id;
        all.at(display).camera = Rect(0, 0, 0.5, 0.5);
        all.at(display).root.remove(key(2));
    });
    coordinator->saveView(3);
    EXPECT_EQ(coordinator->status.get(), "Saved Layout 3.");

    const auto& saved = coordinator->saved.get();
    ASSERT_EQ(saved.size(), 2u);
    EXPECT_EQ(saved[0].id, 1);
    EXPECT_EQ(saved[1].id, 3);
    const SavedView& three = saved[1];
    EXPECT_EQ(three.name, "Layout 3");
    EXPECT_EQ(three.savedAt, coordinator->now());
    EXPECT_FALSE(three.focusWindows);
    // Only root and preferred are kept: a recalled layout always shows whole trees.
    const WorkspaceState& kept = three.displays.at(display);
    EXPECT_EQ(kept.root, state().root);
    EXPECT_FALSE(kept.focus || kept.camera || kept.autoArrange);
    // Identities and applications of the windows in the trees only.
    EXPECT_EQ(three.identities, (std::map<std::string, std::string>{{key(0), "org.example.Editor|alpha"},
                                                                    {key(1), "org.example.Editor|beta"}}));
    EXPECT_EQ(three.apps,
              (std::map<std::string, std::string>{{key(0), "org.example.Editor"}, {key(1), "org.example.Editor"}}));

    // The file holds the same list, and a new coordinator reads it back.
    const auto file = nlohmann::json::parse(readState("saved-views.json"));
    ASSERT_EQ(file.size(), 2u);
    EXPECT_EQ(file[1]["id"], 3);
    EXPECT_EQ(SavedView::decodeList(file), saved);
}

TEST_F(SavedLayouts, AFailedWriteIsNotReportedAsSaved) {
    std::filesystem::remove_all(stateDirectory());
    std::ofstream(stateDirectory()) << "a file where the state folder should be";
    coordinator->saveView(2);
    EXPECT_EQ(coordinator->status.get(), "Saved Layout 2 for this session only: it could not be written to disk.");
    ASSERT_EQ(coordinator->saved->size(), 1u);  // still recallable in this session
}

TEST_F(SavedLayouts, RecallingAnEmptySlotOnlySaysSo) {
    coordinator->saveView(1);
    SavedView withFocusWindows = coordinator->saved->front();
    withFocusWindows.id = 2;
    withFocusWindows.focusWindows = std::map<std::string, std::vector<std::string>>{};
    coordinator->saved.modify([&](auto& all) { all.push_back(withFocusWindows); });

    for (int slot : {2, 5}) {
        coordinator->recallView(slot);
        EXPECT_EQ(coordinator->status.get(), "Layout " + std::to_string(slot) + " is empty.");
        EXPECT_FALSE(coordinator->scanInFlight) << "no refresh for an empty slot";
    }
}

TEST_F(SavedLayouts, TheSameWindowsMapToThemselves) {
    coordinator->saveView(4);
    const LayoutNode savedRoot = state().root;
    coordinator->states.modify([&](auto& all) {
        all.at(display).root = LayoutNode::dwindle({key(2), key(1), key(0)}, false, false);
        all.at(display).focus = all.at(display).root.leaf(key(2))->id;
    });
    coordinator->floatedWindows = {"gone"};
    coordinator->autoTabbed = {key(1)};
    coordinator->recallView(4);
    settle();

    EXPECT_EQ(state().root, savedRoot);
    EXPECT_FALSE(state().focus || state().camera);
    EXPECT_EQ(coordinator->status.get(), "Layout 4 restored.");
    EXPECT_EQ(coordinator->userPlaced, (std::set<std::string>{key(0), key(1), key(2)}));
    EXPECT_TRUE(coordinator->floatedWindows.empty());
    EXPECT_TRUE(coordinator->autoTabbed.empty());
    EXPECT_TRUE(coordinator->managing.get());
}

TEST_F(SavedLayouts, AfterARestartWindowsAreFoundByTitleThenByApplication) {
    // Saved keys sort "10:..." before "9:...": the first gamma window in window order takes the
    // key that sorts first. "delta" no longer exists, so its key takes the free alpha window.
    windows.push_back(editor->openWindow("gamma", {700, 100, 500, 350}));
    coordinator->refresh();
    settle();
    const SavedView view = earlierRun(display, {{"9:1:1", "gamma"}, {"10:2:2", "gamma"}, {"11:3:3", "delta"}});
    recall(view);

    std::vector<std::string> gammas;
    for (const auto& record : coordinator->windows.get())
        if (record->title == "gamma") gammas.push_back(record->id);
    ASSERT_EQ(gammas.size(), 2u);
    EXPECT_EQ(state().root.node("leaf-10:2:2")->windows, std::vector<std::string>{gammas[0]});
    EXPECT_EQ(state().root.node("leaf-9:1:1")->windows, std::vector<std::string>{gammas[1]});
    EXPECT_EQ(state().root.node("leaf-11:3:3")->windows, std::vector<std::string>{key(0)});
    EXPECT_EQ(state().preferred, key(0));
    EXPECT_EQ(coordinator->userPlaced, (std::set<std::string>{gammas[0], gammas[1], key(0)}));
    // beta matched nothing and is docked as a newcomer.
    EXPECT_TRUE(state().root.leaf(key(1)));
    EXPECT_EQ(coordinator->status.get(), "Layout 7 restored.");
}

TEST_F(SavedLayouts, WithoutAppsTheApplicationComesFromTheIdentity) {
    recall(earlierRun(display, {{"1:1:1", "renamed"}}, false));
    EXPECT_EQ(leafOf(key(0)), "leaf-1:1:1");
}

TEST_F(SavedLayouts, OneSavedDisplayServesOneLiveDisplayOfAnotherId) {
    recall(earlierRun("4242", {{"1:1:1", "beta"}}));
    EXPECT_EQ(leafOf(key(1)), "leaf-1:1:1");
}

TEST_F(SavedLayouts, WindowsOnAnotherSpaceAreLeftAlone) {
    windows[2].setSpaces({2});
    coordinator->refresh();
    settle();
    const Rect elsewhere = windows[2].frame();
    recall(earlierRun(display, {{"1:1:1", "gamma"}, {"2:2:2", "alpha"}}));
    EXPECT_FALSE(state().root.leaf(key(2)));
    EXPECT_EQ(windows[2].frame(), elsewhere);
    EXPECT_EQ(leafOf(key(0)), "leaf-2:2:2");

    // Where Spaces cannot be told, windows on screen are candidates and the one on the other
    // Space (not on screen) is not: gamma's saved place goes to another window of its app.
    desktop.setSpacesAvailable(false);
    recall(earlierRun(display, {{"1:1:1", "gamma"}, {"2:2:2", "beta"}}));
    EXPECT_EQ(leafOf(key(1)), "leaf-2:2:2");
    EXPECT_EQ(leafOf(key(0)), "leaf-1:1:1");
    EXPECT_EQ(leafOf(key(2)), "none");
}

TEST_F(SavedLayouts, NothingMatchedOrUntrustedChangesNothingButTheStatus) {
    const WorkspaceState before = state();
    SavedView other = earlierRun(display, {{"1:1:1", "x"}});
    other.identities = {{"1:1:1", "org.example.Other|x"}};
    other.apps = std::map<std::string, std::string>{{"1:1:1", "org.example.Other"}};
    recall(other);
    EXPECT_EQ(coordinator->status.get(), "None of this layout's apps have windows open on this desktop.");
    EXPECT_EQ(state(), before);

    desktop.setTrusted(false);
    recall(earlierRun(display, {{"1:1:1", "alpha"}}));
    EXPECT_EQ(coordinator->status.get(),
              "No EWMH window manager is running, so a layout cannot be restored. Start one (openbox, xfwm4, KWin), "
              "then try again.");
    EXPECT_EQ(state(), before);
}

TEST_F(SavedLayouts, MinimizedAndPinnedWindowsAreNoCandidates) {
    coordinator->pinned = {key(1)};
    windows[2].minimize();
    coordinator->refresh();
    settle();
    recall(earlierRun(display, {{"1:1:1", "beta"}, {"2:2:2", "gamma"}, {"3:3:3", "alpha"}}));
    EXPECT_EQ(state().root.allWindows(), (std::vector<std::string>{key(0)}));
    EXPECT_EQ(coordinator->userPlaced, (std::set<std::string>{key(0)}));
}

}  // namespace
