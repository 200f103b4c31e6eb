#include "support/window_fixture.h"

#include <QTimer>
#include <QtTest>

namespace {

// The game playing: the camera runs.
struct Running : WindowFixture
{
    Running() : WindowFixture(typicalWebcamSettings())
    {
        tap("cameraIcon");
        if (!camera->isActive())
            qFatal("the camera did not start");
    }
    void tick() { WindowFixture::tick("exitTimer"); }
    bool exitTimerRuns() const { return find<QTimer>("exitTimer")->isActive(); }
};

} // namespace

// Ending the game: never while the camera still runs.
class TestShutdown : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void escapeWithTheCameraOffClosesAtOnce()
    {
        WindowFixture f;
        QTest::keyClick(f.window.get(), Qt::Key_A);
        QVERIFY(f.window->isVisible());
        QTest::keyClick(f.window.get(), Qt::Key_Escape);
        QVERIFY(!f.window->isVisible());
    }

    void aCameraThatStopsAtOnceClosesOnTheFourthTick()
    {
        Running r;
        QVERIFY(!r.window->close());
        QVERIFY(r.exitTimerRuns());
        r.tick(); // stops the camera
        QVERIFY(!r.camera->isActive());
        r.tick();
        r.tick();
        QVERIFY(r.window->isVisible());
        QCOMPARE(r.icon("cameraIcon")->fillBitmap(), r.catalogueImage("camera_on"));
        r.tick();
        QVERIFY(!r.window->isVisible());
        QVERIFY(!r.exitTimerRuns());
    }

    void aSlowCameraShowsOffAndIsWaitedFor()
    {
        Running r;
        r.camera->stopsWhenAsked = false;
        QTest::keyClick(r.window.get(), Qt::Key_Escape);
        QVERIFY(r.window->isVisible());
        r.tick();
        r.tick();
        QCOMPARE(r.icon("cameraIcon")->fillBitmap(), r.catalogueImage("camera_off"));
        for (int i = 0; i < 10; ++i)
            r.tick();
        QVERIFY(r.window->isVisible()); // no time limit while it still runs
        r.camera->forceActive(false);
        r.tick();
        QVERIFY(!r.window->isVisible());
    }

    void aCameraThatStoppedByItselfIsNotToldAgain()
    {
        Running r;
        r.window->close();
        r.camera->forceActive(false);
        const int requests = r.camera->activationRequests;
        for (int i = 0; i < 3; ++i)
            r.tick();
        QVERIFY(r.window->isVisible());
        r.tick();
        QVERIFY(!r.window->isVisible());
        QCOMPARE(r.camera->activationRequests, requests);
    }

    void aSecondRequestStartsTheCountAgain()
    {
        Running r;
        r.camera->stopsWhenAsked = false;
        r.window->close();
        r.tick();
        r.tick();
        r.window->close();
        const int requests = r.camera->activationRequests;
        r.tick();
        QCOMPARE(r.camera->activationRequests, requests + 1); // told to stop again
    }
};

QTEST_MAIN(TestShutdown)
#include "test_shutdown.moc"
