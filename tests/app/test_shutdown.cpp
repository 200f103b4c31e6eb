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

    void moreRequestsKeepTheFirstOnesPace()
    {
        // A child drumming on Escape while the camera is slow to stop: each
        // tick goes on from the first request, never back to its start.
        Running r;
        r.camera->stopsWhenAsked = false;
        QTest::keyClick(r.window.get(), Qt::Key_Escape);
        r.tick(); // asks the camera to stop
        QTest::keyClick(r.window.get(), Qt::Key_Escape);
        r.window->close();
        r.tick();                                  // shows it off, instead of asking again
        QCOMPARE(r.camera->activationRequests, 2); // started once, told to stop once
        QCOMPARE(r.icon("cameraIcon")->fillBitmap(), r.catalogueImage("camera_off"));
        r.camera->forceActive(false);
        r.tick();
        QVERIFY(r.window->isVisible());
        r.tick(); // the fourth tick after the first request
        QVERIFY(!r.window->isVisible());
    }

    void onceTheCameraIsOffARequestClosesAtOnce()
    {
        Running r;
        QTest::keyClick(r.window.get(), Qt::Key_Escape);
        r.tick(); // the camera stops at once
        QTest::keyClick(r.window.get(), Qt::Key_Escape);
        QVERIFY(!r.window->isVisible());
        QVERIFY(!r.exitTimerRuns());
    }
};

QTEST_MAIN(TestShutdown)
#include "test_shutdown.moc"
