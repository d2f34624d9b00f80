// SPDX-License-Identifier: MIT
// SingleInstanceTests.cpp: the lock that makes one launch the running instance, the handover
// of a later launch's arguments over the local socket, and the handover's wire form.
#include "Arvelo/Shell/SingleInstance.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

using namespace arvelo;

namespace {

// Runs the main loop until `done` holds or a few seconds pass.
template <class Condition>
bool spinUntil(Condition done, int milliseconds = 5000) {
    QDeadlineTimer deadline(milliseconds);
    while (!done() && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

void spinFor(int milliseconds) {
    QDeadlineTimer deadline(milliseconds);
    while (!deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

// A later launch's handover, run on a thread of its own while this thread serves the socket.
SingleInstance::Handover handOverWhileServing(SingleInstance& later, const QStringList& arguments,
                                              double timeout = 5) {
    std::atomic<SingleInstance::Handover> result = SingleInstance::Handover::unreachable;
    std::atomic<bool> finished = false;
    std::thread launch([&] {
        result = later.handOver(arguments, timeout);
        finished = true;
    });
    spinUntil([&] { return finished.load(); });
    launch.join();
    return result;
}

// A running instance listening in `folder`, collecting what is handed to it.
struct Listening {
    Listening(const QString& folder, const char* display) : instance(folder, display) {
        instance.logger = platform::Logger(log, "org.vomira.Arvelo", "shell");
        instance.onHandover = [this](const QStringList& arguments) { received.push_back(arguments); };
    }
    bool start() { return instance.claim() == SingleInstance::Role::primary && instance.listen(); }
    bool logged(const std::string& words) const {
        for (const auto& entry : log->entries())
            if (entry.message.find(words) != std::string::npos) return true;
        return false;
    }
    std::shared_ptr<platform::CapturedLog> log = std::make_shared<platform::CapturedLog>();
    SingleInstance instance;
    std::vector<QStringList> received;
};

// A raw client of the socket, as any local program could be.
int connectRaw(const QString& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const QByteArray native = QFile::encodeName(path);
    std::memcpy(address.sun_path, native.constData(), static_cast<std::size_t>(native.size()));
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
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
    EXPECT_EQ(handOverWhileServing(later, {"arvelo://arrange", "--flag", "ünïcode"}),
              SingleInstance::Handover::delivered);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0], (QStringList{"arvelo://arrange", "--flag", "ünïcode"}));
}

TEST(SingleInstance, HandingOverWithNobodyListeningFailsAfterItsTimeOut) {
    QTemporaryDir folder;
    SingleInstance later(folder.path(), ":8");
    EXPECT_EQ(later.handOver({"x"}, 0.2), SingleInstance::Handover::unreachable);
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

TEST(SingleInstance, TheRuntimeFolderIsTheUsersOwnOrNone) {
    QTemporaryDir temporary;
    const QString fallback = temporary.path() + "/org.vomira.Arvelo-" + QString::number(geteuid());
    QTemporaryDir runtime;
    ASSERT_EQ(::chmod(QFile::encodeName(runtime.path()).constData(), 0700), 0);

    // $XDG_RUNTIME_DIR when it is private.
    EXPECT_EQ(SingleInstance::userRuntimeFolder(runtime.path(), temporary.path()).path, runtime.path());
    // Without it: a private folder of this user's, made on first use.
    const auto made = SingleInstance::userRuntimeFolder("", temporary.path());
    EXPECT_EQ(made.path, fallback);
    struct stat info {};
    ASSERT_EQ(::lstat(QFile::encodeName(fallback).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    // A folder others can write, found where the fallback goes, is refused, as is one that
    // is a link: another user may have put it there first.
    ASSERT_EQ(::chmod(QFile::encodeName(fallback).constData(), 0777), 0);
    const auto open = SingleInstance::userRuntimeFolder("", temporary.path());
    EXPECT_TRUE(open.path.isEmpty());
    EXPECT_TRUE(open.problem.contains("other users")) << open.problem.toStdString();
    ASSERT_TRUE(QDir(fallback).removeRecursively());
    ASSERT_TRUE(QFile::link(runtime.path(), fallback));
    const auto linked = SingleInstance::userRuntimeFolder("", temporary.path());
    EXPECT_TRUE(linked.path.isEmpty());
    // A runtime folder others can enter is passed over for the fallback's check.
    ASSERT_EQ(::chmod(QFile::encodeName(runtime.path()).constData(), 0755), 0);
    EXPECT_TRUE(SingleInstance::userRuntimeFolder(runtime.path(), temporary.path()).path.isEmpty());
}

TEST(SingleInstance, TheSocketIsTheUsersAloneAndPeersOfAnotherUserAreNeverTrusted) {
    QTemporaryDir folder;
    Listening running(folder.path(), ":9");
    ASSERT_TRUE(running.start());
    struct stat info {};
    ASSERT_EQ(::lstat(QFile::encodeName(running.instance.socketPath()).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    // A listener that trusts only another user refuses this one's connection and logs it.
    running.instance.setTrustedUser(geteuid() + 1);
    SingleInstance later(folder.path(), ":9");
    EXPECT_NE(handOverWhileServing(later, {"arvelo://restore"}, 1), SingleInstance::Handover::delivered);
    EXPECT_TRUE(running.received.empty());
    EXPECT_TRUE(running.logged("Refused a connection"));

    // A launch that finds another user's instance on the socket sends it nothing.
    running.instance.setTrustedUser(geteuid());
    later.setTrustedUser(geteuid() + 1);
    EXPECT_EQ(handOverWhileServing(later, {"arvelo://restore"}), SingleInstance::Handover::untrusted);
    spinFor(200);  // whatever could arrive, arrives
    EXPECT_TRUE(running.received.empty());
}

TEST(SingleInstance, TooMuchToHandOverFailsWithoutSendingAnything) {
    QTemporaryDir folder;
    Listening running(folder.path(), ":10");
    ASSERT_TRUE(running.start());
    SingleInstance later(folder.path(), ":10");
    const QStringList tooMany(257, "arvelo://arrange");
    const QStringList tooLong(40, QString(2000, 'a'));
    EXPECT_TRUE(SingleInstance::fitsHandover(QStringList(256, "arvelo://arrange")));
    EXPECT_EQ(later.handOver(tooMany, 1), SingleInstance::Handover::tooLarge);
    EXPECT_EQ(later.handOver(tooLong, 1), SingleInstance::Handover::tooLarge);
    EXPECT_TRUE(running.received.empty());
}

TEST(SingleInstance, IdleAndOversizedConnectionsAreDroppedAndLaterLaunchesStillGetThrough) {
    QTemporaryDir folder;
    Listening running(folder.path(), ":11");
    running.instance.setClientTimeout(0.2);
    ASSERT_TRUE(running.start());

    // One client says nothing; another declares a message far past the limit.
    const int idle = connectRaw(running.instance.socketPath());
    const int oversized = connectRaw(running.instance.socketPath());
    ASSERT_GE(idle, 0);
    ASSERT_GE(oversized, 0);
    const char huge[4] = {0x7f, 0, 0, 0};
    ASSERT_EQ(::write(oversized, huge, 4), 4);
    EXPECT_TRUE(spinUntil([&] {
        return running.logged("sent no whole message in time") && running.logged("oversized") &&
               running.instance.openConnections() == 0;
    }));
    char byte;
    EXPECT_EQ(::read(idle, &byte, 1), 0);  // closed by the instance
    ::close(idle);
    ::close(oversized);

    SingleInstance later(folder.path(), ":11");
    EXPECT_EQ(handOverWhileServing(later, {"arvelo://back"}), SingleInstance::Handover::delivered);
    ASSERT_EQ(running.received.size(), 1u);
}

TEST(SingleInstance, ManyLaunchesAtOnceAreQueuedAndEveryOneGetsThrough) {
    QTemporaryDir folder;
    Listening running(folder.path(), ":13");
    ASSERT_TRUE(running.start());
    constexpr int kLaunches = 50;
    std::vector<std::unique_ptr<SingleInstance>> launches;
    for (int i = 0; i < kLaunches; ++i) launches.push_back(std::make_unique<SingleInstance>(folder.path(), ":13"));
    std::atomic<int> delivered = 0;
    std::atomic<int> finished = 0;
    std::vector<std::thread> threads;
    for (int i = 0; i < kLaunches; ++i)
        threads.emplace_back([&, i] {
            if (launches[i]->handOver({"arvelo://launch-" + QString::number(i)}, 10) ==
                SingleInstance::Handover::delivered)
                ++delivered;
            ++finished;
        });
    EXPECT_TRUE(spinUntil([&] { return finished.load() == kLaunches; }, 15000));
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(delivered.load(), kLaunches);
    EXPECT_EQ(running.received.size(), static_cast<std::size_t>(kLaunches));
}

TEST(SingleInstance, AnInstanceThatNeverAnswersIsReportedAsSuch) {
    QTemporaryDir folder;
    Listening wedged(folder.path(), ":14");
    ASSERT_TRUE(wedged.start());
    // Its main loop never runs (stopped, or stuck): the connection is queued but never served.
    SingleInstance later(folder.path(), ":14");
    EXPECT_EQ(later.handOver({"arvelo://arrange"}, 0.3), SingleInstance::Handover::unanswered);
    EXPECT_TRUE(wedged.received.empty());
}

TEST(SingleInstance, ListeningGoesOnAfterAcceptFailsForWantOfDescriptors) {
    QTemporaryDir folder;
    Listening running(folder.path(), ":12");
    ASSERT_TRUE(running.start());
    // A connection waits to be accepted while the process has no descriptor left.
    const int waiting = connectRaw(running.instance.socketPath());
    ASSERT_GE(waiting, 0);
    rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit low = saved;
    low.rlim_cur = static_cast<rlim_t>(waiting + 8);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
    std::vector<int> filler;
    for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;) filler.push_back(fd);
    spinFor(300);
    for (const int fd : filler) ::close(fd);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &saved), 0);
    EXPECT_TRUE(running.logged("Could not accept"));
    ::close(waiting);

    SingleInstance later(folder.path(), ":12");
    EXPECT_EQ(handOverWhileServing(later, {"arvelo://forward"}), SingleInstance::Handover::delivered);
    ASSERT_EQ(running.received.size(), 1u);
    EXPECT_EQ(running.received[0], QStringList{"arvelo://forward"});
}
