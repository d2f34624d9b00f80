// SPDX-License-Identifier: MIT
// AccessEndToEndTests.cpp: window access on a real X server with openbox: the fixture
// application's and xlogo's windows are scanned (on the scan queue), placed at tiles and read
// back, the fixture's large minimum is learnt from what the window manager allowed, and every
// window is restored to its original frame.
#include "Arvelo/Windows/WindowAccess.h"
#include "Arvelo/Windows/WindowScan.h"
#include "Platform/Qt/QtDispatcher.h"
#include "Platform/X11/X11Backend.h"

#include "ChildProcess.h"
#include "RectChecks.h"
#include "Wait.h"

#include <QStandardPaths>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

namespace arvelo {
namespace {

using RecordPtr = WindowAccess::RecordPtr;

using e2e::waitWithEvents;

// Waits on the real X server run the event loop until the condition holds, at most this long.
constexpr double kWaitSeconds = 6;

using arvelo::testing::nearFrame;

class AccessEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        dispatch = std::make_shared<platform::qt::QtDispatcher>();
        backend = platform::x11::X11Backend::connect(dispatch);
        ASSERT_TRUE(backend) << "no X server";
        services.dispatch = dispatch;
        services.clock = dispatch;
        backend->fill(services);
        scanQueue = dispatch->makeSerialQueue("org.vomira.Arvelo.window-scan");
    }

    std::shared_ptr<WindowAccess> makeAccess(bool fixture) {
        auto access = WindowAccess::make(services);
        access->includeFixture = fixture;
        return access;
    }

    // One scan on the scan queue, merged on the main thread.
    std::vector<RecordPtr> scan(WindowAccess& access) {
        auto result = std::make_shared<std::optional<ScanSnapshot>>();
        scanQueue->async([this, result, applications = access.applications(), retained = access.retainedWindows(),
                          diagnostic = access.includeFixture] {
            auto snapshot =
                WindowScan::capture(*services.accessibility, *services.windowList, applications, retained, diagnostic);
            dispatch->async([result, snapshot = std::move(snapshot)]() mutable { *result = std::move(snapshot); });
        });
        if (!waitWithEvents(kWaitSeconds, [&] { return result->has_value(); })) return {};
        return access.merge(**result);
    }

    // Scans until `count` windows are found.
    std::vector<RecordPtr> scanFor(WindowAccess& access, std::size_t count) {
        std::vector<RecordPtr> records;
        waitWithEvents(kWaitSeconds, [&] { return (records = scan(access)).size() == count; });
        return records;
    }

    std::shared_ptr<platform::qt::QtDispatcher> dispatch;
    std::shared_ptr<platform::x11::X11Backend> backend;
    platform::Services services;
    std::shared_ptr<platform::SerialQueue> scanQueue;
};

TEST_F(AccessEndToEnd, ScansPlacesLearnsAndRestoresRealWindows) {
    if (QStandardPaths::findExecutable("xlogo").isEmpty()) GTEST_SKIP() << "xlogo is not installed";
    e2e::ChildProcess fixture(ARVELO_FIXTURE_PATH);
    e2e::ChildProcess xlogo("xlogo");

    // Fixture mode scans only the fixture application, and normal mode everything else.
    auto fixtureAccess = makeAccess(true);
    const auto fixtureWindows = scanFor(*fixtureAccess, 3);
    ASSERT_EQ(fixtureWindows.size(), 3u);
    EXPECT_EQ(fixtureWindows[0]->title, "ArveloFixture 1");
    EXPECT_EQ(fixtureWindows[2]->title, "ArveloFixture 3");
    auto otherAccess = makeAccess(false);
    ASSERT_TRUE(waitWithEvents(kWaitSeconds, [&] {
        for (const auto& record : scan(*otherAccess))
            if (record->applicationID() == "XLogo") return true;
        return false;
    }));
    RecordPtr logo;
    for (const auto& [key, record] : otherAccess->records) {
        EXPECT_NE(record->applicationID(), std::string(kFixtureApplicationID));
        if (record->applicationID() == "XLogo") logo = record;
    }
    ASSERT_TRUE(logo);

    // Keys stay the same from one scan to the next.
    const std::string firstKey = fixtureWindows[0]->id;
    ASSERT_EQ(scan(*fixtureAccess).size(), 3u);
    EXPECT_TRUE(fixtureAccess->records.contains(firstKey));

    // Place: three windows that fit their tiles, and the fixture's third, whose minimum size
    // is larger than its tile.
    int minimumChanges = 0;
    fixtureAccess->onMinimumChange = [&] { ++minimumChanges; };
    const std::vector<std::pair<RecordPtr, Rect>> placements{
        {fixtureWindows[0], {0, 0, 960, 540}},
        {fixtureWindows[1], {960, 0, 960, 540}},
        {logo, {960, 540, 960, 540}},
        {fixtureWindows[2], {0, 540, 640, 400}},
    };
    std::vector<std::pair<RecordPtr, Rect>> originals;
    for (const auto& [record, target] : placements) {
        const auto frame = fixtureAccess->rect(record->element);
        ASSERT_TRUE(frame) << record->title;
        originals.emplace_back(record, *frame);
        (record == logo ? otherAccess : fixtureAccess)->place(record, target);
    }
    for (std::size_t i = 0; i < 3; ++i) {
        const auto& [record, target] = placements[i];
        std::optional<Rect> frame;
        EXPECT_TRUE(waitWithEvents(
            kWaitSeconds, [&] { return (frame = fixtureAccess->rect(record->element)) && nearFrame(*frame, target); }))
            << record->title << " is at " << (frame ? toString(*frame) : "nowhere") << ", not " << toString(target);
    }

    // The window manager keeps the third window at its minimum; 3 s after the place the
    // minimum is learnt from the frame it kept.
    const RecordPtr large = fixtureWindows[2];
    EXPECT_TRUE(waitWithEvents(8, [&] { return large->minimum.width > 1000; }));
    const auto kept = fixtureAccess->rect(large->element);
    ASSERT_TRUE(kept);
    EXPECT_GE(kept->width, 1100);
    EXPECT_GE(kept->height, 760);
    EXPECT_EQ(large->minimum, kept->size());
    EXPECT_EQ(minimumChanges, 1);

    // Restore everything, and see each window back where it was.
    fixtureAccess->restoreAll();
    otherAccess->restoreAll();
    for (const auto& [record, original] : originals) {
        std::optional<Rect> frame;
        EXPECT_TRUE(waitWithEvents(
            kWaitSeconds, [&] { return (frame = fixtureAccess->rect(record->element)) && nearFrame(*frame, original); }))
            << record->title << " is at " << (frame ? toString(*frame) : "nowhere") << ", not " << toString(original);
        EXPECT_TRUE(waitWithEvents(kWaitSeconds, [&] { return !record->originalFrame && !record->restoreTarget; }))
            << record->title;
    }
}

}  // namespace
}  // namespace arvelo
