// SPDX-License-Identifier: MIT
// UserDefaultsTests.cpp: the user defaults keep their types through the JSON document, are
// rewritten atomically on every change, and read other programs' stores.
#include "Platform/Files.h"
#include "Platform/Folders.h"
#include "Platform/StandardServices.h"
#include "Platform/UserDefaults.h"
#include "Platform/Sim/VirtualClock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <limits>
#include <set>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using platform::UserDefaults;

namespace {

class TemporaryFolder {
public:
    TemporaryFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "vomira-test-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp");
        path = pattern;
    }
    ~TemporaryFolder() {
        std::error_code error;
        std::filesystem::remove_all(path, error);
    }
    std::filesystem::path path;
};

TEST(UserDefaults, TypesSurviveTheFileAndDoNotStandInForEachOther) {
    TemporaryFolder folder;
    {
        UserDefaults defaults(folder.path);
        defaults.setBoolean("shownPermissions", true);
        defaults.setNumber("gap", 12.5);
        defaults.setNumber("settings.pinOpacity", std::numeric_limits<double>::quiet_NaN());
        defaults.setNumber("far", -std::numeric_limits<double>::infinity());
        defaults.setInteger("settings.pinIdleFPS", 15);
        defaults.setString("settings.tapGestureAction", "togglePin");
        defaults.setData("settings.pinHotKey", {'{', '}', 0, 255});
        defaults.setStringArray("excludedApps", {"com.apple.Notes", "pid.812"});
        EXPECT_TRUE(defaults.lastWriteSucceeded());
    }
    UserDefaults reread(folder.path);
    EXPECT_EQ(reread.boolean("shownPermissions"), true);
    EXPECT_EQ(reread.number("gap"), 12.5);
    ASSERT_TRUE(reread.number("settings.pinOpacity"));
    EXPECT_TRUE(std::isnan(*reread.number("settings.pinOpacity")));
    EXPECT_EQ(reread.number("far"), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(reread.integer("settings.pinIdleFPS"), 15);
    EXPECT_EQ(reread.string("settings.tapGestureAction"), "togglePin");
    EXPECT_EQ(reread.data("settings.pinHotKey"), (std::vector<std::uint8_t>{'{', '}', 0, 255}));
    EXPECT_EQ(reread.stringArray("excludedApps"), (std::vector<std::string>{"com.apple.Notes", "pid.812"}));

    // A Boolean is no number, a number no Boolean, a string no data.
    EXPECT_FALSE(reread.number("shownPermissions"));
    EXPECT_FALSE(reread.boolean("settings.pinIdleFPS"));
    EXPECT_FALSE(reread.data("settings.tapGestureAction"));
    EXPECT_FALSE(reread.integer("gap"));
    EXPECT_EQ(reread.number("settings.pinIdleFPS"), 15.0);
    EXPECT_FALSE(reread.stringArray("gap"));
}

TEST(UserDefaults, RemovingAKeyRewritesTheFileWithoutIt) {
    TemporaryFolder folder;
    UserDefaults defaults(folder.path);
    defaults.setBoolean("a", true);
    defaults.setBoolean("b", false);
    defaults.remove("a");
    EXPECT_FALSE(UserDefaults(folder.path).contains("a"));
    EXPECT_EQ(UserDefaults(folder.path).boolean("b"), false);
    EXPECT_EQ(*defaults.file(), folder.path / "Arvelo" / "defaults.json");
}

TEST(UserDefaults, UnreadableDocumentStartsEmptyAndIsReplacedOnTheNextChange) {
    TemporaryFolder folder;
    std::filesystem::create_directories(folder.path / "Arvelo");
    ASSERT_TRUE(platform::writeFileAtomically(folder.path / "Arvelo" / "defaults.json", "{not json"));
    UserDefaults defaults(folder.path);
    EXPECT_TRUE(defaults.dictionary().empty());
    defaults.setInteger("n", 1);
    EXPECT_EQ(UserDefaults(folder.path).integer("n"), 1);
}

TEST(UserDefaults, OtherProgramsStoresAreReadAsPersistentDomains) {
    TemporaryFolder folder;
    UserDefaults defaults(folder.path);
    defaults.setPersistentDomain("org.example.Kit", {{"settings.pinOpacity", 0.5}, {"NSWindow", "x"}});
    const auto domain = UserDefaults(folder.path).persistentDomain("org.example.Kit");
    EXPECT_EQ(domain.size(), 2u);
    EXPECT_EQ(domain.at("settings.pinOpacity"), 0.5);
    EXPECT_TRUE(defaults.persistentDomain("org.example.Missing").empty());
    EXPECT_TRUE(defaults.persistentDomain("../Arvelo").empty());

    UserDefaults memory;
    memory.setPersistentDomain("org.example.Kit", {{"k", true}});
    EXPECT_EQ(memory.persistentDomain("org.example.Kit").at("k"), true);
}

TEST(UserDefaults, InMemoryStoreWritesNoFile) {
    UserDefaults defaults;
    defaults.setBoolean("k", true);
    EXPECT_EQ(defaults.boolean("k"), true);
    EXPECT_FALSE(defaults.file());
}

TEST(Files, AtomicWriteReplacesWholeFilesAndFailsCleanly) {
    TemporaryFolder folder;
    const auto file = folder.path / "restore.json";
    ASSERT_TRUE(platform::writeFileAtomically(file, "first, and longer"));
    ASSERT_TRUE(platform::writeFileAtomically(file, "second"));
    EXPECT_EQ(platform::readFile(file), "second");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path), {}), 1);  // no temporary left

    EXPECT_FALSE(platform::writeFileAtomically(folder.path / "missing" / "x.json", "x"));
    EXPECT_FALSE(platform::readFile(folder.path / "missing" / "x.json"));
    EXPECT_FALSE(platform::readFile(folder.path));  // a folder is not a file
}

std::filesystem::perms modeOf(const std::filesystem::path& path) {
    return std::filesystem::symlink_status(path).permissions() & std::filesystem::perms::all;
}

TEST(Files, WhatThisProgramKeepsIsOwnerOnlyAndNeverReachedThroughAPlantedLink) {
    TemporaryFolder folder;
    using std::filesystem::perms;

    // Files owner-only; a file others must read says so.
    const auto file = folder.path / "restore.json";
    ASSERT_TRUE(platform::writeFileAtomically(file, "[]"));
    EXPECT_EQ(modeOf(file), perms::owner_read | perms::owner_write);
    ASSERT_TRUE(platform::writeFileAtomically(folder.path / "entry.desktop", "x", platform::kSharedFile));
    EXPECT_EQ(modeOf(folder.path / "entry.desktop"), platform::kSharedFile);

    // Folders owner-only: made so, parents included, and an own folder open to others is closed.
    const auto nested = folder.path / "a" / "b" / "Arvelo";
    ASSERT_TRUE(platform::createPrivateFolder(nested));
    EXPECT_EQ(modeOf(nested), perms::owner_all);
    EXPECT_EQ(modeOf(folder.path / "a"), perms::owner_all);
    std::filesystem::permissions(nested, perms::all);
    ASSERT_TRUE(platform::createPrivateFolder(nested));
    EXPECT_EQ(modeOf(nested), perms::all) << "a folder that exists is closed only when it is the program's own";
    ASSERT_TRUE(platform::createPrivateFolder(nested, true));
    EXPECT_EQ(modeOf(nested), perms::owner_all);
    EXPECT_FALSE(platform::createPrivateFolder(file / "below-a-file"));

    // A link planted where a file of ours goes: a read does not follow it, a write replaces the
    // link itself and leaves its target alone.
    const auto target = folder.path / "elsewhere.txt";
    ASSERT_TRUE(platform::writeFileAtomically(target, "someone else's"));
    const auto planted = folder.path / "last-view.json";
    std::filesystem::create_symlink(target, planted);
    EXPECT_FALSE(platform::readFile(planted));
    ASSERT_TRUE(platform::writeFileAtomically(planted, "ours"));
    EXPECT_FALSE(std::filesystem::is_symlink(planted));
    EXPECT_EQ(platform::readFile(planted), "ours");
    EXPECT_EQ(platform::readFile(target), "someone else's");

    // Appending (the log file): created owner-only, and refused through a link.
    const auto log = folder.path / "tenvik.log";
    const int fd = platform::openPrivateAppend(log);
    ASSERT_GE(fd, 0);
    ::close(fd);
    EXPECT_EQ(modeOf(log), perms::owner_read | perms::owner_write);
    const auto plantedLog = folder.path / "planted.log";
    std::filesystem::create_symlink(target, plantedLog);
    EXPECT_LT(platform::openPrivateAppend(plantedLog), 0);
    EXPECT_EQ(platform::readFile(target), "someone else's");
    // A FIFO (with no reader, or with one) or a folder at the log's path is refused at once.
    const auto fifo = folder.path / "fifo.log";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_LT(platform::openPrivateAppend(fifo), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_LT(platform::openPrivateAppend(fifo), 0);
    ::close(reader);
    std::filesystem::create_directory(folder.path / "folder.log");
    EXPECT_LT(platform::openPrivateAppend(folder.path / "folder.log"), 0);
}

TEST(UserDefaults, DocumentsItCannotUseAreKeptAsideAndLogged) {
    std::string deep(30000, '[');
    deep += std::string(30000, ']');
    struct Case {
        const char* what;
        std::function<void(const std::filesystem::path&)> plant;
    };
    const Case cases[] = {
        {"nested 30,000 levels deep",
         [&](const std::filesystem::path& file) {
             ASSERT_TRUE(platform::writeFileAtomically(file, "{\"gap\": " + deep + "}"));
         }},
        {"not JSON", [](const std::filesystem::path& file) { ASSERT_TRUE(platform::writeFileAtomically(file, "{x")); }},
        {"larger than a settings file may be (never read)",
         [](const std::filesystem::path& file) {
             ASSERT_TRUE(platform::writeFileAtomically(file, "{}"));
             std::filesystem::resize_file(file, UserDefaults::kMaxFileBytes + 1);
         }},
        {"not an object",
         [](const std::filesystem::path& file) { ASSERT_TRUE(platform::writeFileAtomically(file, "[1]")); }},
        {"cannot be read (a folder)",
         [](const std::filesystem::path& file) { std::filesystem::create_directory(file); }},
        {"cannot be read (a link)",
         [](const std::filesystem::path& file) {
             ASSERT_TRUE(platform::writeFileAtomically(file.parent_path() / "target.json", "{\"k\": 1}"));
             std::filesystem::create_symlink(file.parent_path() / "target.json", file);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TemporaryFolder folder;
        const auto file = folder.path / "Arvelo" / "defaults.json";
        std::filesystem::create_directories(file.parent_path());
        c.plant(file);
        auto log = std::make_shared<platform::CapturedLog>();
        UserDefaults defaults(folder.path, platform::Logger(log, "org.vomira.Arvelo", "defaults"));
        EXPECT_TRUE(defaults.dictionary().empty());
        ASSERT_TRUE(defaults.keptAside());
        EXPECT_EQ(defaults.keptAside()->filename(), "defaults.json.unreadable");
        ASSERT_EQ(log->entries().size(), 1u);
        EXPECT_NE(log->entries()[0].message.find("kept aside as defaults.json.unreadable"), std::string::npos);
        // The next change writes a fresh document; what was there stays with the user.
        defaults.setBoolean("windowMapEnabled", true);
        EXPECT_EQ(UserDefaults(folder.path).boolean("windowMapEnabled"), true);
        EXPECT_TRUE(std::filesystem::exists(std::filesystem::symlink_status(*defaults.keptAside())));
    }
    EXPECT_TRUE(UserDefaults::decode("{\"k\": " + deep + "}").empty());
    EXPECT_FALSE(UserDefaults::nestsDeeperThan(R"({"a": "[[[[\"[[[[", "b": [[{}]]})", 4));
    EXPECT_TRUE(UserDefaults::nestsDeeperThan(R"({"a": [[{}]]})", 3));
}

TEST(UserDefaults, CoalescedChangesAreWrittenOncePerTurnAndAtTheEnd) {
    TemporaryFolder folder;
    auto clock = std::make_shared<platform::sim::VirtualClock>();
    {
        UserDefaults defaults(folder.path);
        defaults.coalesceWrites(clock);
        // Loading the kit's settings sets each of its keys.
        for (int i = 0; i < 13; ++i) defaults.setInteger("settings.key" + std::to_string(i), i);
        EXPECT_EQ(defaults.writeCount(), 0u);
        clock->drain();
        EXPECT_EQ(defaults.writeCount(), 1u);
        EXPECT_EQ(UserDefaults(folder.path).integer("settings.key12"), 12);

        clock->drain();
        EXPECT_EQ(defaults.writeCount(), 1u) << "nothing changed: nothing written";
        defaults.setBoolean("windowMapEnabled", true);
        defaults.remove("settings.key0");
        // Still pending when the store goes: written then.
    }
    clock->drain();
    UserDefaults reread(folder.path);
    EXPECT_EQ(reread.boolean("windowMapEnabled"), true);
    EXPECT_FALSE(reread.contains("settings.key0"));
}

TEST(Files, TemporariesOfInterruptedWritesAreRemovedAndNothingElse) {
    TemporaryFolder folder;
    const auto write = [&](const std::string& name) {
        ASSERT_TRUE(platform::writeFileAtomically(folder.path / name, "x"));
    };
    for (const char* name : {".restore.json.a1B2c3", ".defaults.json.Zz9yX8", "restore.json", ".restore.json.long-name",
                             ".other.json.a1B2c3", "notes.txt"})
        write(name);
    std::filesystem::create_directory(folder.path / ".restore.json.folder");
    std::filesystem::create_symlink(folder.path / "notes.txt", folder.path / ".restore.json.linkXY");

    EXPECT_EQ(platform::removeStaleTemporaries(folder.path, {"restore.json", "defaults.json"}), 2u);
    std::set<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path)) left.insert(entry.path().filename());
    EXPECT_EQ(left, (std::set<std::string>{"restore.json", ".restore.json.long-name", ".other.json.a1B2c3",
                                           "notes.txt", ".restore.json.folder", ".restore.json.linkXY"}));
    EXPECT_EQ(platform::removeStaleTemporaries(folder.path / "missing", {"restore.json"}), 0u);
}

TEST(Folders, FollowTheXdgRules) {
    struct Case {
        std::map<std::string, std::string> variables;
        std::optional<std::filesystem::path> support, logs, configuration, state, runtime;
    };
    const Case cases[] = {
        {{{"HOME", "/home/u"}}, "/home/u/.local/share", "/home/u/.local/state", "/home/u/.config", std::nullopt},
        {{{"HOME", "/home/u"}, {"XDG_DATA_HOME", "/d"}, {"XDG_STATE_HOME", "/s"}, {"XDG_CONFIG_HOME", "/c"}},
         "/d",
         "/s",
         "/c",
         std::nullopt},
        // Relative XDG values are ignored; an empty state override is no override.
        {{{"HOME", "/home/u"}, {"XDG_DATA_HOME", "rel"}, {"ARVELO_STATE_DIR", ""}},
         "/home/u/.local/share",
         "/home/u/.local/state",
         "/home/u/.config",
         std::nullopt},
        {{{"ARVELO_STATE_DIR", "/tmp/state"}}, std::nullopt, std::nullopt, std::nullopt, "/tmp/state"},
        // The runtime folder is taken only as an absolute path.
        {{{"XDG_RUNTIME_DIR", "/run/user/1000"}},
         std::nullopt,
         std::nullopt,
         std::nullopt,
         std::nullopt,
         "/run/user/1000"},
        {{{"XDG_RUNTIME_DIR", "run"}}, std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        const auto folders = platform::Folders::fromEnvironment({{}, c.variables});
        EXPECT_EQ(folders.applicationSupport, c.support);
        EXPECT_EQ(folders.logs, c.logs);
        EXPECT_EQ(folders.configuration, c.configuration);
        EXPECT_EQ(folders.stateDirectoryOverride, c.state);
        EXPECT_EQ(folders.runtime, c.runtime);
    }
}

TEST(StandardServices, DefaultsLiveInTheConfigurationFolder) {
    TemporaryFolder folder;
    const auto services = platform::standardServices({{"--fixture-only"}, {{"XDG_CONFIG_HOME", folder.path.string()}}});
    services.defaults->setBoolean("windowMapEnabled", true);
    EXPECT_TRUE(std::filesystem::exists(folder.path / "Arvelo" / "defaults.json"));
    EXPECT_TRUE(services.environment.hasArgument("--fixture-only"));
}

}  // namespace
