#include "app/single_instance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>

#include <unistd.h>

namespace lexivoce::app {
namespace {

const QByteArray kActivate = QByteArrayLiteral("activate");
const QByteArray kAcknowledge = QByteArrayLiteral("ok\n");

// A message longer than this is not ours; dropping the client bounds memory.
constexpr qint64 kMaxLine = 256;
// A client that neither speaks nor leaves is dropped after this.
constexpr int kIdleClientMs = 10000;
// The liveness probe of Acquire(): a living server accepts at once.
constexpr int kProbeMs = 500;

} // namespace

TSingleInstance::TSingleInstance(const QString &profileDirectory, QObject *parent)
    : QObject(parent), m_serverName(ServerName(profileDirectory))
{
}

TSingleInstance::~TSingleInstance() = default;

QString TSingleInstance::ServerName(const QString &profileDirectory)
{
    QString path = QFileInfo(profileDirectory).canonicalFilePath();
    if (path.isEmpty())
        path = QDir::cleanPath(QDir(profileDirectory).absolutePath());
    const QByteArray hash = QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha1);
    return QStringLiteral("lexivoce-%1-%2")
        .arg(QString::fromLatin1(hash.toHex()))
        .arg(static_cast<qulonglong>(::getuid()));
}

bool TSingleInstance::Acquire()
{
    if (m_server && m_server->isListening())
        return true;
    if (!m_server) {
        // No socket options: with them Qt renames its socket over an existing
        // one, and a second instance would steal the name from the first.
        m_server = new QLocalServer(this);
        connect(m_server, &QLocalServer::newConnection, this, &TSingleInstance::acceptConnections);
    }
    if (m_server->listen(m_serverName))
        return true;

    // The name is taken: by a living instance, or by the leftovers of a dead one.
    QLocalSocket probe;
    probe.connectToServer(m_serverName);
    if (probe.waitForConnected(kProbeMs)) {
        probe.abort();
        return false;
    }
    QLocalServer::removeServer(m_serverName);
    return m_server->listen(m_serverName);
}

bool TSingleInstance::SendActivate(const QString &profileDirectory, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    socket.connectToServer(ServerName(profileDirectory));
    if (!socket.waitForConnected(int(deadline.remainingTime())))
        return false;
    socket.write(kActivate + '\n');
    if (!socket.waitForBytesWritten(int(deadline.remainingTime())))
        return false;
    while (!socket.canReadLine()) {
        if (deadline.hasExpired() || !socket.waitForReadyRead(int(deadline.remainingTime())))
            return false;
    }
    return socket.readLine() == kAcknowledge;
}

void TSingleInstance::acceptConnections()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readMessages(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QTimer::singleShot(kIdleClientMs, socket, &QObject::deleteLater);
        // Data may have arrived before the connection was taken.
        if (socket->bytesAvailable() > 0)
            readMessages(socket);
    }
}

void TSingleInstance::readMessages(QLocalSocket *socket)
{
    // A slot of the signal may close the window and take the socket with it.
    const QPointer<QLocalSocket> guard(socket);
    while (guard && socket->canReadLine()) {
        if (socket->readLine(kMaxLine + 1).trimmed() != kActivate)
            continue;
        // Answer first: a slot of the signal may take long (speaking).
        socket->write(kAcknowledge);
        socket->flush();
        Q_EMIT ActivateRequested();
    }
    if (guard && socket->bytesAvailable() > kMaxLine)
        socket->abort();
}

} // namespace lexivoce::app
