#include "app/session_bus.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

// How a fake bus behaves once a client connects.
enum class Fake {
    Silent,        // takes the connection (the kernel's backlog) and never reads
    HandshakeOnly, // says OK to the handshake, then nothing
    Refuses,       // answers the handshake with REJECTED
    ClosesAtOnce,  // closes each connection unanswered
};

// A fake bus on a Unix socket; it serves one client on a thread of its own
// until the client closes.
class FakeBus
{
public:
    FakeBus(const QString &path, Fake behaviour, bool abstract)
    {
        m_listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray name = QFile::encodeName(path);
        std::memcpy(address.sun_path + (abstract ? 1 : 0), name.constData(), size_t(name.size()));
        const auto length = socklen_t(offsetof(sockaddr_un, sun_path) + size_t(name.size()) + 1);
        m_ready = m_listener >= 0 && ::bind(m_listener, reinterpret_cast<sockaddr *>(&address), length) == 0
                  && ::listen(m_listener, 8) == 0;
        if (!m_ready || behaviour == Fake::Silent)
            return;
        m_thread = std::thread([this, behaviour] {
            const int client = ::accept(m_listener, nullptr, nullptr);
            if (client < 0)
                return;
            char bytes[256];
            if (behaviour != Fake::ClosesAtOnce) {
                // The NUL byte and the AUTH line.
                while (::recv(client, bytes, sizeof bytes, 0) > 0 && !std::memchr(bytes, '\n', sizeof bytes)) {
                }
                const char *reply = behaviour == Fake::Refuses ? "REJECTED EXTERNAL\r\n"
                                                               : "OK 0123456789abcdef0123456789abcdef\r\n";
                [[maybe_unused]] const ssize_t sent = ::send(client, reply, std::strlen(reply), MSG_NOSIGNAL);
                // Then nothing, until the client gives up.
                while (::recv(client, bytes, sizeof bytes, 0) > 0) {
                }
            }
            ::close(client);
        });
    }
    ~FakeBus()
    {
        if (m_thread.joinable())
            m_thread.join();
        if (m_listener >= 0)
            ::close(m_listener);
    }
    bool isReady() const { return m_ready; }

private:
    int m_listener = -1;
    bool m_ready = false;
    std::thread m_thread;
};

} // namespace

Q_DECLARE_METATYPE(SessionBusAnswer)
Q_DECLARE_METATYPE(Fake)

// The start's question to the session bus, before Qt's accessibility bridge
// connects to it without a bound.
class TestSessionBus : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fakeBuses_data()
    {
        QTest::addColumn<Fake>("fake");
        QTest::addColumn<QString>("address"); // @ is the fake's socket
        QTest::addColumn<bool>("abstract");
        QTest::addColumn<bool>("escaped"); // the socket's name percent-escaped in the address
        QTest::addColumn<SessionBusAnswer>("expected");
        QTest::newRow("takes the connection, never answers")
            << Fake::Silent << u"unix:path=@"_s << false << false << SessionBusAnswer::Silent;
        QTest::newRow("an abstract socket that never answers")
            << Fake::Silent << u"unix:abstract=@,guid=0123"_s << true << false << SessionBusAnswer::Silent;
        QTest::newRow("answers the handshake, never the Hello")
            << Fake::HandshakeOnly << u"unix:path=@"_s << false << false << SessionBusAnswer::Silent;
        QTest::newRow("refuses the handshake: Qt fails at once too")
            << Fake::Refuses << u"unix:path=@"_s << false << false << SessionBusAnswer::Answers;
        QTest::newRow("closes at once") << Fake::ClosesAtOnce << u"unix:path=@"_s << false << false
                                        << SessionBusAnswer::Answers;
        QTest::newRow("nothing at the first part, a silent one after it")
            << Fake::Silent << u"unix:path=/nonexistent/bus;unix:path=@"_s << false << false
            << SessionBusAnswer::Silent;
        QTest::newRow("nothing listens") << Fake::Silent << u"unix:path=/nonexistent/bus"_s << false << false
                                         << SessionBusAnswer::Unreachable;
        QTest::newRow("a kind not asked here")
            << Fake::Silent << u"launchd:env=X"_s << false << false << SessionBusAnswer::NotChecked;
        QTest::newRow("percent-escaped path")
            << Fake::Silent << u"unix:path=@"_s << false << true << SessionBusAnswer::Silent;
    }

    void fakeBuses()
    {
        QFETCH(Fake, fake);
        QFETCH(QString, address);
        QFETCH(bool, abstract);
        QFETCH(bool, escaped);
        QFETCH(SessionBusAnswer, expected);
        const QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(u"bus"_s);
        const FakeBus bus(path, fake, abstract);
        QVERIFY(bus.isReady());
        QString where = path;
        if (escaped)
            where.replace(u"/"_s, u"%2f"_s);
        const QString text = QString(address).replace(u"@"_s, where);
        const SessionBusProbe probe = probeSessionBus(QFile::encodeName(text).toStdString(), 300);
        QVERIFY2(probe.answer == expected, probe.detail.c_str());
    }

    // A real bus answers: Qt, and screen readers through it, keep it.
    void aRealBusAnswers()
    {
        const QString daemon = QStandardPaths::findExecutable(u"dbus-daemon"_s);
        QVERIFY2(!daemon.isEmpty(), "dbus-daemon is missing (tools/ensure_packages.sh installs it)");
        const QTemporaryDir dir;
        const QString address = u"unix:path="_s + dir.filePath(u"bus"_s);
        QProcess bus;
        bus.start(daemon, {u"--session"_s, u"--nofork"_s, u"--print-address"_s, u"--address="_s + address});
        QVERIFY(bus.waitForStarted());
        // It prints its address once it listens.
        QVERIFY(bus.waitForReadyRead(10000));
        const SessionBusProbe probe = probeSessionBus(QFile::encodeName(address).toStdString(), 5000);
        bus.terminate();
        bus.waitForFinished();
        QVERIFY2(probe.answer == SessionBusAnswer::Answers, probe.detail.c_str());
        QCOMPARE(probe.detail, std::string("answered the Hello"));
    }
};

QTEST_GUILESS_MAIN(TestSessionBus)
#include "test_session_bus.moc"
