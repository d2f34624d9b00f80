// SingleInstance.cpp: the lock file, the local socket of the running instance, and the
// handover of a later launch's arguments to it.

#include "Arvelo/Shell/SingleInstance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QThread>
#include <QTimer>
#include <QtEndian>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace arvelo {

namespace {

constexpr int kMaxMessageBytes = 64 * 1024;
constexpr quint32 kMaxArguments = 256;
constexpr int kRetryMilliseconds = 50;
constexpr int kIdleClientMilliseconds = 5000;
const QByteArray kAcknowledgement("ok");

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

bool isPrivateFolder(const QString& path) {
    struct stat info {};
    const QByteArray native = QFile::encodeName(path);
    if (lstat(native.constData(), &info) != 0) return false;
    return S_ISDIR(info.st_mode) && info.st_uid == geteuid() && (info.st_mode & 077) == 0;
}

}  // namespace

SingleInstance::SingleInstance(const QString& runtimeFolder, const QString& displayName) {
    const QString base = runtimeFolder + "/org.vomira.Arvelo-" + displayKey(displayName);
    lockPath_ = base + ".lock";
    socketPath_ = base + ".socket";
}

SingleInstance::~SingleInstance() {
    if (server_) server_->close();
    if (lockFd_ >= 0) ::close(lockFd_);
}

QString SingleInstance::userRuntimeFolder() {
    const QString xdg = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!xdg.isEmpty() && isPrivateFolder(xdg)) return xdg;
    const QString fallback = QDir::tempPath() + "/org.vomira.Arvelo-" + QString::number(geteuid());
    const QByteArray native = QFile::encodeName(fallback);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) return {};
    return isPrivateFolder(fallback) ? fallback : QString();
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
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // Holding the lock means no live instance owns the socket: a file left there is stale.
    QLocalServer::removeServer(socketPath_);
    if (!server_->listen(socketPath_)) {
        server_.reset();
        return false;
    }
    QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(), [this] { accept(); });
    return true;
}

void SingleInstance::accept() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] { readFrom(socket); });
        // A client that never finishes its message is dropped.
        QTimer::singleShot(kIdleClientMilliseconds, socket, [socket] { socket->abort(); });
        readFrom(socket);
    }
}

void SingleInstance::readFrom(QLocalSocket* socket) {
    QByteArray buffered = socket->property("arveloBuffer").toByteArray();
    buffered += socket->readAll();
    const Decoded message = decode(buffered);
    if (message.bad) {
        qWarning("arvelo: dropped a malformed message from another launch");
        socket->abort();
        return;
    }
    if (!message.complete) {
        socket->setProperty("arveloBuffer", buffered);
        return;
    }
    socket->setProperty("arveloBuffer", QByteArray());
    socket->write(kAcknowledgement);
    socket->flush();
    socket->disconnectFromServer();
    if (onHandover) onHandover(message.arguments);
}

bool SingleInstance::handOver(const QStringList& arguments, double timeoutSeconds) {
    QElapsedTimer elapsed;
    elapsed.start();
    const qint64 deadline = static_cast<qint64>(timeoutSeconds * 1000);
    auto remaining = [&] { return static_cast<int>(std::max<qint64>(1, deadline - elapsed.elapsed())); };

    // The running instance takes the lock before it listens: retry until the socket is there.
    QLocalSocket socket;
    for (;;) {
        socket.connectToServer(socketPath_);
        if (socket.waitForConnected(remaining())) break;
        if (elapsed.elapsed() >= deadline) return false;
        QThread::msleep(kRetryMilliseconds);
    }
    socket.write(encode(arguments));
    if (!socket.waitForBytesWritten(remaining())) return false;
    QByteArray answer;
    while (answer.size() < kAcknowledgement.size() && socket.waitForReadyRead(remaining())) {
        answer += socket.readAll();
    }
    if (answer.startsWith(kAcknowledgement)) return true;
    // The message is in the socket; a busy instance reads it when it gets to it.
    qWarning("arvelo: the running instance has not confirmed the handover yet");
    return true;
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
