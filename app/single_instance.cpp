#include "app/single_instance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLoggingCategory>
#include <QStandardPaths>
#include <QThread>

Q_LOGGING_CATEGORY(lcInstance, "frostpane.instance")

namespace {

const QByteArray kShowRequest = QByteArrayLiteral("show\n");

QString runtimeFolder()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder;
}

// "frostpane-wayland-0", "frostpane-0" for ":0": one name per display.
QString baseName()
{
    QByteArray display = qgetenv("WAYLAND_DISPLAY");
    if (display.isEmpty())
        display = qgetenv("DISPLAY");
    QString name = QStringLiteral("frostpane");
    QString tag;
    for (const char c : display) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.')
            tag += QLatin1Char(c);
    }
    if (!tag.isEmpty())
        name += QLatin1Char('-') + tag;
    return name;
}

QString pathIn(const QString &folder, const QString &name)
{
    return QDir(folder.isEmpty() ? runtimeFolder() : folder).filePath(name);
}

} // namespace

SingleInstance::SingleInstance(const QString &folder, QObject *parent)
    : QObject(parent)
    , m_lockPath(pathIn(folder, baseName() + QStringLiteral(".lock")))
    , m_socketPath(pathIn(folder, baseName() + QStringLiteral(".socket")))
    , m_lock(m_lockPath)
{
    // A running game holds the lock for as long as it plays: only a lock
    // whose process is gone counts as stale, never an old one.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::claim()
{
    if (m_lock.tryLock(0))
        return true;
    if (m_lock.error() != QLockFile::LockFailedError)
        // No lock can be made here (no such folder, no right to write): the
        // game plays all the same.
        qCWarning(lcInstance).noquote() << "cannot create" << m_lockPath << "; a second start is not detected";
    return m_lock.error() != QLockFile::LockFailedError;
}

bool SingleInstance::askRunningGameToShow(int timeoutMs)
{
    // The running game may be starting and not listen yet: try again until
    // the time is up.
    const QDeadlineTimer deadline(timeoutMs);
    do {
        QLocalSocket socket;
        socket.connectToServer(m_socketPath);
        if (socket.waitForConnected(int(std::max<qint64>(deadline.remainingTime(), 1)))) {
            socket.write(kShowRequest);
            // The running game closes the connection once it has the request.
            if (socket.waitForBytesWritten(int(std::max<qint64>(deadline.remainingTime(), 1)))
                && (socket.state() == QLocalSocket::UnconnectedState
                    || socket.waitForDisconnected(int(std::max<qint64>(deadline.remainingTime(), 1)))))
                return true;
        }
        QThread::msleep(20);
    } while (!deadline.hasExpired());
    qCWarning(lcInstance) << "the running game did not answer";
    return false;
}

bool SingleInstance::listen()
{
    if (!m_lock.isLocked())
        return false;
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket file left by a game that crashed; ours now, as the lock is.
    QLocalServer::removeServer(m_socketPath);
    if (!m_server->listen(m_socketPath)) {
        qCWarning(lcInstance).noquote() << "cannot listen on" << m_socketPath << ":" << m_server->errorString();
        return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::takeConnection);
    return true;
}

void SingleInstance::takeConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine())
                return;
            const QByteArray request = socket->readLine();
            socket->disconnectFromServer();
            if (request == kShowRequest)
                Q_EMIT showRequested();
        });
    }
}
