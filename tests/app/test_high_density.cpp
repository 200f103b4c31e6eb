#include "assets/image_catalogue.h"
#include "bridge/qt_bridge.h"
#include "camera/frame_fitter.h"
#include "core/game.h"
#include "core/play_session.h"
#include "render/scene_renderer.h"
#include "support/test_images.h"
#include "support/window_fixture.h"

#include <QApplication>
#include <QtTest>

#include <algorithm>
#include <cstdlib>

// The window on a screen of the density QT_SCALE_FACTOR gives this process
// (CTest runs it at 1, 1.5 and 2): the game draws at the screen's own pixels,
// exactly as a game whose output is that many pixels at one pixel per unit,
// with every pixel written and the picture's edges where the fit puts them.
class TestHighDensity : public QObject
{
    Q_OBJECT

    static Picture picture(int number)
    {
        return {imageFromQImage(WindowFixture::catalogueImage(qPrintable(ImageCatalogue::photoName(number)))),
                imageFromQImage(WindowFixture::catalogueImage(qPrintable(ImageCatalogue::iceName(number))))};
    }

    // The window's own drawing at its pixel ratio, on magenta so that a pixel
    // left unwritten shows.
    static QImage drawnAtDensity(QWidget *window)
    {
        const double ratio = window->devicePixelRatioF();
        QImage image((QSizeF(window->size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::magenta);
        window->render(&image);
        image.setDevicePixelRatio(1.0);
        return image.convertToFormat(QImage::Format_RGB32);
    }

    // The largest difference of one color channel between two images of the
    // same size.
    static int largestDifference(const QImage &a, const QImage &b)
    {
        int largest = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x) {
                const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
                largest = std::max({largest, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                    std::abs(qBlue(p) - qBlue(q))});
            }
        return largest;
    }

private Q_SLOTS:
    void drawsAtTheScreensPixels_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("frames"); // 2: half wiped with the bar, 3: all clean with the banner
        QTest::newRow("wide window, half wiped") << QSize(500, 300) << 2;
        QTest::newRow("wide window, banner") << QSize(500, 300) << 3;
        QTest::newRow("tall window, half wiped") << QSize(301, 447) << 2;
        QTest::newRow("odd size, banner") << QSize(467, 333) << 3;
    }

    void drawsAtTheScreensPixels()
    {
        QFETCH(QSize, size);
        QFETCH(int, frames);
        WindowFixture f(typicalWebcamSettings(), {}, size);
        f.tap("cameraIcon");
        f.tick("toolFadeTimer", 300); // the icons fade away
        QApplication::processEvents();
        const double ratio = f.window->devicePixelRatioF();
        qInfo("pixel ratio %g", ratio);
        const QSize pixels = (QSizeF(size) * ratio).toSize();

        // The left half of the camera changes, then (for the banner) all of it.
        QImage halfWhite = flatImage({640, 480}, qRgb(0, 0, 0));
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 320; ++x)
                halfWhite.setPixel(x, y, qRgb(255, 255, 255));
        const QList<QImage> sequence = {flatImage({640, 480}, qRgb(0, 0, 0)), halfWhite,
                                        flatImage({640, 480}, qRgb(255, 255, 255))};

        const QImage banner = f.catalogueImage("congratulations");
        // The play session as the window has it: it draws the wave target,
        // which a win brings.
        PlaySession session(f.clock, ImageCatalogue::kPictureCount, &picture, toSize(banner.size()), toSize(pixels));
        session.setWaveTargetDrawn(true);
        Game &reference = session.game();
        reference.setOutputSize(toSize(pixels), ratio);
        FrameFitter fitter;
        for (int i = 0; i < frames; ++i) {
            f.deliver(sequence[i]);
            Image frame = imageFromQImage(sequence[i]).copy();
            session.stepFrame(fitter.fit(frame, reference.pictureSize(), true), frame.size(), true);
        }
        QApplication::processEvents();
        QCOMPARE(reference.bannerShown(), frames == 3);
        QCOMPARE(session.waveTarget().isShown(), frames == 3);

        // Into the same kind of pixels as the window's.
        QImage expected(pixels, QImage::Format_ARGB32_Premultiplied);
        expected.fill(Qt::magenta);
        SceneRenderer(imageFromQImage(banner), imageFromQImage(f.catalogueImage("next_image")))
            .render(session, {expected.bits(), expected.width(), expected.height(), expected.bytesPerLine()}, 0, 0,
                    toRect(expected.rect()));
        expected = expected.convertToFormat(QImage::Format_RGB32);

        const QImage direct = drawnAtDensity(f.window.get());
        QCOMPARE(direct.size(), pixels);
        QVERIFY2(direct == expected, "the window's pixels differ from the game's own output");

        // grab() paints through a buffer, blended onto the window's black
        // (the ice is not opaque everywhere): the same picture, give or take
        // the blend's rounding.
        QImage grabbed = f.window->grab().toImage().convertToFormat(QImage::Format_RGB32);
        grabbed.setDevicePixelRatio(1.0);
        QCOMPARE(grabbed.size(), pixels);
        QVERIFY(largestDifference(grabbed, expected) <= 4);

        // The picture sits where the fit in output pixels puts it, black
        // right up to its edges (looked at near its top, where the banner
        // never reaches).
        const QRect picture = toQRect(reference.pictureRect());
        const int midY = picture.top() + 2;
        const int midX = picture.center().x();
        if (picture.left() > 0) {
            QCOMPARE(direct.pixel(picture.left() - 1, midY), qRgb(0, 0, 0));
            QVERIFY(direct.pixel(picture.left(), midY) != qRgb(0, 0, 0));
        }
        if (picture.top() > 0) {
            QCOMPARE(direct.pixel(midX, picture.top() - 1), qRgb(0, 0, 0));
            QVERIFY(direct.pixel(midX, picture.top()) != qRgb(0, 0, 0));
        }
        // The bar keeps its logical height at any density.
        QCOMPARE(reference.progressBarRect().height, std::lround(20.0 * ratio));
    }
};

QTEST_MAIN(TestHighDensity)
#include "test_high_density.moc"
