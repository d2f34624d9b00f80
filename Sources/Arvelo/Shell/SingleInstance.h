// SingleInstance.h: one running arranger per user and X display. The first launch takes an
// exclusive lock on a file in the user's runtime folder and then listens on a local socket
// next to it; a later launch finds the lock taken, hands its arguments over the socket and
// exits. The kernel drops the lock when its holder ends, so a crash leaves nothing stale.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QLocalServer;
class QLocalSocket;

namespace arvelo {

class SingleInstance {
public:
    enum class Role { primary, secondary, failed };

    // The lock file and the socket for one X display, in `runtimeFolder`.
    SingleInstance(const QString& runtimeFolder, const QString& displayName);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // The user's private runtime folder ($XDG_RUNTIME_DIR, else a private folder in /tmp),
    // created when missing; empty when no safe folder can be had.
    static QString userRuntimeFolder();
    // A display name ("localhost:10.0", ":1") as a file-name part ("localhost_10", "1").
    static QString displayKey(const QString& displayName);

    // Takes the lock when it is free. With `waitSeconds` > 0 a taken lock is waited for that
    // long first (a relaunch waits for the instance it replaces to end).
    Role claim(double waitSeconds = 0);

    // Primary: listens for later launches; each one's arguments reach onHandover on the
    // main loop. False when the socket cannot be set up.
    bool listen();
    std::function<void(const QStringList&)> onHandover;

    // Secondary: gives the running instance these arguments. False when it cannot be reached.
    bool handOver(const QStringList& arguments, double timeoutSeconds);

    const QString& lockPath() const { return lockPath_; }
    const QString& socketPath() const { return socketPath_; }

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
    void accept();
    void readFrom(QLocalSocket* socket);

    QString lockPath_;
    QString socketPath_;
    int lockFd_ = -1;
    std::unique_ptr<QLocalServer> server_;
};

}  // namespace arvelo
