// SPDX-License-Identifier: MIT
// The end-to-end tests' entry: a Qt event loop for the real desktop's scheduler, then the tests.
#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
