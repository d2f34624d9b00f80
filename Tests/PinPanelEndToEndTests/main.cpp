// SPDX-License-Identifier: MIT
// The preview panel's end-to-end tests' entry: a Qt widget application on the test's X server,
// then the tests.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
