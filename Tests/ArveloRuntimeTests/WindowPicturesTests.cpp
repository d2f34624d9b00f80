// SPDX-License-Identifier: MIT
// WindowPicturesTests.cpp: window pictures on the simulated desktop: what a pass photographs
// and stores, what it skips, what it says on the status line, the cache kept to the window
// table, turning pictures on, and how often the beat takes them.
#include "CoordinatorScene.h"

#include "Arvelo/Chrome/ChromeController.h"
#include "Arvelo/Pictures/WindowPictures.h"
#include "Platform/Sim/SimScreenCapture.h"

using namespace arvelo;
using arvelo::testing::CoordinatorScene;
using platform::sim::SimScreenCapture;

namespace {

class WindowPicturesTest : public CoordinatorScene {
protected:
    void SetUp() override {
        desktop.addDisplay("Screen", {1920, 1080});
        app = std::make_unique<platform::sim::AppHandle>(desktop.launch("org.example.Editor", "Editor"));
        for (int i = 0; i < 5; ++i)
            windows.push_back(app->openWindow("window " + std::to_string(i), {100.0 + 20 * i, 100, 800, 600}));
        start();
        ASSERT_TRUE(coordinator->managing.get());
        settle();
        desktop.world().captures.clear();
        coordinator->previewImages = {};
    }

    std::string key(std::size_t index) const {
        for (const auto& record : coordinator->windows.get())
            if (record->windowNumber == windows[index].number()) return record->id;
        return "";
    }
    std::set<std::string> keys(std::initializer_list<std::size_t> indices) const {
        std::set<std::string> set;
        for (auto index : indices) set.insert(key(index));
        return set;
    }

    // Runs one pass to its end and answers the keys it stored.
    std::set<std::string> capture(const std::optional<std::set<std::string>>& only = std::nullopt) {
        std::optional<std::set<std::string>> result;
        coordinator->capturePreviews(only, [&](std::set<std::string> stored) { result = std::move(stored); });
        desktop.drain();
        EXPECT_TRUE(result) << "the pass did not finish";
        return result.value_or(std::set<std::string>{});
    }

    int chromeRefreshes() const { return coordinator->chrome->pictureRefreshes; }

    std::unique_ptr<platform::sim::AppHandle> app;
    std::vector<platform::sim::WindowHandle> windows;
};

TEST_F(WindowPicturesTest, APassPhotographsEveryWindowInTableOrderAndTellsTheChromeOnce) {
    const int refreshesBefore = chromeRefreshes();
    const auto stored = capture();

    EXPECT_EQ(stored, keys({0, 1, 2, 3, 4}));
    std::vector<std::uint32_t> expectedOrder;
    for (const auto& record : coordinator->windows.get()) expectedOrder.push_back(record->windowNumber);
    EXPECT_EQ(desktop.world().captures, expectedOrder);
    EXPECT_EQ(chromeRefreshes(), refreshesBefore + 1);

    const WindowPicture& picture = coordinator->previewImages->at(key(2));
    const Rect frame = windows[2].frame();
    EXPECT_EQ(picture.width, static_cast<int>(frame.width));
    EXPECT_EQ(picture.height, static_cast<int>(frame.height));
    EXPECT_EQ(picture.size, frame.size());
    // The picture is the window's own: its colour below the title strip, the strip above.
    EXPECT_EQ(picture.pixel(picture.width / 2, picture.height / 2), SimScreenCapture::fillColour(windows[2].number()));
    EXPECT_EQ(picture.pixel(4, 4), SimScreenCapture::titleColour(windows[2].number()));
}

TEST_F(WindowPicturesTest, PicturesThatCameBackTheSameChangeNothingAndTellTheChromeNothing) {
    capture();
    const auto pictures = coordinator->previewImages.get();
    const auto changesBefore = coordinator->onChange.count();
    const int refreshesBefore = chromeRefreshes();

    // Nothing was drawn: every window gives the picture it gave before.
    EXPECT_EQ(capture(), keys({0, 1, 2, 3, 4}));
    EXPECT_EQ(coordinator->previewImages.get(), pictures);
    EXPECT_EQ(coordinator->onChange.count(), changesBefore);
    EXPECT_EQ(chromeRefreshes(), refreshesBefore);

    // One window at a new size gives a new picture: that one is stored and the chrome told.
    windows[3].moveTo({300, 200, 640, 480});
    capture();
    EXPECT_NE(coordinator->previewImages->at(key(3)), pictures.at(key(3)));
    EXPECT_EQ(coordinator->previewImages->at(key(1)), pictures.at(key(1)));
    EXPECT_EQ(chromeRefreshes(), refreshesBefore + 1);
}

TEST_F(WindowPicturesTest, PassesThatTakeNothing) {
    struct Case {
        const char* name;
        std::function<void()> arrange;
        std::optional<std::set<std::string>> keys;
        bool chromeToldOfPictures;
    };
    const std::vector<Case> cases = {
        // The pass ends at once and changes no picture: the chrome has nothing to redraw.
        {"an empty key set", [] {}, std::set<std::string>{}, false},
        {"pictures switched off", [this] { coordinator->previewsEnabled = false; }, std::nullopt, false},
        {"no capture permission", [this] { desktop.setScreenCaptureAccess(false); }, std::nullopt, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        coordinator->previewsEnabled = true;
        desktop.setScreenCaptureAccess(true);
        c.arrange();
        const std::string statusBefore = coordinator->status.get();
        const int refreshesBefore = chromeRefreshes();
        desktop.world().captures.clear();

        EXPECT_TRUE(capture(c.keys).empty());
        EXPECT_TRUE(desktop.world().captures.empty());
        EXPECT_TRUE(coordinator->previewImages->empty());
        EXPECT_EQ(coordinator->status.get(), statusBefore);
        EXPECT_EQ(chromeRefreshes(), refreshesBefore + (c.chromeToldOfPictures ? 1 : 0));
    }
}

TEST_F(WindowPicturesTest, AKeySetRestrictsThePass) {
    EXPECT_EQ(capture(keys({1, 3})), keys({1, 3}));
    EXPECT_EQ(desktop.world().captures, (std::vector<std::uint32_t>{windows[1].number(), windows[3].number()}));
}

TEST_F(WindowPicturesTest, PixelsPerPointScaleThePictureButNotItsSize) {
    desktop.world().pointPixelScale = 2;
    capture(keys({0}));
    const WindowPicture& picture = coordinator->previewImages->at(key(0));
    const Rect frame = windows[0].frame();
    EXPECT_EQ(picture.width, static_cast<int>(frame.width * 2));
    EXPECT_EQ(picture.height, static_cast<int>(frame.height * 2));
    EXPECT_EQ(picture.size, frame.size());
}

TEST_F(WindowPicturesTest, AWindowThatCannotBeCapturedCostsOnlyItsOwnPicture) {
    const auto& table = coordinator->windows.get();
    const std::uint32_t third = table[2]->windowNumber;
    desktop.world().captureFailures.insert(third);
    const std::string statusBefore = coordinator->status.get();
    const int refreshesBefore = chromeRefreshes();

    const auto stored = capture();

    std::set<std::string> expected;
    for (const auto& record : table)
        if (record->windowNumber != third) expected.insert(record->id);
    EXPECT_EQ(stored, expected);
    EXPECT_EQ(desktop.world().captures.size(), 5u);  // the two after it were still taken
    EXPECT_EQ(coordinator->status.get(), statusBefore);
    EXPECT_EQ(chromeRefreshes(), refreshesBefore + 1);
}

TEST_F(WindowPicturesTest, AWindowListThatCannotBeReadIsReportedAndEndsThePass) {
    desktop.world().shareableWindowsError = "The window server did not answer.";
    const int refreshesBefore = chromeRefreshes();

    EXPECT_TRUE(capture().empty());
    EXPECT_EQ(coordinator->status.get(),
              "Window previews unavailable: The window server did not answer. Native windows have been kept visible.");
    EXPECT_TRUE(desktop.world().captures.empty());
    EXPECT_EQ(chromeRefreshes(), refreshesBefore);
}

TEST_F(WindowPicturesTest, WindowsOffScreenAreStillPhotographed) {
    windows[1].minimize();
    settle();
    coordinator->refresh();
    settle();
    ASSERT_TRUE(coordinator->access->records.contains(key(1)));
    EXPECT_TRUE(capture(keys({1})).contains(key(1)));
}

TEST_F(WindowPicturesTest, PicturesOfWindowsThatLeftTheWindowTableAreDropped) {
    capture();
    ASSERT_EQ(coordinator->previewImages->size(), 5u);
    const std::string gone = key(4);
    windows[4].vanish();
    beat();
    ASSERT_FALSE(coordinator->access->records.contains(gone));

    capture(std::set<std::string>{});
    EXPECT_FALSE(coordinator->previewImages->contains(gone));
    EXPECT_EQ(coordinator->previewImages->size(), 4u);
}

TEST_F(WindowPicturesTest, ACancelledPassKeepsWhatItStoredAndStopsQuietly) {
    std::optional<std::set<std::string>> result;
    const int refreshesBefore = chromeRefreshes();
    platform::AsyncTask task;
    // The caller gives up once two pictures are in.
    const auto subscription = coordinator->onChange.subscribe([&] {
        if (coordinator->previewImages->size() == 2) task.cancel();
    });
    task = coordinator->pictures->capture(std::nullopt, [&](auto stored) { result = std::move(stored); });
    desktop.drain();

    ASSERT_TRUE(result);
    EXPECT_EQ(result->size(), 2u);
    EXPECT_EQ(coordinator->previewImages->size(), 2u);
    EXPECT_EQ(chromeRefreshes(), refreshesBefore);
    coordinator->onChange.unsubscribe(subscription);
}

TEST_F(WindowPicturesTest, EnablingAsksForThePermissionOrTurnsPicturesOn) {
    coordinator->previewsEnabled = false;
    desktop.setScreenCaptureAccess(false);
    coordinator->enablePreviews();
    desktop.drain();
    EXPECT_FALSE(coordinator->previewsEnabled.get());
    EXPECT_EQ(coordinator->status.get(), WindowPictures::kAllowStatus);
    EXPECT_TRUE(desktop.world().captures.empty());

    desktop.setScreenCaptureAccess(true);
    coordinator->enablePreviews();
    desktop.drain();
    EXPECT_TRUE(coordinator->previewsEnabled.get());
    EXPECT_EQ(coordinator->previewImages->size(), 5u);
}

TEST_F(WindowPicturesTest, TheBeatTakesPicturesAtMostEveryThreeSeconds) {
    std::vector<double> passTimes;
    std::size_t seen = 0;
    const double start = coordinator->now();
    for (int i = 0; i < 15; ++i) {
        beat();
        if (desktop.world().captures.size() > seen) passTimes.push_back(coordinator->now() - start);
        seen = desktop.world().captures.size();
    }
    ASSERT_GE(passTimes.size(), 2u);
    for (std::size_t i = 1; i < passTimes.size(); ++i) EXPECT_GT(passTimes[i] - passTimes[i - 1], 3.0);
}

}  // namespace

namespace {

TEST_F(WindowPicturesTest, AWindowShownAsAMiniatureTileIsPicturedAtTheTileSizeNotItsOwn) {
    const DisplayInfo display = coordinator->displays->front();
    LayoutResult result = coordinator->layout(display.id);
    ASSERT_FALSE(result.tiles.empty());
    Tile& tile = result.tiles.front();
    tile.miniature = true;
    tile.frame = Rect(tile.frame.x, tile.frame.y, 212, 112);  // room for 200 x 100 points of picture
    const std::string shown = tile.selected;
    coordinator->access->records.at(shown)->parked = true;
    ChromeController& chrome = *coordinator->chrome;
    chrome.clear();
    chrome.show(result, display, {coordinator->access->records, coordinator->previewImages.get(), false, false});
    ASSERT_EQ(chrome.representedMinis, std::set<std::string>{shown});

    std::size_t index = 0;
    while (index < windows.size() && key(index) != shown) ++index;
    ASSERT_LT(index, windows.size());
    const Rect frame = windows[index].frame();
    ASSERT_TRUE(frame.width > 200 || frame.height > 100) << "the window is larger than the tile's picture";
    for (const double pixelScale : {1.0, 2.0}) {
        desktop.world().pointPixelScale = pixelScale;
        capture(std::set<std::string>{shown, key((index + 1) % windows.size())});
        const WindowPicture& picture = coordinator->previewImages->at(shown);
        // Fitted into 200 x 100 points, proportions kept: one side fills the room, neither passes it.
        const double f = std::min(200 / frame.width, 100 / frame.height);
        EXPECT_EQ(picture.width, static_cast<int>(frame.width * f * pixelScale + 1e-6)) << "at " << pixelScale;
        EXPECT_EQ(picture.height, static_cast<int>(frame.height * f * pixelScale + 1e-6)) << "at " << pixelScale;
        EXPECT_TRUE(picture.width == static_cast<int>(200 * pixelScale) ||
                    picture.height == static_cast<int>(100 * pixelScale));
        EXPECT_EQ(picture.size, frame.size()) << "it still stands for the whole window";
        const WindowPicture& other = coordinator->previewImages->at(key((index + 1) % windows.size()));
        EXPECT_EQ(other.width, static_cast<int>(windows[(index + 1) % windows.size()].frame().width * pixelScale))
            << "a window shown in its own tile is pictured whole";
    }
}

}  // namespace

namespace {

// On a desktop that tells when windows drew, after a whole pass over every window: whether
// the next request for pictures of every window photographs anything.
TEST_F(WindowPicturesTest, ARequestIsLetGoWhileNothingWasDrawnSinceTheLastWholePass) {
    const DisplayInfo display = coordinator->displays->front();
    const std::string shrunk = coordinator->layout(display.id).tiles.front().selected;
    const auto shrinkTile = [&] {
        LayoutResult result = coordinator->layout(display.id);
        Tile& tile = result.tiles.front();
        tile.miniature = true;
        tile.frame = Rect(tile.frame.x, tile.frame.y, 212, 112);
        coordinator->access->records.at(shrunk)->parked = true;
        coordinator->chrome->clear();
        coordinator->chrome->show(result, display,
                                  {coordinator->access->records, coordinator->previewImages.get(), false, false});
    };
    struct Case {
        const char* what;
        std::function<void()> change;  // made once the first pass is over
        bool takenAgain;
    };
    const Case cases[] = {
        {"nothing drawn", [] {}, false},
        {"a window drew", [&] { *desktop.world().drawStamp += 1; }, true},
        {"a window is now shown smaller, by a miniature tile", shrinkTile, true},
        {"the platform cannot tell", [&] { desktop.world().drawStamp.reset(); }, true},
        {"the last whole pass took one window only", [&] {
             capture(keys({0}));
             desktop.world().captures.clear();
         }, true},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        desktop.world().drawStamp = 7;
        coordinator->chrome->clear();
        for (const auto& [key, record] : coordinator->access->records) record->parked = false;
        capture();
        desktop.world().captures.clear();
        test.change();
        coordinator->pictures->request(keys({0, 1, 2, 3, 4}), false);
        desktop.drain();
        EXPECT_EQ(!desktop.world().captures.empty(), test.takenAgain);
    }
}

}  // namespace
