#include "app/single_instance.h"

#include "lang/error.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>

#include <sys/stat.h>
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

// A folder that is ours alone: not a link, owned by us, no access for
// group or others.
bool isPrivateFolder(const QString &path)
{
    struct stat info{};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode) && info.st_uid == ::getuid() && (info.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

} // namespace

QString TSingleInstance::RuntimeFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && isPrivateFolder(runtime))
        return QDir::cleanPath(runtime);
    const QString own = QDir::temp().filePath(QStringLiteral("lexivoce-%1").arg(static_cast<qulonglong>(::getuid())));
    // Made closed from the start; one that is already there must prove to be ours.
    ::mkdir(QFile::encodeName(own).constData(), S_IRWXU);
    return isPrivateFolder(own) ? own : QString();
}

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
    const QString folder = RuntimeFolder();
    if (folder.isEmpty())
        return QString();
    return folder + QStringLiteral("/lexivoce-") + QString::fromLatin1(hash.toHex());
}

bool TSingleInstance::Acquire()
{
    if (m_server && m_server->isListening())
        return true;
    if (m_serverName.isEmpty())
        throw Error(QStringLiteral("There is no private folder for the program's socket: %1 is not yours alone.")
                        .arg(QDir::toNativeSeparators(QDir::temp().filePath(QStringLiteral("lexivoce-%1"))
                                                          .arg(static_cast<qulonglong>(::getuid())))));
    if (!m_server) {
        // No socket options: with them Qt renames its socket over an existing
        // one, and a second instance would steal the name from the first.
        m_server = new QLocalServer(this);
        connect(m_server, &QLocalServer::newConnection, this, &TSingleInstance::acceptConnections);
    }
    if (listen())
        return true;

    // The name is taken: by a living instance, or by the leftovers of a dead one.
    QLocalSocket probe;
    probe.connectToServer(m_serverName);
    if (probe.waitForConnected(kProbeMs)) {
        probe.abort();
        return false;
    }
    QLocalServer::removeServer(m_serverName);
    return listen();
}

bool TSingleInstance::listen()
{
    if (!m_server->listen(m_serverName))
        return false;
    // Whatever the umask: only this user may knock. (The folder is closed
    // to others as well.)
    ::chmod(QFile::encodeName(m_server->fullServerName()).constData(), S_IRUSR | S_IWUSR);
    return true;
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
