#include "support/form_fixture.h"

#include <QtTest>

namespace {

struct Running : FormFixture
{
    Running() : FormFixture(typicalWebcamSettings())
    {
        form->show();
        camera->setActive(true);
        form->showCameraState();
    }
    void tick() { form->ExitCameraTimerTimer(); }
};

} // namespace

class TestShutdown : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void escapeWithTheCameraOffClosesAtOnce()
    {
        FormFixture f;
        f.form->show();
        QTest::keyClick(f.form.get(), Qt::Key_A);
        QVERIFY(f.form->isVisible());
        QTest::keyClick(f.form.get(), Qt::Key_Escape);
        QVERIFY(!f.form->isVisible());
    }

    void cameraStoppingAtOnceClosesOnTheFourthTick()
    {
        Running r;
        QVERIFY(!r.form->close());
        QVERIFY(r.form->ExitCameraTimer->isActive());
        r.tick(); // stops the camera
        QVERIFY(!r.camera->isActive());
        QVERIFY(r.form->CameraWasActive);
        r.tick();
        r.tick();
        QVERIFY(r.form->isVisible());
        QCOMPARE(r.form->CameraIconRectangle->fillBitmap(), r.form->ImageBook.image(QStringLiteral("camera_on")));
        r.tick();
        QVERIFY(!r.form->isVisible());
        QVERIFY(!r.form->ExitCameraTimer->isActive());
        QCOMPARE(r.form->ExitCameraTicks, 1);
    }

    void slowCameraShowsOffAndWaits()
    {
        Running r;
        r.camera->stopsWhenAsked = false;
        QTest::keyClick(r.form.get(), Qt::Key_Escape);
        QVERIFY(r.form->isVisible());
        r.tick();
        r.tick();
        QCOMPARE(r.form->CameraIconRectangle->fillBitmap(), r.form->ImageBook.image(QStringLiteral("camera_off")));
        for (int i = 0; i < 10; ++i)
            r.tick();
        QVERIFY(r.form->isVisible()); // no time limit while it still runs
        r.camera->forceActive(false);
        r.tick();
        QVERIFY(!r.form->isVisible());
    }

    void aSecondRequestRestartsTheCount()
    {
        Running r;
        r.camera->stopsWhenAsked = false;
        r.form->close();
        r.tick();
        r.tick();
        QCOMPARE(r.form->ExitCameraTicks, 2);
        r.form->close();
        QCOMPARE(r.form->ExitCameraTicks, 0);
        QVERIFY(r.form->ExitCameraTimer->isActive());
        const int requests = r.camera->activationRequests;
        r.tick();
        QCOMPARE(r.camera->activationRequests, requests + 1); // told to stop again
    }

    void cameraThatStoppedByItselfIsNotToldAgain()
    {
        Running r;
        r.form->close();
        r.camera->forceActive(false);
        const int requests = r.camera->activationRequests;
        for (int i = 0; i < 3; ++i)
            r.tick();
        QVERIFY(r.form->isVisible());
        r.tick();
        QVERIFY(!r.form->isVisible());
        QCOMPARE(r.camera->activationRequests, requests);
    }
};

QTEST_MAIN(TestShutdown)
#include "test_shutdown.moc"
