#include "app/tool_icons.h"
#include "assets/image_catalogue.h"
#include "support/window_fixture.h"

#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

namespace {

QList<BitmapRectangle *> rectanglesOf(const QWidget &window)
{
    QList<BitmapRectangle *> list;
    for (QObject *child : window.children())
        if (auto *r = qobject_cast<BitmapRectangle *>(child))
            list.append(r);
    return list;
}

// A 1000 x 600 window, by default with the tools shown: every icon 80 x 80.
struct Tools : WindowFixture
{
    explicit Tools(bool shown = true)
        : WindowFixture(typicalWebcamSettings(), typicalWebcamSettings(), {1000, 600})
    {
        if (shown)
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

// The icons as the window shows the controls' state: the press feedback,
// the gate's timing as a child meets it, and their fading out. Which click
// asks for what is the controls' rule, tested in tests/core.
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
        QCOMPARE(icon->sizeF(), QSizeF(80, 80));     // the logical size stays
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
        // The picture, 7 icons, 3 label boxes, the sound and wave-to-go-on
        // boxes, the OK box and the wave target's button.
        QCOMPARE(rectanglesOf(*t.window).size(), 15);
    }

    void aPressSoonerThanHalfASecondIsIgnored_data()
    {
        QTest::addColumn<bool>("afterStart");
        QTest::addColumn<int>("since");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("499 ms after the last press: ignored") << false << 499 << false;
        QTest::newRow("500 ms after the last press: accepted") << false << 500 << true;
        QTest::newRow("499 ms after the start: ignored") << true << 499 << false;
        QTest::newRow("500 ms after the start: accepted") << true << 500 << true;
    }

    // Across all icons: the last press on another icon counts, and at start
    // the window's making does.
    void aPressSoonerThanHalfASecondIsIgnored()
    {
        QFETCH(bool, afterStart);
        QFETCH(int, since);
        QFETCH(bool, accepted);
        Tools t(!afterStart);
        if (!afterStart) {
            t.press("nextPictureIcon");
            t.release("nextPictureIcon");
        }
        t.clock.advance(since);
        QTest::mousePress(t.find("cameraIcon"), Qt::LeftButton, {}, QPoint(40, 40));
        QCOMPARE(t.icon("cameraIcon")->scaleX(), accepted ? 1.3f : 1.0f);
    }

    void aPressEndsWithoutARelease_data()
    {
        QTest::addColumn<bool>("hidden");
        QTest::newRow("the pointer leaves the icon") << false;
        QTest::newRow("the icon is hidden") << true;
    }

    void aPressEndsWithoutARelease()
    {
        QFETCH(bool, hidden);
        Tools t;
        BitmapRectangle *icon = t.icon("settingsIcon");
        t.press("settingsIcon");
        QVERIFY(!t.icon("pictureView")->hitTest());
        if (hidden) {
            icon->hide();
        } else {
            QEvent leave(QEvent::Leave);
            QApplication::sendEvent(icon, &leave);
        }
        QCOMPARE(icon->scaleX(), 1.0f);
        QCOMPARE(icon->positionF(), QPointF(660, 200));
        QVERIFY(t.icon("pictureView")->hitTest());
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
