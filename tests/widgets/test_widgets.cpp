#include "widgets/bitmap_rectangle.h"
#include "widgets/float_slider.h"

#include <QSignalSpy>
#include <QWindow>
#include <QtTest>

class TestWidgets : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void trackBarReportsOnReleaseWithTrackingOff()
    {
        QWidget window;
        window.resize(400, 100);
        FloatSlider bar(&window);
        bar.setGeometryF(10, 10, 300, 20);
        bar.setMaximum(10);
        bar.setTracking(false);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy changed(&bar, &FloatSlider::valueChanged);
        QSignalSpy dragged(&bar, &FloatSlider::thumbDragged);

        QTest::mousePress(&bar, Qt::LeftButton, {}, QPoint(60, 10));
        QTest::mouseMove(&bar, QPoint(150, 10));
        QTest::mouseMove(&bar, QPoint(250, 10));
        QVERIFY(dragged.count() >= 2);
        QCOMPARE(changed.count(), 0);
        QTest::mouseRelease(&bar, Qt::LeftButton, {}, QPoint(250, 10));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(bar.value(), bar.valueAt(250));
        QVERIFY(bar.value() > 7.0 && bar.value() < 9.0); // a float, not snapped

        // A value set by the program is a change too; blocking silences it.
        bar.setValue(3.5);
        QCOMPARE(changed.count(), 2);
        {
            const QSignalBlocker detached(&bar);
            bar.setValue(1.25);
        }
        QCOMPARE(changed.count(), 2);
        QCOMPARE(bar.value(), 1.25);
        bar.setValue(99); // clamped to the range
        QCOMPARE(bar.value(), 10.0);
    }

    void rectangleClicksOnlyWhenReleasedInside()
    {
        QWidget window;
        window.resize(200, 200);
        BitmapRectangle rectangle(&window);
        rectangle.setGeometryF(10.5f, 20.25f, 50, 40);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(rectangle.geometry(), QRect(10, 20, 51, 41)); // covers the float rectangle
        QSignalSpy clicked(&rectangle, &BitmapRectangle::clicked);
        QSignalSpy released(&rectangle, &BitmapRectangle::released);

        QTest::mouseClick(&rectangle, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(clicked.count(), 1);
        QTest::mousePress(&rectangle, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseRelease(&rectangle, Qt::LeftButton, {}, QPoint(150, 150));
        QCOMPARE(released.count(), 2);
        QCOMPARE(clicked.count(), 1);

        rectangle.setScaleX(1.3f);
        rectangle.setScaleY(1.3f);
        QCOMPARE(rectangle.sizeF(), QSizeF(50, 40));
        QCOMPARE(rectangle.geometry(), QRect(10, 20, 66, 53)); // 65 x 52 drawn from the corner

        rectangle.setHitTest(false);
        QVERIFY(rectangle.testAttribute(Qt::WA_TransparentForMouseEvents));
        QCOMPARE(window.childAt(20, 30), nullptr);
    }

    void aPressDraggedOffEndsAtOnce()
    {
        // Through the window, as a real pointer: the press grabs the mouse,
        // so Qt would report the leave only after the release.
        QWidget window;
        window.resize(200, 200);
        BitmapRectangle rectangle(&window);
        rectangle.setGeometryF(20, 20, 50, 50);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy left(&rectangle, &BitmapRectangle::left);
        QSignalSpy clicked(&rectangle, &BitmapRectangle::clicked);
        QWindow *handle = window.windowHandle();

        QTest::mousePress(handle, Qt::LeftButton, {}, QPoint(40, 40));
        QTest::mouseMove(handle, QPoint(60, 60)); // still inside
        QCOMPARE(left.count(), 0);
        QTest::mouseMove(handle, QPoint(150, 150));
        QCOMPARE(left.count(), 1);
        QTest::mouseMove(handle, QPoint(160, 150)); // once only
        QTest::mouseMove(handle, QPoint(40, 40));   // coming back does not press again
        QTest::mouseRelease(handle, Qt::LeftButton, {}, QPoint(40, 40));
        QCOMPARE(left.count(), 1);
        QCOMPARE(clicked.count(), 0);
    }
};

QTEST_MAIN(TestWidgets)
#include "test_widgets.moc"
