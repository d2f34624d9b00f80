// SPDX-License-Identifier: MIT
// RecoveryLedgerTests.cpp: the recovery file's owner on a real temporary folder: the earlier
// run's entries and how windows claim them, what a write holds, and when the file goes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "Arvelo/State/RecoveryLedger.h"
#include "Arvelo/State/StoredText.h"
#include "Platform/Log.h"

using namespace arvelo;
namespace fs = std::filesystem;

namespace {

class RecoveryLedgerTest : public ::testing::Test {
protected:
    void SetUp() override {
        directory = fs::temp_directory_path() /
                    ("vomira-recovery-ledger-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                     "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(directory);
        fs::create_directories(directory);
        files = std::make_unique<StateFiles>(directory, platform::Logger(log, "org.vomira.Arvelo", "windows"),
                                             [] { return 1700000000.0; });
        ledger = std::make_unique<RecoveryLedger>(*files);
    }
    void TearDown() override { fs::remove_all(directory); }

    void put(const std::string& text) { std::ofstream(directory / "restore.json") << text; }
    std::string get() {
        std::ifstream file(directory / "restore.json");
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }
    bool fileExists() { return fs::exists(directory / "restore.json"); }
    std::vector<RestoreEntry> entries() { return files->readRestore().value_or(std::vector<RestoreEntry>{}); }

    // An earlier run's file naming two windows of process 7 and one of process 9.
    void putEarlierRun() {
        put(R"([{"identity":"org.example.Editor|notes","pid":7,"frame":[[1,2],[300,200]]},)"
            R"({"identity":"org.example.Editor|notes","pid":7,"frame":[[5,6],[300,200]]},)"
            R"({"identity":"org.example.Mail|Inbox","pid":9,"frame":[[10,10],[800,600]]}])");
    }

    fs::path directory;
    std::shared_ptr<platform::CapturedLog> log = std::make_shared<platform::CapturedLog>();
    std::unique_ptr<StateFiles> files;
    std::unique_ptr<RecoveryLedger> ledger;
};

}  // namespace

TEST_F(RecoveryLedgerTest, AnEarlierRunIsOfferedWhenItsFileExistsEvenIfItDoesNotRead) {
    EXPECT_FALSE(ledger->loadEarlierRun());
    put("{[}");
    EXPECT_TRUE(ledger->loadEarlierRun()) << "the file is there; reading it is recovery's business";
    EXPECT_TRUE(ledger->unclaimed().empty());
    putEarlierRun();
    EXPECT_TRUE(ledger->loadEarlierRun());
    EXPECT_EQ(ledger->unclaimed().size(), 3u);
}

TEST_F(RecoveryLedgerTest, EachEarlierEntryIsClaimedByOneWindowOfTheSameProcess) {
    putEarlierRun();
    ledger->loadEarlierRun();
    EXPECT_FALSE(ledger->claimEarlier("org.example.Editor|notes", 8, "a")) << "another process";
    EXPECT_FALSE(ledger->claimEarlier("org.example.Editor|todo", 7, "a")) << "another title";
    EXPECT_EQ(ledger->claimEarlier("org.example.Editor|notes", 7, "a"), Rect(1, 2, 300, 200));
    EXPECT_EQ(ledger->claimEarlier("org.example.Editor|notes", 7, "b"), Rect(5, 6, 300, 200))
        << "a second window of the same identity takes the next entry";
    EXPECT_FALSE(ledger->claimEarlier("org.example.Editor|notes", 7, "c")) << "none left";
    ASSERT_EQ(ledger->unclaimed().size(), 1u);
    EXPECT_EQ(ledger->unclaimed()[0].identity, "org.example.Mail|Inbox");
}

TEST_F(RecoveryLedgerTest, AWriteHoldsThisRunsEntriesThenTheUnclaimedEarlierOnes) {
    putEarlierRun();
    ledger->loadEarlierRun();
    ledger->claimEarlier("org.example.Editor|notes", 7, "a");
    ledger->claimEarlier("org.example.Editor|notes", 7, "b");
    const RestoreEntry mine{"org.example.Editor|notes", 7, Rect(1, 2, 300, 200)};
    EXPECT_EQ(ledger->write({mine}), RecoveryLedger::WriteResult::written);
    const auto written = entries();
    ASSERT_EQ(written.size(), 2u);
    EXPECT_EQ(written[0], mine);
    EXPECT_EQ(written[1].identity, "org.example.Mail|Inbox");
}

TEST_F(RecoveryLedgerTest, NothingToWriteLeavesAnExistingFileAsItIs) {
    put(R"([{"identity":"a|b","pid":12,"frame":[[0,0],[1,1]]}])");
    EXPECT_EQ(ledger->write({}), RecoveryLedger::WriteResult::nothingToWrite);
    EXPECT_EQ(get(), R"([{"identity":"a|b","pid":12,"frame":[[0,0],[1,1]]}])");
}

TEST_F(RecoveryLedgerTest, AWriteThatFailsSaysSo) {
    fs::remove_all(directory);
    std::ofstream(directory) << "a file where the folder should be";
    EXPECT_EQ(ledger->write({{"a|b", 1, Rect(0, 0, 1, 1)}}), RecoveryLedger::WriteResult::failed);
    fs::remove(directory);
}

TEST_F(RecoveryLedgerTest, SettlingKeepsWhatIsNotYetBackAndDeletesTheFileOnlyWhenNothingIs) {
    putEarlierRun();
    ledger->loadEarlierRun();
    ledger->claimEarlier("org.example.Editor|notes", 7, "a");
    const RestoreEntry goingBack{"org.example.Editor|notes", 7, Rect(1, 2, 300, 200)};

    // The claiming window is on its way back: its entry stays (now as this run's), beside the
    // unclaimed ones.
    EXPECT_TRUE(ledger->settle({goingBack}));
    ASSERT_EQ(entries().size(), 3u);
    EXPECT_EQ(entries()[0], goingBack);
    EXPECT_EQ(entries()[1].frame, Rect(5, 6, 300, 200));

    // Confirmed back: only the unclaimed entries remain.
    EXPECT_TRUE(ledger->settle({}));
    ASSERT_EQ(entries().size(), 2u);
    EXPECT_EQ(entries()[0].frame, Rect(5, 6, 300, 200));

    // The windows they name are gone: nothing remains, and the file goes.
    ledger->forgetUnclaimed();
    EXPECT_TRUE(ledger->settle({goingBack}));
    EXPECT_EQ(entries(), std::vector<RestoreEntry>{goingBack});
    EXPECT_FALSE(ledger->settle({}));
    EXPECT_FALSE(fileExists());
    EXPECT_FALSE(ledger->settle({}));  // nothing left to delete: no harm
    EXPECT_FALSE(ledger->claimEarlier("org.example.Mail|Inbox", 9, "c"));
}

TEST_F(RecoveryLedgerTest, EarlierIdentitiesAreComparedInTheirStoredForm) {
    // A title that is not valid UTF-8 was stored with a replacement character; the live window
    // still has the raw bytes.
    put(R"([{"identity":"org.example.Editor|caf\ufffd","pid":7,"frame":[[1,2],[300,200]]}])");
    ledger->loadEarlierRun();
    EXPECT_EQ(ledger->claimEarlier(storedIdentity("org.example.Editor|caf\xE9"), 7, "a"), Rect(1, 2, 300, 200));
}
