#include "game/progress_bar.h"
#include "support/form_fixture.h"

#include <QPainter>
#include <QtTest>

namespace {

QImage solidFrame(QSize size, QRgb colour)
{
    QImage frame(size, QImage::Format_RGB32);
    frame.fill(colour);
    return frame;
}

QImage noiseFrame(QSize size, quint32 seed)
{
    QImage frame(size, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < frame.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(frame.scanLine(y));
        for (int x = 0; x < frame.width(); ++x)
            row[x] = 0xFF000000u | (random.generate() & 0xFFFFFFu);
    }
    return frame;
}

int countFrozen(const std::vector<std::int32_t> &levels)
{
    return int(std::count_if(levels.begin(), levels.end(), [](int v) { return v < 300; }));
}

// Sets exactly `frozen` pixels below the clean line and the rest high enough
// that one frame of regrowth keeps them clean.
void setFrozenCount(TFrostpaneMainForm &form, int frozen)
{
    std::fill(form.MeltLevels.begin(), form.MeltLevels.end(), 765);
    std::fill(form.MeltLevels.begin(), form.MeltLevels.begin() + frozen, 0);
}

QRgb outputAt(TFrostpaneMainForm &form, int x, int y)
{
    return form.outputBitmap().pixel(x, y) | 0xFF000000u;
}

} // namespace

class TestFrameStep : public QObject
{
    Q_OBJECT

    // A running game on a 640 x 480 camera; the window is 640 x 480.
    struct Game : FormFixture
    {
        Game() : FormFixture(typicalWebcamSettings())
        {
            form->resize(640, 480);
            form->FormResize();
            camera->setActive(true);
            form->GetCameraRectSize();
        }
        void frame(const QImage &image) { camera->deliver(image); }
        // A still frame after exactly `frozen` pixels were left frozen.
        void stillFrameWithFrozen(int frozen)
        {
            const QImage still = solidFrame({640, 480}, qRgb(1, 2, 3));
            frame(still);
            setFrozenCount(*form, frozen);
            frame(still);
        }
    };

private Q_SLOTS:
    void firstFrameAfterResetWipesNothing()
    {
        Game g;
        g.frame(noiseFrame({640, 480}, 1));
        QCOMPARE(g.form->CleanedFraction, 0.0);
        QCOMPARE(countFrozen(g.form->MeltLevels), 640 * 480);
        QVERIFY(!g.form->ResetPreviousFrame);
        QVERIFY(!g.form->ClearOutputPending && !g.form->ClearOutputAfterResize);
        QCOMPARE(g.form->ProgressBarRect.toQRectF(), QRectF(QPointF(20, 432), QPointF(20, 452)));
        // The window shows the ice.
        const QImage ice = g.form->IceBitmap;
        QCOMPARE(outputAt(*g.form, 300, 200), ice.pixel(300, 200));
    }

    void motionWipesExactlyTheMovingPixelsMirrored_data()
    {
        QTest::addColumn<bool>("front");
        QTest::newRow("front camera: mirrored") << true;
        QTest::newRow("back camera: as seen") << false;
    }

    void motionWipesExactlyTheMovingPixelsMirrored()
    {
        QFETCH(bool, front);
        Game g;
        g.form->IsFrontCamera = front;
        const QImage still = solidFrame({640, 480}, qRgb(10, 10, 10));
        g.frame(still);
        QImage moved = still;
        QPainter(&moved).fillRect(QRect(100, 50, 40, 30), qRgb(250, 250, 250)); // d = 720
        g.frame(moved);

        const QRect wiped = front ? QRect(640 - 140, 50, 40, 30) : QRect(100, 50, 40, 30);
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x) {
                const int level = g.form->MeltLevels[std::size_t(y * 640 + x)];
                if (level != (wiped.contains(x, y) ? 720 : 0))
                    QFAIL(qPrintable(QStringLiteral("level %1 at (%2, %3)").arg(level).arg(x).arg(y)));
            }
        QCOMPARE(g.form->CleanedFraction, 1.0 - (307200.0 - 1200.0) / 307200.0);
        // The photograph shows through where the hand moved.
        const QPoint inside = wiped.center();
        QCOMPARE(outputAt(*g.form, inside.x(), inside.y()), g.form->PhotoBitmap.pixel(inside) | 0xFF000000u);
        QCOMPARE(outputAt(*g.form, 320, 300), g.form->IceBitmap.pixel(320, 300) | 0xFF000000u);
        // The reference for the next frame is the (mirrored) frame just seen.
        QCOMPARE(g.form->PreviousCameraBitmap.pixel(inside), qRgb(250, 250, 250));
    }

    void bannerEdge_data()
    {
        QTest::addColumn<int>("frozen");
        QTest::addColumn<bool>("banner");
        QTest::newRow("15,359 frozen: shown") << 15359 << true;
        QTest::newRow("15,360 frozen is exactly 0.95: not shown") << 15360 << false;
    }

    void bannerEdge()
    {
        QFETCH(int, frozen);
        QFETCH(bool, banner);
        Game g;
        g.stillFrameWithFrozen(frozen);
        QCOMPARE(g.form->CleanedFraction, 1.0 - frozen / 307200.0);
        QCOMPARE(g.form->CongratulationsShown, banner);
    }

    void barColourEdge_data()
    {
        QTest::addColumn<int>("frozen");
        QTest::addColumn<QRgb>("colour");
        QTest::newRow("153,600 frozen is half: red") << 153600 << QRgb(0xFF6A0817);
        QTest::newRow("153,599 frozen: blue") << 153599 << QRgb(0xFF0D0A57);
    }

    void barColourEdge()
    {
        QFETCH(int, frozen);
        QFETCH(QRgb, colour);
        Game g;
        g.stillFrameWithFrozen(frozen);
        const RectF bar = g.form->ProgressBarRect;
        QCOMPARE(bar.Left, 20.0f);
        QCOMPARE(bar.Top, 432.0f);
        QCOMPARE(bar.Bottom, 452.0f);
        QCOMPARE(bar.Right, 20.0f + std::floor(600.0f * float(1.0 - frozen / 307200.0)));
        QCOMPARE(outputAt(*g.form, 30, 440), colour);
        QCOMPARE(outputAt(*g.form, int(bar.Right) - 1, 451), colour);
    }

    void bannerGoesWithOneFrameOfPlainIce()
    {
        Game g;
        const QImage still = solidFrame({640, 480}, qRgb(1, 2, 3));
        g.frame(still);
        setFrozenCount(*g.form, 0);
        g.frame(still);
        QVERIFY(g.form->CongratulationsShown);

        setFrozenCount(*g.form, 307200);
        g.frame(still);
        QVERIFY(!g.form->CongratulationsShown);
        // The ice on black, without the bar.
        QImage expected(640, 480, QImage::Format_ARGB32_Premultiplied);
        expected.fill(Qt::black);
        QPainter(&expected).drawImage(g.form->PhotoRect.toQRectF(), g.form->IceBitmap);
        for (const QPoint p : {QPoint(30, 440), QPoint(320, 240), QPoint(5, 5)})
            QCOMPARE(outputAt(*g.form, p.x(), p.y()), expected.pixel(p));

        // The next frame draws the game again, bar included.
        setFrozenCount(*g.form, 200000);
        g.frame(still);
        QCOMPARE(outputAt(*g.form, 21, 440), QRgb(0xFF6A0817));
    }

    void cameraViewDrawsThePlainFrameAndPausesTheGame()
    {
        Game g;
        g.form->IsFrontCamera = false;
        g.frame(solidFrame({640, 480}, qRgb(0, 0, 0)));
        std::fill(g.form->MeltLevels.begin(), g.form->MeltLevels.end(), 400);
        g.form->IsIceView = false;
        g.frame(solidFrame({640, 480}, qRgb(200, 100, 50)));
        QCOMPARE(outputAt(*g.form, 320, 440), qRgb(200, 100, 50)); // no bar
        QVERIFY(std::all_of(g.form->MeltLevels.begin(), g.form->MeltLevels.end(),
                            [](int v) { return v == 400; }));
        QCOMPARE(g.form->PreviousCameraBitmap.pixel(5, 5), qRgb(200, 100, 50));
    }

    void inactiveCameraStepDoesNothing()
    {
        Game g;
        g.camera->forceActive(false);
        g.frame(noiseFrame({640, 480}, 3));
        QVERIFY(g.form->ResetPreviousFrame);
        QVERIFY(g.form->CameraBitmap.isNull());
    }

    void framesOfOtherSizesKeepThePictureUndistorted_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("1280x720") << QSize(1280, 720);
        QTest::newRow("1920x1080") << QSize(1920, 1080);
        QTest::newRow("320x240") << QSize(320, 240);
        QTest::newRow("portrait 480x640") << QSize(480, 640);
        QTest::newRow("odd 3x7") << QSize(3, 7);
        QTest::newRow("one pixel") << QSize(1, 1);
    }

    void framesOfOtherSizesKeepThePictureUndistorted()
    {
        QFETCH(QSize, size);
        Game g;
        g.form->IsFrontCamera = false;
        // A frame whose middle 4:3 part is grey and whose sides are red: only
        // the middle reaches the game.
        QImage frame = solidFrame(size, qRgb(200, 0, 0));
        const int middleWidth = std::min(size.width(), size.height() * 4 / 3);
        QPainter(&frame).fillRect(QRect((size.width() - middleWidth) / 2, 0, middleWidth, size.height()),
                                  qRgb(90, 90, 90));
        g.frame(frame);
        g.frame(solidFrame(size, qRgb(255, 255, 255)));
        QCOMPARE(g.form->CameraBitmap.size(), QSize(640, 480));
        QCOMPARE(g.form->OutputRect.toQRectF(), QRectF(0, 0, 640, 480));
        if (size.width() >= 4) {
            // Every pixel moved from grey to white: all wiped (d = 495).
            QCOMPARE(countFrozen(g.form->MeltLevels), 0);
        }
    }

    void aTinyWindowStillPlays_data()
    {
        QTest::addColumn<QSize>("window");
        QTest::newRow("1x1") << QSize(1, 1);
        QTest::newRow("3x200") << QSize(3, 200);
        QTest::newRow("200x3") << QSize(200, 3);
    }

    void aTinyWindowStillPlays()
    {
        QFETCH(QSize, window);
        Game g;
        g.form->resize(window);
        g.form->FormResize();
        g.frame(noiseFrame({640, 480}, 8));
        g.frame(noiseFrame({640, 480}, 9));
        QCOMPARE(g.form->outputBitmap().size(), window);
        QVERIFY(g.form->CleanedFraction > 0.0); // the game went on underneath
    }

    void changingResolutionMidGameStaysInside()
    {
        Game g;
        g.frame(noiseFrame({640, 480}, 5));
        g.frame(noiseFrame({1280, 720}, 6));
        g.frame(noiseFrame({160, 120}, 7));
        QCOMPARE(g.form->PixelCount, 640 * 480);
        QVERIFY(g.form->CleanedFraction > 0.0);
    }

    void aPassThatCannotRunNeverReadsClean()
    {
        Game g;
        const QImage still = solidFrame({640, 480}, qRgb(1, 2, 3));
        g.frame(still);
        g.form->IceBitmap = QImage(10, 10, QImage::Format_ARGB32_Premultiplied); // a broken overlay
        g.frame(still);
        QVERIFY(g.form->CleanedFraction < g.form->WinThreshold);
        QVERIFY(!g.form->CongratulationsShown);
    }

    void clearRequestsAreConsumed()
    {
        Game g;
        g.frame(solidFrame({640, 480}, 0));
        g.form->ClearOutputPending = true;
        g.form->IsIceView = false;
        g.frame(solidFrame({640, 480}, 0));
        QVERIFY(!g.form->ClearOutputPending);
    }

    void progressBarRectTable_data()
    {
        QTest::addColumn<QRectF>("outputRect"); // as edges: x=L, y=T, width=R, height=B
        QTest::addColumn<int>("photoLeft");
        QTest::addColumn<double>("fraction");
        QTest::addColumn<QRectF>("bar");
        QTest::newRow("clean at 640x480") << QRectF(0, 0, 640, 480) << 0 << 1.0 << QRectF(20, 432, 600, 20);
        QTest::newRow("zero width at 0") << QRectF(0, 0, 640, 480) << 0 << 0.0 << QRectF(20, 432, 0, 20);
        QTest::newRow("bands above and below: top from the output's top")
            << QRectF(0, 160, 640, 640) << 0 << 0.5 << QRectF(20, 432, 300, 20);
        QTest::newRow("bands left and right") << QRectF(160, 0, 1120, 720) << 160 << 0.25 << QRectF(180, 648, 230, 20);
    }

    void progressBarRectTable()
    {
        QFETCH(QRectF, outputRect);
        QFETCH(int, photoLeft);
        QFETCH(double, fraction);
        QFETCH(QRectF, bar);
        const RectF edges{float(outputRect.x()), float(outputRect.y()), float(outputRect.width()),
                          float(outputRect.height())};
        QCOMPARE(progressBarRect(edges, photoLeft, fraction).toQRectF(), bar);
    }
};

QTEST_MAIN(TestFrameStep)
#include "test_frame_step.moc"
