#include "support/window_fixture.h"
#include "widgets/float_slider.h"

#include <QPlainTextEdit>
#include <QTimer>
#include <QtTest>

namespace {

const char *const kToolIcons[] = {"cameraIcon",  "settingsIcon",    "eyeIcon",
                                  "aboutIcon",   "switchCameraIcon", "nextPictureIcon",
                                  "previousPictureIcon"};

QList<BitmapRectangle *> rectanglesOf(const QWidget &window)
{
    QList<BitmapRectangle *> list;
    for (QObject *child : window.children())
        if (auto *r = qobject_cast<BitmapRectangle *>(child))
            list.append(r);
    return list;
}

// A 1000 x 600 window with the tools shown: every icon 80 x 80.
struct Tools : WindowFixture
{
    Tools() : WindowFixture(typicalWebcamSettings(), typicalWebcamSettings(), {1000, 600})
    {
        tap("pictureView");
    }
    void press(const char *name)
    {
        clock.advance(500);
        QTest::mousePress(find(name), Qt::LeftButton, {}, QPoint(40, 40));
    }
    void release(const char *name) { QTest::mouseRelease(find(name), Qt::LeftButton, {}, QPoint(40, 40)); }
};

} // namespace

// The icons' press feedback and timing, and their fading out.
class TestToolIcons : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aPressGrowsTheIconAboutItsCenterAndTheReleaseTakesItHome()
    {
        Tools t;
        BitmapRectangle *icon = t.icon("cameraIcon");
        QCOMPARE(icon->positionF(), QPointF(460, 200));
        t.press("cameraIcon");
        QCOMPARE(icon->scaleX(), 1.3f);
        QCOMPARE(icon->geometry(), QRect(448, 188, 104, 104));
        QCOMPARE(icon->sizeF(), QSizeF(80, 80)); // the logical size stays
        QCOMPARE(t.window->children().last(), icon); // brought to the front
        // Nothing else takes the pointer meanwhile; sliders keep theirs.
        for (BitmapRectangle *r : rectanglesOf(*t.window))
            QCOMPARE(r->hitTest(), r == icon);
        QVERIFY(!t.find("resolutionSlider")->testAttribute(Qt::WA_TransparentForMouseEvents));

        t.release("cameraIcon");
        QCOMPARE(icon->positionF(), QPointF(460, 200));
        QCOMPARE(icon->scaleX(), 1.0f);
        QCOMPARE(icon->scaleY(), 1.0f);
        for (BitmapRectangle *r : rectanglesOf(*t.window))
            QVERIFY(r->hitTest());
        QCOMPARE(rectanglesOf(*t.window).size(), 13); // picture, 7 icons, 3 label boxes, the sound box, OK box
    }

    void aPressWithinHalfASecondOfTheLastIsIgnored_data()
    {
        QTest::addColumn<int>("sinceLastPress");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("499 ms: ignored") << 499 << false;
        QTest::newRow("500 ms: accepted") << 500 << true;
    }

    void aPressWithinHalfASecondOfTheLastIsIgnored()
    {
        QFETCH(int, sinceLastPress);
        QFETCH(bool, accepted);
        Tools t;
        t.press("cameraIcon");
        t.release("cameraIcon");
        t.clock.advance(sinceLastPress - 500);
        t.press("nextPictureIcon");
        QCOMPARE(t.icon("nextPictureIcon")->scaleX(), accepted ? 1.3f : 1.0f);
    }

    void theFirstPressIsAcceptedHalfASecondAfterStart()
    {
        WindowFixture f(typicalWebcamSettings());
        BitmapRectangle *icon = f.icon("cameraIcon");
        f.clock.advance(499);
        QTest::mousePress(icon, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(icon->scaleX(), 1.0f);
        QTest::mouseRelease(icon, Qt::LeftButton, {}, QPoint(5, 5));
        f.clock.advance(1);
        QTest::mousePress(icon, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(icon->scaleX(), 1.3f);
    }

    void aLongPressDoesNotAct_data()
    {
        QTest::addColumn<QString>("icon");
        QTest::addColumn<qint64>("held");
        QTest::addColumn<bool>("acts");
        for (const char *name : {"cameraIcon", "switchCameraIcon", "eyeIcon", "settingsIcon", "aboutIcon"}) {
            QTest::addRow("%s held 500 ms: acts", name) << QString::fromLatin1(name) << qint64(500) << true;
            QTest::addRow("%s held 501 ms: does nothing", name) << QString::fromLatin1(name) << qint64(501) << false;
        }
    }

    void aLongPressDoesNotAct()
    {
        QFETCH(QString, icon);
        QFETCH(qint64, held);
        QFETCH(bool, acts);
        Tools t;
        t.tap(qPrintable(icon), held);
        bool acted = false;
        if (icon == QLatin1String("cameraIcon"))
            acted = t.camera->isActive();
        else if (icon == QLatin1String("switchCameraIcon"))
            acted = t.camera->kind() == CameraKind::Back;
        else if (icon == QLatin1String("eyeIcon"))
            acted = t.icon("eyeIcon")->fillBitmap() == t.catalogueImage("view_man");
        else if (icon == QLatin1String("settingsIcon"))
            acted = t.shown("okButton");
        else if (icon == QLatin1String("aboutIcon"))
            acted = t.shown("aboutText");
        QCOMPARE(acted, acts);
    }

    void thePointerLeavingEndsThePress()
    {
        Tools t;
        BitmapRectangle *icon = t.icon("settingsIcon");
        t.press("settingsIcon");
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(icon, &leave);
        QCOMPARE(icon->scaleX(), 1.0f);
        QCOMPARE(icon->positionF(), QPointF(660, 200));
    }

    void hidingAHeldIconEndsThePress()
    {
        Tools t;
        t.press("nextPictureIcon");
        QVERIFY(!t.icon("pictureView")->hitTest());
        t.find("nextPictureIcon")->hide();
        QVERIFY(t.icon("pictureView")->hitTest());
        QCOMPARE(t.icon("nextPictureIcon")->scaleX(), 1.0f);
    }

    void iconsFadeOutAfterTwoHundredIdleTicks()
    {
        Tools t;
        t.tick("toolFadeTimer", 201);
        for (const char *name : kToolIcons)
            QCOMPARE(t.icon(name)->opacity(), 0.9f);
        t.tick("toolFadeTimer", 7);
        QVERIFY(t.shown("settingsIcon"));
        t.tick("toolFadeTimer");
        for (const char *name : kToolIcons)
            QVERIFY2(!t.shown(name), name);
        QVERIFY(!t.find<QTimer>("toolFadeTimer")->isActive());

        // Hidden icons let a tap reach the picture, which brings them back.
        QCOMPARE(t.window->childAt(500, 240), t.find("pictureView"));
        t.tap("pictureView");
        QCOMPARE(t.window->childAt(500, 240), t.find("cameraIcon"));
        QCOMPARE(t.icon("cameraIcon")->opacity(), 1.0f);
        QVERIFY(t.find<QTimer>("toolFadeTimer")->isActive());
    }

    void usingAToolPausesTheFade()
    {
        Tools t;
        t.tick("toolFadeTimer", 205);
        t.tap("nextPictureIcon");
        QCOMPARE(t.icon("settingsIcon")->opacity(), 0.49999991f);
        t.tick("toolFadeTimer", 203);
        QVERIFY(t.shown("settingsIcon"));
        t.tick("toolFadeTimer");
        QVERIFY(!t.shown("settingsIcon"));
    }

    void panelsStopTheFadeAndTheirCloseBringsNoIcons()
    {
        Tools t;
        t.tap("settingsIcon");
        QVERIFY(!t.find<QTimer>("toolFadeTimer")->isActive());
        t.tap("pictureView"); // closes the panel; icons stay hidden
        QVERIFY(!t.shown("okButton"));
        QVERIFY(!t.shown("cameraIcon"));
        t.tap("pictureView"); // now the tools come back
        QVERIFY(t.shown("cameraIcon"));
        QVERIFY(t.find<QTimer>("toolFadeTimer")->isActive());
    }
};

QTEST_MAIN(TestToolIcons)
#include "test_tool_icons.moc"
