#include "widgets/bitmap_rectangle.h"
#include "widgets/float_slider.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
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

    void sliderKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("expected");
        // Range 0..100, step 2, page 25.
        QTest::newRow("right: one step up") << int(Qt::Key_Right) << 50.0 << 52.0;
        QTest::newRow("up: one step up") << int(Qt::Key_Up) << 50.0 << 52.0;
        QTest::newRow("left: one step down") << int(Qt::Key_Left) << 50.0 << 48.0;
        QTest::newRow("down: one step down") << int(Qt::Key_Down) << 50.0 << 48.0;
        QTest::newRow("page up") << int(Qt::Key_PageUp) << 50.0 << 75.0;
        QTest::newRow("page down") << int(Qt::Key_PageDown) << 50.0 << 25.0;
        QTest::newRow("page up stops at the top") << int(Qt::Key_PageUp) << 90.0 << 100.0;
        QTest::newRow("left stops at the bottom") << int(Qt::Key_Left) << 1.0 << 0.0;
        QTest::newRow("home") << int(Qt::Key_Home) << 50.0 << 0.0;
        QTest::newRow("end") << int(Qt::Key_End) << 50.0 << 100.0;
        QTest::newRow("a letter moves nothing") << int(Qt::Key_A) << 50.0 << 50.0;
    }

    // The arrow and page keys move a focused slider, and each move is a
    // finished change even with tracking off.
    void sliderKeys()
    {
        QFETCH(int, key);
        QFETCH(double, start);
        QFETCH(double, expected);
        QWidget window;
        window.resize(400, 100);
        FloatSlider slider(&window);
        slider.setGeometryF(10, 10, 300, 20);
        slider.setMaximum(100);
        slider.setSingleStep(2);
        slider.setPageStep(25);
        slider.setTracking(false);
        slider.setValue(start);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        slider.setFocus();
        QVERIFY(slider.hasFocus());
        QSignalSpy changed(&slider, &FloatSlider::valueChanged);

        QTest::keyClick(&slider, Qt::Key(key));
        QCOMPARE(slider.value(), expected);
        QCOMPARE(changed.count(), expected == start ? 0 : 1);
    }

    // Tab goes from slider to slider in creation order; the one with the
    // focus wears a ring.
    void tabMovesTheFocusAndTheRingShows()
    {
        QWidget window;
        window.resize(400, 100);
        FloatSlider first(&window);
        first.setGeometryF(10, 10, 300, 20);
        FloatSlider second(&window);
        second.setGeometryF(10, 50, 300, 20);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        first.setFocus();
        const QImage unfocused = second.grab().toImage();
        QTest::keyClick(&window, Qt::Key_Tab);
        QVERIFY(second.hasFocus());
        QVERIFY(second.grab().toImage() != unfocused);
        QTest::keyClick(&window, Qt::Key_Backtab);
        QVERIFY(first.hasFocus());
    }

    // A screen reader reads and sets the value within the range, and learns
    // of every change.
    void sliderIsAnAccessibleSlider()
    {
        QWidget window;
        FloatSlider slider(&window);
        slider.setAccessibleName(QStringLiteral("Loudness"));
        slider.setMinimum(10);
        slider.setMaximum(30);
        slider.setSingleStep(0.5);
        slider.setValue(12.5);
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(&slider);
        QVERIFY(accessible);
        QCOMPARE(accessible->role(), QAccessible::Slider);
        QCOMPARE(accessible->text(QAccessible::Name), QStringLiteral("Loudness"));
        QCOMPARE(accessible->text(QAccessible::Value), QStringLiteral("12.5"));
        QAccessibleValueInterface *value = accessible->valueInterface();
        QVERIFY(value);
        QCOMPARE(value->minimumValue().toDouble(), 10.0);
        QCOMPARE(value->maximumValue().toDouble(), 30.0);
        QCOMPARE(value->minimumStepSize().toDouble(), 0.5);
        QSignalSpy changed(&slider, &FloatSlider::valueChanged);
        value->setCurrentValue(20.25);
        QCOMPARE(slider.value(), 20.25);
        QCOMPARE(changed.count(), 1);
        value->setCurrentValue(99.0);
        QCOMPARE(value->currentValue().toDouble(), 30.0);
        slider.setEnabled(false);
        value->setCurrentValue(15.0);
        QCOMPARE(slider.value(), 30.0); // a disabled slider takes nothing
    }

    // The press action is a whole tap: press, release and click; a hidden
    // rectangle, or one that lets the pointer through, does nothing.
    void rectangleIsAnAccessibleButton()
    {
        QWidget window;
        window.resize(200, 200);
        BitmapRectangle rectangle(&window);
        rectangle.setGeometryF(10, 10, 50, 50);
        rectangle.setAccessibleName(QStringLiteral("Camera"));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(&rectangle);
        QVERIFY(accessible);
        QCOMPARE(accessible->role(), QAccessible::Button);
        QCOMPARE(accessible->text(QAccessible::Name), QStringLiteral("Camera"));
        QAccessibleActionInterface *actions = accessible->actionInterface();
        QVERIFY(actions);
        QVERIFY(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
        QSignalSpy pressed(&rectangle, &BitmapRectangle::pressed);
        QSignalSpy released(&rectangle, &BitmapRectangle::released);
        QSignalSpy clicked(&rectangle, &BitmapRectangle::clicked);
        actions->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(pressed.count(), 1);
        QCOMPARE(released.count(), 1);
        QCOMPARE(clicked.count(), 1);

        rectangle.setHitTest(false);
        actions->doAction(QAccessibleActionInterface::pressAction());
        rectangle.setHitTest(true);
        rectangle.setAccessibleName(QString()); // a backdrop: nothing to press
        QCOMPARE(accessible->role(), QAccessible::Pane);
        QVERIFY(accessible->actionInterface()->actionNames().isEmpty());
        actions->doAction(QAccessibleActionInterface::pressAction());
        rectangle.setAccessibleName(QStringLiteral("Camera"));
        rectangle.hide();
        actions->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(clicked.count(), 1);
    }

    void bitmapIsScaledSmoothlyToTheDevicePixels_data()
    {
        QTest::addColumn<double>("ratio");
        QTest::newRow("one pixel per unit") << 1.0;
        QTest::newRow("one and a half") << 1.5;
        QTest::newRow("twice the density") << 2.0;
    }

    // A large bitmap shown smaller is scaled smoothly, once, straight to the
    // pixels it covers at the screen's density: sharp, never blown up from a
    // smaller copy.
    void bitmapIsScaledSmoothlyToTheDevicePixels()
    {
        QFETCH(double, ratio);
        QImage bitmap(256, 256, QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x)
                bitmap.setPixel(x, y, ((x / 3 + y / 5) % 2) ? 0xFFFFFFFFu : 0xFF203040u);
        BitmapRectangle rectangle;
        rectangle.setFillKind(BitmapRectangle::Brush::Bitmap);
        rectangle.setStrokeKind(BitmapRectangle::Brush::None);
        rectangle.setFillBitmap(bitmap);
        rectangle.setGeometryF(0, 0, 80, 80);

        const QSize pixels = (QSizeF(80, 80) * ratio).toSize();
        for (int paint = 0; paint < 2; ++paint) { // the second paint reuses the scaled copy
            QImage drawn(pixels, QImage::Format_ARGB32_Premultiplied);
            drawn.setDevicePixelRatio(ratio);
            drawn.fill(Qt::transparent);
            rectangle.render(&drawn);
            drawn.setDevicePixelRatio(1.0);
            QCOMPARE(drawn, bitmap.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        }
    }
};

QTEST_MAIN(TestWidgets)
#include "test_widgets.moc"
