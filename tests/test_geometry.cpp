#include "game/geometry.h"

#include <QtTest>

class TestGeometry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fitRect_data()
    {
        QTest::addColumn<int>("sourceWidth");
        QTest::addColumn<int>("sourceHeight");
        QTest::addColumn<double>("screenWidth");
        QTest::addColumn<double>("screenHeight");
        QTest::addColumn<QRectF>("expected"); // left, top, width, height

        // The supplied 640 x 480 photographs and the 1024 x 280 banner.
        QTest::newRow("photo in 640x480: fills") << 640 << 480 << 640.0 << 480.0 << QRectF(0, 0, 640, 480);
        QTest::newRow("banner in 640x480") << 1024 << 280 << 640.0 << 480.0 << QRectF(0, 152, 640, 175);
        QTest::newRow("photo in 1280x720: bars left and right") << 640 << 480 << 1280.0 << 720.0 << QRectF(160, 0, 960, 720);
        QTest::newRow("banner in 1280x720") << 1024 << 280 << 1280.0 << 720.0 << QRectF(0, 185, 1280, 350);
        QTest::newRow("photo in 801x600: 600.75 cuts to 600, full width stays") << 640 << 480 << 801.0 << 600.0 << QRectF(0, 0, 801, 600);
        QTest::newRow("banner in 801x600: odd margin goes to the bottom") << 1024 << 280 << 801.0 << 600.0 << QRectF(0, 190, 801, 219);
        QTest::newRow("photo in 640x800: bars top and bottom") << 640 << 480 << 640.0 << 800.0 << QRectF(0, 160, 640, 480);
        QTest::newRow("banner in 640x800") << 1024 << 280 << 640.0 << 800.0 << QRectF(0, 312, 640, 175);
        QTest::newRow("portrait camera 480x640 in 640x480") << 480 << 640 << 640.0 << 480.0 << QRectF(140, 0, 360, 480);
        QTest::newRow("fractional screen width 800.9 counts as 800") << 640 << 480 << 800.9 << 600.0 << QRectF(0, 0, 800, 600);
        QTest::newRow("zero source width counts as 1") << 0 << 480 << 640.0 << 480.0 << QRectF(319, 0, 1, 480);
        QTest::newRow("zero source height counts as 1") << 640 << 0 << 640.0 << 480.0 << QRectF(0, 239, 640, 1);
        QTest::newRow("zero both: a 1x1 source fills a square") << 0 << 0 << 300.0 << 300.0 << QRectF(0, 0, 300, 300);
        QTest::newRow("empty screen") << 640 << 480 << 0.0 << 0.0 << QRectF(0, 0, 0, 0);
        QTest::newRow("4K source in 4K window does not overflow") << 3840 << 2160 << 3840.0 << 2160.0 << QRectF(0, 0, 3840, 2160);
    }

    void fitRect()
    {
        QFETCH(int, sourceWidth);
        QFETCH(int, sourceHeight);
        QFETCH(double, screenWidth);
        QFETCH(double, screenHeight);
        QFETCH(QRectF, expected);
        const RectF r = ::fitRect(sourceWidth, sourceHeight, screenWidth, screenHeight);
        QCOMPARE(r.toQRectF(), expected);
        // Every edge is a whole number.
        for (float edge : {r.Left, r.Top, r.Right, r.Bottom})
            QCOMPARE(edge, std::trunc(edge));
    }

    void usableScreenHeight_data()
    {
        QTest::addColumn<int>("clientHeight");
        QTest::addColumn<double>("titleBar");
        QTest::addColumn<double>("scale");
        QTest::addColumn<bool>("maximized");
        QTest::addColumn<double>("expected");
        QTest::newRow("no title bar") << 480 << 0.0 << 1.0 << false << 480.0;
        QTest::newRow("title bar once") << 480 << 22.0 << 1.0 << false << 502.0;
        QTest::newRow("title bar twice when maximised") << 480 << 22.0 << 1.0 << true << 524.0;
        QTest::newRow("scaled screen") << 480 << 22.0 << 2.0 << false << 491.0;
        QTest::newRow("unknown scale counts as 1") << 480 << 22.0 << 0.0 << false << 502.0;
    }

    void usableScreenHeight()
    {
        QFETCH(int, clientHeight);
        QFETCH(double, titleBar);
        QFETCH(double, scale);
        QFETCH(bool, maximized);
        QFETCH(double, expected);
        QCOMPARE(::usableScreenHeight(clientHeight, titleBar, scale, maximized), expected);
    }
};

QTEST_APPLESS_MAIN(TestGeometry)
#include "test_geometry.moc"
