// SPDX-License-Identifier: MIT
// DashboardViewsTestMain.cpp: runs the dashboard and overview tests inside one QApplication
// (offscreen unless the environment picks a platform), in the Fusion style so screenshots look
// alike on every machine, with the Adwaita icon theme.
#include <QApplication>
#include <QIcon>
#include <QStyleFactory>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    QIcon::setThemeName("Adwaita");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
