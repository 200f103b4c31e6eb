#include "assets/ice/ice_math.h"
#include "assets/ice/ice_overlay.h"
#include "assets/image_catalogue.h"

#include <QtTest>

class TestIceOverlay : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The game makes overlays at run time with the generator that made the
    // committed ones: the same photograph and seed must give them back
    // exactly, however the generator is sped up or spread over threads.
    void reproducesTheBuiltInOverlays_data()
    {
        QTest::addColumn<int>("number");
        for (int n = 1; n <= ImageCatalogue::kPictureCount; ++n)
            QTest::addRow("frostpane_%03d, seed %d", n, 1000 + n) << n;
    }

    void reproducesTheBuiltInOverlays()
    {
        QFETCH(int, number);
        const ImageCatalogue catalogue;
        const QImage photo = catalogue.image(ImageCatalogue::photoName(number));
        const QImage expected = catalogue.image(ImageCatalogue::iceName(number)).convertToFormat(QImage::Format_ARGB32);
        const QImage ice = art::makeIce(photo, uint32_t(1000 + number));
        QCOMPARE(ice.size(), photo.size());
        QCOMPARE(ice.format(), QImage::Format_ARGB32);
        int differing = 0;
        for (int y = 0; y < ice.height(); ++y)
            for (int x = 0; x < ice.width(); ++x)
                differing += ice.pixel(x, y) != expected.pixel(x, y);
        QCOMPARE(differing, 0);
    }

    // The noise remembers the last lattice cell between calls; walking over
    // pixels row by row must give what a fresh evaluation gives everywhere.
    void rememberedCellsGiveThePlainNoise_data()
    {
        QTest::addColumn<float>("scale");
        QTest::newRow("wide cells (1/90)") << 90.0f;
        QTest::newRow("narrow cells (1/6)") << 6.0f;
        QTest::newRow("cells smaller than a pixel (1/0.7)") << 0.7f;
    }

    void rememberedCellsGiveThePlainNoise()
    {
        QFETCH(float, scale);
        art::Fbm<5> walked(1234u);
        art::NoiseCell cell;
        for (int y = -3; y < 40; ++y)
            for (int x = -3; x < 200; ++x) {
                const float fx = float(x) / scale;
                const float fy = float(y) / scale;
                QCOMPARE(walked(fx, fy), art::fbm(fx, fy, 1234u, 5));
                QCOMPARE(art::valueNoise(fx, fy, 99u, cell), art::valueNoise(fx, fy, 99u));
            }
    }

    void tooSmallAPhotographGivesNoOverlay_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("1 x 1") << QSize(1, 1);
        QTest::newRow("1 x 480") << QSize(1, 480);
        QTest::newRow("640 x 1") << QSize(640, 1);
    }

    void tooSmallAPhotographGivesNoOverlay()
    {
        QFETCH(QSize, size);
        QImage photo(size, QImage::Format_RGB32);
        photo.fill(Qt::red);
        QVERIFY(art::makeIce(photo, 7u).isNull());
        QVERIFY(art::makeIce(QImage(), 7u).isNull());
    }
};

QTEST_GUILESS_MAIN(TestIceOverlay)
#include "test_ice_overlay.moc"
