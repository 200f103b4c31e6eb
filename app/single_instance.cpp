#include "app/single_instance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLoggingCategory>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

Q_LOGGING_CATEGORY(lcInstance, "frostpane.instance")

namespace {

const QByteArray kShowRequest = QByteArrayLiteral("show\n");
const QByteArray kShownAnswer = QByteArrayLiteral("shown\n");
// How often a stopped server is noticed and listens again.
constexpr int kWatchMilliseconds = 2000;
// How often a start looks at the lock again while the game that holds it
// is starting or closing.
constexpr int kPollMilliseconds = 50;

QString runtimeFolder()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder;
}

QString safe(const QByteArray &text)
{
    QString tag;
    for (const char c : text) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.')
            tag += QLatin1Char(c);
    }
    return tag;
}

// "frostpane-wayland-0", "frostpane-1" for ":1": one name per display.
QString baseName()
{
    const QString tag = SingleInstance::displayTag(qgetenv("WAYLAND_DISPLAY"), qgetenv("DISPLAY"));
    return tag.isEmpty() ? QStringLiteral("frostpane") : QStringLiteral("frostpane-") + tag;
}

QString pathIn(const QString &folder, const QString &name)
{
    return QDir(folder.isEmpty() ? runtimeFolder() : folder).filePath(name);
}

// Moves what is not a lock file out of the lock's place: an empty folder is
// removed, anything else renamed beside it.
bool clearAway(const QByteArray &path)
{
    if (::unlink(path.constData()) == 0 || ::rmdir(path.constData()) == 0)
        return true;
    const QByteArray aside = path + ".broken-" + QByteArray::number(qint64(::getpid()));
    return ::rename(path.constData(), aside.constData()) == 0;
}

} // namespace

QString SingleInstance::displayTag(const QByteArray &waylandDisplay, const QByteArray &x11Display)
{
    if (!waylandDisplay.isEmpty())
        return safe(waylandDisplay);
    // [host]:display[.screen]; no host and "unix" are the local display.
    const qsizetype colon = x11Display.lastIndexOf(':');
    if (colon < 0)
        return safe(x11Display);
    const QByteArray host = x11Display.left(colon);
    QByteArray number = x11Display.mid(colon + 1);
    if (const qsizetype dot = number.indexOf('.'); dot >= 0)
        number.truncate(dot);
    const QString display = safe(number);
    if (host.isEmpty() || host == "unix")
        return display;
    return safe(host) + QLatin1Char('-') + display;
}

SingleInstance::SingleInstance(const QString &folder, QObject *parent)
    : QObject(parent)
    , m_lockPath(pathIn(folder, baseName() + QStringLiteral(".lock")))
    , m_socketPath(pathIn(folder, baseName() + QStringLiteral(".socket")))
{ }

SingleInstance::~SingleInstance()
{
    // The file stays: removing it would let a start that opened it already
    // lock a name no later start finds. Closing ends the lock.
    if (m_lockFd >= 0)
        ::close(m_lockFd);
}

SingleInstance::LockAttempt SingleInstance::tryLock()
{
    const QByteArray path = QFile::encodeName(m_lockPath);
    // Never waits: not for a FIFO, not for a device.
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (fd < 0) {
        if (errno == EISDIR || errno == ELOOP || errno == EACCES || errno == EPERM || errno == ENXIO) {
            // Something else in its place: no game's lock.
            if (clearAway(path))
                return LockAttempt::Retry;
        }
        return LockAttempt::Impossible;
    }
    struct stat status
    { };
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return clearAway(path) ? LockAttempt::Retry : LockAttempt::Impossible;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        return error == EWOULDBLOCK ? LockAttempt::Held : LockAttempt::Impossible;
    }
    // The file locked must still be the one under the name.
    struct stat named
    { };
    if (::stat(path.constData(), &named) != 0 || named.st_ino != status.st_ino || named.st_dev != status.st_dev) {
        ::close(fd);
        return LockAttempt::Retry;
    }
    // For whoever looks: the process that plays. The game itself reads only
    // the kernel's lock.
    const QByteArray owner = QByteArray::number(qint64(::getpid())) + '\n';
    if (::ftruncate(fd, 0) != 0 || ::write(fd, owner.constData(), size_t(owner.size())) != owner.size())
        qCInfo(lcInstance).noquote() << "cannot write the process id into" << m_lockPath;
    m_lockFd = fd;
    return LockAttempt::Taken;
}

bool SingleInstance::claim()
{
    if (m_lockFd >= 0 || m_noLock)
        return true;
    for (int attempt = 0; attempt < 3; ++attempt) {
        switch (tryLock()) {
        case LockAttempt::Taken:
            return true;
        case LockAttempt::Held:
            return false;
        case LockAttempt::Retry:
            continue;
        case LockAttempt::Impossible:
            break;
        }
        break;
    }
    // No lock can be made here (no such folder, no right to write): the
    // game plays all the same.
    qCWarning(lcInstance).noquote() << "cannot lock" << m_lockPath << "; a second start is not detected";
    m_noLock = true;
    return true;
}

SingleInstance::Start SingleInstance::start(int answerMs, int waitMs)
{
    const QDeadlineTimer deadline(waitMs);
    for (;;) {
        if (claim())
            return Start::Claimed;
        switch (askRunningGameToShow(answerMs)) {
        case Answer::Shown:
            return Start::RaisedRunningGame;
        case Answer::NoAnswer:
            qCWarning(lcInstance) << "the running game does not answer; this one starts alone";
            return Start::Alone;
        case Answer::NotListening:
            break;
        }
        if (deadline.hasExpired()) {
            qCWarning(lcInstance) << "the game that holds" << m_lockPath
                                  << "neither answers nor ends; this one starts alone";
            return Start::Alone;
        }
        // It is starting (not listening yet) or closing (listening no more).
        QThread::msleep(kPollMilliseconds);
    }
}

SingleInstance::Answer SingleInstance::askRunningGameToShow(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    const auto left = [&deadline] { return int(std::max<qint64>(deadline.remainingTime(), 1)); };
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(left()))
        return Answer::NotListening;
    socket.write(kShowRequest);
    QByteArray answer;
    while (!answer.endsWith('\n') && answer.size() < kShownAnswer.size()) {
        if (!socket.bytesAvailable() && !socket.waitForReadyRead(left()))
            break;
        answer += socket.read(kShownAnswer.size() - answer.size());
    }
    if (answer == kShownAnswer)
        return Answer::Shown;
    // Closed without an answer: the game is closing.
    if (socket.state() == QLocalSocket::UnconnectedState && !deadline.hasExpired())
        return Answer::NotListening;
    return Answer::NoAnswer;
}

bool SingleInstance::listen()
{
    if (m_lockFd < 0)
        return false;
    m_closing = false;
    if (!m_watch) {
        // Qt closes a server whose accept fails (too many open files) and
        // says nothing; someone may remove the socket's file.
        m_watch = new QTimer(this);
        m_watch->setInterval(kWatchMilliseconds);
        connect(m_watch, &QTimer::timeout, this, &SingleInstance::keepListening);
        m_watch->start();
    }
    return listenNow();
}

bool SingleInstance::listenNow()
{
    delete m_server;
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

void SingleInstance::keepListening()
{
    if (m_closing || m_lockFd < 0 || !m_server)
        return;
    if (m_server->isListening() && QFileInfo::exists(m_socketPath))
        return;
    qCWarning(lcInstance).noquote() << "the socket" << m_socketPath << "stopped; listening again";
    listenNow();
}

void SingleInstance::stopListening()
{
    m_closing = true;
    if (m_watch)
        m_watch->stop();
    if (m_server)
        m_server->close(); // removes the socket's file
}

namespace {

// How far a client has got with its request: its bytes in Qt's buffer and
// those still in the kernel's, looked at without taking them.
enum class Progress { Nothing, PartOfALine, WholeLine };
Progress progressOf(QLocalSocket *socket)
{
    if (socket->canReadLine())
        return Progress::WholeLine;
    char bytes[SingleInstance::kMaximumRequestBytes];
    const ssize_t got = ::recv(int(socket->socketDescriptor()), bytes, sizeof bytes, MSG_PEEK | MSG_DONTWAIT);
    if (got > 0 && std::memchr(bytes, '\n', size_t(got)))
        return Progress::WholeLine;
    return got > 0 || socket->bytesAvailable() > 0 ? Progress::PartOfALine : Progress::Nothing;
}

} // namespace

void SingleInstance::takeConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        if (m_served.size() >= kMaximumConnections && !makeRoom()) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        serve(socket);
    }
    if (!m_server->isListening())
        QTimer::singleShot(0, this, &SingleInstance::keepListening);
}

bool SingleInstance::makeRoom()
{
    // A start sends its request as soon as it connects, so the connection
    // that has waited longest without a word is the one to go: a process
    // that keeps every place taken with silent connections cannot keep a
    // start out. One whose whole request is there stays to be answered.
    for (const Progress spared : {Progress::Nothing, Progress::PartOfALine}) {
        for (QLocalSocket *socket : std::as_const(m_served)) {
            if (progressOf(socket) == spared) {
                m_served.removeOne(socket);
                socket->abort();
                socket->deleteLater();
                return true;
            }
        }
    }
    return false;
}

void SingleInstance::serve(QLocalSocket *socket)
{
    m_served.append(socket);
    connect(socket, &QObject::destroyed, this, [this, socket] { m_served.removeOne(socket); });
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    socket->setReadBufferSize(kMaximumRequestBytes);
    // One request per connection, within a second, or it is dropped.
    QTimer::singleShot(kConnectionMilliseconds, socket, [socket] {
        socket->abort();
        socket->deleteLater();
    });
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
        if (!socket->canReadLine()) {
            if (socket->bytesAvailable() >= kMaximumRequestBytes) {
                socket->abort();
                socket->deleteLater();
            }
            return;
        }
        const QByteArray request = socket->readLine(kMaximumRequestBytes + 1);
        if (request == kShowRequest && !m_closing) {
            Q_EMIT showRequested();
            socket->write(kShownAnswer);
            socket->flush();
        }
        socket->disconnectFromServer(); // deleted once disconnected
    });
}
