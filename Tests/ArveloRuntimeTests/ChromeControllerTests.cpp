// SPDX-License-Identifier: MIT
// ChromeControllerTests.cpp: the chrome over an arranged simulated desktop: which panels a
// layout gets (and none while not managing or without windows), the tab bar directly above
// its selected window in the on-screen list and restacked there, the callbacks of tabs,
// header, seam handles and miniature tiles into the coordinator, the drop preview panel, the
// proxy input trace and panels that are models only when panels are not presented.
#include "Arvelo/Chrome/ChromeController.h"
#include "Arvelo/Input/DropHandling.h"

#include "TickScene.h"

#include <algorithm>

using namespace arvelo;
using arvelo::testing::TickScene;
using platform::PanelLevel;

namespace {

class Chrome : public TickScene {
protected:
    void SetUp() override {
        desktop.addDisplay(platform::sim::Display{std::nullopt, "Built-in", {0, 0, 1440, 900}, {0, 24, 1440, 876}});
    }

    // a and b as tabs of the left tile (a shown), c on the right.
    void arrangeTabs() {
        auto app = desktop.launch("org.example.Editor", "Editor");
        a = app.openWindow("a", {40, 40, 500, 350}).number();
        b = app.openWindow("b", {80, 80, 500, 350}).number();
        c = app.openWindow("c", {120, 120, 500, 350}).number();
        start();
        wait(1.0);
        ASSERT_TRUE(coordinator->managing.get());
        coordinator->autoTile = false;
        coordinator->states.modify([&](auto& states) {
            states["1"].root = LayoutNode::split(LayoutNode("left", {key(a), key(b)}), LayoutNode("right", {key(c)}),
                                                 SplitAxis::horizontal, 0.5);
        });
        coordinator->apply();
        wait(1.0);
    }
    std::string key(std::uint32_t number) { return keyOf(desktop.window(number)); }

    ChromeController& chrome() { return *coordinator->chrome; }
    // What the coordinator hands the chrome with the layout of display "1".
    ChromeScene scene() const {
        const WorkspaceState& state = coordinator->states->at("1");
        return {coordinator->access->records, coordinator->previewImages.get(), state.focus || state.camera,
                coordinator->access->includeFixture};
    }
    std::vector<std::shared_ptr<ChromePanel>> panelsOf(ChromePanelKind kind) {
        std::vector<std::shared_ptr<ChromePanel>> found;
        for (const auto& p : chrome().panels)
            if (p->kind == kind) found.push_back(p);
        return found;
    }
    std::vector<std::uint32_t> onScreen() {
        std::vector<std::uint32_t> numbers;
        for (const auto& w : desktop.services().windowList->windows({})) numbers.push_back(w.number);
        return numbers;
    }
    int position(std::uint32_t number) {
        const auto o = onScreen();
        const auto it = std::find(o.begin(), o.end(), number);
        return it == o.end() ? -1 : static_cast<int>(it - o.begin());
    }
    std::uint32_t windowOf(const ChromePanel& panel) { return desktop.panels().windowNumber(panel.id); }

    std::uint32_t a = 0, b = 0, c = 0;
};

TEST_F(Chrome, ALayoutWithTwoTabsGetsOneTabBarAboveItsWindowAndOneSeamHandle) {
    arrangeTabs();
    ASSERT_EQ(panelsOf(ChromePanelKind::tabBar).size(), 1u);
    ASSERT_EQ(panelsOf(ChromePanelKind::seamHandle).size(), 1u);
    EXPECT_TRUE(panelsOf(ChromePanelKind::zoomBar).empty());
    EXPECT_TRUE(panelsOf(ChromePanelKind::miniature).empty());
    EXPECT_EQ(desktop.panels().open().size(), 2u);

    const auto bar = panelsOf(ChromePanelKind::tabBar).front();
    const Tile tile = coordinator->layout("1").tiles.front();
    EXPECT_EQ(bar->frame, Rect(tile.frame.x, tile.frame.y, tile.frame.width, tile.tabHeight()));
    EXPECT_EQ(bar->level, PanelLevel::normal);
    EXPECT_EQ(bar->windowNumber, a);
    EXPECT_EQ(position(windowOf(*bar)) + 1, position(a)) << "directly above its window";
    ASSERT_TRUE(bar->tabBar);
    ASSERT_EQ(bar->tabBar->tabs.size(), 2u);
    EXPECT_TRUE(bar->tabBar->tabs[0].on);
    EXPECT_FALSE(bar->tabBar->tabs[1].on);
    EXPECT_EQ(bar->tabBar->tabs[0].toolTip, "Drag onto an edge to place this window. Click to activate Editor.");
    EXPECT_EQ(bar->tabBar->tabs[1].title, "b");

    const auto seam = panelsOf(ChromePanelKind::seamHandle).front();
    EXPECT_EQ(seam->level, PanelLevel::floating);
    EXPECT_EQ(position(windowOf(*seam)), 0) << "floating panels in front of everything";
    const auto listed = desktop.services().windowList->windows({});
    const auto it = std::find_if(listed.begin(), listed.end(), [&](auto& w) { return w.number == windowOf(*seam); });
    ASSERT_NE(it, listed.end());
    EXPECT_EQ(it->ownerPid, desktop.world().ownPid());
    EXPECT_EQ(it->layer, 3);
}

TEST_F(Chrome, TabBarsAreRestackedAboveTheirWindowButNotWhileTheButtonIsDown) {
    arrangeTabs();
    const auto bar = panelsOf(ChromePanelKind::tabBar).front();
    desktop.window(c).raise();
    desktop.window(a).raise();  // the window comes forward without its bar
    EXPECT_LT(position(a), position(windowOf(*bar)));
    desktop.pressLeftButton();
    chrome().restackTabBars();
    EXPECT_LT(position(a), position(windowOf(*bar))) << "nothing while the left button is down";
    desktop.releaseLeftButton();
    chrome().restackTabBars();
    EXPECT_EQ(position(windowOf(*bar)) + 1, position(a));
    const int moves = desktop.panels().restacks;
    chrome().restackTabBars();
    EXPECT_EQ(desktop.panels().restacks, moves) << "in place: nothing moves";
}

TEST_F(Chrome, AClickOnTheOtherTabShowsItsWindowAndItsGlyphsMinimiseAndClose) {
    arrangeTabs();
    auto tabs = panelsOf(ChromePanelKind::tabBar).front()->tabBar->tabs;
    ChromePress press;
    press.down({100, 100}, 1, tabs[1].press);
    EXPECT_TRUE(coordinator->chromeDragging);
    press.up({100, 100}, tabs[1].press);
    EXPECT_FALSE(coordinator->chromeDragging);
    EXPECT_EQ(tree().leaf(key(b))->selected, key(b));
    wait(1.0);
    ASSERT_EQ(chrome().tabBars.size(), 1u);
    EXPECT_EQ(chrome().tabBars.front()->windowNumber, b) << "the bar follows the shown window";

    tabs = panelsOf(ChromePanelKind::tabBar).front()->tabBar->tabs;
    tabs[1].minimize();
    wait(1.0);
    EXPECT_TRUE(desktop.window(b).state().minimized);
}

TEST_F(Chrome, EscapeDuringATabDragStopsThenCancels) {
    arrangeTabs();
    const auto tabs = panelsOf(ChromePanelKind::tabBar).front()->tabBar->tabs;
    ChromePress press;
    press.down({100, 800}, 1, tabs[0].press);
    press.dragged({400, 500}, tabs[0].press);
    ASSERT_TRUE(coordinator->chromeDragging);
    const auto panelsDuringDrag = chrome().panels;
    coordinator->apply();
    EXPECT_EQ(chrome().panels, panelsDuringDrag) << "the panel under the pointer survives applies";
    EXPECT_TRUE(press.escape(tabs[0].press));
    EXPECT_FALSE(coordinator->chromeDragging);
    EXPECT_NE(chrome().panels, panelsDuringDrag) << "the cancel applied, which rebuilt the chrome";
    EXPECT_EQ(tree().leaf(key(a))->windows, (std::vector<std::string>{key(a), key(b)}));
}

TEST_F(Chrome, DraggingTheSeamHandleMovesTheSplitWithinFivePercentOfItsEnds) {
    arrangeTabs();
    const auto handle = panelsOf(ChromePanelKind::seamHandle).front();
    ASSERT_TRUE(handle->seamHandle);
    const SeamContent seam = *handle->seamHandle;
    EXPECT_DOUBLE_EQ(seam.primaryHeight, 900);
    seam.begin();
    EXPECT_TRUE(coordinator->resizingSeam);
    const Rect parent = seam.seam.parentFrame;
    struct Step {
        double x;
        double ratio;
    };
    for (const Step& s : {Step{parent.x + parent.width * 0.3, 0.3}, Step{parent.x - 100, 0.05},
                          Step{parent.maxX() + 100, 0.95}, Step{parent.x + parent.width * 0.7, 0.7}}) {
        seam.callback(chrome::seamFraction(seam.seam, seam.primaryHeight, {s.x, 500}));
        EXPECT_NEAR(tree().ratio, s.ratio, 1e-9);
        EXPECT_FALSE(tree().children.empty());
        EXPECT_EQ(chrome().panels.front()->closed, false) << "the handle stays under the pointer";
    }
    EXPECT_EQ(coordinator->states->at("1").autoArrange, false);
    seam.end();
    EXPECT_FALSE(coordinator->resizingSeam);
    wait(1.0);
    const Seam moved = coordinator->layout("1").seams.front();
    EXPECT_NEAR(moved.frame.midX(), parent.x + parent.width * 0.7, 8);
    EXPECT_EQ(panelsOf(ChromePanelKind::seamHandle).front()->frame, moved.frame) << "a new handle at the new place";
    EXPECT_NEAR(desktop.window(c).frame().x, parent.x + parent.width * 0.7, 16) << "the right neighbour followed";
}

TEST_F(Chrome, AZoomBarShowsWhileATileIsFocused) {
    arrangeTabs();
    coordinator->focus(key(c));
    wait(1.0);
    const auto zoom = panelsOf(ChromePanelKind::zoomBar);
    ASSERT_EQ(zoom.size(), 1u);
    EXPECT_DOUBLE_EQ(zoom.front()->frame.midX(), 720);
    EXPECT_DOUBLE_EQ(zoom.front()->frame.y, 28);
    EXPECT_DOUBLE_EQ(zoom.front()->frame.height, 32);
    zoom.front()->zoomBar->action();
    wait(1.0);
    EXPECT_TRUE(panelsOf(ChromePanelKind::zoomBar).empty());
}

TEST_F(Chrome, NothingIsBuiltWhileNotManagingOrWithoutWindows) {
    arrangeTabs();
    const DisplayInfo display = coordinator->displays->front();
    const LayoutResult result = coordinator->layout("1");
    chrome().clear();
    EXPECT_TRUE(desktop.panels().open().empty()) << "clear closes every panel";

    coordinator->managing = false;
    coordinator->restoreChrome();
    EXPECT_TRUE(chrome().panels.empty());
    coordinator->managing = true;

    const LayoutNode kept = tree();
    coordinator->states.modify([](auto& states) { states["1"].root = LayoutNode("empty"); });
    coordinator->restoreChrome();
    EXPECT_TRUE(chrome().panels.empty()) << "not even seam handles";
    coordinator->states.modify([&](auto& states) { states["1"].root = kept; });

    chrome().presentsPanels = false;
    chrome().show(result, display, scene());
    EXPECT_EQ(chrome().panels.size(), 2u);
    EXPECT_EQ(chrome().tabBars.size(), 1u);
    EXPECT_TRUE(desktop.panels().open().empty()) << "models only";
    for (const auto& panel : chrome().panels) EXPECT_FALSE(panel->visible);
}

TEST_F(Chrome, AWindowWhoseRecordIsGoneGetsNoTabAndTheBarStaysFloating) {
    arrangeTabs();
    const DisplayInfo display = coordinator->displays->front();
    const LayoutResult result = coordinator->layout("1");
    chrome().clear();
    coordinator->access->records.erase(key(a));
    chrome().show(result, display, scene());
    const auto bars = panelsOf(ChromePanelKind::tabBar);
    ASSERT_EQ(bars.size(), 1u);
    ASSERT_EQ(bars.front()->tabBar->tabs.size(), 1u);
    EXPECT_DOUBLE_EQ(bars.front()->tabBar->metrics.tabWidth, chrome::tabWidth(bars.front()->frame.width, 2));
    EXPECT_TRUE(chrome().tabBars.empty()) << "the shown window has no record: nothing to stack above";
    EXPECT_EQ(bars.front()->level, PanelLevel::floating);
}

TEST_F(Chrome, TheDropPreviewIsOnePopUpPanelThatLetsTheMouseThrough) {
    arrangeTabs();
    chrome().showDropPreview({0, 24, 720, 876}, "Split left");
    ASSERT_TRUE(chrome().dropPanel);
    const auto preview = chrome().dropPanel;
    EXPECT_EQ(preview->level, PanelLevel::popUp);
    EXPECT_TRUE(preview->ignoresMouse);
    const platform::sim::SimPanel* simulated = desktop.panels().panel(preview->id);
    ASSERT_TRUE(simulated);
    EXPECT_TRUE(simulated->ignoresMouse);
    EXPECT_EQ(position(simulated->number), 0);
    chrome().showDropPreview({720, 24, 720, 876}, "Make tabs");
    EXPECT_EQ(chrome().dropPanel, preview) << "reused";
    EXPECT_EQ(desktop.panels().frame(preview->id), Rect(720, 24, 720, 876));
    EXPECT_EQ(std::find(chrome().panels.begin(), chrome().panels.end(), preview), chrome().panels.end());
    chrome().clear();
    EXPECT_EQ(position(simulated->number), -1) << "ordered out";
    EXPECT_FALSE(desktop.panels().panel(preview->id)->closed) << "kept for later";
}

TEST_F(Chrome, ACompositorStartingOrStoppingRedrawsEveryPanelAtOnce) {
    arrangeTabs();
    chrome().showDropPreview({0, 24, 720, 876}, "Split left");
    chrome().hideDropPreview();
    std::vector<std::pair<ChromePanelKind, bool>> drawn;
    chrome().host.present = [&](ChromePanel& panel) {
        drawn.emplace_back(panel.kind, desktop.panels().translucent());
    };
    const auto bar = panelsOf(ChromePanelKind::tabBar).front();
    desktop.window(c).raise();
    desktop.window(a).raise();  // the bar's window came forward without it

    struct Step {
        bool compositing;
        std::size_t redrawn;  // panels drawn again
    };
    for (const Step& step : {Step{true, 3}, Step{true, 0}, Step{false, 3}}) {
        SCOPED_TRACE(step.compositing ? "compositor on" : "compositor off");
        drawn.clear();
        desktop.panels().setCompositing(step.compositing);  // no beat passes
        ASSERT_EQ(drawn.size(), step.redrawn);
        for (const auto& [kind, translucent] : drawn) EXPECT_EQ(translucent, step.compositing);
        if (step.redrawn == 0) continue;
        std::vector<ChromePanelKind> kinds;
        for (const auto& [kind, translucent] : drawn) kinds.push_back(kind);
        EXPECT_EQ(kinds, (std::vector<ChromePanelKind>{ChromePanelKind::tabBar, ChromePanelKind::seamHandle,
                                                       ChromePanelKind::dropPreview}))
            << "the drop preview too, though hidden";
        EXPECT_EQ(position(windowOf(*bar)) + 1, position(a)) << "the bar back above its window";
        EXPECT_EQ(position(desktop.panels().panel(chrome().dropPanel->id)->number), -1) << "still hidden";
    }
}

TEST_F(Chrome, AMiniatureTileOfAParkedWindowGetsAPanelThatOpensItOnAClick) {
    arrangeTabs();
    const DisplayInfo display = coordinator->displays->front();
    LayoutResult result = coordinator->layout("1");
    ASSERT_EQ(result.tiles.size(), 2u);
    result.tiles[1].miniature = true;            // c's tile, as the solver marks a window that does not fit
    coordinator->access->includeFixture = true;  // fixture mode: the miniature traces its input

    chrome().clear();
    chrome().show(result, display, scene());
    EXPECT_TRUE(panelsOf(ChromePanelKind::miniature).empty()) << "its window is not parked";
    EXPECT_TRUE(chrome().representedMinis.empty());

    chrome().clear();
    coordinator->access->records.at(key(c))->parked = true;
    coordinator->previewImages.modify([](auto& images) { images.clear(); });
    chrome().show(result, display, scene());
    coordinator->access->includeFixture = false;  // the next scans keep the editor's windows
    const auto minis = panelsOf(ChromePanelKind::miniature);
    ASSERT_EQ(minis.size(), 1u);
    const auto& mini = *minis.front();
    ASSERT_TRUE(mini.miniature);
    EXPECT_EQ(mini.frame, result.tiles[1].windowFrame());
    EXPECT_EQ(mini.miniature->identifier, key(c));
    EXPECT_EQ(mini.miniature->title, "c");
    EXPECT_FALSE(mini.miniature->image.has_value()) << "no picture yet: the placeholder";
    EXPECT_EQ(chrome().representedMinis, std::set<std::string>{key(c)});
    EXPECT_NE(position(windowOf(mini)), -1);

    WindowPicture picture;
    picture.width = picture.height = 1;
    picture.pixels = std::make_shared<const std::vector<std::uint32_t>>(1, 0xff00ff00u);
    coordinator->previewImages.modify([&](auto& images) { images[key(c)] = picture; });
    chrome().refreshPreviewImages(coordinator->previewImages.get());
    EXPECT_EQ(mini.miniature->image, picture) << "the new picture swapped in";

    ASSERT_TRUE(mini.miniature->inputTrace);
    coordinator->proxyInputTrace.clear();
    for (int i = 0; i < 35; ++i)
        mini.miniature->inputTrace("mouseDragged", TraceEvent{{double(i), 2}, {3, 4}, std::nullopt});
    mini.miniature->inputTrace("accessibilityPress", std::nullopt);
    ASSERT_EQ(coordinator->proxyInputTrace.size(), 30u) << "the newest 30";
    const auto& last = coordinator->proxyInputTrace.back();
    EXPECT_EQ(last, (std::map<std::string, std::string>{{"phase", "accessibilityPress"}, {"source", key(c)}}));
    const auto& before = coordinator->proxyInputTrace[28];
    EXPECT_EQ(before.at("local"), "{34, 2}");
    EXPECT_EQ(before.at("screen"), "{3, 4}");
    EXPECT_EQ(before.at("quartz"), "unavailable");

    ChromePress press;
    press.down({10, 10}, 1, mini.miniature->press);
    press.up({10, 10}, mini.miniature->press);
    EXPECT_EQ(coordinator->states->at("1").focus, tree().leaf(key(c))->id) << "the click focused its tile";
    EXPECT_EQ(coordinator->selectedWindow.get(), key(c));
}

}  // namespace

namespace {

WindowPicture solidPicture(std::uint32_t colour) {
    WindowPicture picture;
    picture.width = picture.height = 2;
    picture.pixels = std::make_shared<const std::vector<std::uint32_t>>(4, colour);
    return picture;
}

TEST_F(Chrome, NewPicturesRedrawOnlyTheMiniatureTilesWhosePictureChanged) {
    arrangeTabs();
    const DisplayInfo display = coordinator->displays->front();
    LayoutResult result = coordinator->layout("1");
    ASSERT_EQ(result.tiles.size(), 2u);
    for (auto& tile : result.tiles) tile.miniature = true;
    coordinator->access->records.at(key(a))->parked = true;
    coordinator->access->records.at(key(c))->parked = true;
    std::map<std::string, WindowPicture> pictures{{key(a), solidPicture(0xff0000ffu)},
                                                  {key(c), solidPicture(0xff00ff00u)}};
    chrome().clear();
    chrome().show(result, display, {coordinator->access->records, pictures, false, false});
    ASSERT_EQ(panelsOf(ChromePanelKind::miniature).size(), 2u);

    std::map<std::string, int> redrawn;
    chrome().host.redraw = [&](ChromePanel& panel) { ++redrawn[panel.miniature->identifier]; };
    const WindowPicture first = pictures.at(key(a));
    struct Case {
        const char* what;
        std::function<void()> change;
        std::map<std::string, int> redrawn;
    };
    const Case cases[] = {
        {"the same pictures again", [] {}, {}},
        {"an equal copy of a picture (the same pixels)", [&] { pictures[key(a)] = WindowPicture(first); }, {}},
        {"c drew something", [&] { pictures[key(c)] = solidPicture(0xff00ff01u); }, {{key(c), 1}}},
        {"a picture of a window with no tile", [&] { pictures["elsewhere"] = solidPicture(1); }, {}},
        {"both drew", [&] {
             pictures[key(a)] = solidPicture(2);
             pictures[key(c)] = solidPicture(3);
         }, {{key(a), 1}, {key(c), 1}}},
        {"a's picture dropped", [&] { pictures.erase(key(a)); }, {}},
    };
    for (const Case& test : cases) {
        redrawn.clear();
        test.change();
        chrome().refreshPreviewImages(pictures);
        EXPECT_EQ(redrawn, test.redrawn) << test.what;
        for (const auto& panel : panelsOf(ChromePanelKind::miniature)) {
            if (const auto picture = pictures.find(panel->selected); picture != pictures.end()) {
                EXPECT_EQ(panel->miniature->image, picture->second) << test.what << ": " << panel->selected;
            }
        }
    }
}

}  // namespace
