// SPDX-License-Identifier: MIT
// PlatformValuesTests.cpp: the platform layer's value types and helpers: Accessibility values
// and element hashes, notifications with many observers, and log sinks.
#include "Platform/Accessibility.h"
#include "Platform/Log.h"
#include "Platform/Signal.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <unordered_set>

using namespace platform;

namespace {

TEST(AccessValue, BooleansArriveAsBooleansOrNumbers) {
    EXPECT_EQ(AccessValue(true).boolean(), true);
    EXPECT_EQ(AccessValue(0.0).boolean(), false);
    EXPECT_EQ(AccessValue(2.0).boolean(), true);
    EXPECT_EQ(AccessValue("true").boolean(), std::nullopt);
    EXPECT_EQ(AccessValue().boolean(), std::nullopt);
    EXPECT_EQ(AccessValue(arvelo::Point{1, 2}).size(), std::nullopt);
    EXPECT_EQ(AccessValue(arvelo::Size{3, 4}).size(), (arvelo::Size{3, 4}));
    EXPECT_EQ(AccessValue(true).number(), std::nullopt);
}

TEST(AccessElement, EqualElementsHashAlikeAndKindsDoNotCollide) {
    const auto window = AccessElement::windowOf(812, 0x400007);
    EXPECT_EQ(window.hash(), 0x400007u);
    EXPECT_EQ(window, AccessElement::windowOf(812, 0x400007));
    EXPECT_NE(window, AccessElement::closeButtonOf(812, 0x400007));
    const std::unordered_set<AccessElement> set{window, AccessElement::closeButtonOf(812, 0x400007),
                                            AccessElement::application(812), AccessElement::application(-3)};
    std::unordered_set<std::uint64_t> hashes;
    for (const auto& e : set) hashes.insert(e.hash());
    EXPECT_EQ(hashes.size(), 4u);
}

TEST(Signal, ObserversStayConnectedWhileTheirSubscriptionLives) {
    Signal<int> signal;
    std::vector<std::string> heard;
    auto first = signal.connect([&](int v) { heard.push_back("first " + std::to_string(v)); });
    Subscription second;
    second = signal.connect([&](int v) {
        heard.push_back("second " + std::to_string(v));
        second.reset();  // dropping itself while being called is safe
    });
    signal.notify(1);
    signal.notify(2);
    first.reset();
    signal.notify(3);
    EXPECT_EQ(heard, (std::vector<std::string>{"first 1", "second 1", "first 2"}));
    EXPECT_FALSE(signal.hasObservers());
}

TEST(Logger, WritesCategoryAndLevelToItsSink) {
    auto captured = std::make_shared<CapturedLog>();
    Logger logger(captured, "org.vomira.Arvelo", "windows");
    logger.info("placed", "Safari|Start");
    logger.error("refused");
    Logger().info("dropped without a sink");
    const auto entries = captured->entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0], (LogEntry{LogLevel::info, "org.vomira.Arvelo", "windows", "placed", "Safari|Start"}));
    EXPECT_EQ(entries[1].level, LogLevel::error);
}

TEST(Logger, TextFromOutsideNeverBreaksOrForgesALine) {
    const struct {
        const char* text;
        const char* written;
    } cases[] = {
        {"arvelo://arrange", "arvelo://arrange"},
        {"x\nwindows error: forged", "x\\nwindows error: forged"},
        {"a\r\tb", "a\\r\\tb"},
        {"\x1b[2Jclear", "\\x1b[2Jclear"},
        {"nul\x01" "del\x7f", "nul\\x01del\\x7f"},
        {"next line\xc2\x85" "csi\xc2\x9b", "next line\\x85csi\\x9b"},
        {"back\\slash", "back\\\\slash"},
        {"caf\xc3\xa9 \xe2\x80\x94 \xff", "caf\xc3\xa9 \xe2\x80\x94 \xff"},
    };
    for (const auto& c : cases) EXPECT_EQ(escapeControlCharacters(c.text), c.written) << c.text;

    // The stderr sink writes one timestamped line per entry, details included when it shows them.
    StderrLogSink sink(true, false, [] { return 0.0; });
    testing::internal::CaptureStderr();
    sink.write({LogLevel::info, "org.vomira.Arvelo", "windows", "URL skipped\nforged", "arvelo://x\ny"});
    const std::string written = testing::internal::GetCapturedStderr();
    EXPECT_EQ(written, StderrLogSink::line({LogLevel::info, "org.vomira.Arvelo", "windows", "", ""}, 0, true) +
                           "URL skipped\\nforged arvelo://x\\ny\n");
}

TEST(StderrLog, LinesCarryTheTimeAndDebugWaitsForTheSwitch) {
    // The time is the local one: pinned to UTC here so the text is known.
    const char* zone = std::getenv("TZ");
    const std::string saved = zone ? zone : "";
    setenv("TZ", "UTC", 1);
    tzset();
    const struct {
        LogEntry entry;
        double time;
        bool showPrivate;
        std::string line;
    } cases[] = {
        {{LogLevel::info, "org.vomira.Arvelo", "windows", "arranged", ""},
         1796995212.3456,
         false,
         "2026-12-11 13:20:12.345 org.vomira.Arvelo [windows] info: arranged"},
        {{LogLevel::error, "org.vomira.Tenvik", "hotkey", "Super+Alt+F is held by another program", ""},
         0.9995,
         false,
         "1970-01-01 00:00:00.999 org.vomira.Tenvik [hotkey] error: Super+Alt+F is held by another program"},
        // Private details are left out without a marker, or shown when asked.
        {{LogLevel::info, "org.vomira.Tenvik", "pin", "raise no-match pid=7", "Editor"},
         0,
         false,
         "1970-01-01 00:00:00.000 org.vomira.Tenvik [pin] info: raise no-match pid=7"},
        {{LogLevel::info, "org.vomira.Tenvik", "pin", "raise no-match pid=7", "Editor"},
         0,
         true,
         "1970-01-01 00:00:00.000 org.vomira.Tenvik [pin] info: raise no-match pid=7 Editor"},
    };
    for (const auto& c : cases) EXPECT_EQ(StderrLogSink::line(c.entry, c.time, c.showPrivate), c.line);

    const LogEntry debug{LogLevel::debug, "org.vomira.Tenvik", "hotkey", "hotkey pressed action=togglePin", ""};
    const LogEntry info{LogLevel::info, "org.vomira.Tenvik", "hotkey", "registered Super+Alt+P", ""};
    const auto written = [](StderrLogSink& sink, const LogEntry& entry) {
        testing::internal::CaptureStderr();
        sink.write(entry);
        return testing::internal::GetCapturedStderr();
    };
    StderrLogSink quiet(false, false, [] { return 0.0; });
    EXPECT_EQ(written(quiet, debug), "");
    EXPECT_NE(written(quiet, info), "");
    quiet.setDebugEnabled(true);
    EXPECT_NE(written(quiet, debug), "");
    quiet.setDebugEnabled(false);
    EXPECT_EQ(written(quiet, debug), "");
    StderrLogSink always(false, true, [] { return 0.0; });
    EXPECT_NE(written(always, debug), "");

    if (zone)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

}  // namespace
