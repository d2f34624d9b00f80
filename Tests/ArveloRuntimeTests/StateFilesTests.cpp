// SPDX-License-Identifier: MIT
// StateFilesTests.cpp: the state file store with damaged input: corrupt, truncated, wrongly
// typed and huge files read as absent with a log line naming the file and the reason, and a
// damaged file is kept aside, not overwritten, when a new one is written; unchanged
// diagnostics are not written again.
#include <cmath>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/stat.h>

#include "Arvelo/State/StateFiles.h"
#include "Platform/Log.h"

using namespace arvelo;
namespace fs = std::filesystem;

namespace {

class StateFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        directory = fs::temp_directory_path() /
                    ("vomira-state-files-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(directory);
        fs::create_directories(directory);
        log = std::make_shared<platform::CapturedLog>();
        files = std::make_unique<StateFiles>(directory, platform::Logger(log, "org.vomira.Arvelo", "windows"),
                                             [] { return 1700000000.0; });
    }
    void TearDown() override { fs::remove_all(directory); }

    void put(const std::string& name, const std::string& text) { std::ofstream(directory / name) << text; }
    std::string get(const fs::path& path) {
        std::ifstream file(path);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }
    std::string lastLog() { return log->entries().empty() ? "" : log->entries().back().message; }

    fs::path directory;
    std::shared_ptr<platform::CapturedLog> log;
    std::unique_ptr<StateFiles> files;
};

}  // namespace

TEST_F(StateFilesTest, DamagedFilesReadAsAbsentAndSayWhy) {
    struct Case {
        const char* what;
        std::string text;
        const char* reason;
    };
    const Case cases[] = {
        {"corrupt", "{[}", "not valid JSON"},
        {"truncated", R"([{"id":1,"name":"Layout 1","displays":{},"ident)", "not valid JSON"},
        {"empty", "", "not valid JSON"},
        {"wrong type", R"({"id":1})", "expected an array"},
        {"one entry without a required key", R"([{"id":1,"name":"a","displays":{},"identities":{}},{"id":2}])",
         "missing"},
        {"deeply nested tree",
         [] {
             std::string root;
             for (int i = 0; i < 5000; ++i) root += R"({"id":"n","children":[)";
             root += R"({"id":"leaf"})";
             for (int i = 0; i < 5000; ++i) root += "]}";
             return R"([{"id":1,"name":"a","displays":{"1":{"root":)" + root + R"(}},"identities":{}}])";
         }(),
         "root"},
    };
    for (const auto& c : cases) {
        put("saved-views.json", c.text);
        log->clear();
        EXPECT_FALSE(files->readSavedViews()) << c.what;
        EXPECT_NE(lastLog().find("saved-views.json"), std::string::npos) << c.what << ": " << lastLog();
        EXPECT_NE(lastLog().find(c.reason), std::string::npos) << c.what << ": " << lastLog();
    }

    // Missing is not an error worth a line.
    fs::remove(directory / "saved-views.json");
    log->clear();
    EXPECT_FALSE(files->readSavedViews());
    EXPECT_TRUE(log->entries().empty());
}

TEST_F(StateFilesTest, AHugeFileIsNotRead) {
    {
        std::ofstream file(directory / "restore.json");
        file << "[";
        const std::string entry = R"({"identity":"a|b","pid":1,"frame":[[0,0],[1,1]]},)";
        for (std::uintmax_t written = 0; written <= StateFiles::kMaxFileBytes; written += entry.size()) file << entry;
        file << R"({"identity":"a|b","pid":1,"frame":[[0,0],[1,1]]}])";
    }
    EXPECT_FALSE(files->readRestore());
    EXPECT_NE(lastLog().find("too large"), std::string::npos) << lastLog();
}

TEST_F(StateFilesTest, AnUnreadableFileIsKeptAsideBeforeANewOneIsWritten) {
    const std::string damaged = R"([{"id":1,"name":"Layout 1","displays":{},"identities":{}},{"id":"two"}])";
    put("saved-views.json", damaged);
    ASSERT_FALSE(files->readSavedViews());
    const std::string reason = lastLog().substr(lastLog().find("unreadable: ") + std::string("unreadable: ").size());

    SavedView view;
    view.id = 4;
    view.name = "Layout 4";
    ASSERT_TRUE(files->writeSavedViews({view}));
    EXPECT_EQ(files->readSavedViews()->front().id, 4);

    const fs::path aside = directory / "saved-views.json.unreadable-20231114-221320";
    ASSERT_TRUE(fs::exists(aside));
    EXPECT_EQ(get(aside), damaged) << "the damaged file is kept, not lost";
    EXPECT_NE(lastLog().find("unreadable (" + reason + "); kept aside"), std::string::npos)
        << "the line names the decoder's reason: " << lastLog();

    // A second damaged file on the same second gets its own name.
    put("saved-views.json", "garbage");
    StateFiles fresh(directory, platform::Logger(log, "org.vomira.Arvelo", "windows"), [] { return 1700000000.0; });
    ASSERT_TRUE(fresh.writeSavedViews({view}));
    EXPECT_EQ(get(directory / "saved-views.json.unreadable-20231114-221320-2"), "garbage");

    // A readable file is simply replaced.
    ASSERT_TRUE(fresh.writeSavedViews({}));
    EXPECT_FALSE(fs::exists(directory / "saved-views.json.unreadable-20231114-221320-3"));
}

TEST_F(StateFilesTest, WritesReportFailureAndLeaveNoTemporaryFiles) {
    StateFiles nowhere(directory / "missing" / "folder", platform::Logger(log, "org.vomira.Arvelo", "windows"),
                       [] { return 0.0; });
    EXPECT_FALSE(nowhere.writeRestore({{"a|b", 1, Rect(0, 0, 1, 1)}}));
    EXPECT_NE(lastLog().find("restore.json could not be written"), std::string::npos);

    EXPECT_TRUE(files->writeRestore({{"a|b", 1, Rect(0, 0, 1, 1)}}));
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(directory)) ++entries;
    EXPECT_EQ(entries, 1u);
    EXPECT_TRUE(files->remove(StateFiles::kRestore));
    EXPECT_FALSE(files->remove(StateFiles::kRestore)) << "nothing left to delete";
}

TEST_F(StateFilesTest, InvalidTextFromOtherProgramsIsWrittenSafely) {
    SavedView view;
    view.name = "Last layout";
    view.identities = {{"1:2:3", std::string("org.example.Editor|caf\xe9")}};  // not UTF-8
    ASSERT_TRUE(files->writeLastView(view));
    const auto back = files->readLastView();
    ASSERT_TRUE(back);
    EXPECT_EQ(back->identities.at("1:2:3").substr(0, 22), "org.example.Editor|caf");
}

TEST_F(StateFilesTest, UnchangedDiagnosticsAreNotRewrittenButAReplacedFileIs) {
    const fs::path file = directory / StateFiles::kDiagnostics;
    const auto inode = [&] {
        struct stat info {};
        return ::stat(file.c_str(), &info) == 0 ? info.st_ino : ino_t{0};
    };
    const nlohmann::json first = {{"timestamp", "2024-01-31T15:45:02Z"}, {"detected", 2}};
    ASSERT_TRUE(files->writeDiagnostics(first));
    const std::string text = get(file);
    const auto written = inode();

    ASSERT_TRUE(files->writeDiagnostics(first));
    EXPECT_EQ(inode(), written) << "the same text is not written again";
    nlohmann::json later = first;
    later["timestamp"] = "2024-01-31T15:45:09Z";
    ASSERT_TRUE(files->writeDiagnostics(later));
    EXPECT_EQ(inode(), written) << "a new time stamp alone is no change";
    EXPECT_EQ(get(file), text);

    nlohmann::json second = later;
    second["detected"] = 3;
    ASSERT_TRUE(files->writeDiagnostics(second));
    EXPECT_EQ(nlohmann::json::parse(get(file)), second) << "a change is written with its own time stamp";

    // Someone else's change to the file, or its removal, is undone by the next write.
    put(StateFiles::kDiagnostics, "{}");
    ASSERT_TRUE(files->writeDiagnostics(second));
    EXPECT_EQ(nlohmann::json::parse(get(file)), second);
    fs::remove(file);
    ASSERT_TRUE(files->writeDiagnostics(second));
    EXPECT_EQ(nlohmann::json::parse(get(file)), second);
}

TEST_F(StateFilesTest, ADiagnosticsValueThatIsNotANumberIsNoChangeEither) {
    const fs::path file = directory / StateFiles::kDiagnostics;
    const auto modified = [&] { return fs::last_write_time(file); };
    const nlohmann::json first = {{"timestamp", "2024-01-31T15:45:02Z"},
                                  {"layouts", {{{"ratio", std::nan("")}, {"tiles", {1, 2}}}}}};
    ASSERT_TRUE(files->writeDiagnostics(first));
    const auto writes = files->diagnosticsWrites();
    const auto written = modified();

    nlohmann::json later = first;
    later["timestamp"] = "2024-01-31T15:45:09Z";
    ASSERT_TRUE(files->writeDiagnostics(later));
    EXPECT_EQ(files->diagnosticsWrites(), writes);
    EXPECT_EQ(modified(), written);

    later["layouts"][0]["tiles"][1] = 3;
    ASSERT_TRUE(files->writeDiagnostics(later));
    EXPECT_EQ(files->diagnosticsWrites(), writes + 1) << "a change deep inside is a change";
}
