// SPDX-License-Identifier: MIT
// KitWindowsTestMain.cpp: runs the kit windows' tests inside one QApplication (offscreen
// unless the environment picks a platform), in the Fusion style so screenshots look alike on
// every machine, with the Adwaita icon theme.
#include <QApplication>
#include <QIcon>
#include <QStyleFactory>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    // The offscreen platform searches no icon folders of its own; a desktop session does.
    QIcon::setThemeSearchPaths({"/usr/share/icons"});
    QIcon::setThemeName("Adwaita");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
