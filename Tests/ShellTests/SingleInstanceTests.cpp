// SingleInstanceTests.cpp: the lock that makes one launch the running instance, the handover
// of a later launch's arguments over the local socket, and the handover's wire form.
#include "Arvelo/Shell/SingleInstance.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace arvelo;

namespace {

// Runs the main loop until `done` holds or a few seconds pass.
template <class Condition>
bool spinUntil(Condition done) {
    QDeadlineTimer deadline(5000);
    while (!done() && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

}  // namespace

TEST(SingleInstance, DisplayNamesBecomeFileNameParts) {
    const struct {
        const char* display;
        const char* key;
    } cases[] = {
        {":0", "0"},
        {":0.0", "0"},
        {":99.1", "99"},
        {"localhost:10.0", "localhost_10"},
        {"host/unix:3", "host_unix_3"},
        {"", "0"},
        {"../../etc:1", ".._.._etc_1"},
    };
    for (const auto& c : cases) EXPECT_EQ(SingleInstance::displayKey(c.display), c.key) << c.display;
}

TEST(SingleInstance, OnlyOneLaunchPerDisplayHoldsTheLock) {
    QTemporaryDir folder;
    SingleInstance first(folder.path(), ":5");
    SingleInstance second(folder.path(), ":5.0");
    SingleInstance otherDisplay(folder.path(), ":6");
    EXPECT_EQ(first.claim(), SingleInstance::Role::primary);
    EXPECT_EQ(second.claim(), SingleInstance::Role::secondary);
    EXPECT_EQ(otherDisplay.claim(), SingleInstance::Role::primary);
}

TEST(SingleInstance, TheLockIsFreeAgainOnceItsHolderEnds) {
    QTemporaryDir folder;
    auto first = std::make_unique<SingleInstance>(folder.path(), ":5");
    ASSERT_EQ(first->claim(), SingleInstance::Role::primary);
    // A relaunch waits for the instance it replaces instead of handing over to it.
    std::thread ending([&first] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        first.reset();
    });
    SingleInstance relaunched(folder.path(), ":5");
    EXPECT_EQ(relaunched.claim(10), SingleInstance::Role::primary);
    ending.join();
}

TEST(SingleInstance, ALaterLaunchHandsItsArgumentsToTheRunningInstance) {
    QTemporaryDir folder;
    SingleInstance running(folder.path(), ":7");
    ASSERT_EQ(running.claim(), SingleInstance::Role::primary);
    // A socket file left behind by a crashed instance does not stop the new one listening.
    QFile stale(running.socketPath());
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.close();
    ASSERT_TRUE(running.listen());

    std::vector<QStringList> received;
    running.onHandover = [&](const QStringList& arguments) { received.push_back(arguments); };

    SingleInstance later(folder.path(), ":7");
    ASSERT_EQ(later.claim(), SingleInstance::Role::secondary);
    std::atomic<bool> handedOver = false;
    std::atomic<bool> finished = false;
    std::thread launch([&] {
        handedOver = later.handOver({"arvelo://arrange", "--flag", "ünïcode"}, 5);
        finished = true;
    });
    EXPECT_TRUE(spinUntil([&] { return finished.load(); }));
    launch.join();
    EXPECT_TRUE(handedOver);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0], (QStringList{"arvelo://arrange", "--flag", "ünïcode"}));
}

TEST(SingleInstance, HandingOverWithNobodyListeningFailsAfterItsTimeOut) {
    QTemporaryDir folder;
    SingleInstance later(folder.path(), ":8");
    EXPECT_FALSE(later.handOver({"x"}, 0.2));
}

TEST(SingleInstance, TheWireFormRejectsWhatCanNeverBeAMessage) {
    const QByteArray whole = SingleInstance::encode({"one", "", "three"});
    const auto decoded = SingleInstance::decode(whole);
    ASSERT_TRUE(decoded.complete);
    EXPECT_EQ(decoded.arguments, (QStringList{"one", "", "three"}));

    for (qsizetype cut = 0; cut < whole.size(); ++cut) {
        const auto partial = SingleInstance::decode(whole.left(cut));
        EXPECT_FALSE(partial.complete || partial.bad) << cut;
    }

    QByteArray huge(4, '\0');
    huge[0] = '\x7f';  // a declared length far past the limit
    EXPECT_TRUE(SingleInstance::decode(huge).bad);

    QByteArray lying = whole;
    lying[11] = '\x40';  // the first string claims more bytes than the message holds
    EXPECT_TRUE(SingleInstance::decode(lying).bad);

    QByteArray tooMany = SingleInstance::encode(QStringList(300, "a"));
    EXPECT_TRUE(SingleInstance::decode(tooMany).bad);
}
