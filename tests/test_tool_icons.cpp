#include "support/form_fixture.h"

#include <QtTest>

namespace {

// A 1000 x 600 window with the tools shown, 500 ms after start.
struct Tools : FormFixture
{
    Tools() : FormFixture(typicalWebcamSettings())
    {
        form->resize(1000, 600);
        form->FormResize();
        form->OutputRectangleClick();
        clock.advance(500);
    }
    void tick(int times = 1)
    {
        for (int i = 0; i < times; ++i)
            form->ButtonsVisibleTimerTimer();
    }
};

QList<BitmapRectangle *> rectanglesOf(TFrostpaneMainForm &form)
{
    QList<BitmapRectangle *> list;
    for (QObject *child : form.children())
        if (auto *r = qobject_cast<BitmapRectangle *>(child))
            list.append(r);
    return list;
}

} // namespace

class TestToolIcons : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pressGrowsAboutTheCentreAndReleaseGoesHome()
    {
        Tools t;
        BitmapRectangle *icon = t.form->CameraIconRectangle;
        QCOMPARE(icon->positionF(), QPointF(460, 200));
        t.form->ToolIconMouseDown(ToolIcon::Camera);
        QCOMPARE(t.form->PressedTool, 2);
        QCOMPARE(icon->scaleX(), 1.3f);
        QCOMPARE(icon->positionF(), QPointF(448, 188));
        QCOMPARE(icon->geometry(), QRect(448, 188, 104, 104));
        QCOMPARE(icon->sizeF(), QSizeF(80, 80)); // the logical size stays
        const IconHome home = t.form->CameraIconHome;
        QCOMPARE(QRect(home.Left, home.Top, home.CenterX, home.CenterY), QRect(460, 200, 500, 240));
        // Brought to the front of the form's children.
        QCOMPARE(t.form->children().last(), icon);

        t.clock.advance(120);
        t.form->ToolIconMouseUp(ToolIcon::Camera);
        QCOMPARE(icon->positionF(), QPointF(460, 200));
        QCOMPARE(icon->scaleX(), 1.0f);
        QCOMPARE(icon->scaleY(), 1.0f);
        QCOMPARE(t.form->IconPressStopwatch.elapsedMilliseconds(), 120);
        QVERIFY(!t.form->IconPressStopwatch.isRunning());
    }

    void fractionalPlaceGoesBackToTheCutHome()
    {
        Tools t;
        BitmapRectangle *icon = t.form->AboutIconRectangle;
        icon->setGeometryF(294.4f, 175.2f, 51.2f, 51.2f);
        t.form->ToolIconMouseDown(ToolIcon::About);
        const IconHome home = t.form->AboutIconHome;
        QCOMPARE(home.CenterX, 319);
        QCOMPARE(home.CenterY, 200);
        QCOMPARE(home.Left, 294);
        QCOMPARE(home.Top, 175);
        t.form->ToolIconMouseUp(ToolIcon::About);
        QCOMPARE(icon->positionF(), QPointF(294, 175));
    }

    void onlyThePressedIconReacts()
    {
        Tools t;
        t.form->ToolIconMouseDown(ToolIcon::Eye);
        for (BitmapRectangle *r : rectanglesOf(*t.form))
            QCOMPARE(r->hitTest(), r == t.form->EyeIconRectangle);
        // Controls that are not rectangles keep theirs.
        QVERIFY(!t.form->CameraResolutionsTrackBar->testAttribute(Qt::WA_TransparentForMouseEvents));
        t.form->ToolIconMouseUp(ToolIcon::Eye);
        for (BitmapRectangle *r : rectanglesOf(*t.form))
            QVERIFY(r->hitTest());
        QCOMPARE(rectanglesOf(*t.form).size(), 13); // picture, 7 icons, callout, 3 label boxes, OK box
    }

    void pressTiming_data()
    {
        QTest::addColumn<int>("sinceLastPress");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("499 ms: ignored") << 499 << false;
        QTest::newRow("500 ms: accepted") << 500 << true;
    }

    void pressTiming()
    {
        QFETCH(int, sinceLastPress);
        QFETCH(bool, accepted);
        Tools t;
        t.form->ToolIconMouseDown(ToolIcon::Camera);
        t.clock.advance(30);
        t.form->ToolIconMouseUp(ToolIcon::Camera);
        t.clock.advance(sinceLastPress - 30);
        t.form->ToolIconMouseDown(ToolIcon::NextImage);
        QCOMPARE(t.form->PressedTool, accepted ? 11 : 2);
        QCOMPARE(t.form->NextImageIconRectangle->scaleX(), accepted ? 1.3f : 1.0f);
        // An ignored press leaves the earlier press's time.
        QCOMPARE(t.form->IconPressStopwatch.elapsedMilliseconds(), accepted ? 0 : 30);
    }

    void firstPressOnlyHalfASecondAfterStart()
    {
        FormFixture f;
        f.clock.advance(499);
        f.form->ToolIconMouseDown(ToolIcon::Camera);
        QCOMPARE(f.form->PressedTool, 0);
        f.clock.advance(1);
        f.form->ToolIconMouseDown(ToolIcon::Camera);
        QCOMPARE(f.form->PressedTool, 2);
    }

    void realPointerPressLeaveAndHide()
    {
        Tools t;
        BitmapRectangle *icon = t.form->SettingsIconRectangle;
        t.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(t.form.get()));
        QTest::mousePress(icon, Qt::RightButton, {}, QPoint(10, 10)); // any button presses
        QCOMPARE(t.form->PressedTool, 5);
        t.clock.advance(200);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(icon, &leave);
        QCOMPARE(icon->scaleX(), 1.0f);
        QCOMPARE(t.form->IconPressStopwatch.elapsedMilliseconds(), 200);

        // Hidden while held (the fade ends, a panel opens): the press ends too.
        t.clock.advance(500);
        QTest::mousePress(t.form->NextImageIconRectangle, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(!t.form->OutputRectangle->hitTest());
        t.form->NextImageIconRectangle->hide();
        QVERIFY(t.form->OutputRectangle->hitTest());
        QCOMPARE(t.form->NextImageIconRectangle->scaleX(), 1.0f);
    }

    void aTapRunsTheClickAfterTheRelease()
    {
        Tools t;
        t.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(t.form.get()));
        QTest::mouseClick(t.form->NextImageIconRectangle, Qt::LeftButton, {}, QPoint(40, 40));
        QCOMPARE(t.form->PictureNumber, 2);
        QCOMPARE(t.form->NextImageIconRectangle->positionF(), QPointF(560, 320));
    }

    void hiddenIconsLetTheTapReachThePicture()
    {
        Tools t;
        t.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(t.form.get()));
        t.tick(209);
        QVERIFY(t.form->CameraIconRectangle->isHidden());
        QCOMPARE(t.form->childAt(500, 240), t.form->OutputRectangle);
        QTest::mouseClick(t.form->OutputRectangle, Qt::LeftButton, {}, QPoint(500, 240));
        QVERIFY(!t.form->CameraIconRectangle->isHidden());
        QCOMPARE(t.form->childAt(500, 240), t.form->CameraIconRectangle);
    }

    void fadeOutTimeline()
    {
        Tools t;
        t.tick(200);
        QCOMPARE(t.form->SettingsIconRectangle->opacity(), 1.0f);
        t.tick();
        QCOMPARE(t.form->SettingsIconRectangle->opacity(), 0.9f);
        t.tick(7);
        QCOMPARE(t.form->SettingsIconRectangle->opacity(), 0.19999993f);
        QCOMPARE(t.form->PreviousImageIconRectangle->opacity(), 0.19999993f);
        QVERIFY(!t.form->SettingsIconRectangle->isHidden());
        t.tick();
        QCOMPARE(t.form->SettingsIconRectangle->opacity(), 0.099999927f);
        for (BitmapRectangle *icon : {t.form->SettingsIconRectangle, t.form->CameraIconRectangle,
                                      t.form->EyeIconRectangle, t.form->AboutIconRectangle,
                                      t.form->SwitchFrontAndBackCameraIconRectangle,
                                      t.form->NextImageIconRectangle, t.form->PreviousImageIconRectangle})
            QVERIFY(icon->isHidden());
        QCOMPARE(t.form->ToolsIdleTicks, 0);
        QVERIFY(!t.form->ToolsVisible);
        QVERIFY(!t.form->ButtonsVisibleTimer->isActive());
    }

    void aToolClickFreezesTheFade()
    {
        Tools t;
        t.tick(205);
        t.form->IconPressStopwatch.reset();
        t.form->NextImageIconRectangleClick();
        QCOMPARE(t.form->SettingsIconRectangle->opacity(), 0.49999991f);
        t.tick(200);
        QCOMPARE(t.form->SettingsIconRectangle->opacity(), 0.49999991f);
        t.tick(3);
        QVERIFY(!t.form->SettingsIconRectangle->isHidden());
        t.tick();
        QVERIFY(t.form->SettingsIconRectangle->isHidden());
    }

    void panelsStopTheFade()
    {
        Tools t;
        t.form->IconPressStopwatch.reset();
        t.form->SettingsIconRectangleClick();
        QVERIFY(!t.form->ButtonsVisibleTimer->isActive());
        t.form->OutputRectangleClick(); // closes the panel; icons stay hidden
        QVERIFY(t.form->CameraIconRectangle->isHidden());
        t.form->OutputRectangleClick(); // now the tools come back
        QVERIFY(!t.form->CameraIconRectangle->isHidden());
        QVERIFY(t.form->ButtonsVisibleTimer->isActive());
    }

    void theLayoutRecordsHomes_data()
    {
        QTest::addColumn<QSize>("window");
        QTest::addColumn<QRectF>("camera");
        QTest::newRow("1000x600") << QSize(1000, 600) << QRectF(460, 200, 80, 80);
        QTest::newRow("600x1000") << QSize(600, 1000) << QRectF(260, 360, 80, 80);
        QTest::newRow("640x480") << QSize(640, 480) << QRectF(294.4, 166.4, 51.2, 51.2);
    }

    void theLayoutRecordsHomes()
    {
        QFETCH(QSize, window);
        QFETCH(QRectF, camera);
        FormFixture f;
        f.form->resize(window);
        f.form->FormResize();
        BitmapRectangle *icon = f.form->CameraIconRectangle;
        QCOMPARE(float(icon->xF()), float(camera.x()));
        QCOMPARE(float(icon->yF()), float(camera.y()));
        QCOMPARE(float(icon->widthF()), float(camera.width()));
        QCOMPARE(f.form->CameraIconHome.Left, int(camera.x()));
        QCOMPARE(f.form->CameraIconHome.Top, int(camera.y()));
        QCOMPARE(f.form->outputBitmap().size(), window);
        QCOMPARE(f.form->ScreenLongSide, double(std::max(window.width(), window.height())));
    }

    void settingsPanelPlacesAt1000x600()
    {
        FormFixture f;
        f.form->resize(1000, 600);
        f.form->FormResize();
        QCOMPARE(f.form->CameraResolutionsTrackBar->positionF(), QPointF(360, 50));
        QCOMPARE(f.form->CameraResolutionsRectangle->positionF(), QPointF(360, 20));
        QCOMPARE(f.form->CameraSensitivityTrackBar->positionF(), QPointF(360, 140));
        QCOMPARE(f.form->CameraSensitivityRectangle->positionF(), QPointF(360, 110));
        QCOMPARE(f.form->FreezingSpeedTrackBar->positionF(), QPointF(360, 320));
        QCOMPARE(f.form->FreezingSpeedRectangle->positionF(), QPointF(360, 290));
        QCOMPARE(f.form->OkButtonRectangle->positionF(), QPointF(451.5, 350));
        QCOMPARE(f.form->CameraResolutionsLabel->widthF(), 272.0f);
        QCOMPARE(f.form->FreezingSpeedLabel->widthF(), 271.0f);
        QCOMPARE(f.form->CameraSensitivityRectangle->sizeF(), QSizeF(280, 20));
    }

    void resizeAsksTheNextFrameToStartAfresh()
    {
        FormFixture f(typicalWebcamSettings());
        f.form->ResetPreviousFrame = false;
        f.form->ClearOutputAfterResize = false;
        std::fill(f.form->MeltLevels.begin(), f.form->MeltLevels.end(), 500);
        f.form->resize(1280, 720);
        f.form->FormResize();
        QVERIFY(f.form->ResetPreviousFrame && f.form->ClearOutputAfterResize);
        QVERIFY(std::all_of(f.form->MeltLevels.begin(), f.form->MeltLevels.end(),
                            [](int v) { return v == 500; }));
        // The ice of the current picture, centred on black.
        QCOMPARE(f.form->outputBitmap().pixel(5, 360) | 0xFF000000u, qRgb(0, 0, 0));
    }
};

QTEST_MAIN(TestToolIcons)
#include "test_tool_icons.moc"
