#include "support/form_fixture.h"

#include <QtTest>

namespace {

bool shown(const QWidget *w)
{
    return !w->isHidden(); // the control's own visibility flag
}

} // namespace

class TestStartState : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void onlyTheCameraIconShows()
    {
        FormFixture f(typicalWebcamSettings());
        TFrostpaneMainForm &form = *f.form;
        QVERIFY(shown(form.CameraIconRectangle));
        QVERIFY(shown(form.OutputRectangle));
        const QList<QWidget *> hidden = {
            form.SwitchFrontAndBackCameraIconRectangle, form.CameraResolutionsRectangle,
            form.CameraResolutionsLabel, form.CameraResolutionsTrackBar,
            form.CameraSensitivityRectangle, form.CameraSensitivityLabel,
            form.CameraSensitivityTrackBar, form.FreezingSpeedRectangle, form.FreezingSpeedLabel,
            form.FreezingSpeedTrackBar, form.SettingsIconRectangle, form.AboutIconRectangle,
            form.EyeIconRectangle, form.NextImageIconRectangle, form.PreviousImageIconRectangle,
            form.OkButtonRectangle, form.OKButton, form.AboutMemo, form.WarningCalloutRectangle};
        for (QWidget *w : hidden)
            QVERIFY2(!shown(w), w->metaObject()->className());

        // Icon faces.
        QCOMPARE(form.CameraIconRectangle->fillBitmap(), form.ImageBook.image(QStringLiteral("camera_off")));
        QCOMPARE(form.SwitchFrontAndBackCameraIconRectangle->fillBitmap(),
                 form.ImageBook.image(QStringLiteral("camera_front")));
        QCOMPARE(form.EyeIconRectangle->fillBitmap(), form.ImageBook.image(QStringLiteral("view_snowflake")));
        QCOMPARE(form.CameraIconRectangle->sizeF(), QSizeF(128, 128));

        // Timers all stopped.
        for (QTimer *t : {form.ButtonsVisibleTimer, form.WarningTimer, form.ExitCameraTimer,
                          form.PermissionsChangedTimer})
            QVERIFY(!t->isActive());
        QCOMPARE(form.ButtonsVisibleTimer->interval(), 20);
        QCOMPARE(form.ExitCameraTimer->interval(), 100);
    }

    void startValues()
    {
        FormFixture f;
        TFrostpaneMainForm &form = *f.form;
        QCOMPARE(form.PictureCount, 6);
        QCOMPARE(form.PictureNumber, 1);
        QCOMPARE(form.FreezingSpeed, 10);
        QCOMPARE(form.CameraSensitivity, 20);
        QCOMPARE(form.WinThreshold, 0.95);
        QCOMPARE(form.CleanedFraction, 0.0);
        QCOMPARE(form.IconSizeFactor, 0.08);
        QCOMPARE(form.IconPressScale, 1.3);
        QCOMPARE(form.IconTapMilliseconds, 500);
        QCOMPARE(form.ToolsHideTicks, 200);
        QCOMPARE(form.ToolsIdleTicks, 0);
        QCOMPARE(form.ExitCameraTicks, 0);
        QCOMPARE(form.PressedTool, 0);
        QCOMPARE(form.IsLandscape, 1);
        QCOMPARE(form.TitleBarHeight, 0.0);
        QVERIFY(form.ScreenScale > 0.0);
        QVERIFY(!form.CongratulationsShown && !form.ToolsVisible && !form.CameraToggled);
        QVERIFY(form.IsIceView && form.IsFrontCamera && form.UseDefaultResolution);
        QVERIFY(form.ClearOutputPending && form.ResetPreviousFrame);
        QVERIFY(!form.ClearOutputAfterResize && !form.ResolutionTrackBarChanged);

        // Every pixel starts frozen.
        QCOMPARE(form.PixelCount, 640 * 480);
        QCOMPARE(int(form.MeltLevels.size()), 640 * 480);
        QVERIFY(std::all_of(form.MeltLevels.begin(), form.MeltLevels.end(), [](int v) { return v == 0; }));

        QCOMPARE(form.PhotoBitmap.size(), QSize(640, 480));
        QCOMPARE(form.IceBitmap, form.ImageBook.image(QStringLiteral("frostpane_001_ice")));
        QCOMPARE(form.CongratulationsSourceRect.toQRectF(), QRectF(0, 0, 1024, 280));
        QVERIFY(form.CameraBitmap.isNull() && form.PreviousCameraBitmap.isNull() && form.WindowBitmap.isNull());

        // The camera stays off on the front device.
        QVERIFY(!form.CameraComponent->isActive());
        QCOMPARE(f.camera->activationRequests, 0);
        QCOMPARE(f.camera->kind(), CameraKind::Front);
        QCOMPARE(f.camera->priority(), CaptureSettingPriority::Resolution);

        // Press timing: only the debounce watch runs.
        QVERIFY(form.IconDebounceStopwatch.isRunning());
        QVERIFY(!form.IconPressStopwatch.isRunning() && !form.CameraToggleStopwatch.isRunning());
        f.clock.advance(499);
        QCOMPARE(form.IconDebounceStopwatch.elapsedMilliseconds(), 499);

        // The About text.
        const QStringList lines = form.AboutMemo->toPlainText().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 8);
        QCOMPARE(lines[0], QStringLiteral("Frostpane! v.1.0"));
        QVERIFY(lines[1].isEmpty() && lines[5].isEmpty());
        QCOMPARE(lines[4], QStringLiteral("The program requires video capture device (e.g. web camera)."));
        QCOMPARE(lines[6], QStringLiteral("Made by"));
        QCOMPARE(form.AboutMemo->size(), QSize(400, 270));
    }

    void geometryAtStart()
    {
        FormFixture f;
        TFrostpaneMainForm &form = *f.form;
        QCOMPARE(form.size(), QSize(640, 480));
        QCOMPARE(form.ScreenWidth, 640.0);
        QCOMPARE(form.ScreenHeight, 480.0);
        QCOMPARE(form.OutputRect.toQRectF(), QRectF(0, 0, 640, 480));
        QCOMPARE(form.PhotoRect.toQRectF(), QRectF(0, 0, 640, 480));
        QCOMPARE(form.PhotoLeft, 0);
        QCOMPARE(form.CongratulationsRect.toQRectF(), QRectF(0, 152, 640, 175));
        QCOMPARE(form.CameraSourceRect.toQRectF(), QRectF());
        QCOMPARE(form.outputBitmap().size(), QSize(640, 480));
    }

    void startPictureIsTheIceOnBlack()
    {
        FormFixture f;
        TFrostpaneMainForm &form = *f.form;
        // The output bitmap holds the ice picture 1:1.
        const QImage ice = form.ImageBook.image(QStringLiteral("frostpane_001_ice"));
        const QImage output = form.outputBitmap().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(output.size(), ice.size());
        for (int y = 0; y < ice.height(); ++y)
            for (int x = 0; x < ice.width(); ++x)
                if (output.pixel(x, y) != ice.pixel(x, y))
                    QFAIL(qPrintable(QStringLiteral("(%1, %2): %3 instead of %4")
                                         .arg(x).arg(y)
                                         .arg(output.pixel(x, y), 8, 16)
                                         .arg(ice.pixel(x, y), 8, 16)));

        // What the window shows, grabbed offscreen: the ice where no icon is.
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QImage shot = form.grab().toImage().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(shot.size(), QSize(640, 480));
        for (const QPoint p : {QPoint(5, 5), QPoint(600, 20), QPoint(30, 450), QPoint(320, 400)})
            QCOMPARE(shot.pixel(p), ice.pixel(p));
    }

    void widerWindowShowsBlackBars()
    {
        FormFixture f;
        TFrostpaneMainForm &form = *f.form;
        form.resize(1280, 720);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.PhotoRect.toQRectF(), QRectF(160, 0, 960, 720));
        QCOMPARE(form.PhotoLeft, 160);
        const QImage shot = form.grab().toImage().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(shot.pixel(10, 360), qRgb(0, 0, 0));
        QCOMPARE(shot.pixel(1270, 360), qRgb(0, 0, 0));
        const QImage ice = form.ImageBook.image(QStringLiteral("frostpane_001_ice"));
        // Scaled by 1.5: a flat-enough spot of the ice keeps its colour.
        const QColor expected = ice.pixelColor(40, 40);
        const QColor seen = shot.pixelColor(160 + 60, 60);
        QVERIFY(std::abs(expected.red() - seen.red()) < 40);
        QVERIFY(std::abs(expected.blue() - seen.blue()) < 40);
    }

    void captureSettingsAreReadButCameraStaysOff()
    {
        FormFixture f({{1280, 720, 30}, {640, 480, 15}, {640, 480, 30}, {1920, 1080, 30}});
        TFrostpaneMainForm &form = *f.form;
        QCOMPARE(form.AvailableCaptureSettings.size(), 4);
        QCOMPARE(form.CameraResolutionsLast, 2);
        QCOMPARE(form.DefaultCaptureSetting, (VideoCaptureSetting{640, 480, 30}));
        QCOMPARE(f.camera->requestedSettings, QList<VideoCaptureSetting>{(VideoCaptureSetting{640, 480, 30})});
        QCOMPARE(form.CameraResolutionsList,
                 QStringList({QStringLiteral("Camera width = 1280, height = 720"),
                              QStringLiteral("Camera width = 640, height = 480"),
                              QStringLiteral("Camera width = 1920, height = 1080")}));
        QCOMPARE(form.CameraResolutionsLabel->text(), QStringLiteral("Camera width = 640, height = 480"));
        QCOMPARE(form.CameraResolutionsTrackBar->minimum(), 0.0);
        QCOMPARE(form.CameraResolutionsTrackBar->maximum(), 2.0);
        QCOMPARE(form.CameraResolutionsTrackBar->value(), 1.0);
        QVERIFY(!form.CameraResolutionsTrackBar->tracking());
        // The program set the range and value: no handler ran.
        QVERIFY(!form.ResolutionTrackBarChanged);
        QVERIFY(!form.CameraComponent->isActive());
    }

    void noCameraKeepsTheDesignLabel()
    {
        FormFixture f;
        TFrostpaneMainForm &form = *f.form;
        QVERIFY(form.AvailableCaptureSettings.isEmpty());
        QCOMPARE(form.CameraResolutionsLast, 0);
        QCOMPARE(form.CameraResolutionsTrackBar->maximum(), 0.0);
        QCOMPARE(form.CameraResolutionsLabel->text(), QStringLiteral("Camera Resolutions Label"));
        QVERIFY(f.camera->requestedSettings.isEmpty());
        QVERIFY(!form.ResolutionTrackBarChanged);
    }

    void textSizesOfLabelsAndButton()
    {
        FormFixture f;
        TFrostpaneMainForm &form = *f.form;
        for (QLabel *label : {static_cast<QLabel *>(form.CameraResolutionsLabel),
                              static_cast<QLabel *>(form.CameraSensitivityLabel),
                              static_cast<QLabel *>(form.FreezingSpeedLabel)}) {
            QCOMPARE(label->font().pixelSize(), 12);
            QCOMPARE(label->height(), 20);
        }
        QCOMPARE(form.OKButton->font().pixelSize(), 12);
        QCOMPARE(form.OKButton->height(), 35);
        QCOMPARE(form.OKButton->text(), QStringLiteral("OK"));
        // Other kinds keep their fonts.
        QCOMPARE(form.AboutMemo->font(), QApplication::font(form.AboutMemo));
    }

    void controlsStackInCreationOrder()
    {
        FormFixture f;
        TFrostpaneMainForm &form = *f.form;
        const QObjectList children = form.children();
        const auto index = [&](QObject *o) { return children.indexOf(o); };
        QVERIFY(index(form.OutputRectangle) < index(form.CameraResolutionsTrackBar));
        QVERIFY(index(form.CameraIconRectangle) < index(form.AboutIconRectangle));
        QVERIFY(index(form.AboutMemo) < index(form.CameraResolutionsRectangle));
        QVERIFY(index(form.OkButtonRectangle) > index(form.CameraSensitivityRectangle));
        QCOMPARE(form.OKButton->parentWidget(), form.OkButtonRectangle);
        QCOMPARE(form.CameraResolutionsLabel->parentWidget(), form.CameraResolutionsRectangle);
        QCOMPARE(form.WarningText->parentWidget(), form.WarningCalloutRectangle);
        QCOMPARE(form.windowTitle(), QStringLiteral("Frostpane"));
    }
};

QTEST_MAIN(TestStartState)
#include "test_start_state.moc"
