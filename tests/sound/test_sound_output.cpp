#include "sound/sound_output.h"

#include <QSignalSpy>
#include <QtTest>

#include <QElapsedTimer>
#include <QMutex>
#include <QStringList>

#include <optional>

// SoundOutput with no sound server to talk to: it must neither hold up the
// window nor the game's exit, and it says once that there is no sound.
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

} // namespace

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
};

QTEST_GUILESS_MAIN(TestSoundOutput)
#include "test_sound_output.moc"
