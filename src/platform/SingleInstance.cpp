#include "platform/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

#include <QStandardPaths>

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

namespace klipo::platform {

namespace {

const QByteArray showRequest = QByteArrayLiteral("show\n");
const QByteArray showAnswer = QByteArrayLiteral("ok\n");
constexpr int connectTimeoutMs = 1000;
constexpr int answerTimeoutMs = 2000;

// A folder only this user can enter: made with mode 0700 when missing; an
// existing one must be a real folder (not a link) that this user owns, and is
// closed to others if it was not. False when another user holds the name.
bool ensurePrivateFolder(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) return false;
    struct stat info {};
    if (::lstat(native.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid()) return false;
    if ((info.st_mode & 0777) != 0700 && ::chmod(native.constData(), 0700) != 0) return false;
    return true;
}

bool isOwnRuntimeFolder(const QString& path)
{
    struct stat info {};
    return !path.isEmpty() && ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::getuid() && (info.st_mode & 077) == 0 && QFileInfo(path).isWritable();
}

bool somebodyListens(const QString& name)
{
    QLocalSocket probe;
    probe.connectToServer(name);
    const bool connected = probe.waitForConnected(connectTimeoutMs);
    probe.abort();
    return connected;
}

}  // namespace

SingleInstance::SingleInstance(QString serverName, QObject* parent) : QObject(parent), m_name(std::move(serverName))
{
}

SingleInstance::~SingleInstance()
{
    if (m_server) m_server->close();  // removes the socket file
}

QString SingleInstance::defaultServerName()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (isOwnRuntimeFolder(runtime))
        return QDir(runtime).filePath(QStringLiteral("klipoversa-%1.sock").arg(::getuid()));
    // Without a runtime folder: a folder of our own in the temporary folder, so
    // that no other user can take the socket's name first; when someone holds
    // that folder's name, one in the cache folder of our home.
    const QString own = QDir(QDir::tempPath()).filePath(QStringLiteral("klipoversa-%1").arg(::getuid()));
    if (ensurePrivateFolder(own)) return QDir(own).filePath(QStringLiteral("instance.sock"));
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    const QString fallback = cache.isEmpty() ? QString() : QDir(cache).filePath(QStringLiteral("KlipoVersa"));
    if (!fallback.isEmpty() && QDir().mkpath(cache) && ensurePrivateFolder(fallback))
        return QDir(fallback).filePath(QStringLiteral("instance.sock"));
    return {};  // no safe place: the program runs without the guard
}

bool SingleInstance::start()
{
    if (m_server) return true;
    if (m_name.isEmpty()) return true;
    auto* server = new QLocalServer(this);
    if (!server->listen(m_name)) {
        if (server->serverError() != QAbstractSocket::AddressInUseError) {
            delete server;
            return true;  // no single-instance guard, but the program still runs
        }
        if (somebodyListens(m_name)) {
            delete server;
            return false;
        }
        // The socket file of a process that is gone: replace it.
        QLocalServer::removeServer(m_name);
        if (!server->listen(m_name)) {
            delete server;
            return !somebodyListens(m_name);
        }
    }
    m_server = server;
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) serve(socket);
    });
    return true;
}

void SingleInstance::serve(QLocalSocket* socket)
{
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    // A client that says nothing is dropped after a while.
    QTimer::singleShot(answerTimeoutMs, socket, [socket] { socket->abort(); });
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
        const QByteArray received = socket->peek(64);
        if (received.size() < showRequest.size() && showRequest.startsWith(received)) return;  // wait for more
        socket->readAll();
        if (received.startsWith(showRequest)) {
            socket->write(showAnswer);
            socket->flush();
            Q_EMIT activationRequested();
        }
        socket->disconnectFromServer();
    });
}

bool SingleInstance::notifyRunningInstance(const QString& serverName)
{
    QLocalSocket socket;
    socket.connectToServer(serverName);
    if (!socket.waitForConnected(connectTimeoutMs)) return false;
    socket.write(showRequest);
    if (!socket.waitForBytesWritten(answerTimeoutMs)) return false;
    QByteArray answer;
    while (answer.size() < showAnswer.size()) {
        if (!socket.waitForReadyRead(answerTimeoutMs)) break;
        answer += socket.readAll();
    }
    return answer.startsWith(showAnswer);
}

}  // namespace klipo::platform
