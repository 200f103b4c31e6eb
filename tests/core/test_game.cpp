#include "core/game.h"
#include "support/test_images.h"

#include <QPainter>
#include <QRandomGenerator>
#include <QtTest>

#include <algorithm>
#include <limits>

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

// The squared distance of (px, py) from the segment a..b.
double distanceSquared(double px, double py, QPointF a, QPointF b)
{
    const QPointF ab = b - a;
    const double length2 = QPointF::dotProduct(ab, ab);
    const double t = length2 > 0.0 ? std::clamp(QPointF::dotProduct(QPointF(px, py) - a, ab) / length2, 0.0, 1.0)
                                   : 0.0;
    const QPointF nearest = a + t * ab;
    return (px - nearest.x()) * (px - nearest.x()) + (py - nearest.y()) * (py - nearest.y());
}

// Pixels the brush of radius r covers along a..b: those whose centre lies
// within r of the segment.
std::vector<bool> capsule(QPointF a, QPointF b, double r)
{
    std::vector<bool> inside(kPixels, false);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            inside[std::size_t(y * 640 + x)] = distanceSquared(x + 0.5, y + 0.5, a, b) <= r * r;
    return inside;
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

    // ---- Strokes of a finger or the mouse ------------------------------------

    void aStrokeWipesExactlyTheBrushsPixels_data()
    {
        QTest::addColumn<QPointF>("from");
        QTest::addColumn<QPointF>("to");
        QTest::addColumn<bool>("wipes");
        // The part of the stroke over the picture, which alone wipes.
        QTest::addColumn<QPointF>("partFrom");
        QTest::addColumn<QPointF>("partTo");
        const auto row = [](const char *name, QPointF from, QPointF to) {
            QTest::newRow(name) << from << to << true << from << to;
        };
        row("zero length: a disc", {320, 240}, {320, 240});
        row("zero length between pixel centres", {100.3, 200.8}, {100.3, 200.8});
        row("short", {100.3, 200.7}, {108.9, 201.2});
        row("long, steep", {400.5, 10}, {405, 470});
        row("long diagonal, corner to corner", {0, 0}, {640, 480});
        row("along the left edge: half the brush is off the picture", {0.5, 100}, {0.5, 300});
        QTest::newRow("from the black bar onto the picture")
            << QPointF(-40, 240) << QPointF(40, 240) << true << QPointF(0, 240) << QPointF(40, 240);
        QTest::newRow("across the whole picture and beyond")
            << QPointF(-100, 400) << QPointF(740, 400) << true << QPointF(0, 400) << QPointF(640, 400);
        QTest::newRow("out over the bottom right corner")
            << QPointF(630, 470) << QPointF(660, 490) << true << QPointF(630, 470) << QPointF(640, 476.6666666666667);
        QTest::newRow("beside the picture, within a brush of its edge: nothing")
            << QPointF(-2, 100) << QPointF(-2, 300) << false << QPointF() << QPointF();
        QTest::newRow("off the picture entirely: nothing")
            << QPointF(-100, -100) << QPointF(-50, -20) << false << QPointF() << QPointF();
        QTest::newRow("a dot below the picture: nothing")
            << QPointF(320, 481) << QPointF(320, 481) << false << QPointF() << QPointF();
    }

    void aStrokeWipesExactlyTheBrushsPixels()
    {
        QFETCH(QPointF, from);
        QFETCH(QPointF, to);
        QFETCH(bool, wipes);
        QFETCH(QPointF, partFrom);
        QFETCH(QPointF, partTo);
        Fixture f;
        QCOMPARE(f.game.brushRadius(), 12.0); // 2.5 % of 480
        f.game.addStroke(from, to);
        QCOMPARE(f.game.hasPendingStrokes(), wipes);
        f.game.stepWithoutFrame();
        QVERIFY(!f.game.hasPendingStrokes());

        const std::vector<bool> brush = wipes ? capsule(partFrom, partTo, 12.0) : std::vector<bool>(kPixels, false);
        const auto &levels = f.game.meltLevels();
        int wiped = 0;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x) {
                const std::size_t i = std::size_t(y * 640 + x);
                wiped += brush[i];
                // As motion of the largest change would: 765 at once.
                if (levels[i] != (brush[i] ? 765 : 0))
                    QFAIL(qPrintable(QStringLiteral("level %1 at (%2, %3)").arg(levels[i]).arg(x).arg(y)));
            }
        QCOMPARE(wiped > 0, wipes);
        QCOMPARE(f.game.cleanedFraction(), 1.0 - (307200.0 - wiped) / 307200.0);
        QCOMPARE(f.game.iceWipedFraction(), wiped / 307200.0);
    }

    // A stroke and the camera's motion over the same pixels give the same
    // game, step after step: levels, cleaned fraction, picture and banner.
    void aStrokeWipesExactlyAsMotionWould_data()
    {
        QTest::addColumn<QPointF>("from");
        QTest::addColumn<QPointF>("to");
        QTest::addColumn<int>("sensitivity");
        QTest::newRow("a small wipe") << QPointF(100, 100) << QPointF(300, 200) << 20;
        QTest::newRow("a wide wipe, past the banner's line") << QPointF(-10, 240) << QPointF(-10, 240) << 20;
        QTest::newRow("sensitivity 764") << QPointF(600, 20) << QPointF(20, 460) << 764;
    }

    void aStrokeWipesExactlyAsMotionWould()
    {
        QFETCH(QPointF, from);
        QFETCH(QPointF, to);
        QFETCH(int, sensitivity);
        Fixture byStroke, byMotion;
        byStroke.game.setCameraSensitivity(sensitivity);
        byMotion.game.setCameraSensitivity(sensitivity);
        const QImage black = flatImage(kPicture, qRgb(0, 0, 0));
        byStroke.step(black);
        byMotion.step(black);

        const bool wide = from == to && from.x() < 0;
        if (wide) {
            // Enough strokes to wipe all but a strip: the banner comes.
            for (int y = 0; y < 480; y += 8)
                byStroke.game.addStroke({0, double(y)}, {620, double(y)});
        } else {
            byStroke.game.addStroke(from, to);
        }
        byStroke.step(black);
        // The same pixels turn white in front of the camera: d = 765.
        QImage moved = black;
        const auto &wipedLevels = byStroke.game.meltLevels();
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x)
                if (wipedLevels[std::size_t(y * 640 + x)] == 765)
                    moved.setPixel(x, y, qRgb(255, 255, 255));
        byMotion.step(moved);
        QCOMPARE(byStroke.game.bannerShown(), wide);

        for (int frame = 0; frame < 60; ++frame) {
            QVERIFY(byStroke.game.meltLevels() == byMotion.game.meltLevels());
            QCOMPARE(byStroke.game.cleanedFraction(), byMotion.game.cleanedFraction());
            QCOMPARE(byStroke.game.iceWipedFraction(), byMotion.game.iceWipedFraction());
            QCOMPARE(byStroke.game.bannerShown(), byMotion.game.bannerShown());
            QCOMPARE(byStroke.game.progressBarRect(), byMotion.game.progressBarRect());
            QVERIFY(rendered(byStroke.game) == rendered(byMotion.game));
            // Then nothing moves: the ice grows back alike.
            byStroke.step(black);
            byMotion.step(moved);
        }
    }

    void strokesAndMotionWipeInTheSameStep()
    {
        Fixture f;
        const QImage still = flatImage(kPicture, qRgb(10, 10, 10));
        QImage moved = still;
        QPainter(&moved).fillRect(QRect(100, 50, 40, 30), qRgb(110, 110, 110)); // d = 300
        f.step(still);
        // One stroke across the moving patch, one far from it.
        f.game.addStroke({80, 65}, {80, 65});
        f.game.addStroke({500, 400}, {560, 400});
        f.step(moved);

        const std::vector<bool> strokes = [] {
            std::vector<bool> brush = capsule({80, 65}, {80, 65}, 12.0);
            const std::vector<bool> other = capsule({500, 400}, {560, 400}, 12.0);
            for (std::size_t i = 0; i < brush.size(); ++i)
                brush[i] = brush[i] || other[i];
            return brush;
        }();
        const auto &levels = f.game.meltLevels();
        int wiped = 0;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x) {
                const std::size_t i = std::size_t(y * 640 + x);
                const int expected = strokes[i] ? 765 : QRect(100, 50, 40, 30).contains(x, y) ? 300 : 0;
                wiped += expected > 0;
                if (levels[i] != expected)
                    QFAIL(qPrintable(QStringLiteral("level %1 at (%2, %3)").arg(levels[i]).arg(x).arg(y)));
            }
        QCOMPARE(f.game.iceWipedFraction(), wiped / 307200.0);
        QCOMPARE(f.game.cleanedFraction(), wiped / 307200.0);
        // The strokes were taken: the next frame wipes only what moves.
        QVERIFY(!f.game.hasPendingStrokes());
        f.step(moved);
        QCOMPARE(f.game.iceWipedFraction(), 0.0);
        QCOMPARE(levels[std::size_t(400 * 640 + 530)], 755);
    }

    void onlyIceCountsAsWipedIce()
    {
        Fixture f;
        f.game.addStroke({320, 240}, {320, 240});
        f.game.stepWithoutFrame();
        const double disc = f.game.iceWipedFraction();
        QVERIFY(disc > 0.0);
        // The same place again while it is still clean: no ice was wiped.
        f.game.addStroke({320, 240}, {320, 240});
        f.game.stepWithoutFrame();
        QCOMPARE(f.game.iceWipedFraction(), 0.0);
        // A step that wipes nothing.
        f.game.stepWithoutFrame();
        QCOMPARE(f.game.iceWipedFraction(), 0.0);
        // Half the disc again, once it has grown back to ice (765 - 10 * 47
        // = 295 after the 47 steps that follow the wipe).
        for (int i = 0; i < 45; ++i)
            f.game.stepWithoutFrame();
        f.game.addStroke({320, 240}, {320, 240});
        f.game.stepWithoutFrame();
        QCOMPARE(f.game.iceWipedFraction(), disc);
    }

    void theIceGrowsBackWithoutFramesUntilSettled_data()
    {
        QTest::addColumn<int>("speed");
        QTest::addColumn<bool>("settledAtStart");
        QTest::addColumn<int>("stepsToSettle"); // after the step that wipes
        QTest::newRow("speed 10: 765 down to 5") << 10 << true << 76;
        QTest::newRow("speed 0: never grows back") << 0 << true << 0;
        QTest::newRow("speed 500: once, to 265") << 500 << true << 1;
        QTest::newRow("speed 765: a level at the speed stays") << 765 << true << 0;
        QTest::newRow("negative speed: all melts, up to 765") << -10 << false << 76;
    }

    void theIceGrowsBackWithoutFramesUntilSettled()
    {
        QFETCH(int, speed);
        QFETCH(bool, settledAtStart);
        QFETCH(int, stepsToSettle);
        Fixture f;
        f.game.setFreezingSpeed(speed);
        QCOMPARE(f.game.isSettled(), settledAtStart);
        f.game.addStroke({100, 100}, {200, 100});
        QVERIFY(!f.game.isSettled()); // a stroke waits
        QVERIFY(!f.game.stepWithoutFrame().isEmpty());
        QVERIFY(f.game.meltLevels()[std::size_t(100 * 640 + 150)] == 765);
        int steps = 0;
        while (!f.game.isSettled() && steps < 1000) {
            f.game.stepWithoutFrame();
            ++steps;
        }
        QCOMPARE(steps, stepsToSettle);
        // Settled means a further step changes nothing.
        const std::vector<std::int32_t> levels = f.game.meltLevels();
        f.game.stepWithoutFrame();
        QVERIFY(f.game.meltLevels() == levels);
    }

    void theStepAfterTheBannerWentStillComes()
    {
        Fixture f;
        // The top part wiped first, the rest 28 steps later: the banner comes.
        for (int y = 0; y <= 200; y += 8)
            f.game.addStroke({0, double(y)}, {640, double(y)});
        for (int i = 0; i < 28; ++i)
            f.game.stepWithoutFrame();
        for (int y = 216; y <= 480; y += 8)
            f.game.addStroke({0, double(y)}, {640, double(y)});
        f.game.stepWithoutFrame();
        QVERIFY(f.game.bannerShown());
        // Now the top part (485) stays clean for good and the rest (765)
        // freezes at once (265), to stay: the banner goes.
        f.game.setFreezingSpeed(500);
        f.game.stepWithoutFrame();
        QVERIFY(!f.game.bannerShown());
        QCOMPARE(at(f.game, 30, 440), kIce); // the plain ice for this step, no bar
        QVERIFY(!f.game.isSettled());
        f.game.stepWithoutFrame();
        QCOMPARE(at(f.game, 30, 440), QRgb(0xFF6A0817)); // the game again, with its bar
        QCOMPARE(at(f.game, 320, 100), photoColor(1));
        QVERIFY(f.game.isSettled());
    }

    void aWipedPixelRefreezesWithoutFramesAsWithFrames()
    {
        Fixture f;
        f.game.addStroke({320, 240}, {320, 240});
        f.game.stepWithoutFrame();
        QCOMPARE(at(f.game, 320, 240), photoColor(1));
        for (int i = 1; i <= 46; ++i)
            f.game.stepWithoutFrame();
        QCOMPARE(at(f.game, 320, 240), photoColor(1));
        f.game.stepWithoutFrame();
        QCOMPARE(at(f.game, 320, 240), kIce);
        QCOMPARE(f.game.meltLevels()[std::size_t(240 * 640 + 320)], 295);
    }

    void theFirstStrokeShowsTheGameInPlaceOfTheIceOnBlack()
    {
        Fixture f({1280, 720});
        const QRect picture(160, 0, 960, 720);
        // Before: the plain ice, no bar.
        QVERIFY(near(at(f.game, 200, 660), kIce));
        QCOMPARE(f.game.stepWithoutFrame(), picture); // nothing wiped, yet the game is on show
        QVERIFY(f.game.isSettled());
        f.game.addStroke(f.game.toPicture({640, 360}), f.game.toPicture({700, 360}));
        QCOMPARE(f.game.stepWithoutFrame(), picture);
        QVERIFY(near(at(f.game, 660, 360), photoColor(1)));
        QVERIFY(near(at(f.game, 660, 200), kIce));
        QCOMPARE(at(f.game, 181, 655), QRgb(0xFF6A0817)); // the bar, red and short
        QCOMPARE(at(f.game, 50, 360), qRgb(0, 0, 0));
    }

    void outputPointsMapOntoThePicture_data()
    {
        QTest::addColumn<QSize>("output");
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<QPointF>("expected");
        QTest::newRow("640x480: a pixel's centre") << QSize(640, 480) << QPointF(10, 20) << QPointF(10.5, 20.5);
        QTest::newRow("640x480: the last pixel") << QSize(640, 480) << QPointF(639, 479) << QPointF(639.5, 479.5);
        QTest::newRow("1280x720: the picture's first pixel") << QSize(1280, 720) << QPointF(160, 0) << QPointF(1.0 / 3, 1.0 / 3);
        QTest::newRow("1280x720: its last") << QSize(1280, 720) << QPointF(1119, 719) << QPointF(959.5 * 2 / 3, 719.5 * 2 / 3);
        QTest::newRow("1280x720: the left bar") << QSize(1280, 720) << QPointF(159, 360) << QPointF(-0.5 * 2 / 3, 360.5 * 2 / 3);
        QTest::newRow("1280x720: the right bar") << QSize(1280, 720) << QPointF(1120, 0) << QPointF(960.5 * 2 / 3, 0.5 * 2 / 3);
        QTest::newRow("600x1000: the bar above") << QSize(600, 1000) << QPointF(300, 274) << QPointF(300.5 * 16 / 15, -0.5 * 16 / 15);
        QTest::newRow("600x1000: the picture's top") << QSize(600, 1000) << QPointF(300, 275) << QPointF(300.5 * 16 / 15, 0.5 * 16 / 15);
        QTest::newRow("0x0: off any picture") << QSize(0, 0) << QPointF(0, 0) << QPointF(-1, -1);
    }

    void outputPointsMapOntoThePicture()
    {
        QFETCH(QSize, output);
        QFETCH(QPointF, point);
        QFETCH(QPointF, expected);
        Fixture f(output);
        QCOMPARE(f.game.toPicture(point), expected);
    }

    void strokesOnTheBlackBarsWipeNothing()
    {
        Fixture f({1280, 720});
        f.game.addStroke(f.game.toPicture({10, 360}), f.game.toPicture({159, 360}));
        f.game.addStroke(f.game.toPicture({1120, 0}), f.game.toPicture({1279, 719}));
        QVERIFY(!f.game.hasPendingStrokes());
        QVERIFY(f.game.isSettled());
    }

    void strokesInTheCameraViewAreDropped()
    {
        Fixture f;
        f.game.toggleView();
        f.game.addStroke({320, 240}, {400, 240});
        QVERIFY(!f.game.hasPendingStrokes());
        QVERIFY(f.game.stepWithoutFrame().isEmpty());
        QCOMPARE(frozenCount(f.game), kPixels);
        // Strokes made before the view changed go with the next step.
        f.game.toggleView();
        f.game.addStroke({320, 240}, {400, 240});
        f.game.toggleView();
        f.step(flatImage(kPicture, qRgb(1, 2, 3)));
        f.game.toggleView();
        QVERIFY(!f.game.hasPendingStrokes());
        f.game.stepWithoutFrame();
        QCOMPARE(frozenCount(f.game), kPixels);
    }

    // Values far outside what any slider gives (a settings file could carry
    // them) are held where the rule cannot overflow; the game plays on.
    void settingsAreHeldWithinTheRulesBounds_data()
    {
        QTest::addColumn<qint64>("sensitivity");
        QTest::addColumn<qint64>("speed");
        QTest::addColumn<int>("expectedSensitivity");
        QTest::addColumn<int>("expectedSpeed");
        QTest::addColumn<int>("levelAfterwards"); // of a pixel left alone
        constexpr int bound = 1 << 29;
        const qint64 min = std::numeric_limits<std::int32_t>::min();
        const qint64 max = std::numeric_limits<std::int32_t>::max();
        QTest::newRow("INT32_MIN both") << min << min << -bound << -bound << 765;
        QTest::newRow("INT32_MAX both") << max << max << bound << bound << 0;
        QTest::newRow("just past the bound") << qint64(-bound - 1) << qint64(bound + 1) << -bound << bound << 0;
        QTest::newRow("at the bound") << qint64(bound) << qint64(-bound) << bound << -bound << 765;
        QTest::newRow("ordinary values stay") << qint64(-1530) << qint64(37) << -1530 << 37 << 0;
    }

    void settingsAreHeldWithinTheRulesBounds()
    {
        QFETCH(qint64, sensitivity);
        QFETCH(qint64, speed);
        QFETCH(int, expectedSensitivity);
        QFETCH(int, expectedSpeed);
        QFETCH(int, levelAfterwards);
        Fixture f;
        f.game.setCameraSensitivity(std::int32_t(sensitivity));
        f.game.setFreezingSpeed(std::int32_t(speed));
        QCOMPARE(f.game.cameraSensitivity(), expectedSensitivity);
        QCOMPARE(f.game.freezingSpeed(), expectedSpeed);
        // Many steps, with frames and without, at these values.
        f.game.addStroke({10, 10}, {10, 10});
        for (int i = 0; i < 50; ++i) {
            f.step(noiseImage(kPicture, quint32(i)));
            f.game.stepWithoutFrame();
        }
        const auto &levels = f.game.meltLevels();
        QVERIFY(std::all_of(levels.begin(), levels.end(), [](int level) { return level >= 0 && level <= 765; }));
        if (expectedSensitivity == 1 << 29) // nothing moves enough: only regrowth
            QCOMPARE(levels[std::size_t(300 * 640 + 300)], levelAfterwards);
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
