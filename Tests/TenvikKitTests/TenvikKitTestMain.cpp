// SPDX-License-Identifier: MIT
// TenvikKitTestMain.cpp: runs the kit's tests inside one QGuiApplication (offscreen unless the
// environment picks a platform), which the drawn symbols need.
#include <QGuiApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
