#include "app/application.h"
#include "app/settings_files.h"
#include "support/window_fixture.h"
#include "widgets/float_slider.h"

#include <QCheckBox>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

// The settings panel's values and the camera side, kept from one game to the
// next through the real settings file; the "Sound" switch.
class TestRememberedSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.emplace().isValid());
        m_store.emplace(m_dir->filePath(u"frostpane/frostpane.conf"_s), QStringList{});
    }

    void thePanelShowsTheValuesOfTheLastGame()
    {
        {
            WindowFixture f(typicalWebcamSettings(), {}, {640, 480}, m_store->load());
            keepSettings(*f.window, *m_store);
            QSignalSpy sound(f.window.get(), &MainWindow::soundEnabledChanged);
            QVERIFY(f.window->isSoundEnabled());
            f.openSettings();
            QVERIFY(f.find<QCheckBox>("soundSwitch")->isChecked());
            f.find<FloatSlider>("sensitivitySlider")->setValue(255); // a threshold of 0
            f.find<FloatSlider>("freezingSpeedSlider")->setValue(3.7);
            f.find<FloatSlider>("resolutionSlider")->setValue(1.0); // 1280 x 720
            f.tap("soundSwitch");
            QVERIFY(sound.isEmpty()); // taken on OK only
            f.tap("okButton");
            QCOMPARE(sound.size(), 1);
            QCOMPARE(sound.constFirst().constFirst().toBool(), false);
            QVERIFY(!f.window->isSoundEnabled());
            QVERIFY(f.window->close());
        }
        WindowFixture f(typicalWebcamSettings(), {}, {640, 480}, m_store->load());
        QVERIFY(!f.window->isSoundEnabled());
        QVERIFY(!f.camera->isActive());
        QCOMPARE(f.camera->captureSetting(), (VideoCaptureSetting{1280, 720, 30}));
        f.openSettings();
        QCOMPARE(f.find<FloatSlider>("sensitivitySlider")->value(), 255.0);
        QCOMPARE(f.find<FloatSlider>("freezingSpeedSlider")->value(), 3.0);
        QVERIFY(!f.find<QCheckBox>("soundSwitch")->isChecked());
        QCOMPARE(f.labelIn("resolutionBox"), u"Camera width = 1280, height = 720"_s);
    }

    // A slider step is three sensitivity values: OK on an unmoved slider must
    // not read 20 back as 18, nor anything else as its neighbour.
    void okWithNothingChangedKeepsEveryValue_data()
    {
        QTest::addColumn<int>("sensitivity");
        QTest::newRow("the default 20") << 20;
        QTest::newRow("one above a step, 31") << 31;
        QTest::newRow("negative, -137") << -137;
    }

    void okWithNothingChangedKeepsEveryValue()
    {
        QFETCH(int, sensitivity);
        StoredSettings before = m_store->load();
        before.cameraSensitivity = sensitivity;
        before.freezingSpeed = 42;
        WindowFixture f(typicalWebcamSettings(), {}, {640, 480}, before);
        for (int round = 0; round < 3; ++round) {
            f.openSettings();
            f.tap("okButton");
        }
        const StoredSettings after = f.window->storedSettings();
        QCOMPARE(after.cameraSensitivity, sensitivity);
        QCOMPARE(after.freezingSpeed, 42);
        QCOMPARE(after.sound, true);
    }

    void cancelKeepsTheSound()
    {
        WindowFixture f(typicalWebcamSettings());
        QSignalSpy sound(f.window.get(), &MainWindow::soundEnabledChanged);
        QSignalSpy saved(f.window.get(), &MainWindow::settingsChanged);
        f.openSettings();
        f.tap("soundSwitch");
        QVERIFY(!f.find<QCheckBox>("soundSwitch")->isChecked());
        f.tap("pictureView"); // cancel
        QVERIFY(f.window->isSoundEnabled());
        QVERIFY(sound.isEmpty());
        QVERIFY(saved.isEmpty());
        f.openSettings();
        QVERIFY(f.find<QCheckBox>("soundSwitch")->isChecked());
    }

    void theCameraSideIsSavedWhenItChanges()
    {
        {
            WindowFixture f(typicalWebcamSettings(), {{1280, 720, 30}, {640, 480, 25}}, {640, 480}, m_store->load());
            keepSettings(*f.window, *m_store);
            f.tap("pictureView");
            f.tap("switchCameraIcon");
            QCOMPARE(f.camera->kind(), CameraKind::Back);
            // Saved at once: a game that crashes later still remembers it.
            QVERIFY(m_store->load().backCamera);
        }
        WindowFixture f(typicalWebcamSettings(), {{1280, 720, 30}, {640, 480, 25}}, {640, 480}, m_store->load());
        QCOMPARE(f.camera->kind(), CameraKind::Back);
        QVERIFY(!f.camera->isActive());
        QCOMPARE(f.camera->captureSetting(), (VideoCaptureSetting{640, 480, 25}));
        QCOMPARE(f.icon("switchCameraIcon")->fillBitmap(), f.catalogueImage("camera_back"));
    }

    void rememberedValuesMeetTheCamerasThatAreThere_data()
    {
        QTest::addColumn<StoredSettings>("settings");
        QTest::addColumn<CameraKind>("kind");
        QTest::addColumn<VideoCaptureSetting>("setting");
        StoredSettings back;
        back.backCamera = true;
        QTest::newRow("the back camera is gone: the front one")
            << back << CameraKind::Front << VideoCaptureSetting{640, 480, 30};
        StoredSettings gone;
        gone.resolutions["front"] = VideoCaptureSetting{1920, 1080, 30};
        QTest::newRow("a resolution the camera no longer offers: the default")
            << gone << CameraKind::Front << VideoCaptureSetting{640, 480, 30};
        StoredSettings school;
        school.resolutions[""] = VideoCaptureSetting{1280, 720, 30};
        QTest::newRow("a resolution for every camera")
            << school << CameraKind::Front << VideoCaptureSetting{1280, 720, 30};
        StoredSettings own = school;
        own.resolutions["front"] = std::nullopt;
        QTest::newRow("this camera's own default over the one for every camera")
            << own << CameraKind::Front << VideoCaptureSetting{640, 480, 30};
    }

    void rememberedValuesMeetTheCamerasThatAreThere()
    {
        QFETCH(StoredSettings, settings);
        QFETCH(CameraKind, kind);
        QFETCH(VideoCaptureSetting, setting);
        WindowFixture f(typicalWebcamSettings(), {}, {640, 480}, settings);
        QCOMPARE(f.camera->kind(), kind);
        QCOMPARE(f.camera->captureSetting(), setting);
    }

    void theSwitchesFitThePanel_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QByteArray>("box");
        QTest::addColumn<QByteArray>("control");
        for (const auto &[name, size] :
             {std::pair{"640 x 480", QSize(640, 480)}, std::pair{"1920 x 1080", QSize(1920, 1080)},
              std::pair{"tall 600 x 1000", QSize(600, 1000)}, std::pair{"portrait 600 x 900", QSize(600, 900)}}) {
            QTest::addRow("sound, %s", name) << size << QByteArray("soundBox") << QByteArray("soundSwitch");
            QTest::addRow("wave to go on, %s", name)
                << size << QByteArray("waveToGoOnBox") << QByteArray("waveToGoOnSwitch");
        }
    }

    void theSwitchesFitThePanel()
    {
        QFETCH(QSize, size);
        QFETCH(QByteArray, box);
        QFETCH(QByteArray, control);
        WindowFixture f(typicalWebcamSettings(), {}, size);
        f.openSettings();
        const QRect sound = f.find(box.constData())->geometry();
        QVERIFY(f.shown(box.constData()) && f.shown(control.constData()));
        QVERIFY(f.window->rect().contains(sound));
        QVERIFY(sound.contains(f.find(control.constData())->geometry().translated(sound.topLeft())));
        for (const char *other : {"resolutionBox", "resolutionSlider", "sensitivityBox", "sensitivitySlider",
                                  "soundBox", "waveToGoOnBox", "freezingSpeedBox", "freezingSpeedSlider", "okBox"}) {
            if (box != other)
                QVERIFY2(!sound.intersects(f.find(other)->geometry()), other);
        }
        // Hidden with the rest of the panel.
        f.tap("okButton");
        QVERIFY(!f.shown(box.constData()));
    }

    // "Wave to go on": on at the first start, taken on OK and not on cancel,
    // and remembered.
    void theWaveToGoOnSwitchIsTakenOnOkAndRemembered()
    {
        {
            WindowFixture f(typicalWebcamSettings(), {}, {640, 480}, m_store->load());
            keepSettings(*f.window, *m_store);
            f.openSettings();
            auto *wave = f.find<QCheckBox>("waveToGoOnSwitch");
            QCOMPARE(wave->text(), u"Wave to go on"_s);
            QVERIFY(wave->isChecked());
            f.tap("waveToGoOnSwitch");
            QVERIFY(!wave->isChecked());
            f.tap("pictureView"); // cancel
            QVERIFY(f.window->storedSettings().waveToGoOn);
            f.openSettings();
            QVERIFY(wave->isChecked());
            f.tap("waveToGoOnSwitch");
            f.tap("okButton");
            QVERIFY(!f.window->storedSettings().waveToGoOn);
            QVERIFY(!m_store->load().waveToGoOn); // saved at once
            QVERIFY(f.window->close());
        }
        WindowFixture f(typicalWebcamSettings(), {}, {640, 480}, m_store->load());
        f.openSettings();
        QVERIFY(!f.find<QCheckBox>("waveToGoOnSwitch")->isChecked());
        QVERIFY(f.find<QCheckBox>("soundSwitch")->isChecked()); // only the one switch changed
    }

private:
    std::optional<QTemporaryDir> m_dir;
    std::optional<SettingsFiles> m_store;
};

QTEST_MAIN(TestRememberedSettings)
#include "test_remembered_settings.moc"
