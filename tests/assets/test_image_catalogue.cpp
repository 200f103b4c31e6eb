#include "assets/image_catalogue.h"

#include <QtTest>

namespace {

int countAlpha(const QImage &image, int alpha)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += qAlpha(image.pixel(x, y)) == alpha;
    return count;
}

} // namespace

class TestImageCatalogue : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyImage_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("opaque");
        for (const QString &name : ImageCatalogue::names()) {
            const bool photo = name.startsWith(QStringLiteral("frostpane_"));
            const QSize size = photo                                       ? QSize(640, 480)
                               : name == QStringLiteral("congratulations") ? QSize(2048, 560)
                                                                           : QSize(512, 512);
            QTest::newRow(qPrintable(name)) << name << size << photo;
        }
    }

    void everyImage()
    {
        QFETCH(QString, name);
        QFETCH(QSize, size);
        QFETCH(bool, opaque);
        ImageCatalogue catalogue;
        const QImage image = catalogue.image(name);
        QVERIFY2(!image.isNull(), qPrintable(name));
        QCOMPARE(image.size(), size);
        QCOMPARE(image.format(), QImage::Format_ARGB32_Premultiplied);
        const int pixels = size.width() * size.height();
        if (opaque) {
            QCOMPARE(countAlpha(image, 255), pixels);
        } else {
            // Icons and the banner let the picture show around them.
            QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
            QCOMPARE(qAlpha(image.pixel(image.width() - 1, image.height() - 1)), 0);
            QVERIFY(countAlpha(image, 0) > pixels / 20);
            QVERIFY(countAlpha(image, 255) > pixels / 20);
        }
    }
    void catalogueHasTheTwentyThreeNames()
    {
        QCOMPARE(ImageCatalogue::names().size(), 23);
        QCOMPARE(QSet<QString>(ImageCatalogue::names().begin(), ImageCatalogue::names().end()).size(), 23);
    }

    void photoAndIceDiffer()
    {
        // The ice must be visibly different from its photograph.
        ImageCatalogue catalogue;
        for (int i = 1; i <= 6; ++i) {
            const QString photo = QStringLiteral("frostpane_00") + QString::number(i);
            QVERIFY(catalogue.image(photo) != catalogue.image(photo + QStringLiteral("_ice")));
        }
    }

    void unknownNamesFindNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("digit outside 1..6") << QStringLiteral("frostpane_007");
        QTest::newRow("digit 0") << QStringLiteral("frostpane_000_ice");
        QTest::newRow("case differs") << QStringLiteral("Camera_On");
        QTest::newRow("file name") << QStringLiteral("camera_on.png");
        QTest::newRow("path") << QStringLiteral("../images/camera_on");
        QTest::newRow("empty") << QString();
    }

    void unknownNamesFindNothing()
    {
        QFETCH(QString, name);
        ImageCatalogue catalogue;
        QVERIFY(catalogue.image(name).isNull());
    }

    void picturesAreNamedByNumber_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("photo");
        QTest::addColumn<QString>("ice");
        QTest::newRow("1") << 1 << QStringLiteral("frostpane_001") << QStringLiteral("frostpane_001_ice");
        QTest::newRow("6") << 6 << QStringLiteral("frostpane_006") << QStringLiteral("frostpane_006_ice");
    }

    void picturesAreNamedByNumber()
    {
        QFETCH(int, number);
        QFETCH(QString, photo);
        QFETCH(QString, ice);
        QCOMPARE(ImageCatalogue::photoName(number), photo);
        QCOMPARE(ImageCatalogue::iceName(number), ice);
        ImageCatalogue catalogue;
        QCOMPARE(catalogue.image(photo).size(), catalogue.image(ice).size());
    }

    void imagesAreCopiesOfTheCatalogues()
    {
        // Painting into a handed-out image leaves the catalogue as it was.
        ImageCatalogue catalogue;
        QImage target = catalogue.image(QStringLiteral("frostpane_001"));
        const QImage before = target.copy();
        target.fill(Qt::red);
        QCOMPARE(catalogue.image(QStringLiteral("frostpane_001")), before);
    }
};

QTEST_APPLESS_MAIN(TestImageCatalogue)
#include "test_image_catalogue.moc"
