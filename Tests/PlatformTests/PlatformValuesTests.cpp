// PlatformValuesTests.cpp: the platform layer's value types and helpers: Accessibility values
// and element hashes, notifications with many observers, and log sinks.
#include "Platform/Accessibility.h"
#include "Platform/Log.h"
#include "Platform/Signal.h"

#include <gtest/gtest.h>

#include <unordered_set>

using namespace platform;

namespace {

TEST(AXValue, BooleansArriveAsBooleansOrNumbers) {
    EXPECT_EQ(AXValue(true).boolean(), true);
    EXPECT_EQ(AXValue(0.0).boolean(), false);
    EXPECT_EQ(AXValue(2.0).boolean(), true);
    EXPECT_EQ(AXValue("true").boolean(), std::nullopt);
    EXPECT_EQ(AXValue().boolean(), std::nullopt);
    EXPECT_EQ(AXValue(arvelo::Point{1, 2}).size(), std::nullopt);
    EXPECT_EQ(AXValue(arvelo::Size{3, 4}).size(), (arvelo::Size{3, 4}));
    EXPECT_EQ(AXValue(true).number(), std::nullopt);
}

TEST(AXElement, EqualElementsHashAlikeAndKindsDoNotCollide) {
    const auto window = AXElement::windowOf(812, 0x400007);
    EXPECT_EQ(window.hash(), 0x400007u);
    EXPECT_EQ(window, AXElement::windowOf(812, 0x400007));
    EXPECT_NE(window, AXElement::closeButtonOf(812, 0x400007));
    const std::unordered_set<AXElement> set{window, AXElement::closeButtonOf(812, 0x400007),
                                            AXElement::application(812), AXElement::application(-3)};
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
    signal.emit(1);
    signal.emit(2);
    first.reset();
    signal.emit(3);
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
