#include "sound/sound_output.h"

#include <QSignalSpy>
#include <QtTest>

#include <QElapsedTimer>
#include <QFileInfo>
#include <QMutex>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>

#include <csignal>
#include <optional>

// SoundOutput with no sound server to talk to: it must neither hold up the
// window nor the game's exit, and it says once that there is no sound. With
// a private server that goes away and comes back: the sound comes back too.
namespace {

QMutex messagesMutex;
QStringList soundMessages;
QtMessageHandler previousHandler = nullptr;

void collectMessages(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (context.category && qstrcmp(context.category, "frostpane.sound") == 0) {
        QMutexLocker lock(&messagesMutex);
        soundMessages.append(message);
    }
    previousHandler(type, context, message);
}

int soundMessageCount(const QString &part)
{
    QMutexLocker lock(&messagesMutex);
    return int(soundMessages.filter(part).size());
}

// A PulseAudio server of the test's own with one null sink, listening at
// address(); started again at the same address after it ended. Left behind
// by a test that was killed, it ends itself 30 s after its last client.
class PrivateServer
{
public:
    ~PrivateServer() { end(SIGKILL); }

    bool start()
    {
        if (!m_folder.isValid())
            return false;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), m_folder.path());
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_folder.path());
        m_process.setProcessEnvironment(environment);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.setStandardOutputFile(QProcess::nullDevice());
        m_process.start(QStringLiteral("pulseaudio"),
                        {QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=30"),
                         QStringLiteral("--disable-shm=yes"), QStringLiteral("-n"), QStringLiteral("--log-level=error"),
                         QStringLiteral("--load=module-null-sink sink_name=frostpane_test rate=48000"),
                         QStringLiteral("--load=module-native-protocol-unix socket=%1").arg(socket())});
        return m_process.waitForStarted(10000);
    }

    // Ends it with that signal and waits until it has gone.
    void end(int signal)
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        ::kill(pid_t(m_process.processId()), signal);
        m_process.waitForFinished(10000);
    }

    QByteArray address() const { return "unix:" + QFile::encodeName(socket()); }

    // The game's stream as the server lists it ("" when there is none).
    QString streamIndex() const
    {
        QProcess pactl;
        pactl.setProcessEnvironment(m_process.processEnvironment());
        pactl.start(QStringLiteral("pactl"),
                    {QStringLiteral("--server=") + QString::fromLocal8Bit(address()), QStringLiteral("list"),
                     QStringLiteral("short"), QStringLiteral("sink-inputs")});
        if (!pactl.waitForFinished(10000))
            return {};
        return QString::fromLocal8Bit(pactl.readAllStandardOutput()).section(QLatin1Char('\t'), 0, 0).trimmed();
    }

    bool pactl(const QStringList &arguments) const
    {
        return QProcess::execute(QStringLiteral("pactl"),
                                 QStringList{QStringLiteral("--server=") + QString::fromLocal8Bit(address())}
                                     + arguments)
               == 0;
    }

private:
    QString socket() const { return m_folder.filePath(QStringLiteral("native")); }

    QTemporaryDir m_folder;
    QProcess m_process;
};

enum class Outage { ServerStopped, ServerKilled, SinkRemoved };

} // namespace

Q_DECLARE_METATYPE(Outage)

class TestSoundOutput : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // libpulse reads it for each connection it makes.
        qputenv("PULSE_SERVER", "unix:/nonexistent/frostpane-test");
        previousHandler = qInstallMessageHandler(collectMessages);
    }

    void cleanupTestCase() { qInstallMessageHandler(previousHandler); }

    void withoutAServerItPlaysSilentlyAndSaysSoOnce_data()
    {
        QTest::addColumn<int>("outputsBefore");
        QTest::newRow("an output") << 0;
        QTest::newRow("an output after another one went away") << 1;
    }

    void withoutAServerItPlaysSilentlyAndSaysSoOnce()
    {
        QFETCH(int, outputsBefore);
        for (int i = 0; i < outputsBefore; ++i)
            SoundOutput{};
        {
            QMutexLocker lock(&messagesMutex);
            soundMessages.clear();
        }
        std::optional<SoundOutput> output(std::in_place);
        QSignalSpy attempts(&*output, &SoundOutput::openAttempted);
        // Events arrive at once whether or not the server is ever reached.
        for (int frame = 0; frame < 30; ++frame) {
            output->setWipeAmount(0.02);
            output->setBannerShown(frame > 10);
            if (frame % 7 == 0)
                output->tap();
        }
        output->setEnabled(false);
        output->setEnabled(true);
        // The first attempt is made on the sound thread, after the
        // constructor has returned.
        QTRY_VERIFY_WITH_TIMEOUT(!attempts.isEmpty(), 10000);
        QElapsedTimer timer;
        timer.start();
        output.reset();
        // Not a speed measurement: the destructor waits for no server, so
        // anything near this bound is a hang.
        QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));

        // The destructor has joined the audio thread, so whatever it was going
        // to say has been said: that there is no server.
        QMutexLocker lock(&messagesMutex);
        QCOMPARE(soundMessages.size(), 1);
        QVERIFY2(soundMessages.first().contains(QLatin1String("without sound")), qPrintable(soundMessages.first()));
    }

    // The server may come back: the device is tried again and again on the
    // audio thread, saying nothing more.
    void withoutAServerItKeepsTryingQuietly()
    {
        {
            QMutexLocker lock(&messagesMutex);
            soundMessages.clear();
        }
        {
            SoundOutput output(nullptr, 20);
            QSignalSpy attempts(&output, &SoundOutput::openAttempted);
            QTRY_VERIFY_WITH_TIMEOUT(attempts.size() >= 4, 10000);
            for (const QList<QVariant> &attempt : std::as_const(attempts))
                QVERIFY(!attempt.constFirst().toBool());
        }
        QMutexLocker lock(&messagesMutex);
        QCOMPARE(soundMessages.size(), 1);
    }

    void theSoundComesBackAfterAnOutage_data()
    {
        QTest::addColumn<Outage>("outage");
        QTest::newRow("the server stopped (SIGTERM)") << Outage::ServerStopped;
        QTest::newRow("the server killed (SIGKILL)") << Outage::ServerKilled;
        QTest::newRow("the only sink removed and added again") << Outage::SinkRemoved;
    }

    // However many attempts fail while the server is away (Qt's own backend
    // gave up after a few), the stream plays again once it is back; the log
    // says that the sound went and that it came back, once each.
    void theSoundComesBackAfterAnOutage()
    {
        QFETCH(Outage, outage);
        if (QStandardPaths::findExecutable(QStringLiteral("pulseaudio")).isEmpty()
            || QStandardPaths::findExecutable(QStringLiteral("pactl")).isEmpty())
            QSKIP("needs pulseaudio and pactl (tools/ensure_packages.sh installs them)");
        PrivateServer server;
        QVERIFY(server.start());
        const QByteArray noServer = qgetenv("PULSE_SERVER");
        qputenv("PULSE_SERVER", server.address());
        {
            QMutexLocker lock(&messagesMutex);
            soundMessages.clear();
        }
        {
            SoundOutput output(nullptr, 20);
            QSignalSpy attempts(&output, &SoundOutput::openAttempted);
            // The server may take a moment to listen: attempts fail until it does.
            QTRY_VERIFY_WITH_TIMEOUT(!attempts.isEmpty() && attempts.constLast().constFirst().toBool(), 20000);
            QTRY_VERIFY_WITH_TIMEOUT(!server.streamIndex().isEmpty(), 10000);
            {
                QMutexLocker lock(&messagesMutex);
                soundMessages.clear();
            }
            attempts.clear();

            switch (outage) {
            case Outage::ServerStopped:
            case Outage::ServerKilled:
                server.end(outage == Outage::ServerStopped ? SIGTERM : SIGKILL);
                QTRY_COMPARE_WITH_TIMEOUT(soundMessageCount(QStringLiteral("stopped")), 1, 10000);
                QTRY_VERIFY_WITH_TIMEOUT(attempts.size() >= 20, 20000);
                for (const QList<QVariant> &attempt : std::as_const(attempts))
                    QVERIFY(!attempt.constFirst().toBool());
                QVERIFY(server.start());
                break;
            case Outage::SinkRemoved:
                // As a USB headset unplugged: the server ends the stream,
                // having nowhere to move it, and plays on.
                QVERIFY(server.pactl({QStringLiteral("unload-module"), QStringLiteral("module-null-sink")}));
                QTRY_COMPARE_WITH_TIMEOUT(soundMessageCount(QStringLiteral("stopped")), 1, 10000);
                QTRY_VERIFY_WITH_TIMEOUT(attempts.size() >= 5, 20000);
                for (const QList<QVariant> &attempt : std::as_const(attempts))
                    QVERIFY(!attempt.constFirst().toBool());
                QVERIFY(server.pactl({QStringLiteral("load-module"), QStringLiteral("module-null-sink")}));
                break;
            }
            QTRY_VERIFY_WITH_TIMEOUT(!attempts.isEmpty() && attempts.constLast().constFirst().toBool(), 20000);
            QTRY_VERIFY_WITH_TIMEOUT(!server.streamIndex().isEmpty(), 10000);
        }
        qputenv("PULSE_SERVER", noServer);
        QMutexLocker lock(&messagesMutex);
        QCOMPARE(soundMessages.size(), 2);
        QVERIFY2(soundMessages.constLast().contains(QLatin1String("is back")), qPrintable(soundMessages.constLast()));
    }
};

QTEST_GUILESS_MAIN(TestSoundOutput)
#include "test_sound_output.moc"
