#include "platform/SingleInstance.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

#include <unistd.h>

namespace klipo::platform {

namespace {

const QByteArray showRequest = QByteArrayLiteral("show\n");
const QByteArray showAnswer = QByteArrayLiteral("ok\n");
constexpr int connectTimeoutMs = 1000;
constexpr int answerTimeoutMs = 2000;

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
    const QString file = QStringLiteral("klipoversa-%1.sock").arg(::getuid());
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir() && QFileInfo(runtime).isWritable())
        return QDir(runtime).filePath(file);
    return file;
}

bool SingleInstance::start()
{
    if (m_server) return true;
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
