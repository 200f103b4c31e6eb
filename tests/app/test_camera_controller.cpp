#include "app/camera_controller.h"
#include "support/fake_video_camera.h"
#include "support/window_fixture.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

using Resolutions = std::map<std::string, std::optional<VideoCaptureSetting>>;

const QList<VideoCaptureSetting> kFront = {{640, 480, 30.0}, {1280, 720, 30.0}};
const QList<VideoCaptureSetting> kBack = {{640, 480, 25.0}, {1920, 1080, 30.0}};

// The controller alone on a fake front ("front") and back ("back") camera,
// with the settings it reads and writes.
struct Controller
{
    explicit Controller(const StoredSettings &stored = {})
        : session(
            clock, 1, [](int) { return Picture{}; }, Size{}, Size{640, 480}, stored)
    {
        auto fake = std::make_unique<FakeVideoCamera>(kFront, kBack);
        camera = fake.get();
        controller.emplace(std::move(fake), session);
        controller->selectRememberedCamera();
    }
    // What OK in the settings panel does once the user moved the slider.
    void choose(const VideoCaptureSetting &setting)
    {
        const std::vector<VideoCaptureSetting> &entries = session.resolutions().entries;
        const auto entry = std::find(entries.begin(), entries.end(), setting);
        if (entry == entries.end())
            qFatal("the camera does not offer that resolution");
        session.resolutionSliderMoved();
        controller->takeResolution(resolutionPositionOfIndex(session.resolutions(), int(entry - entries.begin())));
    }

    ManualClock clock;
    PlaySession session;
    const StoredSettings &settings = session.settings();
    FakeVideoCamera *camera = nullptr; // owned by the controller
    std::optional<CameraController> controller;
};

} // namespace

namespace QTest {
template <> inline char *toString(const Resolutions &resolutions)
{
    QByteArray text("{");
    for (const auto &[id, setting] : resolutions) {
        text += " \"" + QByteArray::fromStdString(id) + "\": ";
        text += setting ? QByteArray::fromStdString(captureSettingText(*setting)) : QByteArray("default");
    }
    text += " }";
    return qstrdup(text.constData());
}
} // namespace QTest

// The camera's one owner: the side, and the resolution chosen for each
// camera, in the stored settings.
class TestCameraController : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aChosenResolutionIsKeptForThatCameraAlone()
    {
        Controller c;
        QCOMPARE(c.camera->captureSetting(), (VideoCaptureSetting{640, 480, 30.0}));
        QSignalSpy saved(&*c.controller, &CameraController::settingsChanged);
        c.choose({1280, 720, 30.0});
        QCOMPARE(c.camera->captureSetting(), (VideoCaptureSetting{1280, 720, 30.0}));
        QCOMPARE(c.settings.resolutions, (Resolutions{{"front", VideoCaptureSetting{1280, 720, 30.0}}}));

        // The back camera starts at its own default...
        QVERIFY(c.controller->switchSide());
        QCOMPARE(c.camera->kind(), CameraKind::Back);
        QVERIFY(c.settings.backCamera);
        QCOMPARE(c.camera->captureSetting(), (VideoCaptureSetting{640, 480, 25.0}));
        // ...and the front one comes back with the resolution chosen for it.
        QVERIFY(c.controller->switchSide());
        QCOMPARE(c.camera->captureSetting(), (VideoCaptureSetting{1280, 720, 30.0}));
        QCOMPARE(c.settings.resolutions.size(), std::size_t(1));
        // Each change of side is worth saving; a kept resolution waits for
        // whoever took the settings.
        QCOMPARE(saved.size(), 2);
    }

    void anUntouchedSliderWritesNothing_data()
    {
        QTest::addColumn<Resolutions>("before");
        QTest::addColumn<VideoCaptureSetting>("inUse");
        QTest::addColumn<Resolutions>("after");
        QTest::newRow("nothing remembered, the default kept: nothing written")
            << Resolutions{} << VideoCaptureSetting{640, 480, 30.0} << Resolutions{};
        QTest::newRow("one no longer offered: the default used, the choice kept for its return")
            << Resolutions{{"front", VideoCaptureSetting{1920, 1080, 30.0}}} << VideoCaptureSetting{640, 480, 30.0}
            << Resolutions{{"front", VideoCaptureSetting{1920, 1080, 30.0}}};
        QTest::newRow("the one for every camera kept: nothing written")
            << Resolutions{{"", VideoCaptureSetting{1280, 720, 30.0}}} << VideoCaptureSetting{1280, 720, 30.0}
            << Resolutions{{"", VideoCaptureSetting{1280, 720, 30.0}}};
        QTest::newRow("the other camera's own left alone")
            << Resolutions{{"back", VideoCaptureSetting{1920, 1080, 30.0}}} << VideoCaptureSetting{640, 480, 30.0}
            << Resolutions{{"back", VideoCaptureSetting{1920, 1080, 30.0}}};
    }

    // OK in the settings panel without touching the resolution: the front
    // camera keeps what it uses, and no stored resolution changes.
    void anUntouchedSliderWritesNothing()
    {
        QFETCH(Resolutions, before);
        QFETCH(VideoCaptureSetting, inUse);
        QFETCH(Resolutions, after);
        StoredSettings stored;
        stored.resolutions = before;
        Controller c(stored);
        QCOMPARE(c.camera->captureSetting(), inUse);
        c.controller->takeResolution(
            resolutionPositionOfIndex(c.session.resolutions(), c.controller->resolutionInUse()));
        QCOMPARE(c.settings.resolutions, after);
    }

    // Cancel in the settings panel: the camera runs again as it ran when the
    // panel opened, and says so.
    void cancelGoesBackToTheNotedStateAndSetting()
    {
        Controller c;
        QVERIFY(c.controller->toggle());
        QSignalSpy state(&*c.controller, &CameraController::stateChanged);
        c.controller->noteState();
        c.choose({1280, 720, 30.0});
        c.camera->stopByItself();
        c.controller->returnToNoted();
        QVERIFY(c.camera->isActive());
        QCOMPARE(c.camera->captureSetting(), (VideoCaptureSetting{640, 480, 30.0}));
        QCOMPARE(state.size(), 2); // stopped by itself, then running again
        QCOMPARE(state.last().constFirst().toBool(), true);
    }
};

QTEST_MAIN(TestCameraController)
#include "test_camera_controller.moc"
