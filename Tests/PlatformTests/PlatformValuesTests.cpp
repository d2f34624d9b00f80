// PlatformValuesTests.cpp: the platform layer's value types and helpers: Accessibility values
// and element hashes, notifications with many observers, and log sinks.
#include "Platform/Accessibility.h"
#include "Platform/Log.h"
#include "Platform/Signal.h"

#include <gtest/gtest.h>

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

    // The stderr sink writes one line per entry, details included when it shows them.
    StderrLogSink sink(true);
    testing::internal::CaptureStderr();
    sink.write({LogLevel::info, "org.vomira.Arvelo", "windows", "URL skipped\nforged", "arvelo://x\ny"});
    const std::string written = testing::internal::GetCapturedStderr();
    EXPECT_EQ(written, "org.vomira.Arvelo [windows] info: URL skipped\\nforged arvelo://x\\ny\n");
}

}  // namespace
