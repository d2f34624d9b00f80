// SPDX-License-Identifier: MIT
// SingleInstance.cpp: the lock file, the local socket of the running instance, and the
// handover of a later launch's arguments to it.

#include "Arvelo/Shell/SingleInstance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <QtEndian>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace arvelo {

namespace {

constexpr int kMaxMessageBytes = 64 * 1024;
constexpr quint32 kMaxArguments = 256;
constexpr int kRetryMilliseconds = 50;
// How long a connection may take to deliver its whole message before it is dropped.
constexpr double kClientTimeoutSeconds = 5;
// Connections read at once; later ones are closed at once until one ends.
constexpr int kMaxClients = 16;
// How long accepting pauses after accept() failed (say, out of descriptors).
constexpr int kAcceptPauseMilliseconds = 200;
constexpr int kBacklog = 32;
const QByteArray kAcknowledgement("ok");
const char* const kBufferProperty = "arveloBuffer";

void appendLength(QByteArray& bytes, quint32 value) {
    char raw[4];
    qToBigEndian(value, raw);
    bytes.append(raw, 4);
}

bool readLength(const QByteArray& bytes, qsizetype& offset, quint32& value) {
    if (bytes.size() - offset < 4) return false;
    value = qFromBigEndian<quint32>(bytes.constData() + offset);
    offset += 4;
    return true;
}

// Why a folder cannot hold the lock and socket, or empty when it can: it must be a real
// folder (not a link to one) of this user that nobody else may enter or write.
QString folderProblem(const QString& path) {
    struct stat info {};
    const QByteArray native = QFile::encodeName(path);
    if (lstat(native.constData(), &info) != 0) return path + " cannot be read: " + QString::fromLocal8Bit(std::strerror(errno));
    if (!S_ISDIR(info.st_mode)) return path + " is not a folder";
    if (info.st_uid != geteuid()) return path + " belongs to another user";
    if ((info.st_mode & 077) != 0) return path + " can be entered or written by other users";
    return {};
}

// The user at the other end of a connected local socket; -1 when it cannot be told.
long peerUser(int descriptor) {
    ucred credentials {};
    socklen_t size = sizeof credentials;
    if (getsockopt(descriptor, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0) return -1;
    return static_cast<long>(credentials.uid);
}

std::string errorText(int error) { return std::strerror(error); }

}  // namespace

SingleInstance::SingleInstance(const QString& runtimeFolder, const QString& displayName)
    : trustedUser_(geteuid()), clientTimeoutSeconds_(kClientTimeoutSeconds) {
    const QString base = runtimeFolder + "/org.vomira.Arvelo-" + displayKey(displayName);
    lockPath_ = base + ".lock";
    socketPath_ = base + ".socket";
}

SingleInstance::~SingleInstance() {
    notifier_.reset();  // closes the open connections with it
    if (listenFd_ >= 0) ::close(listenFd_);
    if (lockFd_ >= 0) ::close(lockFd_);
}

SingleInstance::RuntimeFolder SingleInstance::userRuntimeFolder() {
    return userRuntimeFolder(qEnvironmentVariable("XDG_RUNTIME_DIR"), QDir::tempPath());
}

SingleInstance::RuntimeFolder SingleInstance::userRuntimeFolder(const QString& xdgRuntimeDir,
                                                               const QString& temporaryFolder) {
    if (!xdgRuntimeDir.isEmpty() && folderProblem(xdgRuntimeDir).isEmpty()) return {xdgRuntimeDir, {}};
    // No usable runtime folder: one of this user's own in the temporary folder. Anyone may
    // create that name first, so what is found there is checked, never trusted.
    const QString fallback = temporaryFolder + "/org.vomira.Arvelo-" + QString::number(geteuid());
    const QByteArray native = QFile::encodeName(fallback);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
        return {{}, "cannot create " + fallback + ": " + QString::fromLocal8Bit(std::strerror(errno))};
    }
    if (const QString problem = folderProblem(fallback); !problem.isEmpty()) return {{}, problem};
    return {fallback, {}};
}

QString SingleInstance::displayKey(const QString& displayName) {
    QString name = displayName;
    const qsizetype colon = name.lastIndexOf(':');
    QString host = colon >= 0 ? name.left(colon) : QString();
    QString number = colon >= 0 ? name.mid(colon + 1) : name;
    const qsizetype dot = number.indexOf('.');
    if (dot >= 0) number.truncate(dot);  // every screen of one display shares the arranger
    QString key = host.isEmpty() ? number : host + "_" + number;
    key.replace(QRegularExpression("[^A-Za-z0-9._-]"), "_");
    if (key.isEmpty()) key = "0";
    return key.left(64);
}

SingleInstance::Role SingleInstance::claim(double waitSeconds) {
    if (lockFd_ < 0) {
        const QByteArray native = QFile::encodeName(lockPath_);
        lockFd_ = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (lockFd_ < 0) return Role::failed;
    }
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        if (::flock(lockFd_, LOCK_EX | LOCK_NB) == 0) return Role::primary;
        if (errno != EWOULDBLOCK && errno != EINTR) return Role::failed;
        if (waited.elapsed() >= static_cast<qint64>(waitSeconds * 1000)) return Role::secondary;
        QThread::msleep(kRetryMilliseconds);
    }
}

bool SingleInstance::listen() {
    const QByteArray path = QFile::encodeName(socketPath_);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    if (static_cast<std::size_t>(path.size()) >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));

    const int descriptor = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (descriptor < 0) return false;
    // Holding the lock means no live instance owns the socket: a file left there is stale.
    ::unlink(path.constData());
    if (::bind(descriptor, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::chmod(path.constData(), 0600) != 0 || ::listen(descriptor, kBacklog) != 0) {
        ::close(descriptor);
        return false;
    }
    listenFd_ = descriptor;
    notifier_ = std::make_unique<QSocketNotifier>(listenFd_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] { acceptPending(); });
    return true;
}

void SingleInstance::acceptPending() {
    for (;;) {
        // As many launches as are being served: the others wait in the socket's queue (and a
        // launch that finds the queue full retries) until one of these is done.
        if (clients_ >= kMaxClients) {
            notifier_->setEnabled(false);
            if (!reportedFull_) logger.info("Many launches at once; later ones wait their turn");
            reportedFull_ = true;
            return;
        }
        const int client = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (client < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK) return;
            if (errno == EINTR || errno == ECONNABORTED) continue;
            pauseAccepting(errno);
            return;
        }
        const long user = peerUser(client);
        if (user != static_cast<long>(trustedUser_)) {
            ::close(client);
            logger.error("Refused a connection to the launch socket from user " + std::to_string(user));
            continue;
        }
        adopt(client);
    }
}

void SingleInstance::pauseAccepting(int error) {
    // The connection stays queued and the socket keeps listening: look again shortly.
    logger.error("Could not accept a later launch's connection (" + errorText(error) + "); trying again");
    notifier_->setEnabled(false);
    QTimer::singleShot(kAcceptPauseMilliseconds, notifier_.get(), [this] {
        notifier_->setEnabled(true);
        acceptPending();
    });
}

void SingleInstance::adopt(int descriptor) {
    auto* socket = new QLocalSocket(notifier_.get());
    if (!socket->setSocketDescriptor(descriptor)) {
        ::close(descriptor);
        delete socket;
        return;
    }
    ++clients_;
    QObject::connect(socket, &QObject::destroyed, notifier_.get(), [this] {
        if (--clients_ >= kMaxClients || !reportedFull_) return;
        // A place is free: the launches waiting in the queue come in.
        reportedFull_ = false;
        QTimer::singleShot(0, notifier_.get(), [this] {
            notifier_->setEnabled(true);
            acceptPending();
        });
    });
    QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] { readFrom(socket); });
    // A client that never finishes its message is dropped.
    QTimer::singleShot(static_cast<int>(clientTimeoutSeconds_ * 1000), socket, [this, socket] {
        logger.error("Dropped a connection to the launch socket that sent no whole message in time");
        socket->abort();
        socket->deleteLater();
    });
    readFrom(socket);
}

void SingleInstance::readFrom(QLocalSocket* socket) {
    QByteArray buffered = socket->property(kBufferProperty).toByteArray();
    buffered += socket->readAll();
    const Decoded message = decode(buffered);
    if (message.bad) {
        logger.error("Dropped a malformed or oversized message on the launch socket");
        socket->setProperty(kBufferProperty, QByteArray());
        socket->abort();
        socket->deleteLater();
        return;
    }
    if (!message.complete) {
        socket->setProperty(kBufferProperty, buffered);
        return;
    }
    socket->setProperty(kBufferProperty, QByteArray());
    socket->write(kAcknowledgement);
    socket->flush();
    socket->disconnectFromServer();
    if (onHandover) onHandover(message.arguments);
}

bool SingleInstance::fitsHandover(const QStringList& arguments) {
    return arguments.size() <= static_cast<qsizetype>(kMaxArguments) && encode(arguments).size() - 4 <= kMaxMessageBytes;
}

SingleInstance::Handover SingleInstance::handOver(const QStringList& arguments, double timeoutSeconds) {
    if (!fitsHandover(arguments)) return Handover::tooLarge;
    QElapsedTimer elapsed;
    elapsed.start();
    const qint64 deadline = static_cast<qint64>(timeoutSeconds * 1000);
    auto remaining = [&] { return static_cast<int>(std::max<qint64>(1, deadline - elapsed.elapsed())); };

    // The running instance takes the lock before it listens: retry until the socket is there.
    QLocalSocket socket;
    for (;;) {
        socket.connectToServer(socketPath_);
        if (socket.waitForConnected(remaining())) break;
        if (elapsed.elapsed() >= deadline) return Handover::unreachable;
        QThread::msleep(kRetryMilliseconds);
    }
    // The arguments go only to an instance of this same user.
    if (peerUser(static_cast<int>(socket.socketDescriptor())) != static_cast<long>(trustedUser_)) {
        socket.abort();
        return Handover::untrusted;
    }
    socket.write(encode(arguments));
    if (!socket.waitForBytesWritten(remaining())) return Handover::unreachable;
    QByteArray answer;
    while (answer.size() < kAcknowledgement.size() && socket.waitForReadyRead(remaining())) {
        answer += socket.readAll();
    }
    if (answer.startsWith(kAcknowledgement)) return Handover::delivered;
    if (socket.state() != QLocalSocket::ConnectedState) return Handover::refused;
    // Connected, but nothing came back in time: the instance is stopped or wedged, and what
    // was sent may never be read.
    socket.abort();
    return Handover::unanswered;
}

QByteArray SingleInstance::encode(const QStringList& arguments) {
    QByteArray body;
    appendLength(body, static_cast<quint32>(arguments.size()));
    for (const QString& argument : arguments) {
        const QByteArray utf8 = argument.toUtf8();
        appendLength(body, static_cast<quint32>(utf8.size()));
        body += utf8;
    }
    QByteArray message;
    appendLength(message, static_cast<quint32>(body.size()));
    return message + body;
}

SingleInstance::Decoded SingleInstance::decode(const QByteArray& bytes) {
    Decoded result;
    qsizetype offset = 0;
    quint32 total = 0;
    if (!readLength(bytes, offset, total)) return result;
    if (total > kMaxMessageBytes) {
        result.bad = true;
        return result;
    }
    if (bytes.size() < 4 + static_cast<qsizetype>(total)) return result;
    const QByteArray body = bytes.mid(4, total);
    qsizetype at = 0;
    quint32 count = 0;
    if (!readLength(body, at, count) || count > kMaxArguments) {
        result.bad = true;
        return result;
    }
    for (quint32 i = 0; i < count; ++i) {
        quint32 length = 0;
        if (!readLength(body, at, length) || length > static_cast<quint32>(body.size() - at)) {
            result.bad = true;
            return result;
        }
        result.arguments.append(QString::fromUtf8(body.constData() + at, length));
        at += length;
    }
    if (at != body.size()) {
        result.bad = true;
        return result;
    }
    result.complete = true;
    return result;
}

}  // namespace arvelo
