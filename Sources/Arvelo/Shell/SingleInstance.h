// SPDX-License-Identifier: MIT
// SingleInstance.h: one running arranger per user and X display. The first launch takes an
// exclusive lock on a file in the user's runtime folder and then listens on a local socket
// next to it; a later launch finds the lock taken, hands its arguments over the socket and
// exits. The kernel drops the lock when its holder ends, so a crash leaves nothing stale.
// Both ends talk only to a peer of the same user (SO_PEERCRED), and the listening end keeps
// listening whatever its clients do: idle, oversized or surplus connections are dropped.
#pragma once

#include "Platform/Log.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <sys/types.h>

#include <functional>
#include <memory>

class QLocalSocket;
class QSocketNotifier;

namespace arvelo {

class SingleInstance {
public:
    enum class Role { primary, secondary, failed };
    enum class Handover {
        delivered,    // the running instance has the arguments (or they wait in its socket)
        tooLarge,     // more than a handover may carry: nothing was sent
        unreachable,  // nobody answered on the socket in time
        untrusted,    // the socket belongs to another user: nothing was sent
        refused,      // the running instance closed the connection without taking the arguments
        unanswered,   // it took the connection but never confirmed the arguments in time (stopped, wedged)
    };

    // The lock file and the socket for one X display, in `runtimeFolder`.
    SingleInstance(const QString& runtimeFolder, const QString& displayName);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // The user's private runtime folder: $XDG_RUNTIME_DIR, else a folder of this user's in
    // the temporary folder, created 0700 when missing. A folder that is a symbolic link,
    // belongs to another user or that others may write is refused: `path` is then empty and
    // `problem` says why.
    struct RuntimeFolder {
        QString path;
        QString problem;
    };
    static RuntimeFolder userRuntimeFolder();
    static RuntimeFolder userRuntimeFolder(const QString& xdgRuntimeDir, const QString& temporaryFolder);
    // A display name ("localhost:10.0", ":1") as a file-name part ("localhost_10", "1").
    static QString displayKey(const QString& displayName);

    // Takes the lock when it is free. With `waitSeconds` > 0 a taken lock is waited for that
    // long first (a relaunch waits for the instance it replaces to end).
    Role claim(double waitSeconds = 0);

    // Primary: listens for later launches; each one's arguments reach onHandover on the
    // main loop. False when the socket cannot be set up.
    bool listen();
    std::function<void(const QStringList&)> onHandover;
    // Where the listening end says what it dropped or could not do.
    platform::Logger logger;

    // Secondary: gives the running instance these arguments.
    Handover handOver(const QStringList& arguments, double timeoutSeconds);

    // Whether a list of arguments fits in one handover.
    static bool fitsHandover(const QStringList& arguments);

    const QString& lockPath() const { return lockPath_; }
    const QString& socketPath() const { return socketPath_; }

    // The user whose peers are trusted (this process's effective user unless a test says
    // otherwise), and how long a connection may take to deliver its message.
    void setTrustedUser(uid_t user) { trustedUser_ = user; }
    void setClientTimeout(double seconds) { clientTimeoutSeconds_ = seconds; }
    // Connections being read now.
    int openConnections() const { return clients_; }

    // The wire form of a handover: a length-prefixed list of UTF-8 strings. decode() gives
    // nothing while the bytes are incomplete, and `bad` when they can never make a message.
    static QByteArray encode(const QStringList& arguments);
    struct Decoded {
        bool complete = false;
        bool bad = false;
        QStringList arguments;
    };
    static Decoded decode(const QByteArray& bytes);

private:
    void acceptPending();
    void pauseAccepting(int error);
    void adopt(int descriptor);
    void readFrom(QLocalSocket* socket);

    QString lockPath_;
    QString socketPath_;
    int lockFd_ = -1;
    int listenFd_ = -1;
    uid_t trustedUser_;
    double clientTimeoutSeconds_;
    int clients_ = 0;
    bool reportedFull_ = false;
    std::unique_ptr<QSocketNotifier> notifier_;  // also the parent of the open connections
};

}  // namespace arvelo
