#include "core/window_layout.h"

#include <QtTest>

class TestWindowLayout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void icons_data()
    {
        QTest::addColumn<double>("screenWidth");
        QTest::addColumn<double>("screenHeight");
        QTest::addColumn<int>("slot");
        QTest::addColumn<QRectF>("expected");
        QTest::addColumn<QRect>("home"); // left, top, centerX, centerY

        // 1000 x 600: every icon 80 x 80.
        const QList<QPair<QRectF, QRect>> wide = {
            {{360, 80, 80, 80}, {360, 80, 400, 120}},   // switch camera
            {{560, 80, 80, 80}, {560, 80, 600, 120}},   // eye
            {{260, 200, 80, 80}, {260, 200, 300, 240}}, // about
            {{460, 200, 80, 80}, {460, 200, 500, 240}}, // camera
            {{660, 200, 80, 80}, {660, 200, 700, 240}}, // settings
            {{360, 320, 80, 80}, {360, 320, 400, 360}}, // previous
            {{560, 320, 80, 80}, {560, 320, 600, 360}}, // next
        };
        for (int i = 0; i < 7; ++i)
            QTest::addRow("1000x600 slot %d", i) << 1000.0 << 600.0 << i << wide[i].first << wide[i].second;
        // A tall window: the same 80 x 80 icons, the longer side is the height.
        QTest::newRow("600x1000 camera") << 600.0 << 1000.0 << 3 << QRectF(260, 360, 80, 80) << QRect(260, 360, 300, 400);
        // A square window uses the height; same value.
        QTest::newRow("500x500 camera") << 500.0 << 500.0 << 3 << QRectF(230, 180, 40, 40) << QRect(230, 180, 250, 200);
        // 640 x 480: 51.2 wide icons at fractional places; homes are cut.
        QTest::newRow("640x480 about: fractional place")
            << 640.0 << 480.0 << 2 << QRectF(166.4f, 166.4f, 51.2f, 51.2f) << QRect(166, 166, 191, 191);
        QTest::newRow("30x20 about: tiny window")
            << 30.0 << 20.0 << 2 << QRectF(7.8f, 6.8f, 2.4f, 2.4f) << QRect(7, 6, 8, 7);
    }

    void icons()
    {
        QFETCH(double, screenWidth);
        QFETCH(double, screenHeight);
        QFETCH(int, slot);
        QFETCH(QRectF, expected);
        QFETCH(QRect, home);
        const IconSlot s = kIconSlots[std::size_t(slot)];
        const IconPlace p = placeIcon(screenWidth, screenHeight, longSide(screenWidth, screenHeight),
                                      0.08, 128, 128, s.centerX, s.centerY);
        QCOMPARE(p.x, float(expected.x()));
        QCOMPARE(p.y, float(expected.y()));
        QCOMPARE(p.width, float(expected.width()));
        QCOMPARE(p.height, float(expected.height()));
        QCOMPARE(p.home.left, home.left());
        QCOMPARE(p.home.top, home.top());
        QCOMPARE(p.home.centerX, home.width());  // the QRect carries the center in its
        QCOMPARE(p.home.centerY, home.height()); // width and height fields
    }

    void homeCenterComesFromTheCutCorner()
    {
        // An icon at X 294.4 with width 51.2: CenterX = trunc(25.6 + 294) = 319.
        const IconPlace p = placeIcon(640.0, 480.0, 640.0, 0.08, 128, 128, (294.4 + 25.6) / 640.0, 0.5);
        QCOMPARE(p.home.left, 294);
        QCOMPARE(p.home.centerX, 319);
    }

    void negativeHomeCutsTowardZero()
    {
        // A 10 x 10 window: icon 0.8 high, X = 10 * 0.3 - 0.4 = 2.6; a center
        // at -0.3 of the width gives X = -3.4 and home -3.
        const IconPlace p = placeIcon(10.0, 10.0, 10.0, 0.08, 128, 128, -0.3, 0.5);
        QVERIFY(p.x < -3.0f && p.x > -4.0f);
        QCOMPARE(p.home.left, -3);
    }

    void sliderGroups_data()
    {
        QTest::addColumn<int>("slot");
        QTest::addColumn<float>("labelX");
        QTest::addColumn<QPointF>("track");
        QTest::addColumn<QRectF>("box");
        QTest::addColumn<float>("labelWidth");
        // 1000 x 600, 280 x 20 track bars, 20 high labels at Y 0.
        QTest::newRow("resolution") << 0 << 8.0f << QPointF(360, 50) << QRectF(360, 20, 280, 20) << 272.0f;
        QTest::newRow("sensitivity") << 1 << 9.0f << QPointF(360, 140) << QRectF(360, 110, 280, 20) << 271.0f;
        QTest::newRow("freezing speed") << 2 << 9.0f << QPointF(360, 320) << QRectF(360, 290, 280, 20) << 271.0f;
    }

    void sliderGroups()
    {
        QFETCH(int, slot);
        QFETCH(float, labelX);
        QFETCH(QPointF, track);
        QFETCH(QRectF, box);
        QFETCH(float, labelWidth);
        const SliderGroupPlace p = placeSliderGroup(1000.0, 600.0, kSliderSlots[std::size_t(slot)].centerY,
                                                    280.0f, 20.0f, labelX, 0.0f, 20.0f);
        QCOMPARE(QPointF(p.trackX, p.trackY), track);
        QCOMPARE(QRectF(p.boxX, p.boxY, p.boxWidth, p.boxHeight), box);
        QCOMPARE(p.labelWidth, labelWidth);
    }

    void okBoxSitsUnderTheFreezingSpeedSlider()
    {
        const Point ok = placeOkBox(1000.0, 97.0f, 320.0f, 20.0f);
        QCOMPARE(ok.x, 451.5f);
        QCOMPARE(ok.y, 350.0f);
    }

    void pressedIconGrowsAboutItsCenter_data()
    {
        QTest::addColumn<QRectF>("icon");
        QTest::addColumn<QPointF>("pressedCorner");
        QTest::addColumn<QRect>("home"); // left, top, centerX, centerY
        QTest::newRow("80x80 at (460, 200)")
            << QRectF(460, 200, 80, 80) << QPointF(448, 188) << QRect(460, 200, 500, 240);
        QTest::newRow("fractional place: the home is cut")
            << QRectF(294.4, 175.2, 51.2, 51.2) << QPointF(319 - 25.6 * double(1.3f), 200 - 25.6 * double(1.3f))
            << QRect(294, 175, 319, 200);
        QTest::newRow("negative place cuts toward zero")
            << QRectF(-3.4, -0.5, 10, 10) << QPointF(1 - 5 * double(1.3f), 4 - 5 * double(1.3f))
            << QRect(-3, 0, 1, 4);
    }

    void pressedIconGrowsAboutItsCenter()
    {
        QFETCH(QRectF, icon);
        QFETCH(QPointF, pressedCorner);
        QFETCH(QRect, home);
        const PressedIconPlace p = placePressedIcon(float(icon.x()), float(icon.y()), float(icon.width()),
                                                    float(icon.height()), float(kIconPressScale));
        QCOMPARE(p.x, float(pressedCorner.x()));
        QCOMPARE(p.y, float(pressedCorner.y()));
        QCOMPARE(p.home.left, home.left());
        QCOMPARE(p.home.top, home.top());
        QCOMPARE(p.home.centerX, home.width());
        QCOMPARE(p.home.centerY, home.height());
    }

    void longSideTiesGoToTheHeight()
    {
        QCOMPARE(longSide(1000, 600), 1000.0);
        QCOMPARE(longSide(600, 1000), 1000.0);
        QCOMPARE(longSide(502.5, 502.5), 502.5);
    }
};

QTEST_APPLESS_MAIN(TestWindowLayout)
#include "test_window_layout.moc"
