#include "support/window_fixture.h"

#include <QTimer>
#include <QtTest>

namespace {

// The game playing: the camera runs.
struct Running : WindowFixture
{
    Running()
        : WindowFixture(typicalWebcamSettings())
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

    void aCameraThatStopsWhenToldClosesAtOnce()
    {
        // The settings are saved and the window goes with the request: the
        // camera's stop is all the game waits for.
        Running r;
        QSignalSpy saved(r.window.get(), &MainWindow::settingsChanged);
        const int requests = r.camera->activationRequests;
        QVERIFY(r.window->close());
        QVERIFY(!r.camera->isActive());
        QCOMPARE(r.camera->activationRequests, requests + 1);
        QVERIFY(!r.window->isVisible());
        QVERIFY(!r.exitTimerRuns());
        QCOMPARE(saved.count(), 1);
    }

    void aSlowCameraShowsOffAndIsWaitedFor()
    {
        Running r;
        r.camera->stopsWhenAsked = false;
        QSignalSpy saved(r.window.get(), &MainWindow::settingsChanged);
        QTest::keyClick(r.window.get(), Qt::Key_Escape);
        QVERIFY(r.window->isVisible());
        QVERIFY(r.exitTimerRuns());
        QCOMPARE(r.icon("cameraIcon")->fillBitmap(), r.catalogueImage("camera_off"));
        for (int i = 0; i < 10; ++i)
            r.tick();
        QVERIFY(r.window->isVisible()); // no time limit while it still runs
        QCOMPARE(saved.count(), 0);
        r.camera->forceActive(false);
        r.tick();
        QVERIFY(!r.window->isVisible());
        QCOMPARE(saved.count(), 1);
    }

    void aCameraThatStoppedByItselfIsNotToldAgain()
    {
        Running r;
        r.camera->forceActive(false);
        const int requests = r.camera->activationRequests;
        QVERIFY(r.window->close());
        QVERIFY(!r.window->isVisible());
        QCOMPARE(r.camera->activationRequests, requests);
    }

    void moreRequestsKeepTheFirstOnesPace()
    {
        // A child drumming on Escape while the camera is slow to stop: the
        // camera is told once, and the window goes on the first tick after
        // it has stopped.
        Running r;
        r.camera->stopsWhenAsked = false;
        QTest::keyClick(r.window.get(), Qt::Key_Escape);
        r.tick();
        QTest::keyClick(r.window.get(), Qt::Key_Escape);
        r.window->close();
        r.tick();
        QCOMPARE(r.camera->activationRequests, 2); // started once, told to stop once
        QVERIFY(r.window->isVisible());
        r.camera->forceActive(false);
        r.tick();
        QVERIFY(!r.window->isVisible());
    }

    void onceTheCameraIsOffARequestClosesAtOnce()
    {
        Running r;
        r.camera->stopsWhenAsked = false;
        QTest::keyClick(r.window.get(), Qt::Key_Escape);
        r.camera->forceActive(false);
        QTest::keyClick(r.window.get(), Qt::Key_Escape);
        QVERIFY(!r.window->isVisible());
        QVERIFY(!r.exitTimerRuns());
    }
};

QTEST_MAIN(TestShutdown)
#include "test_shutdown.moc"
