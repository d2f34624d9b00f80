// SPDX-License-Identifier: MIT
// KitLogTests.cpp: the kit's log: the file's line format, private details kept out of it, the
// switch that follows the debug-logging setting, emptying past the size limit, a folder that
// cannot be made, and whole lines from many threads at once.
#include "KitScene.h"
#include "TenvikKit/Log/FileLogSink.h"
#include "TenvikKit/Log/LogChannel.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace tenvik {
namespace {

namespace fs = std::filesystem;

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class KitLog : public ::testing::Test {
protected:
    KitLog() {
        folder = fs::temp_directory_path() / ("tenvik-log-" + std::to_string(::getpid()) + "-" +
                                              ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        file = std::make_shared<FileLogSink>(folder / "state", [] { return 1700000000.25; });
        Log::configure(scene.desktop.services().log, file);
    }
    ~KitLog() override {
        Log::configure(nullptr, nullptr);
        fs::remove_all(folder);
    }

    fs::path logFile() const { return folder / "state" / "Tenvik" / "tenvik.log"; }

    test::KitScene scene;
    fs::path folder;
    std::shared_ptr<FileLogSink> file;
};

TEST(FileLogSinkLine, Format) {
    EXPECT_EQ(FileLogSink::line(1700000000.25, "app", "info", "tenvik started pid=42", false),
              "1700000000.25 [info] [app] tenvik started pid=42\n");
    EXPECT_EQ(FileLogSink::line(1700000000, "pin", "debug", "raiseSourceWindow no-match pid=7", true),
              "1700000000.0 [debug] [pin] raiseSourceWindow no-match pid=7 <private>\n");
    // Text from outside cannot make a line of its own.
    EXPECT_EQ(FileLogSink::line(1, "app", "info", "title\n1700000000.0 [error] [app] forged", false),
              "1.0 [info] [app] title\\n1700000000.0 [error] [app] forged\n");
    EXPECT_EQ(FileLogSink::decimal(0.1), "0.1");
    EXPECT_EQ(FileLogSink::decimal(1733840123.456789), "1733840123.456789");
}

TEST_F(KitLog, WithDebugLoggingOffNothingIsWrittenAndNoFolderMade) {
    auto follow = Log::followDebugLoggingSetting(scene.desktop.services().defaults, scene.center);
    Log::app().info("tenvik started pid=1");
    EXPECT_FALSE(fs::exists(folder / "state"));
    // The program's own log has it all the same.
    EXPECT_EQ(scene.logLines("app"), std::vector<std::string>{"info: tenvik started pid=1"});
}

TEST_F(KitLog, TheFileFollowsTheSettingAndKeepsPrivateDetailsOut) {
    auto follow = Log::followDebugLoggingSetting(scene.desktop.services().defaults, scene.center);
    scene.settings->setDebugLoggingEnabled(true);
    Log::pin().debug("raiseSourceWindow no-match pid=7", "title=Secret Plans");
    Log::hotkey().error("Super+Alt+P is held by another program");
    scene.settings->setDebugLoggingEnabled(false);
    Log::gesture().debug("three-finger tap detected");

    EXPECT_EQ(readAll(logFile()),
              "1700000000.25 [debug] [pin] raiseSourceWindow no-match pid=7 <private>\n"
              "1700000000.25 [error] [hotkey] Super+Alt+P is held by another program\n");
    // The unified side carries the private details, marked as such.
    const auto entries = scene.desktop.log().entries();
    const auto pin = std::find_if(entries.begin(), entries.end(), [](const auto& e) { return e.category == "pin"; });
    ASSERT_NE(pin, entries.end());
    EXPECT_EQ(pin->privateDetails, "title=Secret Plans");
    EXPECT_EQ(pin->subsystem, Log::kSubsystem);
}

TEST_F(KitLog, AFileBeyondTheLimitIsEmptiedBeforeTheNextLine) {
    file->setEnabled(true);
    fs::create_directories(logFile().parent_path());
    {
        std::ofstream out(logFile(), std::ios::binary);
        out << std::string(FileLogSink::kSizeLimit, 'x');
    }
    Log::app().info("at the limit");
    EXPECT_EQ(fs::file_size(logFile()),
              FileLogSink::kSizeLimit + std::string("1700000000.25 [info] [app] at the limit\n").size());
    Log::app().info("past the limit");
    EXPECT_EQ(readAll(logFile()), "1700000000.25 [info] [app] past the limit\n");
}

TEST_F(KitLog, AFileRemovedWhileOpenIsMadeAgain) {
    file->setEnabled(true);
    Log::app().info("one");
    fs::remove(logFile());
    Log::app().info("two");
    EXPECT_EQ(readAll(logFile()), "1700000000.25 [info] [app] two\n");
}

TEST_F(KitLog, AFolderThatCannotBeMadeIsReportedOnceAndLoggingGoesOn) {
    if (::geteuid() == 0) {
        // root may write anywhere; a file in the way of the folder blocks it all the same.
    }
    fs::create_directories(folder);
    { std::ofstream blocker(folder / "state"); }  // a file where the folder should be
    file->setEnabled(true);
    for (int i = 0; i < 5; ++i) Log::app().info("line " + std::to_string(i));
    const auto lines = scene.logLines("app");
    EXPECT_EQ(lines.size(), 6u);  // five lines and one report of the problem
    EXPECT_NE(lines[1].find("cannot open the log file"), std::string::npos) << lines[1];
}

TEST_F(KitLog, EightThreadsLeaveEightyThousandWholeLines) {
    file->setEnabled(true);
    Log::configure(nullptr, file);
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < 10000; ++i)
                Log::app().debug("thread " + std::to_string(t) + " line " + std::to_string(i) + " of ten thousand");
        });
    }
    for (auto& thread : threads) thread.join();

    std::ifstream in(logFile());
    std::string line;
    std::map<int, int> nextOfThread;
    int count = 0;
    while (std::getline(in, line)) {
        ++count;
        int thread = -1, index = -1;
        ASSERT_EQ(
            std::sscanf(line.c_str(), "1700000000.25 [debug] [app] thread %d line %d of ten thousand", &thread, &index),
            2)
            << line;
        // Each thread's lines come in its own order.
        EXPECT_EQ(index, nextOfThread[thread]++);
    }
    EXPECT_EQ(count, 80000);
}

}  // namespace
}  // namespace tenvik
