// SPDX-License-Identifier: MIT
// SettingsLogicTests.cpp: the Qt-free logic behind the kit's settings windows: the shortcut
// recorder's key rules, timed flags with generations (the recorder's hint, the guide's
// activity dot) on the virtual clock, desktop-entry parsing and the applications folders,
// and the Focus tab's rows and list edits with raw and normalised identifiers.
#include "Platform/Sim/Desktop.h"
#include "TenvikKit/Applications/DesktopEntry.h"
#include "TenvikKit/Applications/InstalledApplications.h"
#include "TenvikKit/Applications/RunningIdentity.h"
#include "TenvikKit/FocusLock/FocusExceptionApp.h"
#include "TenvikKit/Recorder/RecorderKeyRules.h"
#include "TenvikKit/Support/TimedFlag.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace tenvik {
namespace {

constexpr std::uint32_t kCmd = HotKey::kCommand, kShift = HotKey::kShift, kOpt = HotKey::kOption,
                        kCtrl = HotKey::kControl;

TEST(RecorderKeyRules, EveryRule) {
    using A = RecorderAction;
    struct Case {
        const char* what;
        bool recording;
        std::uint32_t keyCode, modifiers;
        RecorderDecision expected;
    };
    const Case cases[] = {
        {"Space starts", false, 49, 0, {A::beginRecording, {}}},
        {"Return starts", false, 36, 0, {A::beginRecording, {}}},
        {"K while idle is not ours", false, 40, kCmd, {A::passOn, {}}},
        {"Tab while idle is not ours", false, 48, 0, {A::passOn, {}}},
        {"Cmd+Shift+K records 40 / 0x300", true, 40, kCmd | kShift, {A::record, HotKey{40, 0x300}}},
        {"Shift+K shows the hint", true, 40, kShift, {A::showHint, {}}},
        {"K alone shows the hint", true, 40, 0, {A::showHint, {}}},
        {"Escape cancels", true, 53, 0, {A::cancel, {}}},
        {"Shift+Escape cancels", true, 53, kShift, {A::cancel, {}}},
        {"Option+Escape records", true, 53, kOpt, {A::record, HotKey{53, kOpt}}},
        {"Delete clears", true, 51, 0, {A::clear, {}}},
        {"Forward Delete clears", true, 117, 0, {A::clear, {}}},
        {"Control+Delete records", true, 51, kCtrl, {A::record, HotKey{51, kCtrl}}},
        {"Tab moves on", true, 48, 0, {A::moveFocusNext, {}}},
        {"Shift+Tab moves back", true, 48, kShift, {A::moveFocusPrevious, {}}},
        {"Cmd+Tab moves on, records nothing", true, 48, kCmd, {A::moveFocusNext, {}}},
        {"Cmd+Q records", true, 12, kCmd, {A::record, HotKey{12, kCmd}}},
        {"Space while recording shows the hint", true, 49, 0, {A::showHint, {}}},
        {"unknown bits are dropped", true, 35, kCmd | kOpt | 0x10000, {A::record, HotKey{35, kCmd | kOpt}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RecorderKeyRules::decide(c.recording, c.keyCode, c.modifiers), c.expected) << c.what;
}

TEST(TimedFlag, OnlyTheNewestRaiseLowersTheFlag) {
    platform::sim::Desktop desktop;
    TimedFlag hint(desktop.services().dispatch, 0.4);
    int changes = 0;
    hint.onChange = [&] { ++changes; };
    hint.raise();
    EXPECT_TRUE(hint.isRaised());
    desktop.advance(0.3);
    hint.raise();  // a second flash 0.3 s later
    EXPECT_EQ(hint.generation(), 2u);
    desktop.advance(0.15);  // the first flash's reset is due: it must not hide the second
    EXPECT_TRUE(hint.isRaised());
    desktop.advance(0.2);  // 0.65 s: the second flash still has 0.05 s
    EXPECT_TRUE(hint.isRaised());
    desktop.advance(0.06);
    EXPECT_FALSE(hint.isRaised());
    EXPECT_EQ(changes, 2);  // up once, down once

    // The guide's dot: inputs a second apart keep it lit; it goes out 1.5 s after the last.
    TimedFlag dot(desktop.services().dispatch, 1.5);
    for (int i = 0; i < 3; ++i) {
        dot.raise();
        desktop.advance(1.0);
        EXPECT_TRUE(dot.isRaised()) << i;
    }
    desktop.advance(0.49);
    EXPECT_TRUE(dot.isRaised());
    desktop.advance(0.02);
    EXPECT_FALSE(dot.isRaised());
}

TEST(DesktopEntries, Parsing) {
    using O = DesktopEntryParse::Outcome;
    const std::string longName(5000, 'N');
    struct Case {
        const char* what;
        std::string id, text;
        O outcome;
        DesktopEntry entry;
    };
    const Case cases[] = {
        {"a GTK application",
         "org.gnome.Nautilus",
         "[Desktop Entry]\nType=Application\nName=Files\nName[de]=Dateien\nIcon=org.gnome.Nautilus\n",
         O::entry,
         {"org.gnome.Nautilus", "Files", "org.gnome.Nautilus", "org.gnome.Nautilus"}},
        {"StartupWMClass names the windows' class",
         "debian-xterm",
         "# comment\n[Desktop Entry]\nName = XTerm \nType=Application\nStartupWMClass=XTerm\nIcon=mini.xterm\n",
         O::entry,
         {"debian-xterm", "XTerm", "mini.xterm", "xterm"}},
        {"a program name without a dot",
         "firefox-esr",
         "[Desktop Entry]\nType=Application\nName=Firefox ESR\n",
         O::entry,
         {"firefox-esr", "Firefox ESR", "", "firefox-esr"}},
        {"escapes and other groups",
         "x.y",
         "[Desktop Action new]\nName=Wrong\n[Desktop Entry]\nType=Application\nName=A\\sB\\\\C\n[Other]\nName=No\n",
         O::entry,
         {"x.y", "A B\\C", "", "x.y"}},
        {"a 5,000-character name",
         "long.App",
         "[Desktop Entry]\nType=Application\nName=" + longName + "\n",
         O::entry,
         {"long.App", longName, "", "long.App"}},
        {"NoDisplay", "a.b", "[Desktop Entry]\nType=Application\nName=A\nNoDisplay=true\n", O::hidden, {}},
        {"Hidden", "a.b", "[Desktop Entry]\nType=Application\nName=A\nHidden=true\n", O::hidden, {}},
        {"a link", "a.b", "[Desktop Entry]\nType=Link\nName=A\nURL=http://x\n", O::notAnApplication, {}},
        {"no type", "a.b", "[Desktop Entry]\nName=A\n", O::notAnApplication, {}},
        {"no name", "a.b", "[Desktop Entry]\nType=Application\nName=   \n", O::malformed, {}},
        {"no group", "a.b", "Type=Application\nName=A\n", O::malformed, {}},
        {"garbage", "a.b", std::string("\0\xff\xfe[[[=\n==\n", 12), O::malformed, {}},
        {"an empty file", "a.b", "", O::malformed, {}},
        {"an id with a space and no class", "bad id", "[Desktop Entry]\nType=Application\nName=A\n", O::malformed, {}},
    };
    for (const Case& c : cases) {
        const DesktopEntryParse parse = DesktopEntries::parse(c.id, c.text);
        EXPECT_EQ(parse.outcome, c.outcome) << c.what;
        if (c.outcome == O::entry) {
            ASSERT_TRUE(parse.entry) << c.what;
            EXPECT_EQ(*parse.entry, c.entry) << c.what;
        } else {
            EXPECT_FALSE(parse.entry) << c.what;
        }
    }
    EXPECT_EQ(DesktopEntries::executableOf("  /usr/bin/gimp-2.10 %U"), "gimp-2.10");
    EXPECT_EQ(DesktopEntries::executableOf("env A=1 B=2 app"), "app");
    EXPECT_EQ(DesktopEntries::executableOf("\"/opt/My App/run\" --x"), "run");
    EXPECT_EQ(DesktopEntries::executableOf("env"), "");
    EXPECT_EQ(DesktopEntries::desktopID("kde/konsole.desktop"), "kde-konsole");
    EXPECT_EQ(DesktopEntries::desktopID("org.gnome.Nautilus.desktop"), "org.gnome.Nautilus");
}

class ApplicationsFolders : public ::testing::Test {
public:
    ApplicationsFolders() {
        root = std::filesystem::temp_directory_path() / ("kit-apps-" + std::to_string(::getpid()));
        std::filesystem::remove_all(root);
    }
    ~ApplicationsFolders() override {
        std::error_code error;
        std::filesystem::permissions(root / "locked", std::filesystem::perms::owner_all, error);
        std::filesystem::remove_all(root, error);
    }
    void write(const std::filesystem::path& path, const std::string& text) {
        std::filesystem::create_directories((root / path).parent_path());
        std::ofstream(root / path) << text;
    }
    static std::string app(const std::string& name, const std::string& extra = "") {
        return "[Desktop Entry]\nType=Application\nName=" + name + "\n" + extra;
    }
    std::filesystem::path root;
};

TEST_F(ApplicationsFolders, EarlierFoldersWinAndUnreadableOnesAreSkipped) {
    write("home/org.example.Editor.desktop", app("My Editor"));
    write("home/hidden.app.desktop", app("Gone", "Hidden=true\n"));
    write("system/org.example.Editor.desktop", app("System Editor"));
    write("system/hidden.app.desktop", app("Hidden App"));
    write("system/kde/konsole.desktop", app("Konsole", "StartupWMClass=konsole\n"));
    write("system/app 10.desktop", app("app 10", "StartupWMClass=App10\n"));
    write("system/app9.desktop", app("App 9"));
    write("system/broken.desktop", "not a desktop entry");
    write("system/readme.txt", app("Not an entry file"));
    write("locked/secret.app.desktop", app("Secret"));
    std::filesystem::permissions(root / "locked", std::filesystem::perms::none);
    const auto entries =
        InstalledApplications::read({root / "home", root / "locked", root / "missing", root / "system"});
    std::vector<std::string> names;
    for (const auto& entry : entries) names.push_back(entry.name + " = " + entry.identifier);
    const bool root_user = ::geteuid() == 0;  // root reads the locked folder anyway
    std::vector<std::string> expected = {"App 9 = app9", "app 10 = app10", "Konsole = konsole",
                                         "My Editor = org.example.Editor"};
    if (root_user) expected.push_back("Secret = secret.app");
    EXPECT_EQ(names, expected);
}

TEST(InstalledApplicationsFolders, FromTheEnvironment) {
    platform::Environment environment;
    environment.variables = {{"HOME", "/home/u"}, {"XDG_DATA_DIRS", "/opt/share:relative:/usr/share"}};
    EXPECT_EQ(InstalledApplications::folders(environment),
              (std::vector<std::filesystem::path>{"/home/u/.local/share/applications", "/opt/share/applications",
                                                  "/usr/share/applications"}));
    environment.variables = {{"XDG_DATA_HOME", "/data"}};
    EXPECT_EQ(InstalledApplications::folders(environment),
              (std::vector<std::filesystem::path>{"/data/applications", "/usr/local/share/applications",
                                                  "/usr/share/applications"}));
}

TEST(RunningIdentity, ARunningCopyNamesTheIdentifier) {
    const DesktopEntry uxterm{"debian-uxterm", "UXTerm", "", "debian-uxterm", "uxterm"};
    const DesktopEntry files{"org.gnome.Nautilus", "Files", "", "org.gnome.Nautilus", "nautilus"};
    std::vector<platform::RunningApplication> running(3);
    running[0].applicationID = "org.gnome.Nautilus";
    running[0].localizedName = "uxterm";  // a name match loses to an identifier match
    running[1].applicationID = "UXTerm";
    running[1].localizedName = "UXTerm";
    running[2].localizedName = "nameless";
    EXPECT_EQ(RunningIdentity::identifierFor(files, running), "org.gnome.Nautilus");
    EXPECT_EQ(RunningIdentity::identifierFor(uxterm, {running[1], running[2]}), "uxterm");
    EXPECT_EQ(RunningIdentity::identifierFor(uxterm, {running[2]}), std::nullopt);
}

TEST(FocusExceptionApps, AddingAndRemovingWithRawAndNormalisedIdentifiers) {
    const std::vector<std::string> some = {"org.keepassxc.KeePassXC", "com.github.johnfactotum.Foliate",
                                           "org.gnome.Calculator"};
    struct Add {
        const char* what;
        std::vector<std::string> list;
        const char* identifier;
        std::vector<std::string> expected;
    };
    const Add adds[] = {
        {"a new one joins, all sorted",
         some,
         "org.gnome.Nautilus",
         {"com.github.johnfactotum.Foliate", "org.gnome.Calculator", "org.gnome.Nautilus", "org.keepassxc.KeePassXC"}},
        {"stored normalised", {}, "  XTerm ", {"xterm"}},
        {"already there in raw form", {" org.gnome.Nautilus"}, "org.gnome.Nautilus", {" org.gnome.Nautilus"}},
        {"already there as a class name", {"XTerm"}, "xterm", {"XTerm"}},
        {"not an identifier", {"b.b"}, "has space", {"b.b"}},
        {"empty", {"b.b"}, "   ", {"b.b"}},
    };
    for (const Add& a : adds) EXPECT_EQ(FocusExceptionApp::adding(a.identifier, a.list), a.expected) << a.what;

    // A row's key is the normalised identifier; removing it removes every form stored.
    const std::vector<std::string> stored = {"XTerm", "org.x.A", " org.x.A", "xterm", "keep.me", "org.x.A"};
    EXPECT_EQ(FocusExceptionApp::removing("xterm", stored),
              (std::vector<std::string>{"org.x.A", " org.x.A", "keep.me", "org.x.A"}));
    EXPECT_EQ(FocusExceptionApp::removing("org.x.A", stored), (std::vector<std::string>{"XTerm", "xterm", "keep.me"}));
}

TEST(FocusExceptionApps, RowsAreKeyedNamedAndSorted) {
    const std::vector<DesktopEntry> installed = {
        {"debian-xterm", "XTerm", "mini.xterm", "xterm"},
        {"app9", "App 9", "", "app9"},
        {"app10", "app 10", "", "app10"},
        {"same.b", "Same", "", "same.b"},
        {"same.a", "Same", "", "same.a"},
    };
    const std::vector<std::string> stored = {" XTerm", "xterm",   "org.keepassxc.KeePassXC", "app10", "app9", "same.b",
                                             "same.a", "gone.App"};
    std::map<std::string, DesktopEntry> chosen = {{"app9", {"my-app9", "Chosen 9", "icon9", "app9"}}};
    const auto rows = FocusExceptionApp::rows(stored, installed, chosen);
    std::vector<std::string> seen;
    for (const auto& row : rows) seen.push_back(row.name + "|" + row.id + "|" + (row.installed ? "in" : "out"));
    EXPECT_EQ(seen, (std::vector<std::string>{"app 10|app10|in", "Chosen 9|app9|in", "Same|same.a|in", "Same|same.b|in",
                                              "Unavailable app|gone.App|out",
                                              "Unavailable app|org.keepassxc.KeePassXC|out", "XTerm|xterm|in"}));
    EXPECT_LT(FocusExceptionApp::compareNames("App 9", "app 10"), 0);
    EXPECT_EQ(FocusExceptionApp::compareNames("ABC", "abc"), 0);
    EXPECT_EQ(FocusExceptionApp::displayName("org.keepassxc.KeePassXC", std::nullopt), "Unavailable app");
    EXPECT_EQ(FocusExceptionApp::displayName("org.keepassxc.KeePassXC", std::string("  ")), "Unavailable app");
}

}  // namespace
}  // namespace tenvik
