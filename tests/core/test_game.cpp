#include "core/game.h"
#include "support/test_images.h"

#include <QPainter>
#include <QRandomGenerator>
#include <QtTest>

#include <algorithm>

namespace {

constexpr QSize kPicture(640, 480);
constexpr int kPixels = 640 * 480;
constexpr QRgb kIce = 0xFFC8DCFFu;
constexpr QRgb kBannerColor = 0xFFFFD700u;

// Picture n is a flat photograph whose red channel tells its number.
QRgb photoColor(int number)
{
    return qRgb(number * 30, 120, 60);
}

// A still grey frame in which the first `changed` pixels (row by row) turned
// white: each of them moves by 3 x 200 = 600.
QImage frameWithChangedPixels(int changed)
{
    QImage frame = flatImage(kPicture, qRgb(50, 50, 50));
    for (int i = 0; i < changed; ++i)
        frame.setPixel(i % kPicture.width(), i / kPicture.width(), qRgb(250, 250, 250));
    return frame;
}

int frozenCount(const Game &game)
{
    const auto &levels = game.meltLevels();
    return int(std::count_if(levels.begin(), levels.end(), [](int level) { return level < 300; }));
}

// What the window shows.
QImage rendered(const Game &game)
{
    QImage output(game.outputSize(), QImage::Format_RGB32);
    output.fill(qRgb(1, 2, 3)); // a pixel left unwritten shows up
    game.render(output, QPoint(0, 0), output.rect());
    return output;
}

QRgb at(const Game &game, int x, int y)
{
    return rendered(game).pixel(x, y) | 0xFF000000u;
}

// Scaled into a larger window a flat color may change by a step of the
// scaler's fixed point.
bool near(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) <= 3 && std::abs(qGreen(a) - qGreen(b)) <= 3
           && std::abs(qBlue(a) - qBlue(b)) <= 3;
}

// A game on six flat pictures, with `brokenIce` giving picture 2 an ice
// overlay of the wrong size.
struct Fixture
{
    explicit Fixture(QSize output = kPicture, bool brokenIce = false)
        : game(6,
               [brokenIce](int number) {
                   const QSize iceSize = brokenIce && number == 2 ? QSize(10, 10) : kPicture;
                   return Picture{flatImage(kPicture, photoColor(number)), flatImage(iceSize, kIce)};
               },
               flatImage({1024, 280}, kBannerColor), output)
    {
    }
    // Feeds a frame as a camera would hand it over.
    void step(QImage frame, bool mirrored = false) { QVERIFY(!game.step(frame, mirrored).isEmpty()); }
    // A still frame, then the same frame with `changed` pixels moved: exactly
    // `changed` pixels are wiped.
    void wipe(int changed)
    {
        step(frameWithChangedPixels(0));
        step(frameWithChangedPixels(changed));
    }
    Game game;
};

} // namespace

class TestGame : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startsWithTheIceOfPictureOneOnBlack_data()
    {
        QTest::addColumn<QSize>("output");
        QTest::addColumn<QRectF>("picture");
        QTest::newRow("640x480: fills") << QSize(640, 480) << QRectF(0, 0, 640, 480);
        QTest::newRow("1280x720: bars left and right") << QSize(1280, 720) << QRectF(160, 0, 960, 720);
        QTest::newRow("600x1000: bars above and below") << QSize(600, 1000) << QRectF(0, 275, 600, 450);
    }

    void startsWithTheIceOfPictureOneOnBlack()
    {
        QFETCH(QSize, output);
        QFETCH(QRectF, picture);
        Fixture f(output);
        const Game &game = f.game;
        QCOMPARE(game.pictureNumber(), 1);
        QCOMPARE(game.pictureCount(), 6);
        QVERIFY(game.isIceView());
        QCOMPARE(game.cameraSensitivity(), 20);
        QCOMPARE(game.freezingSpeed(), 10);
        QCOMPARE(game.cleanedFraction(), 0.0);
        QVERIFY(!game.bannerShown());
        QCOMPARE(int(game.meltLevels().size()), kPixels);
        QCOMPARE(frozenCount(game), kPixels);

        QCOMPARE(game.outputSize(), output);
        QCOMPARE(game.pictureRect(), picture);
        QVERIFY(near(at(game, int(picture.center().x()), int(picture.center().y())), kIce));
        if (picture.left() > 0)
            QCOMPARE(at(game, 5, output.height() / 2), qRgb(0, 0, 0));
        if (picture.top() > 0)
            QCOMPARE(at(game, output.width() / 2, 5), qRgb(0, 0, 0));
    }

    void theFirstFrameIsOnlyAReference()
    {
        Fixture f;
        f.step(noiseImage(kPicture, 1));
        QCOMPARE(f.game.cleanedFraction(), 0.0);
        QCOMPARE(frozenCount(f.game), kPixels);
        // An empty bar, and the ice.
        QCOMPARE(f.game.progressBarRect(), QRectF(QPointF(20, 432), QPointF(20, 452)));
        QCOMPARE(at(f.game, 300, 200), kIce);
    }

    void motionWipesExactlyTheMovingPixels_data()
    {
        QTest::addColumn<bool>("mirrored");
        QTest::newRow("front camera: mirrored") << true;
        QTest::newRow("back camera: as seen") << false;
    }

    void motionWipesExactlyTheMovingPixels()
    {
        QFETCH(bool, mirrored);
        Fixture f;
        const QImage still = flatImage(kPicture, qRgb(10, 10, 10));
        QImage moved = still;
        QPainter(&moved).fillRect(QRect(100, 50, 40, 30), qRgb(250, 250, 250)); // d = 720
        f.step(still, mirrored);
        f.step(moved, mirrored);

        const QRect wiped = mirrored ? QRect(640 - 140, 50, 40, 30) : QRect(100, 50, 40, 30);
        const auto &levels = f.game.meltLevels();
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x) {
                const int level = levels[std::size_t(y * 640 + x)];
                if (level != (wiped.contains(x, y) ? 720 : 0))
                    QFAIL(qPrintable(QStringLiteral("level %1 at (%2, %3)").arg(level).arg(x).arg(y)));
            }
        QCOMPARE(f.game.cleanedFraction(), 1.0 - (307200.0 - 1200.0) / 307200.0);
        // The photograph shows through where the hand moved.
        QCOMPARE(at(f.game, wiped.center().x(), wiped.center().y()), photoColor(1));
        QCOMPARE(at(f.game, 320, 300), kIce);

        // The frame just seen, mirrored alike, is the next reference: seeing it
        // again wipes nothing more and the ice grows back by the speed.
        f.step(moved, mirrored);
        QCOMPARE(levels[std::size_t(wiped.center().y() * 640 + wiped.center().x())], 710);
    }

    void bannerAndBar_data()
    {
        QTest::addColumn<int>("frozen");
        QTest::addColumn<bool>("banner");
        QTest::addColumn<QRgb>("barColor");
        QTest::newRow("15,359 frozen: the banner shows") << 15359 << true << QRgb(0xFF0D0A57);
        QTest::newRow("15,360 frozen is exactly 0.95: no banner") << 15360 << false << QRgb(0xFF0D0A57);
        QTest::newRow("153,599 frozen: just past half, blue") << 153599 << false << QRgb(0xFF0D0A57);
        QTest::newRow("153,600 frozen is half: red") << 153600 << false << QRgb(0xFF6A0817);
    }

    void bannerAndBar()
    {
        QFETCH(int, frozen);
        QFETCH(bool, banner);
        QFETCH(QRgb, barColor);
        Fixture f;
        f.wipe(kPixels - frozen);
        QCOMPARE(frozenCount(f.game), frozen);
        QCOMPARE(f.game.cleanedFraction(), 1.0 - frozen / 307200.0);
        QCOMPARE(f.game.bannerShown(), banner);

        const QRectF bar = f.game.progressBarRect();
        QCOMPARE(bar.left(), 20.0);
        QCOMPARE(bar.top(), 432.0);
        QCOMPARE(bar.bottom(), 452.0);
        QCOMPARE(bar.right(), 20.0 + std::floor(600.0 * (1.0 - frozen / 307200.0)));
        QCOMPARE(at(f.game, 30, 440), barColor);
        QCOMPARE(at(f.game, int(bar.right()) - 1, 451), barColor);
        // The banner sits centred over the picture (640 x 175 at y 152).
        QCOMPARE(f.game.bannerRect(), QRectF(0, 152, 640, 175));
        QCOMPARE(at(f.game, 320, 240) == kBannerColor, banner);
    }

    void theBannerGoesWithOneFrameOfPlainIce()
    {
        Fixture f;
        f.wipe(kPixels);
        QVERIFY(f.game.bannerShown());

        // A speed that refreezes everything at the next frame.
        f.game.setFreezingSpeed(500);
        f.step(frameWithChangedPixels(kPixels));
        QCOMPARE(frozenCount(f.game), kPixels);
        QVERIFY(!f.game.bannerShown());
        // The ice on black, without the bar.
        for (const QPoint p : {QPoint(30, 440), QPoint(320, 240), QPoint(5, 5)})
            QCOMPARE(at(f.game, p.x(), p.y()), kIce);

        // The next frame draws the game again, bar included.
        f.step(frameWithChangedPixels(0));
        QCOMPARE(at(f.game, 20, 440), QRgb(0xFF0D0A57));
    }

    void theCameraViewShowsThePlainFrameAndPausesTheGame()
    {
        Fixture f;
        f.wipe(1000);
        const std::vector<std::int32_t> before = f.game.meltLevels();
        f.game.toggleView();
        QVERIFY(!f.game.isIceView());
        f.step(flatImage(kPicture, qRgb(200, 100, 50)));
        QCOMPARE(at(f.game, 320, 440), qRgb(200, 100, 50)); // no bar
        QVERIFY(f.game.meltLevels() == before);

        // Back in the ice view, the last camera frame is the reference.
        f.game.toggleView();
        f.step(flatImage(kPicture, qRgb(200, 100, 50)));
        QCOMPARE(frozenCount(f.game), kPixels - 1000);
    }

    void framesOfOtherSizesAreCroppedToThePicturesShape_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("1280x720") << QSize(1280, 720);
        QTest::newRow("1920x1080") << QSize(1920, 1080);
        QTest::newRow("320x240") << QSize(320, 240);
        QTest::newRow("portrait 480x640") << QSize(480, 640);
        QTest::newRow("odd 3x7") << QSize(3, 7);
        QTest::newRow("one pixel") << QSize(1, 1);
    }

    void framesOfOtherSizesAreCroppedToThePicturesShape()
    {
        QFETCH(QSize, size);
        Fixture f;
        // A frame whose middle 4:3 part is grey and whose sides are red: only
        // the middle reaches the game.
        QImage frame = flatImage(size, qRgb(200, 0, 0));
        const int middleWidth = std::min(size.width(), size.height() * 4 / 3);
        QPainter(&frame).fillRect(QRect((size.width() - middleWidth) / 2, 0, middleWidth, size.height()),
                                  qRgb(90, 90, 90));
        f.step(frame);
        f.step(flatImage(size, qRgb(255, 255, 255)));
        QCOMPARE(f.game.pictureRect(), QRectF(0, 0, 640, 480));
        if (size.width() >= 4) {
            // Every pixel moved from grey to white: all wiped (d = 495).
            QCOMPARE(frozenCount(f.game), 0);
        }
    }

    void aTinyOutputStillPlays_data()
    {
        QTest::addColumn<QSize>("output");
        QTest::newRow("1x1") << QSize(1, 1);
        QTest::newRow("3x200") << QSize(3, 200);
        QTest::newRow("200x3") << QSize(200, 3);
        QTest::newRow("0x0") << QSize(0, 0);
    }

    void aTinyOutputStillPlays()
    {
        QFETCH(QSize, output);
        Fixture f;
        f.game.setOutputSize(output);
        for (quint32 seed : {8u, 9u}) {
            QImage frame = noiseImage(kPicture, seed);
            const QRect changed = f.game.step(frame, false);
            QVERIFY(QRect(QPoint(), output).contains(changed) || changed.isEmpty());
        }
        QCOMPARE(f.game.outputSize(), output);
        QVERIFY(f.game.cleanedFraction() > 0.0); // the game went on underneath
    }

    void aStepChangesThePictureAndWhereTheBannerComesOrGoes()
    {
        Fixture f({1280, 720});
        const QRect picture(160, 0, 960, 720);
        const QRect banner(0, 185, 1280, 350);
        QImage frame = frameWithChangedPixels(0);
        QCOMPARE(f.game.step(frame, false), picture);
        // The banner comes: its place reaches over the black bars.
        frame = frameWithChangedPixels(kPixels);
        QCOMPARE(f.game.step(frame, false), picture | banner);
        frame = frameWithChangedPixels(kPixels);
        QCOMPARE(f.game.step(frame, false), picture); // it stays
        f.game.setFreezingSpeed(500); // everything refreezes: the banner goes
        frame = frameWithChangedPixels(kPixels);
        QCOMPARE(f.game.step(frame, false), picture | banner);
    }

    void aNewFrameSizeIsANewStream()
    {
        // A camera that changed its resolution: its first frame of the new
        // size is only a reference, however different it looks.
        Fixture f;
        f.game.setFreezingSpeed(0); // nothing refreezes: only wiping changes the count
        f.step(noiseImage(kPicture, 5));
        for (const QSize size : {QSize(1280, 720), QSize(160, 120)}) {
            const int frozen = frozenCount(f.game);
            f.step(noiseImage(size, 6));
            QCOMPARE(frozenCount(f.game), frozen);
            f.step(noiseImage(size, 7));
            QVERIFY(frozenCount(f.game) < frozen);
        }
        QCOMPARE(int(f.game.meltLevels().size()), kPixels);
    }

    void aPassThatCannotRunLeavesTheCleanedFractionAlone()
    {
        Fixture f(kPicture, true);
        f.wipe(kPixels);
        QCOMPARE(f.game.cleanedFraction(), 1.0);
        f.game.nextPicture(); // its ice overlay has the wrong size
        f.game.setFreezingSpeed(500);
        QImage frame = frameWithChangedPixels(kPixels);
        QVERIFY(f.game.step(frame, false).isEmpty()); // nothing new to show
        QCOMPARE(f.game.cleanedFraction(), 1.0);
        QVERIFY(std::all_of(f.game.meltLevels().begin(), f.game.meltLevels().end(),
                            [](int level) { return level == 600; }));
    }

    void picturesCycleBothWays_data()
    {
        QTest::addColumn<int>("forward");
        QTest::addColumn<int>("backward");
        QTest::addColumn<int>("expected");
        QTest::newRow("next from 1") << 1 << 0 << 2;
        QTest::newRow("next from 6 wraps to 1") << 6 << 0 << 1;
        QTest::newRow("previous from 1 wraps to 6") << 0 << 1 << 6;
        QTest::newRow("previous from 2") << 1 << 1 << 1;
        QTest::newRow("twelve steps back") << 0 << 12 << 1;
    }

    void picturesCycleBothWays()
    {
        QFETCH(int, forward);
        QFETCH(int, backward);
        QFETCH(int, expected);
        Fixture f;
        for (int i = 0; i < forward; ++i)
            f.game.nextPicture();
        for (int i = 0; i < backward; ++i)
            f.game.previousPicture();
        QCOMPARE(f.game.pictureNumber(), expected);
        // The new picture's ice on black at once; its photograph under the wiped parts.
        QCOMPARE(at(f.game, 320, 240), kIce);
        f.wipe(kPixels);
        QCOMPARE(at(f.game, 320, 470), photoColor(expected));
    }

    // Pictures joining while the game runs (the user's own photos).
    void morePicturesJoinTheCycle_data()
    {
        QTest::addColumn<int>("firstCount");
        QTest::addColumn<int>("shown");
        QTest::addColumn<int>("laterCount");
        QTest::addColumn<int>("expectedCount");
        QTest::addColumn<int>("afterNext");
        QTest::addColumn<int>("afterPrevious");
        QTest::newRow("grown to 8 at picture 1: previous wraps to 8") << 8 << 1 << 8 << 8 << 2 << 8;
        QTest::newRow("grown to 8 at picture 6: next goes on to 7") << 8 << 6 << 8 << 8 << 7 << 5;
        QTest::newRow("fewer than the picture on show is refused") << 8 << 8 << 3 << 8 << 1 << 7;
        QTest::newRow("none at all is refused") << 6 << 1 << 0 << 1 << 1 << 1;
    }

    void morePicturesJoinTheCycle()
    {
        QFETCH(int, firstCount);
        QFETCH(int, shown);
        QFETCH(int, laterCount);
        QFETCH(int, expectedCount);
        QFETCH(int, afterNext);
        QFETCH(int, afterPrevious);
        Fixture f;
        f.wipe(1000);
        const std::vector<std::int32_t> levels = f.game.meltLevels();
        f.game.setPictureCount(firstCount);
        while (f.game.pictureNumber() != shown)
            f.game.nextPicture();
        f.game.setPictureCount(laterCount);
        QCOMPARE(f.game.pictureCount(), expectedCount);
        QCOMPARE(f.game.pictureNumber(), shown);

        f.game.nextPicture();
        QCOMPARE(f.game.pictureNumber(), afterNext);
        f.game.previousPicture();
        f.game.previousPicture();
        QCOMPARE(f.game.pictureNumber(), afterPrevious);
        // The melt levels carry over to the pictures that joined as well.
        QVERIFY(f.game.meltLevels() == levels);
        f.step(frameWithChangedPixels(1000));
        QCOMPARE(at(f.game, 10, 0), photoColor(afterPrevious));
    }

    // A picture that could not be had when stepped to (a photo still being
    // made) keeps the one on screen; once it arrives it is shown, and one
    // that arrives while another is on show changes nothing.
    void aPictureThatArrivesLateIsShownIfStillOnShow()
    {
        bool late = true;
        Game game(
            3,
            [&late](int number) {
                if (number == 2 && late)
                    return Picture();
                return Picture{flatImage(kPicture, photoColor(number)), flatImage(kPicture, kIce)};
            },
            flatImage({1024, 280}, kBannerColor), kPicture);
        QImage still = frameWithChangedPixels(0);
        QImage moved = frameWithChangedPixels(1000);
        game.step(still, false);
        game.step(moved, false);
        game.nextPicture();
        QCOMPARE(game.pictureNumber(), 2);
        QImage again = frameWithChangedPixels(1000);
        game.step(again, false);
        QCOMPARE(at(game, 10, 0), photoColor(1)); // still the old photo

        game.pictureArrived(3); // not on show: nothing changes
        QCOMPARE(at(game, 10, 0), photoColor(1));
        late = false;
        game.pictureArrived(2);
        QCOMPARE(at(game, 10, 0), kIce); // the new picture's ice on black, as after a step
        QImage next = frameWithChangedPixels(1000);
        game.step(next, false);
        QCOMPARE(at(game, 10, 0), photoColor(2));
    }

    void wipedPartsSurviveAPictureChange()
    {
        Fixture f;
        f.wipe(1000);
        const std::vector<std::int32_t> before = f.game.meltLevels();
        f.game.nextPicture();
        QVERIFY(f.game.meltLevels() == before);
        f.step(frameWithChangedPixels(1000));
        QCOMPARE(at(f.game, 10, 0), photoColor(2));
    }

    void aNewOutputSizeStartsAfresh()
    {
        Fixture f;
        f.wipe(1000);
        f.game.setOutputSize({1280, 720});
        // The ice of the current picture, centred on black, and the levels kept.
        QCOMPARE(at(f.game, 5, 360), qRgb(0, 0, 0));
        QVERIFY(near(at(f.game, 640, 360), kIce));
        QCOMPARE(frozenCount(f.game), kPixels - 1000);
        // The next frame is only a reference, however different it is.
        f.step(noiseImage(kPicture, 3));
        QCOMPARE(frozenCount(f.game), kPixels - 1000);
    }

    void theBarsAreBlackUnlessTheBannerCoversThem()
    {
        Fixture f({1280, 720});
        f.wipe(kPixels); // the banner reaches over the black bars
        QCOMPARE(at(f.game, 5, 360), kBannerColor);
        QCOMPARE(at(f.game, 5, 5), qRgb(0, 0, 0));
        f.game.toggleView();
        f.step(flatImage(kPicture, qRgb(0, 0, 255)));
        QCOMPARE(at(f.game, 5, 360), qRgb(0, 0, 0));
        QVERIFY(near(at(f.game, 640, 360), qRgb(0, 0, 255)));
    }

    void renderWritesOnlyTheClipAndEveryPixelOfIt()
    {
        // The window's own pixels, with the output at (10, 20) in them and
        // only a part asked for: nothing else may change.
        Fixture f({1280, 720});
        f.wipe(kPixels);
        QImage window(1400, 800, QImage::Format_ARGB32_Premultiplied);
        window.fill(qRgb(9, 9, 9));
        const QRect clip(100, 300, 300, 200); // black bar, picture, banner
        f.game.render(window, QPoint(10, 20), clip);
        const QImage whole = rendered(f.game);
        for (int y = 0; y < window.height(); y += 7)
            for (int x = 0; x < window.width(); x += 7) {
                const QPoint p(x, y);
                const QPoint inOutput = p - QPoint(10, 20);
                const QRgb expected = clip.contains(inOutput) ? whole.pixel(inOutput) : qRgb(9, 9, 9);
                if ((window.pixel(p) | 0xFF000000u) != (expected | 0xFF000000u))
                    QFAIL(qPrintable(QStringLiteral("(%1, %2)").arg(x).arg(y)));
            }
        // A clip reaching past the output or the target is cut to both.
        QImage small(50, 50, QImage::Format_RGB32);
        small.fill(qRgb(9, 9, 9));
        f.game.render(small, QPoint(-1230, -670), QRect(-100, -100, 5000, 5000));
        QCOMPARE(small.pixel(49, 49), whole.pixel(1279, 719) | 0xFF000000u);
        QCOMPARE(small.pixel(0, 0), whole.pixel(1230, 670) | 0xFF000000u);
    }

    void aNewReferenceIsOnlyCompared()
    {
        Fixture f;
        f.step(noiseImage(kPicture, 4));
        f.game.requestNewReference();
        f.step(noiseImage(kPicture, 5));
        QCOMPARE(frozenCount(f.game), kPixels);
        f.step(noiseImage(kPicture, 6));
        QVERIFY(frozenCount(f.game) < kPixels);
    }

    void aNullFrameIsSkipped()
    {
        Fixture f;
        QImage none;
        QVERIFY(f.game.step(none, true).isEmpty());
        QCOMPARE(at(f.game, 320, 240), kIce);
    }
};

QTEST_APPLESS_MAIN(TestGame)
#include "test_game.moc"
