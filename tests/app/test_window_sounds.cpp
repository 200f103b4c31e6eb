#include "sound/game_sounds.h"
#include "support/window_fixture.h"

#include <QPainter>
#include <QtTest>

namespace {

// Keeps what the window told the sound.
struct SoundLog final : GameSounds
{
    QList<double> amounts;
    QList<bool> banners;
    int taps = 0;
    int goneOn = 0;
    QList<bool> switches;

    void setWipeAmount(double amount) override { amounts.append(amount); }
    void setBannerShown(bool shown) override { banners.append(shown); }
    void tap() override { ++taps; }
    void wentOn() override { ++goneOn; }
    void setEnabled(bool enabled) override { switches.append(enabled); }
};

// A window with the sound log, and a front and a back camera unless told
// fewer.
struct SoundFixture
{
    explicit SoundFixture(int cameras = 2)
        : f(cameras > 0 ? typicalWebcamSettings() : QList<VideoCaptureSetting>(),
            cameras > 1 ? typicalWebcamSettings() : QList<VideoCaptureSetting>())
    {
        auto sounds = std::make_unique<SoundLog>();
        log = sounds.get();
        f.window->setSounds(std::move(sounds));
    }
    WindowFixture f;
    SoundLog *log = nullptr;
};

} // namespace

// What the window tells the game's sound: the ice wiped by every step, the
// banner, and the taps that act.
class TestWindowSounds : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void stepsReportTheIceWipedAndTheBanner()
    {
        SoundFixture s;
        s.f.tap("cameraIcon");
        s.log->amounts.clear();

        s.f.deliver(flatImage({640, 480}, qRgb(0, 0, 0))); // the motion reference
        s.f.deliver(flatImage({640, 480}, qRgb(0, 0, 0))); // nothing moves
        QCOMPARE(s.log->amounts, (QList<double>{0.0, 0.0}));
        QCOMPARE(s.log->banners, (QList<bool>{false, false}));

        // Everything changes: all the ice is wiped at once, and the banner comes.
        s.f.deliver(flatImage({640, 480}, qRgb(255, 255, 255)));
        QCOMPARE(s.log->amounts.last(), 1.0);
        QCOMPARE(s.log->banners.last(), true);

        // Clean already: moving on wipes no more ice.
        s.f.deliver(flatImage({640, 480}, qRgb(0, 0, 0)));
        QCOMPARE(s.log->amounts.last(), 0.0);
        QCOMPARE(s.log->banners.last(), true);
    }

    // The wave target going on, by waving at it or a click on it: the whoosh,
    // once each time, and no tick.
    void goingOnByTheWaveTargetWhooshes_data()
    {
        QTest::addColumn<bool>("byWaving");
        QTest::newRow("waving at the target") << true;
        QTest::newRow("a click on it") << false;
    }

    void goingOnByTheWaveTargetWhooshes()
    {
        QFETCH(bool, byWaving);
        SoundFixture s;
        s.f.tap("cameraIcon");
        const int ticks = s.log->taps;
        s.f.deliver(flatImage({640, 480}, qRgb(0, 0, 0)));
        s.f.deliver(flatImage({640, 480}, qRgb(255, 255, 255))); // won
        QVERIFY(s.f.shown("waveTargetButton"));
        QCOMPARE(s.log->goneOn, 0);
        if (byWaving) {
            // White frames with a square inside the target, grey and white by
            // turns: motion there alone, as a hand waving at it. The camera is
            // a mirror, so the square is drawn at the frame's left.
            for (int i = 0; i < 40 && s.f.shown("waveTargetButton"); ++i) {
                QImage frame = flatImage({640, 480}, qRgb(255, 255, 255));
                if (i % 2 == 0) {
                    QPainter painter(&frame);
                    painter.fillRect(QRect(640 - 584 - 30, 56 - 30, 60, 60), QColor(60, 60, 60));
                }
                s.f.deliver(frame);
            }
        } else {
            s.f.clock.advance(500);
            QTest::mouseClick(s.f.find("pictureView"), Qt::LeftButton, {}, {584, 56});
        }
        QVERIFY(!s.f.shown("waveTargetButton"));
        QCOMPARE(s.log->goneOn, 1);
        QCOMPARE(s.log->taps, ticks);
    }

    void whatEndsTheSteppingSilencesTheCrackle_data()
    {
        QTest::addColumn<QString>("what");
        QTest::newRow("the camera icon stops the camera") << QStringLiteral("camera icon");
        QTest::newRow("the camera stops by itself") << QStringLiteral("by itself");
        QTest::newRow("the camera view") << QStringLiteral("camera view");
    }

    // Nothing steps the game any more: the crackle is told to end.
    void whatEndsTheSteppingSilencesTheCrackle()
    {
        QFETCH(QString, what);
        SoundFixture s;
        s.f.tap("cameraIcon");
        s.f.deliver(flatImage({640, 480}, qRgb(0, 0, 0)));
        s.f.deliver(noiseImage({640, 480}, 7));
        QVERIFY(s.log->amounts.last() > 0.0);
        if (what == QLatin1String("camera icon")) {
            s.f.tap("cameraIcon");
            QVERIFY(!s.f.camera->isActive());
        } else if (what == QLatin1String("by itself")) {
            s.f.camera->stopByItself();
        } else {
            s.f.tap("pictureView");
            s.f.tap("eyeIcon");
            QVERIFY(s.f.camera->isActive());
        }
        QCOMPARE(s.log->amounts.last(), 0.0);
    }

    void aTapThatActsTicks_data()
    {
        QTest::addColumn<QByteArray>("icon");
        QTest::addColumn<qint64>("heldMs");
        QTest::addColumn<int>("cameras");
        QTest::addColumn<int>("ticks");
        QTest::newRow("next picture") << QByteArray("nextPictureIcon") << qint64(100) << 2 << 1;
        QTest::newRow("previous picture") << QByteArray("previousPictureIcon") << qint64(100) << 2 << 1;
        QTest::newRow("eye") << QByteArray("eyeIcon") << qint64(100) << 2 << 1;
        QTest::newRow("settings") << QByteArray("settingsIcon") << qint64(100) << 2 << 1;
        QTest::newRow("about") << QByteArray("aboutIcon") << qint64(100) << 2 << 1;
        QTest::newRow("camera switch") << QByteArray("switchCameraIcon") << qint64(100) << 2 << 1;
        QTest::newRow("camera") << QByteArray("cameraIcon") << qint64(100) << 2 << 1;
        QTest::newRow("held too long: nothing acts") << QByteArray("eyeIcon") << qint64(501) << 2 << 0;
        QTest::newRow("camera with no camera: nothing to start") << QByteArray("cameraIcon") << qint64(100) << 0 << 0;
        QTest::newRow("camera switch with one camera: nothing to switch to")
            << QByteArray("switchCameraIcon") << qint64(100) << 1 << 0;
    }

    void aTapThatActsTicks()
    {
        QFETCH(QByteArray, icon);
        QFETCH(qint64, heldMs);
        QFETCH(int, cameras);
        QFETCH(int, ticks);
        SoundFixture s(cameras);
        s.f.tap("pictureView"); // the tools come up; no tick for the picture
        QCOMPARE(s.log->taps, 0);
        s.f.tap(icon.constData(), heldMs);
        QCOMPARE(s.log->taps, ticks);
    }

    // The "Sound" switch reaches the sound when OK takes it; cancel does not.
    void theSoundSwitchTurnsTheSoundOffAndOn()
    {
        SoundFixture s;
        QCOMPARE(s.log->switches, QList<bool>{true}); // as the settings say, from the start
        const auto switchAndClose = [&s](const char *closer) {
            s.f.openSettings();
            s.f.tap("soundSwitch");
            s.f.tap(closer);
        };
        switchAndClose("pictureView"); // a tap on the picture cancels
        QCOMPARE(s.log->switches, QList<bool>{true});
        switchAndClose("okButton");
        QCOMPARE(s.log->switches, (QList<bool>{true, false}));
        switchAndClose("okButton");
        QCOMPARE(s.log->switches, (QList<bool>{true, false, true}));
    }
};

QTEST_MAIN(TestWindowSounds)
#include "test_window_sounds.moc"
