#include "core/geometry.h"
#include "core/progress_bar.h"

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
        const QRectF r = ::fitRect(sourceWidth, sourceHeight, screenWidth, screenHeight);
        QCOMPARE(r, expected);
        // Every edge is a whole number.
        for (qreal edge : {r.left(), r.top(), r.right(), r.bottom()})
            QCOMPARE(edge, std::trunc(edge));
    }

    void progressBar_data()
    {
        QTest::addColumn<QRectF>("picture");
        QTest::addColumn<double>("fraction");
        QTest::addColumn<QRectF>("bar");
        QTest::addColumn<QRgb>("color");
        QTest::addColumn<double>("ratio");
        QTest::newRow("clean at 640x480") << QRectF(0, 0, 640, 480) << 1.0 << QRectF(20, 432, 600, 20) << QRgb(0xFF0D0A57) << 1.0;
        QTest::newRow("nothing clean: no width, red") << QRectF(0, 0, 640, 480) << 0.0 << QRectF(20, 432, 0, 20) << QRgb(0xFF6A0817) << 1.0;
        QTest::newRow("exactly half: red") << QRectF(0, 0, 640, 480) << 0.5 << QRectF(20, 432, 300, 20) << QRgb(0xFF6A0817) << 1.0;
        QTest::newRow("just past half: blue") << QRectF(0, 0, 640, 480) << 0.5000001 << QRectF(20, 432, 300, 20) << QRgb(0xFF0D0A57) << 1.0;
        QTest::newRow("bars above and below: 90 % below the picture's top")
            << QRectF(0, 200, 600, 450) << 0.5 << QRectF(20, 605, 280, 20) << QRgb(0xFF6A0817) << 1.0;
        QTest::newRow("bars left and right: from the picture's left")
            << QRectF(160, 0, 960, 720) << 0.25 << QRectF(180, 648, 230, 20) << QRgb(0xFF6A0817) << 1.0;
        QTest::newRow("a fraction of a pixel is cut") << QRectF(0, 0, 640, 480) << 0.999 << QRectF(20, 432, 599, 20) << QRgb(0xFF0D0A57) << 1.0;
        // On denser screens the margins and the height keep their logical size.
        QTest::newRow("twice the density") << QRectF(0, 0, 1280, 960) << 1.0 << QRectF(40, 864, 1200, 40) << QRgb(0xFF0D0A57) << 2.0;
        QTest::newRow("one and a half times, bars left and right")
            << QRectF(240, 0, 1440, 1080) << 0.5 << QRectF(270, 972, 690, 30) << QRgb(0xFF6A0817) << 1.5;
        QTest::newRow("a ratio of 1.25 rounds the 25 pixels")
            << QRectF(0, 0, 800, 600) << 1.0 << QRectF(25, 540, 750, 25) << QRgb(0xFF0D0A57) << 1.25;
    }

    void progressBar()
    {
        QFETCH(QRectF, picture);
        QFETCH(double, fraction);
        QFETCH(QRectF, bar);
        QFETCH(QRgb, color);
        QFETCH(double, ratio);
        QCOMPARE(progressBarRect(picture, fraction, ratio), bar);
        QCOMPARE(progressBarColor(fraction), color);
    }
};

QTEST_APPLESS_MAIN(TestGeometry)
#include "test_geometry.moc"
