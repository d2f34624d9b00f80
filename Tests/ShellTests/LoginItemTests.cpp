// SPDX-License-Identifier: MIT
// LoginItemTests.cpp: "Open at Login" as an XDG autostart entry: written with the program's
// path quoted for its Exec line, read back as enabled, switched off, and removed.
#include "Arvelo/Shell/LoginItem.h"

#include "Platform/Files.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using namespace arvelo;

namespace {

std::string execLine(const std::string& text) {
    const auto start = text.find("\nExec=");
    return text.substr(start + 1, text.find('\n', start + 1) - start - 1);
}

}  // namespace

TEST(LoginItem, ProgramPathsAreQuotedForTheExecLine) {
    const struct {
        const char* path;
        const char* exec;
    } cases[] = {
        {"/usr/bin/arvelo", "Exec=/usr/bin/arvelo"},
        {"/opt/My Apps/arvelo", "Exec=\"/opt/My Apps/arvelo\""},
        {"/tmp/a\"b$c`d/arvelo", "Exec=\"/tmp/a\\\\\"b\\\\$c\\\\`d/arvelo\""},
        {"/tmp/back\\slash/arvelo", "Exec=\"/tmp/back\\\\\\\\slash/arvelo\""},
        {"/tmp/100%/arvelo", "Exec=/tmp/100%%/arvelo"},
    };
    for (const auto& c : cases) {
        const auto text = LoginItem::entryText(c.path);
        ASSERT_TRUE(text) << c.path;
        EXPECT_EQ(execLine(*text), c.exec) << c.path;
    }
    EXPECT_FALSE(LoginItem::entryText("/tmp/line\nbreak/arvelo"));
    EXPECT_FALSE(LoginItem::entryText(""));
}

TEST(LoginItem, RegisteringWritesTheEntryAndUnregisteringRemovesIt) {
    QTemporaryDir home;
    const std::filesystem::path folder = home.path().toStdString() + "/config/autostart";
    LoginItem item(folder, "/usr/bin/arvelo");
    EXPECT_EQ(item.status(), LoginItem::Status::notRegistered);
    EXPECT_EQ(item.unregisterItem(), std::nullopt);  // nothing to remove is no failure

    EXPECT_EQ(item.registerItem(), std::nullopt);
    EXPECT_EQ(item.entryPath(), folder / "org.vomira.Arvelo.desktop");
    EXPECT_EQ(platform::readFile(item.entryPath()), LoginItem::entryText("/usr/bin/arvelo"));
    EXPECT_EQ(item.status(), LoginItem::Status::enabled);

    EXPECT_EQ(item.unregisterItem(), std::nullopt);
    EXPECT_EQ(item.status(), LoginItem::Status::notRegistered);
}

TEST(LoginItem, AnEntrySwitchedOffByTheDesktopCountsAsOff) {
    QTemporaryDir home;
    LoginItem item(home.path().toStdString(), "/usr/bin/arvelo");
    for (const char* line : {"Hidden=true", "X-GNOME-Autostart-enabled=false", " Hidden = true "}) {
        ASSERT_TRUE(platform::writeFileAtomically(item.entryPath(),
                                                  std::string("[Desktop Entry]\nType=Application\n") + line + "\n"));
        EXPECT_EQ(item.status(), LoginItem::Status::notRegistered) << line;
    }
    // The same keys in another group do not count.
    ASSERT_TRUE(
        platform::writeFileAtomically(item.entryPath(), "[Desktop Entry]\nExec=x\n[Desktop Action a]\nHidden=true\n"));
    EXPECT_EQ(item.status(), LoginItem::Status::enabled);
}

TEST(LoginItem, AFailedWriteIsReportedWithItsReason) {
    QTemporaryDir home;
    const std::filesystem::path blocker = home.path().toStdString() + "/autostart";
    ASSERT_TRUE(platform::writeFileAtomically(blocker, "a file where the folder should be"));
    LoginItem item(blocker, "/usr/bin/arvelo");
    const auto error = item.registerItem();
    ASSERT_TRUE(error);
    EXPECT_FALSE(error->empty());
    EXPECT_EQ(item.status(), LoginItem::Status::notRegistered);
}
