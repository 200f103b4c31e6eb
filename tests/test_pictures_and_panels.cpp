#include "support/form_fixture.h"
#include "ui/settings_mapping.h"

#include <QScrollBar>
#include <QtTest>

namespace {

void tap(FormFixture &f) { f.form->IconPressStopwatch.reset(); }

void longPress(FormFixture &f)
{
    f.form->IconPressStopwatch.restart();
    f.clock.advance(501);
    f.form->IconPressStopwatch.stop();
}

bool shown(const QWidget *w) { return !w->isHidden(); }

QImage solidFrame(QRgb colour)
{
    QImage frame(640, 480, QImage::Format_RGB32);
    frame.fill(colour);
    return frame;
}

} // namespace

class TestPicturesAndPanels : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void picturesCycleBothWays_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<bool>("forward");
        QTest::addColumn<int>("expected");
        QTest::newRow("1 -> 2") << 1 << true << 2;
        QTest::newRow("6 -> 1") << 6 << true << 1;
        QTest::newRow("1 -> 6 backwards") << 1 << false << 6;
        QTest::newRow("4 -> 3 backwards") << 4 << false << 3;
    }

    void picturesCycleBothWays()
    {
        QFETCH(int, start);
        QFETCH(bool, forward);
        QFETCH(int, expected);
        FormFixture f;
        f.form->PictureNumber = start;
        f.form->ToolsIdleTicks = 77;
        longPress(f); // next and previous apply no press-time limit
        forward ? f.form->NextImageIconRectangleClick() : f.form->PreviousImageIconRectangleClick();
        QCOMPARE(f.form->PictureNumber, expected);
        QCOMPARE(f.form->ToolsIdleTicks, 0);
        const QString name = QStringLiteral("frostpane_00") + QString::number(expected);
        QCOMPARE(f.form->PhotoBitmap, f.form->ImageBook.image(name));
        QCOMPARE(f.form->IceBitmap, f.form->ImageBook.image(name + QStringLiteral("_ice")));
        // With the camera off the window shows the new ice.
        const QImage ice = f.form->IceBitmap;
        QCOMPARE(f.form->outputBitmap().pixel(320, 240), ice.pixel(320, 240));
    }

    void wipedAreasSurviveAPictureChange()
    {
        FormFixture f(typicalWebcamSettings());
        f.camera->setActive(true);
        f.form->GetCameraRectSize();
        f.form->IsFrontCamera = false;
        f.camera->deliver(solidFrame(qRgb(0, 0, 0)));
        f.camera->deliver(solidFrame(qRgb(200, 200, 200))); // everything moved: all clean
        QCOMPARE(f.form->CleanedFraction, 1.0);
        f.form->NextImageIconRectangleClick();
        f.camera->deliver(solidFrame(qRgb(200, 200, 200)));
        QVERIFY(f.form->CleanedFraction > 0.95);
        const QImage photo2 = f.form->ImageBook.image(QStringLiteral("frostpane_002"));
        QCOMPARE(f.form->outputBitmap().pixel(320, 200), photo2.pixel(320, 200));
    }

    void eyeSwitchesViews()
    {
        FormFixture f;
        f.form->ToolsIdleTicks = 33;
        longPress(f);
        f.form->EyeIconRectangleClick();
        QVERIFY(f.form->IsIceView);
        QCOMPARE(f.form->ToolsIdleTicks, 33);

        tap(f);
        f.form->EyeIconRectangleClick();
        QVERIFY(!f.form->IsIceView);
        QCOMPARE(f.form->EyeIconRectangle->fillBitmap(), f.form->ImageBook.image(QStringLiteral("view_man")));
        f.form->EyeIconRectangleClick();
        QVERIFY(f.form->IsIceView);
        QCOMPARE(f.form->EyeIconRectangle->fillBitmap(),
                 f.form->ImageBook.image(QStringLiteral("view_snowflake")));
    }

    void tapOnThePictureShowsTheTools()
    {
        FormFixture f;
        f.form->CameraIconRectangle->setOpacity(0.3f);
        f.form->OutputRectangleClick();
        QVERIFY(f.form->ToolsVisible);
        for (BitmapRectangle *icon : {f.form->SettingsIconRectangle, f.form->CameraIconRectangle,
                                      f.form->EyeIconRectangle, f.form->AboutIconRectangle,
                                      f.form->SwitchFrontAndBackCameraIconRectangle,
                                      f.form->NextImageIconRectangle, f.form->PreviousImageIconRectangle}) {
            QVERIFY(shown(icon));
            QCOMPARE(icon->opacity(), 1.0f);
        }
        QVERIFY(f.form->ButtonsVisibleTimer->isActive());
        QVERIFY(!shown(f.form->OKButton));
    }

    void settingsOpenAndConfirm()
    {
        FormFixture f(typicalWebcamSettings());
        f.form->OutputRectangleClick();
        tap(f);
        f.form->SettingsIconRectangleClick();
        QCOMPARE(f.form->CameraSensitivityTrackBar->value(), 249.0);
        QCOMPARE(f.form->FreezingSpeedTrackBar->value(), 10.0);
        for (QWidget *w : f.form->settingsControls())
            QVERIFY(shown(w));
        QVERIFY(f.form->CameraResolutionsTrackBar->isEnabled());
        QCOMPARE(f.form->CameraResolutionsLabel->text(), QStringLiteral("Camera width = 640, height = 480"));
        QVERIFY(!shown(f.form->CameraIconRectangle) && !shown(f.form->SettingsIconRectangle));
        QVERIFY(!f.form->ButtonsVisibleTimer->isActive());
        QCOMPARE(f.form->SavedCaptureSetting, (VideoCaptureSetting{640, 480, 30}));

        const int requests = f.camera->activationRequests;
        f.form->OKButtonClick();
        QCOMPARE(f.form->CameraSensitivity, 18); // (255 - 249) * 3, not 20
        QCOMPARE(f.form->FreezingSpeed, 10);
        for (QWidget *w : f.form->settingsControls())
            QVERIFY(!shown(w));
        QVERIFY(!shown(f.form->CameraIconRectangle)); // the next tap on the picture brings them
        QCOMPARE(f.camera->activationRequests, requests); // no resolution change, no restart
    }

    void sensitivityMapping_data()
    {
        QTest::addColumn<double>("slider");
        QTest::addColumn<int>("sensitivity");
        QTest::newRow("0 -> 765") << 0.0 << 765;
        QTest::newRow("255 -> 0") << 255.0 << 0;
        QTest::newRow("300 -> -135") << 300.0 << -135;
        QTest::newRow("100.4 -> trunc(463.8)") << 100.4 << 463;
        QTest::newRow("765 -> -1530") << 765.0 << -1530;
    }

    void sensitivityMapping()
    {
        QFETCH(double, slider);
        QFETCH(int, sensitivity);
        QCOMPARE(sensitivityFromSlider(slider), sensitivity);
        QCOMPARE(sensitivitySliderValue(20), 249);
        QCOMPARE(sensitivitySliderValue(-135), 300);
        QCOMPARE(freezingSpeedFromSlider(10.9), 10);
    }

    void resolutionAppliedOnlyAfterTheUserMovedIt_data()
    {
        QTest::addColumn<bool>("running");
        QTest::newRow("stopped stays stopped") << false;
        QTest::newRow("running runs again") << true;
    }

    void resolutionAppliedOnlyAfterTheUserMovedIt()
    {
        QFETCH(bool, running);
        FormFixture f(typicalWebcamSettings());
        if (running)
            f.camera->setActive(true);
        tap(f);
        f.form->SettingsIconRectangleClick();
        // The user drags to the leftmost position: the last entry, 1280 x 720.
        f.form->CameraResolutionsTrackBar->setValue(0.0);
        QVERIFY(f.form->ResolutionTrackBarChanged);
        QCOMPARE(f.form->CameraResolutionsLabel->text(), QStringLiteral("Camera width = 1280, height = 720"));
        QCOMPARE(f.camera->captureSetting(), (VideoCaptureSetting{640, 480, 30})); // not yet applied
        f.form->OKButtonClick();
        QCOMPARE(f.camera->captureSetting(), (VideoCaptureSetting{1280, 720, 30}));
        QCOMPARE(f.form->CustomCaptureSetting, (VideoCaptureSetting{1280, 720, 30}));
        QVERIFY(!f.form->UseDefaultResolution);
        QVERIFY(f.form->ClearOutputPending);
        QCOMPARE(f.camera->isActive(), running);
        QCOMPARE(f.form->CameraIconRectangle->fillBitmap(),
                 f.form->ImageBook.image(running ? QStringLiteral("camera_on") : QStringLiteral("camera_off")));

        // Every later OK applies the slider again, moved or not.
        f.camera->requestedSettings.clear();
        tap(f);
        f.form->SettingsIconRectangleClick();
        f.form->OKButtonClick();
        QCOMPARE(f.camera->requestedSettings, QList<VideoCaptureSetting>{(VideoCaptureSetting{1280, 720, 30})});
    }

    void settingsWithoutACamera()
    {
        FormFixture f;
        tap(f);
        f.form->SettingsIconRectangleClick();
        QCOMPARE(f.form->CameraResolutionsLabel->text(), QStringLiteral("Camera not available"));
        QVERIFY(!f.form->CameraResolutionsTrackBar->isEnabled());
        f.form->CameraSensitivityTrackBar->setValue(255);
        f.form->FreezingSpeedTrackBar->setValue(3);
        f.form->ResolutionTrackBarChanged = true;
        f.form->OKButtonClick();
        QCOMPARE(f.form->CameraSensitivity, 0);
        QCOMPARE(f.form->FreezingSpeed, 3);
        QVERIFY(f.camera->requestedSettings.isEmpty());
        QVERIFY(!shown(f.form->CameraResolutionsLabel));
    }

    void longPressDoesNotOpenSettings()
    {
        FormFixture f(typicalWebcamSettings());
        longPress(f);
        f.form->SettingsIconRectangleClick();
        QVERIFY(!shown(f.form->CameraResolutionsLabel));
    }

    void cancelRestoresTheCameraAndKeepsTheValues()
    {
        FormFixture f(typicalWebcamSettings());
        f.camera->setActive(true);
        tap(f);
        f.form->SettingsIconRectangleClick();
        f.form->CameraSensitivityTrackBar->setValue(0);
        f.form->FreezingSpeedTrackBar->setValue(90);
        f.camera->setActive(false); // stopped meanwhile, say by the device
        f.camera->requestedSettings.clear();
        f.form->OutputRectangleClick();
        QCOMPARE(f.form->CameraSensitivity, 20);
        QCOMPARE(f.form->FreezingSpeed, 10);
        QVERIFY(f.camera->isActive());
        QVERIFY(f.camera->requestedSettings.contains(VideoCaptureSetting{640, 480, 30}));
        for (QWidget *w : f.form->settingsControls())
            QVERIFY(!shown(w));
        QVERIFY(!f.form->ButtonsVisibleTimer->isActive());
        // Opening again shows the stored values.
        tap(f);
        f.form->SettingsIconRectangleClick();
        QCOMPARE(f.form->CameraSensitivityTrackBar->value(), 249.0);
        QCOMPARE(f.form->FreezingSpeedTrackBar->value(), 10.0);
    }

    void aboutPanel()
    {
        FormFixture f(typicalWebcamSettings());
        f.form->OutputRectangleClick();
        longPress(f);
        f.form->AboutIconRectangleClick();
        QVERIFY(!shown(f.form->AboutMemo));

        tap(f);
        f.form->AboutIconRectangleClick();
        QVERIFY(shown(f.form->AboutMemo));
        QVERIFY(!shown(f.form->CameraIconRectangle));
        QVERIFY(!f.form->ToolsVisible);
        QVERIFY(!f.form->ButtonsVisibleTimer->isActive());
        QCOMPARE(f.form->AboutMemo->wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
        f.form->AboutMemoClick();
        QVERIFY(shown(f.form->AboutMemo));

        const int requests = f.camera->activationRequests;
        f.form->OutputRectangleClick();
        QVERIFY(!shown(f.form->AboutMemo));
        QCOMPARE(f.camera->activationRequests, requests);
        QVERIFY(!shown(f.form->CameraIconRectangle));
    }

    void aboutTextWrapsInsideTheMemo()
    {
        FormFixture f;
        f.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
        tap(f);
        f.form->AboutIconRectangleClick();
        QApplication::processEvents();
        QCOMPARE(f.form->AboutMemo->horizontalScrollBar()->maximum(), 0); // nothing sticks out
        QCOMPARE(f.form->AboutMemo->size(), QSize(400, 270));
        QCOMPARE(f.form->AboutMemo->geometry().center(), f.form->rect().center());
    }
};

QTEST_MAIN(TestPicturesAndPanels)
#include "test_pictures_and_panels.moc"
