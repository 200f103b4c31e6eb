#include "app/single_instance.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// What a lock file found in place holds: nothing a game could have left
// alive.
enum class Leftover { EmptyFile, RandomBytes, AnotherHost, EmptyFolder, FullFolder, Fifo, DanglingLink };

void leave(const QString &path, Leftover leftover)
{
    const QByteArray name = QFile::encodeName(path);
    QFile file(path);
    switch (leftover) {
    case Leftover::EmptyFile:
        QVERIFY(file.open(QIODevice::WriteOnly));
        break;
    case Leftover::RandomBytes: {
        QVERIFY(file.open(QIODevice::WriteOnly));
        QByteArray bytes(4096, Qt::Uninitialized);
        QRandomGenerator random(9);
        for (char &c : bytes)
            c = char(random.bounded(256));
        file.write(bytes);
        break;
    }
    case Leftover::AnotherHost:
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("1\nfrostpane\nsomeone-elses-laptop\n");
        break;
    case Leftover::EmptyFolder:
        QVERIFY(QDir().mkdir(path));
        break;
    case Leftover::FullFolder:
        QVERIFY(QDir().mkdir(path));
        QVERIFY(QFile(path + u"/inside"_s).open(QIODevice::WriteOnly));
        break;
    case Leftover::Fifo:
        QCOMPARE(::mkfifo(name.constData(), 0600), 0);
        break;
    case Leftover::DanglingLink:
        QCOMPARE(::symlink("/nowhere/at/all", name.constData()), 0);
        break;
    }
}

// A connection made with the C library, which nothing here reads or closes:
// a client that connects and then says nothing, or too much.
int connectRaw(const QString &path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    qstrncpy(address.sun_path, name.constData(), sizeof address.sun_path);
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Whether the other end closed the connection.
bool closedByServer(int fd)
{
    char byte;
    const ssize_t got = ::recv(fd, &byte, 1, MSG_DONTWAIT);
    return got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
}

} // namespace

Q_DECLARE_METATYPE(Leftover)

// The lock and the request to come to the front, between two games of one
// user on one display.
class TestSingleInstance : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { QVERIFY(m_dir.emplace().isValid()); }

    void theSecondStartFindsTheFirstAndAsksItToShow()
    {
        SingleInstance first(m_dir->path());
        QVERIFY(first.claim());
        QVERIFY(first.listen());
        QSignalSpy shown(&first, &SingleInstance::showRequested);

        // The second start runs beside the first's event loop, as another
        // process would.
        std::optional<SingleInstance::Start> second;
        std::thread secondStart([&] { second = SingleInstance(m_dir->path()).start(5000, 10000); });
        QVERIFY(shown.wait(10000));
        secondStart.join();
        QCOMPARE(second, SingleInstance::Start::RaisedRunningGame);
        QCOMPARE(shown.size(), 1);
    }

    void aHolderThatNeverListensIsLeftToItself()
    {
        SingleInstance first(m_dir->path());
        QVERIFY(first.claim());
        SingleInstance second(m_dir->path());
        QVERIFY(!second.claim());
        QCOMPARE(second.askRunningGameToShow(100), SingleInstance::Answer::NotListening);
        QCOMPARE(second.start(100, 300), SingleInstance::Start::Alone);
    }

    void aHolderThatTakesTheConnectionButSaysNothingIsLeftToItself()
    {
        SingleInstance first(m_dir->path());
        QVERIFY(first.claim());
        // Connections wait in the socket's queue, unanswered: a hung game.
        QLocalServer hung;
        QVERIFY(hung.listen(first.socketPath()));
        SingleInstance second(m_dir->path());
        QCOMPARE(second.start(300, 10000), SingleInstance::Start::Alone);
    }

    void aStartWhileTheGameClosesWaitsForItAndPlays()
    {
        // A game holding the lock in a process of its own, closing: it
        // listens no more and ends when told (its standard input closes).
        QProcess closing;
        closing.start(QCoreApplication::applicationFilePath(), {u"--hold-lock"_s, m_dir->path()});
        QVERIFY(closing.waitForReadyRead(10000));
        QCOMPARE(closing.readLine(), QByteArray("held\n"));

        std::optional<SingleInstance::Start> next;
        std::thread nextStart([&] { next = SingleInstance(m_dir->path()).start(1000, 30000); });
        closing.closeWriteChannel();
        QVERIFY(closing.waitForFinished(10000));
        nextStart.join();
        QCOMPARE(next, SingleInstance::Start::Claimed);
    }

    void aLockLeftByACrashDoesNotBlock()
    {
        // A game that took the lock and the socket and died without a word.
        QProcess crashing;
        crashing.start(QCoreApplication::applicationFilePath(), {u"--crash-holding-lock"_s, m_dir->path()});
        QVERIFY(crashing.waitForFinished(10000));
        QCOMPARE(crashing.exitCode(), 3);
        SingleInstance next(m_dir->path());
        QVERIFY(QFileInfo::exists(next.lockPath()));
        QVERIFY(QFileInfo::exists(next.socketPath()));

        QCOMPARE(next.start(1000, 10000), SingleInstance::Start::Claimed);
        QVERIFY(next.listen());
        QSignalSpy shown(&next, &SingleInstance::showRequested);
        std::thread later([this] { SingleInstance(m_dir->path()).askRunningGameToShow(5000); });
        QVERIFY(shown.wait(10000));
        later.join();
    }

    void whateverIsInTheLocksPlaceCountsAsStale_data()
    {
        QTest::addColumn<Leftover>("leftover");
        QTest::newRow("an empty file") << Leftover::EmptyFile;
        QTest::newRow("random bytes") << Leftover::RandomBytes;
        QTest::newRow("another host's lock") << Leftover::AnotherHost;
        QTest::newRow("an empty folder") << Leftover::EmptyFolder;
        QTest::newRow("a folder with files") << Leftover::FullFolder;
        QTest::newRow("a FIFO") << Leftover::Fifo;
        QTest::newRow("a link to nowhere") << Leftover::DanglingLink;
    }

    void whateverIsInTheLocksPlaceCountsAsStale()
    {
        QFETCH(Leftover, leftover);
        SingleInstance first(m_dir->path());
        leave(first.lockPath(), leftover);
        QCOMPARE(first.start(300, 1000), SingleInstance::Start::Claimed);
        QVERIFY(QFileInfo(first.lockPath()).isFile());
        // A real lock: the next start finds it held.
        SingleInstance second(m_dir->path());
        QVERIFY(!second.claim());
    }

    void theDisplayAsX11ReadsIt_data()
    {
        QTest::addColumn<QByteArray>("wayland");
        QTest::addColumn<QByteArray>("x11");
        QTest::addColumn<QString>("tag");
        QTest::newRow(":1") << QByteArray() << QByteArray(":1") << u"1"_s;
        QTest::newRow(":1.0") << QByteArray() << QByteArray(":1.0") << u"1"_s;
        QTest::newRow("unix:1") << QByteArray() << QByteArray("unix:1") << u"1"_s;
        QTest::newRow("unix:1.2") << QByteArray() << QByteArray("unix:1.2") << u"1"_s;
        QTest::newRow(":12") << QByteArray() << QByteArray(":12") << u"12"_s;
        QTest::newRow("another host") << QByteArray() << QByteArray("school-server:1.0") << u"school-server-1"_s;
        QTest::newRow("none") << QByteArray() << QByteArray() << QString();
        QTest::newRow("wayland first") << QByteArray("wayland-0") << QByteArray(":1") << u"wayland-0"_s;
    }

    void theDisplayAsX11ReadsIt()
    {
        QFETCH(QByteArray, wayland);
        QFETCH(QByteArray, x11);
        QFETCH(QString, tag);
        QCOMPARE(SingleInstance::displayTag(wayland, x11), tag);
    }

    void anotherDisplayIsAnotherGame()
    {
        qunsetenv("WAYLAND_DISPLAY");
        qputenv("DISPLAY", ":7");
        SingleInstance seven(m_dir->path());
        qputenv("DISPLAY", "unix:7.0");
        SingleInstance sevenAgain(m_dir->path());
        qputenv("DISPLAY", ":8");
        SingleInstance eight(m_dir->path());
        QCOMPARE(seven.lockPath(), sevenAgain.lockPath());
        QVERIFY(seven.lockPath() != eight.lockPath());
        QVERIFY(seven.claim());
        QVERIFY(eight.claim());
        QVERIFY(!sevenAgain.claim());
    }

    void noLockFolderStillPlays()
    {
        SingleInstance nowhere(m_dir->filePath(u"no/such/folder"_s));
        // Playing without a lock: the game starts, with a warning.
        QCOMPARE(nowhere.start(100, 100), SingleInstance::Start::Claimed);
    }

    // Clients that connect and say nothing, or too much, cost the game a
    // bounded number of connections for a bounded time, and a real start
    // still gets through.
    void heldConnectionsAreDroppedAndAStartStillGetsThrough()
    {
        SingleInstance first(m_dir->path());
        QVERIFY(first.claim());
        QVERIFY(first.listen());
        QSignalSpy shown(&first, &SingleInstance::showRequested);

        // One client sends a line that never ends, then 300 connect and say
        // nothing; the game accepts as they come.
        QList<int> held;
        const int talker = connectRaw(first.socketPath());
        QVERIFY(talker >= 0);
        const QByteArray noNewline(4096, 'x');
        QVERIFY(::send(talker, noNewline.constData(), size_t(noNewline.size()), MSG_NOSIGNAL) > 0);
        held.append(talker);
        while (held.size() <= 300) {
            const int fd = connectRaw(first.socketPath());
            if (fd >= 0)
                held.append(fd);
            QCoreApplication::processEvents();
        }
        std::optional<SingleInstance::Start> second;
        std::thread secondStart([&] { second = SingleInstance(m_dir->path()).start(1000, 20000); });
        QVERIFY(shown.wait(20000));
        secondStart.join();
        QCOMPARE(second, SingleInstance::Start::RaisedRunningGame);
        // Every silent or endless connection is closed by the game.
        QTRY_VERIFY_WITH_TIMEOUT(std::all_of(held.cbegin(), held.cend(), closedByServer), 10000);
        for (const int fd : std::as_const(held))
            ::close(fd);
    }

    // A local process that keeps every place of the socket taken: each
    // silent connection the game drops is made again at once. A start
    // still raises the game, long before it would give up waiting.
    void placesKeptTakenStillLetAStartThrough_data()
    {
        QTest::addColumn<QByteArray>("said"); // what each of the process's connections sends
        QTest::newRow("silent connections") << QByteArray();
        QTest::newRow("connections that send part of a line") << QByteArray("sh");
    }

    void placesKeptTakenStillLetAStartThrough()
    {
        QFETCH(QByteArray, said);
        SingleInstance first(m_dir->path());
        QVERIFY(first.claim());
        QVERIFY(first.listen());
        QSignalSpy shown(&first, &SingleInstance::showRequested);

        std::atomic<bool> stop = false;
        std::atomic<int> connections = 0;
        const QString path = first.socketPath();
        std::thread hog([&] {
            QList<int> held;
            while (!stop) {
                for (qsizetype i = held.size() - 1; i >= 0; --i) {
                    if (closedByServer(held[i]))
                        ::close(held.takeAt(i));
                }
                while (held.size() < SingleInstance::kMaximumConnections) {
                    const int fd = connectRaw(path);
                    if (fd < 0)
                        break;
                    if (!said.isEmpty())
                        ::send(fd, said.constData(), size_t(said.size()), MSG_NOSIGNAL);
                    held.append(fd);
                    ++connections;
                }
                // Wakes the moment the game drops one, to take its place.
                std::vector<pollfd> watched;
                for (const int fd : std::as_const(held))
                    watched.push_back({fd, POLLIN | POLLRDHUP, 0});
                ::poll(watched.data(), watched.size(), 5);
            }
            for (const int fd : std::as_const(held))
                ::close(fd);
        });
        // Every place taken before the start comes.
        QTRY_VERIFY_WITH_TIMEOUT(connections >= SingleInstance::kMaximumConnections, 10000);

        std::optional<SingleInstance::Start> second;
        std::thread secondStart([&] { second = SingleInstance(m_dir->path()).start(1000, 3000); });
        const bool raised = shown.wait(15000);
        stop = true;
        secondStart.join();
        hog.join();
        QVERIFY(raised);
        QCOMPARE(second, SingleInstance::Start::RaisedRunningGame);
    }

    void aServerThatStopsListensAgain()
    {
        SingleInstance first(m_dir->path());
        QVERIFY(first.claim());
        QVERIFY(first.listen());
        QSignalSpy shown(&first, &SingleInstance::showRequested);
        QVERIFY(QFile::remove(first.socketPath()));
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(first.socketPath()), 10000);
        std::thread later([this] { SingleInstance(m_dir->path()).askRunningGameToShow(5000); });
        QVERIFY(shown.wait(10000));
        later.join();
    }

    void aClosingGameSendsLaterStartsToWait()
    {
        SingleInstance first(m_dir->path());
        QVERIFY(first.claim());
        QVERIFY(first.listen());
        first.stopListening();
        QVERIFY(!QFileInfo::exists(first.socketPath()));
        QCOMPARE(SingleInstance(m_dir->path()).askRunningGameToShow(300), SingleInstance::Answer::NotListening);
    }

private:
    std::optional<QTemporaryDir> m_dir;
};

int main(int argc, char *argv[])
{
    if (argc == 3 && qstrcmp(argv[1], "--crash-holding-lock") == 0) {
        QCoreApplication application(argc, argv);
        SingleInstance instance(QString::fromLocal8Bit(argv[2]));
        if (!instance.claim() || !instance.listen())
            return 1;
        std::_Exit(3);
    }
    if (argc == 3 && qstrcmp(argv[1], "--hold-lock") == 0) {
        SingleInstance instance(QString::fromLocal8Bit(argv[2]));
        if (!instance.claim())
            return 1;
        std::fputs("held\n", stdout);
        std::fflush(stdout);
        char byte;
        while (::read(STDIN_FILENO, &byte, 1) > 0) {
        }
        return 0;
    }
    QCoreApplication application(argc, argv);
    TestSingleInstance test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_single_instance.moc"
