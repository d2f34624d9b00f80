// SPDX-License-Identifier: MIT
// TerminationSignalsTests.cpp: SIGTERM and SIGINT reach the main loop as events instead of
// ending the process.
#include "Arvelo/Shell/TerminationSignals.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <vector>

using namespace arvelo;

TEST(TerminationSignals, SignalsArriveOnTheMainLoopInOrder) {
    std::vector<int> received;
    TerminationSignals sources({SIGTERM, SIGINT}, [&](int signalNumber) { received.push_back(signalNumber); });
    ASSERT_TRUE(sources.installed());

    std::raise(SIGTERM);
    std::raise(SIGINT);
    EXPECT_TRUE(received.empty());  // nothing runs inside the handler itself

    QDeadlineTimer deadline(5000);
    while (received.size() < 2 && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(received, (std::vector<int>{SIGTERM, SIGINT}));
}

TEST(TerminationSignals, OnlyOneSetOfHandlersAtATime) {
    TerminationSignals first({SIGTERM}, [](int) {});
    TerminationSignals second({SIGTERM}, [](int) {});
    EXPECT_TRUE(first.installed());
    EXPECT_FALSE(second.installed());
}
