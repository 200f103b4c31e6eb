#include "support/form_fixture.h"

#include <QtTest>

namespace {

// A press of `pressMs` on an icon, as the press handlers time it.
void press(FormFixture &f, qint64 pressMs)
{
    f.form->IconPressStopwatch.restart();
    f.clock.advance(pressMs);
    f.form->IconPressStopwatch.stop();
}

QImage face(FormFixture &f, const char *name)
{
    return f.form->ImageBook.image(QString::fromLatin1(name));
}

} // namespace

class TestCameraControl : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cameraIconTransitions_data()
    {
        QTest::addColumn<bool>("startsWhenAsked");
        QTest::addColumn<bool>("activeAfter");
        QTest::addColumn<QString>("icon");
        QTest::newRow("off -> on when the device starts") << true << true << QStringLiteral("camera_on");
        QTest::newRow("stays off when it refuses") << false << false << QStringLiteral("camera_off");
    }

    void cameraIconTransitions()
    {
        QFETCH(bool, startsWhenAsked);
        QFETCH(bool, activeAfter);
        QFETCH(QString, icon);
        FormFixture f(typicalWebcamSettings());
        f.camera->startsWhenAsked = startsWhenAsked;
        press(f, 100);
        f.form->CameraIconRectangleClick();
        QCOMPARE(f.camera->isActive(), activeAfter);
        QCOMPARE(f.form->CameraIconRectangle->fillBitmap(), f.form->ImageBook.image(icon));
        QVERIFY(f.form->ButtonsVisibleTimer->isActive());
        QVERIFY(f.form->CameraToggled);
        if (activeAfter) {
            QCOMPARE(f.form->CurrentCaptureSetting, (VideoCaptureSetting{640, 480, 30}));
            QCOMPARE(f.form->CameraSourceRect.toQRectF(), QRectF(0, 0, 640, 480));
            // on -> off, once the repeat window has passed
            f.clock.advance(500);
            f.form->CameraIconRectangleClick();
            QVERIFY(!f.camera->isActive());
            QCOMPARE(f.form->CameraIconRectangle->fillBitmap(), face(f, "camera_off"));
        }
    }

    void repeatTapsWithinTheWindowAreIgnored_data()
    {
        QTest::addColumn<QList<int>>("tapTimes");
        QTest::addColumn<QList<bool>>("activeAfterEach");
        QTest::newRow("0, 300, 600: only the first toggles")
            << QList<int>{0, 300, 600} << QList<bool>{true, true, true};
        QTest::newRow("0, 500: exactly 500 toggles") << QList<int>{0, 500} << QList<bool>{true, false};
        QTest::newRow("0, 499, 998: the ignored tap restarts the window")
            << QList<int>{0, 499, 998} << QList<bool>{true, true, true};
        QTest::newRow("0, 300, 800: 500 after the ignored tap toggles")
            << QList<int>{0, 300, 800} << QList<bool>{true, true, false};
    }

    void repeatTapsWithinTheWindowAreIgnored()
    {
        QFETCH(QList<int>, tapTimes);
        QFETCH(QList<bool>, activeAfterEach);
        FormFixture f(typicalWebcamSettings());
        int now = 0;
        for (int i = 0; i < tapTimes.size(); ++i) {
            f.clock.advance(tapTimes[i] - now);
            now = tapTimes[i];
            f.form->IconPressStopwatch.reset(); // a quick tap
            f.form->CameraIconRectangleClick();
            QCOMPARE(f.camera->isActive(), activeAfterEach[i]);
        }
    }

    void longPressDoesNothing()
    {
        FormFixture f(typicalWebcamSettings());
        f.form->ToolsIdleTicks = 57;
        press(f, 600);
        f.form->CameraIconRectangleClick();
        QVERIFY(!f.camera->isActive());
        QCOMPARE(f.camera->activationRequests, 0);
        QCOMPARE(f.form->ToolsIdleTicks, 57);
        QVERIFY(!f.form->ButtonsVisibleTimer->isActive());

        press(f, 500); // the limit itself is a tap
        f.form->CameraIconRectangleClick();
        QVERIFY(f.camera->isActive());
    }

    void noCameraOnlyKeepsTheToolsVisible()
    {
        FormFixture f;
        f.form->ToolsIdleTicks = 57;
        for (int i = 0; i < 3; ++i) {
            f.clock.advance(1000);
            f.form->CameraIconRectangleClick();
        }
        QCOMPARE(f.camera->activationRequests, 0);
        QVERIFY(!f.form->CameraToggled);
        QCOMPARE(f.form->CameraIconRectangle->fillBitmap(), face(f, "camera_off"));
        QCOMPARE(f.form->ToolsIdleTicks, 0);
        QVERIFY(f.form->ButtonsVisibleTimer->isActive());
    }

    void switchKeepsTheRunningState_data()
    {
        QTest::addColumn<bool>("running");
        QTest::newRow("off stays off") << false;
        QTest::newRow("on restarts on the other device") << true;
    }

    void switchKeepsTheRunningState()
    {
        QFETCH(bool, running);
        const QList<VideoCaptureSetting> back = {{1280, 720, 30}, {640, 480, 25}};
        FormFixture f(typicalWebcamSettings(), back);
        if (running)
            f.camera->setActive(true);
        f.camera->requestedSettings.clear();
        f.form->ClearOutputPending = false;

        f.form->SwitchFrontAndBackCameraIconRectangleClick();
        QCOMPARE(f.camera->kind(), CameraKind::Back);
        QVERIFY(!f.form->IsFrontCamera);
        QCOMPARE(f.camera->isActive(), running);
        QVERIFY(f.form->ClearOutputPending);
        QCOMPARE(f.form->AvailableCaptureSettings, back);
        QCOMPARE(f.camera->requestedSettings, QList<VideoCaptureSetting>{(VideoCaptureSetting{640, 480, 25})});
        QCOMPARE(f.form->SwitchFrontAndBackCameraIconRectangle->fillBitmap(), face(f, "camera_back"));
    }

    void twoSwitchesReturnWithTheDefaultResolution()
    {
        FormFixture f(typicalWebcamSettings(), typicalWebcamSettings());
        f.form->UseDefaultResolution = false;
        f.form->CustomCaptureSetting = {1280, 720, 30};
        f.form->SwitchFrontAndBackCameraIconRectangleClick();
        f.form->SwitchFrontAndBackCameraIconRectangleClick();
        QVERIFY(f.form->IsFrontCamera);
        QCOMPARE(f.camera->kind(), CameraKind::Front);
        QVERIFY(f.form->UseDefaultResolution);
        QCOMPARE(f.camera->captureSetting(), (VideoCaptureSetting{640, 480, 30}));
        QCOMPARE(f.form->SwitchFrontAndBackCameraIconRectangle->fillBitmap(), face(f, "camera_front"));
    }

    void switchingToAMissingBackCameraMakesItUnavailable()
    {
        FormFixture f(typicalWebcamSettings(), {});
        f.form->SwitchFrontAndBackCameraIconRectangleClick();
        QVERIFY(f.form->AvailableCaptureSettings.isEmpty());
        const int requests = f.camera->activationRequests;
        f.clock.advance(1000);
        f.form->CameraIconRectangleClick();
        QCOMPARE(f.camera->activationRequests, requests);
        QVERIFY(!f.camera->isActive());
    }

    void aCameraThatStopsByItselfShowsOff()
    {
        FormFixture f(typicalWebcamSettings());
        f.form->CameraIconRectangleClick();
        QCOMPARE(f.form->CameraIconRectangle->fillBitmap(), face(f, "camera_on"));
        f.camera->stopByItself();
        QCOMPARE(f.form->CameraIconRectangle->fillBitmap(), face(f, "camera_off"));
        // The next accepted tap starts it again.
        f.clock.advance(500);
        f.form->CameraIconRectangleClick();
        QVERIFY(f.camera->isActive());
    }

    void longPressDoesNotSwitch()
    {
        FormFixture f(typicalWebcamSettings(), typicalWebcamSettings());
        press(f, 501);
        f.form->SwitchFrontAndBackCameraIconRectangleClick();
        QVERIFY(f.form->IsFrontCamera);
        QCOMPARE(f.camera->kind(), CameraKind::Front);
    }
};

QTEST_MAIN(TestCameraControl)
#include "test_camera_control.moc"
