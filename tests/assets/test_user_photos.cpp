#include "assets/ice/ice_overlay.h"
#include "assets/user_photos.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QSize kPicture(UserPhotos::kWidth, UserPhotos::kHeight);

QImage flat(QSize size, QRgb colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format))
        qFatal("cannot encode a %s", format);
    return bytes;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// The CRC-32 that PNG chunks end with.
quint32 pngCrc(const QByteArray &bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : bytes) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// A PNG whose header claims `size` and whose pixel data is a few bytes: what
// a decompression bomb looks like before anything is decoded.
QByteArray pngClaiming(QSize size)
{
    QByteArray png = encoded(flat({8, 8}, qRgb(1, 2, 3)), "png");
    // IHDR's width and height follow the 8-byte signature, the chunk length
    // and the chunk type. The chunk's CRC is put right too.
    const auto putBigEndian = [&png](int offset, quint32 value) {
        for (int i = 0; i < 4; ++i)
            png[offset + i] = char((value >> (24 - 8 * i)) & 0xFF);
    };
    putBigEndian(16, quint32(size.width()));
    putBigEndian(20, quint32(size.height()));
    putBigEndian(29, pngCrc(png.mid(12, 17)));
    return png;
}

QRgb centre(const QImage &image)
{
    return image.pixel(image.width() / 2, image.height() / 2) | 0xFF000000u;
}

bool near(QRgb a, QRgb b, int tolerance = 24)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance
           && std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

// Makes picture `number` the one on show and waits until it is ready.
PhotoWithIce pictureOnShow(UserPhotoLoader &loader, QSignalSpy &ready, int number)
{
    loader.keepAround(number);
    QDeadlineTimer deadline(60000);
    while (loader.picture(number).photo.isNull()) {
        if (deadline.hasExpired())
            qFatal("picture %d was never made", number);
        ready.wait(1000);
    }
    return loader.picture(number);
}

// The pictures a loader has for `folder` (as pictures 7, 8, ...), each
// fetched in turn as if it were on show.
QList<PhotoWithIce> loadAll(const QString &folder, int maxPhotos = UserPhotos::kMaxPhotos)
{
    UserPhotoLoader loader;
    QSignalSpy finished(&loader, &UserPhotoLoader::finished);
    QSignalSpy ready(&loader, &UserPhotoLoader::pictureReady);
    loader.start(folder, 7, maxPhotos);
    if (!finished.wait(60000))
        qFatal("the loader never finished");
    QList<PhotoWithIce> pictures;
    for (int i = 0; i < loader.count(); ++i)
        pictures.append(pictureOnShow(loader, ready, 7 + i));
    return pictures;
}

// A file by its raw name, which need not be UTF-8.
void writeRawFile(const QByteArray &path, const QByteArray &bytes)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, bytes.constData(), std::size_t(bytes.size())) != bytes.size())
        qFatal("cannot write %s", path.constData());
    ::close(fd);
}

} // namespace

class TestUserPhotos : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void goodPhotosJoinInNaturalFileNameOrder()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        // Plain order would put "photo 10" before "photo 2".
        writeFile(dir.filePath(QStringLiteral("photo 10.jpg")), encoded(flat({1024, 768}, qRgb(0, 200, 0)), "jpg"));
        writeFile(dir.filePath(QStringLiteral("photo 2.png")), encoded(flat({800, 600}, qRgb(200, 0, 0)), "png"));
        writeFile(dir.filePath(QStringLiteral("a.bmp")), encoded(flat({400, 300}, qRgb(0, 0, 200)), "bmp"));

        const QList<PhotoWithIce> pictures = loadAll(dir.path());
        QCOMPARE(pictures.size(), 3);
        const QRgb expected[] = {qRgb(0, 0, 200), qRgb(200, 0, 0), qRgb(0, 200, 0)};
        for (int i = 0; i < 3; ++i) {
            const PhotoWithIce &p = pictures[i];
            QCOMPARE(p.photo.size(), kPicture);
            QCOMPARE(p.ice.size(), kPicture);
            QVERIFY2(near(centre(p.photo), expected[i]), qPrintable(QString::number(centre(p.photo), 16)));
            // The ice is the photo's own: the same generator and seed as picture 7 + i.
            QCOMPARE(
                p.ice,
                art::makeIce(p.photo, UserPhotos::iceSeed(7 + i)).convertToFormat(QImage::Format_ARGB32_Premultiplied));
        }
    }

    void badFilesAreSkippedWithOneWarningEach_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("empty file") << "empty.jpg"
                                    << "empty"
                                    << "the file is empty";
        QTest::newRow("text named .jpg") << "text.jpg"
                                         << "text"
                                         << "not an image Qt can read";
        QTest::newRow("JPEG cut in half") << "cut.jpg"
                                          << "cut jpeg"
                                          << "the JPEG file is cut short";
        QTest::newRow("PNG cut in half") << "cut.png"
                                         << "cut png"
                                         << "cannot be decoded";
        QTest::newRow("PNG with its pixel data garbled") << "garbled.png"
                                                         << "garbled png"
                                                         << "cannot be decoded";
        QTest::newRow("JPEG with a garbled header") << "garbled.jpg"
                                                    << "garbled jpeg"
                                                    << "cannot be decoded|not an image";
        QTest::newRow("a folder") << "folder.jpg"
                                  << "folder"
                                  << "a folder, not a file";
        QTest::newRow("a link to itself") << "loop.jpg"
                                          << "loop"
                                          << "a link that leads nowhere";
        QTest::newRow("16000 x 12000") << "huge.png"
                                       << "16000x12000"
                                       << "too large \\(16000 x 12000\\)";
        QTest::newRow("bomb: 30000 x 30000 in a few bytes") << "bomb.png"
                                                            << "30000x30000"
                                                            << "too large \\(30000 x 30000\\)";
        QTest::newRow("bomb under the pixel limit: 11000 x 10000") << "bomb2.png"
                                                                   << "11000x10000"
                                                                   << "cannot be decoded";
        QTest::newRow("1 x 1") << "dot.png"
                               << "1x1"
                               << "too small \\(1 x 1\\)";
        QTest::newRow("panorama 10:1") << "panorama.png"
                                       << "10:1"
                                       << "too long a strip to crop to 4:3 \\(2000 x 200\\)";
        QTest::newRow("unreadable (chmod 000)") << "locked.jpg"
                                                << "locked"
                                                << "cannot be opened";
        // Opening it to read would wait for a writer that never comes.
        QTest::newRow("a FIFO") << "fifo.jpg"
                                << "fifo"
                                << "not a regular file";
    }

    void badFilesAreSkippedWithOneWarningEach()
    {
        QFETCH(QString, name);
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(name);
        const QByteArray goodJpeg = encoded(flat({640, 480}, qRgb(10, 120, 200)), "jpg");
        const QByteArray goodPng = encoded(flat({640, 480}, qRgb(10, 120, 200)), "png");
        if (kind == QLatin1String("empty")) {
            writeFile(path, {});
        } else if (kind == QLatin1String("text")) {
            writeFile(path, "Grandma's birthday, 2023\n");
        } else if (kind == QLatin1String("cut jpeg")) {
            writeFile(path, goodJpeg.left(goodJpeg.size() / 2));
        } else if (kind == QLatin1String("cut png")) {
            writeFile(path, goodPng.left(goodPng.size() / 2));
        } else if (kind == QLatin1String("garbled png")) {
            QByteArray bytes = goodPng;
            for (int i = 60; i < bytes.size() - 12; ++i)
                bytes[i] = char(i * 37);
            writeFile(path, bytes);
        } else if (kind == QLatin1String("garbled jpeg")) {
            QByteArray bytes = goodJpeg;
            for (int i = 2; i < 200; ++i)
                bytes[i] = char(i * 37);
            writeFile(path, bytes);
        } else if (kind == QLatin1String("folder")) {
            QVERIFY(QDir(dir.path()).mkdir(name));
        } else if (kind == QLatin1String("loop")) {
            QVERIFY(QFile::link(path, path));
        } else if (kind == QLatin1String("16000x12000")) {
            writeFile(path, pngClaiming({16000, 12000}));
        } else if (kind == QLatin1String("30000x30000")) {
            writeFile(path, pngClaiming({30000, 30000}));
        } else if (kind == QLatin1String("11000x10000")) {
            writeFile(path, pngClaiming({11000, 10000}));
        } else if (kind == QLatin1String("1x1")) {
            writeFile(path, encoded(flat({1, 1}, qRgb(9, 9, 9)), "png"));
        } else if (kind == QLatin1String("10:1")) {
            writeFile(path, encoded(flat({2000, 200}, qRgb(9, 9, 9)), "png"));
        } else if (kind == QLatin1String("locked")) {
            if (geteuid() == 0)
                QSKIP("root reads a file whatever its permissions");
            writeFile(path, goodJpeg);
            QVERIFY(QFile::setPermissions(path, {}));
        } else if (kind == QLatin1String("fifo")) {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
        }
        // A good photo after it: the bad file changes nothing else.
        writeFile(dir.filePath(QStringLiteral("zz good.png")), goodPng);

        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral("^skipping .*/") + QRegularExpression::escape(name)
                                                + QStringLiteral(": (") + reason + QStringLiteral(")")));
        const QList<PhotoWithIce> pictures = loadAll(dir.path());
        QCOMPARE(pictures.size(), 1);
        QVERIFY(near(centre(pictures[0].photo), qRgb(10, 120, 200)));
    }

    void naturalOrder_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::newRow("2 before 10") << "photo 2.jpg"
                                     << "photo 10.jpg";
        QTest::newRow("007 before 8") << "007.png"
                                      << "8.png";
        QTest::newRow("case does not split the alphabet") << "apple.jpg"
                                                          << "Banana.jpg";
        QTest::newRow("the number decides before what follows it") << "photo 9 big.jpg"
                                                                   << "photo 10.jpg";
        QTest::newRow("letters after digits") << "2019 beach.jpg"
                                              << "beach.jpg";
    }

    void naturalOrder()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QVERIFY(UserPhotos::naturalLess(first, second));
        QVERIFY(!UserPhotos::naturalLess(second, first));
        QVERIFY(!UserPhotos::naturalLess(first, first));
    }

    void aFileGoneBetweenListingAndReadingIsSkipped()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("gone.png"));
        writeFile(path, encoded(flat({640, 480}, qRgb(1, 2, 3)), "png"));
        const QList<UserPhotos::Entry> listed = UserPhotos::entries(dir.path());
        QCOMPARE(listed.size(), 1);
        QCOMPARE(listed.first().path, QFile::encodeName(path));
        QVERIFY(QFile::remove(path));
        QString whyNot;
        QVERIFY(UserPhotos::read(listed.first().path, &whyNot).isNull());
        QVERIFY2(whyNot.startsWith(QLatin1String("cannot be opened")), qPrintable(whyNot));
    }

    // Every photo becomes 640 x 480: the middle 4:3 of it, upright.
    void photosAreCutToTheirMiddleFourByThree_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("turnedByExif");
        QTest::newRow("wide 800 x 400") << QSize(800, 400) << false;
        QTest::newRow("tall 300 x 600") << QSize(300, 600) << false;
        QTest::newRow("4:3 already, 1600 x 1200") << QSize(1600, 1200) << false;
        QTest::newRow("small 160 x 120, scaled up") << QSize(160, 120) << false;
        QTest::newRow("EXIF: stored 400 x 300, shown turned") << QSize(400, 300) << true;
    }

    void photosAreCutToTheirMiddleFourByThree()
    {
        QFETCH(QSize, size);
        QFETCH(bool, turnedByExif);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("photo.jpg"));
        QImage image = flat(size, qRgb(0, 200, 0));
        const QRgb red = qRgb(220, 0, 0);
        const QRgb blue = qRgb(0, 0, 220);
        if (turnedByExif) {
            // Left half red, right half blue; turned a quarter clockwise to
            // stand upright, red ends on top.
            for (int y = 0; y < size.height(); ++y)
                for (int x = 0; x < size.width(); ++x)
                    image.setPixel(x, y, x < size.width() / 2 ? red : blue);
            QImageWriter writer(path, "jpg");
            writer.setTransformation(QImageIOHandler::TransformationRotate90);
            QVERIFY(writer.write(image));
        } else {
            // A red and a blue band at the ends of the long side, outside the
            // middle 4:3: none of them may show.
            const bool wide = size.width() * 3 > size.height() * 4;
            for (int y = 0; y < size.height(); ++y)
                for (int x = 0; x < size.width(); ++x) {
                    const int along = wide ? x : y;
                    const int length = wide ? size.width() : size.height();
                    if (along < length / 8)
                        image.setPixel(x, y, red);
                    else if (along >= length - length / 8 && size.width() * 3 != size.height() * 4)
                        image.setPixel(x, y, blue);
                }
            QVERIFY(image.save(path, "jpg", 95));
        }
        QString whyNot;
        const QImage photo = UserPhotos::read(QFile::encodeName(path), &whyNot);
        QVERIFY2(!photo.isNull(), qPrintable(whyNot));
        QCOMPARE(photo.size(), kPicture);
        QCOMPARE(photo.format(), QImage::Format_ARGB32_Premultiplied);
        if (turnedByExif) {
            QVERIFY(near(photo.pixel(320, 60), red, 40));
            QVERIFY(near(photo.pixel(320, 420), blue, 40));
        } else if (size.width() * 3 == size.height() * 4) {
            // Nothing is cut off: the red band is still on top.
            QVERIFY(near(photo.pixel(320, 4), red, 40));
            QVERIFY(near(photo.pixel(320, 240), qRgb(0, 200, 0), 40));
        } else {
            for (const QPoint corner : {QPoint(4, 4), QPoint(635, 4), QPoint(4, 475), QPoint(635, 475)})
                QVERIFY2(near(photo.pixel(corner), qRgb(0, 200, 0), 40),
                         qPrintable(QString::number(photo.pixel(corner), 16)));
        }
    }

    void theFilesAfterTheLastPhotoUsedAreIgnoredWithOneWarning()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        for (int i = 1; i <= 4; ++i)
            writeFile(dir.filePath(QStringLiteral("%1.png").arg(i)),
                      encoded(flat({64, 48}, qRgb(i * 50, 0, 0)), "png"));
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral("^only the first 2 photos are used: 2 more entries")));
        const QList<PhotoWithIce> pictures = loadAll(dir.path(), 2);
        QCOMPARE(pictures.size(), 2);
        QVERIFY(near(centre(pictures[1].photo), qRgb(100, 0, 0)));
    }

    void noFolderMeansNoPhotos()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QTest::ignoreMessage(QtInfoMsg, QRegularExpression(QStringLiteral("^no photos of your own")));
        QVERIFY(loadAll(dir.filePath(QStringLiteral("missing"))).isEmpty());
        QVERIFY(loadAll(dir.path()).isEmpty()); // there, but empty: not a word
    }

    void theFolderFollowsTheSystemsPicturesFolder()
    {
        QTemporaryDir config;
        QVERIFY(config.isValid());
        writeFile(config.filePath(QStringLiteral("user-dirs.dirs")),
                  "XDG_PICTURES_DIR=\"" + config.filePath(QStringLiteral("My Pictures")).toUtf8() + "\"\n");
        const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        const QString folder = UserPhotos::folder();
        qputenv("XDG_CONFIG_HOME", saved);
        QCOMPARE(folder, config.filePath(QStringLiteral("My Pictures/Frostpane")));
    }

    // Going away while the folder is still being checked waits for at most
    // the photo in hand, and nothing arrives afterwards.
    void destroyingTheLoaderWhileItWorksIsSafe()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        for (int i = 1; i <= 20; ++i)
            writeFile(dir.filePath(QStringLiteral("%1.png").arg(i)), encoded(flat({640, 480}, qRgb(i, 0, 0)), "png"));
        int arrived = 0;
        {
            UserPhotoLoader loader;
            QObject::connect(&loader, &UserPhotoLoader::photoFound, [&arrived] { ++arrived; });
            QObject::connect(&loader, &UserPhotoLoader::pictureReady, [&arrived] { ++arrived; });
            QSignalSpy found(&loader, &UserPhotoLoader::photoFound);
            loader.start(dir.path(), 7);
            QVERIFY(found.wait(60000));
        }
        const int atDestruction = arrived;
        QCoreApplication::processEvents();
        QCOMPARE(arrived, atDestruction);
        QVERIFY(arrived < 20);
    }

    void namesAreReadable_data()
    {
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<QString>("readable");
        QTest::newRow("plain ASCII") << QByteArray("photo 1.jpg") << QStringLiteral("photo 1.jpg");
        QTest::newRow("UTF-8") << QByteArray("F\xC3\xAAte.jpg") << QStringLiteral("F\u00EAte.jpg");
        QTest::newRow("Latin-1") << QByteArray("F\xEAte.jpg") << QStringLiteral("F\\xEAte.jpg");
        QTest::newRow("a lone continuation byte") << QByteArray("a\x80"
                                                                "b")
                                                  << QStringLiteral("a\\x80b");
        QTest::newRow("cut-off sequence at the end") << QByteArray("a\xE2\x82") << QStringLiteral("a\\xE2\\x82");
        QTest::newRow("overlong slash") << QByteArray("\xC0\xAF") << QStringLiteral("\\xC0\\xAF");
        QTest::newRow("UTF-16 surrogate") << QByteArray("\xED\xA0\x80") << QStringLiteral("\\xED\\xA0\\x80");
        QTest::newRow("four-byte emoji") << QByteArray("\xF0\x9F\x98\x80.png") << QStringLiteral("\U0001F600.png");
    }

    void namesAreReadable()
    {
        QFETCH(QByteArray, raw);
        QFETCH(QString, readable);
        QCOMPARE(UserPhotos::readableName(raw), readable);
    }

    // An old camera's or a USB stick's Latin-1 name loads like any other, in
    // its place, and the log shows it.
    void namesThatAreNotUtf8Load()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QByteArray folder = QFile::encodeName(dir.path());
        writeRawFile(folder + "/F\xEAte.jpg", encoded(flat({640, 480}, qRgb(200, 0, 0)), "jpg"));
        writeRawFile(folder + "/Garden.png", encoded(flat({640, 480}, qRgb(0, 0, 200)), "png"));
        QTest::ignoreMessage(QtInfoMsg, QRegularExpression(QStringLiteral("^picture 7 is .*/F\\\\xEAte\\.jpg$")));
        QTest::ignoreMessage(QtInfoMsg, QRegularExpression(QStringLiteral("^picture 8 is .*/Garden\\.png$")));
        const QList<PhotoWithIce> pictures = loadAll(dir.path());
        QCOMPARE(pictures.size(), 2);
        QVERIFY(near(centre(pictures[0].photo), qRgb(200, 0, 0)));
        QVERIFY(near(centre(pictures[1].photo), qRgb(0, 0, 200)));
    }

    // Only the picture on show and its neighbours are kept made; the first
    // picture's previous is the last photo, the last's next is picture 1.
    void onlyThePictureOnShowAndItsNeighboursAreKept_data()
    {
        QTest::addColumn<int>("shown");
        QTest::addColumn<QList<int>>("kept");
        // Built-in pictures 1..6, photos 7..11.
        QTest::newRow("photo in the middle") << 9 << QList<int>{8, 9, 10};
        QTest::newRow("first photo") << 7 << QList<int>{7, 8};
        QTest::newRow("last built-in picture") << 6 << QList<int>{7};
        QTest::newRow("last photo: next is picture 1") << 11 << QList<int>{10, 11};
        QTest::newRow("picture 1: previous is the last photo") << 1 << QList<int>{11};
        QTest::newRow("built-in picture in the middle") << 3 << QList<int>{};
    }

    void onlyThePictureOnShowAndItsNeighboursAreKept()
    {
        QFETCH(int, shown);
        QFETCH(QList<int>, kept);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        for (int i = 1; i <= 5; ++i)
            writeFile(dir.filePath(QStringLiteral("%1.png").arg(i)),
                      encoded(flat({64, 48}, qRgb(i * 40, 0, 0)), "png"));
        UserPhotoLoader loader;
        QSignalSpy finished(&loader, &UserPhotoLoader::finished);
        QSignalSpy ready(&loader, &UserPhotoLoader::pictureReady);
        loader.start(dir.path(), 7);
        QVERIFY(finished.wait(60000));
        QCOMPARE(loader.count(), 5);
        // Everything made once, then the picture on show moves.
        for (int number = 7; number <= 11; ++number)
            pictureOnShow(loader, ready, number);
        loader.keepAround(shown);
        for (const int number : std::as_const(kept)) {
            QTRY_VERIFY_WITH_TIMEOUT(!loader.picture(number).photo.isNull(), 60000);
            QVERIFY(near(centre(loader.picture(number).photo), qRgb((number - 6) * 40, 0, 0)));
        }
        for (int number = 7; number <= 11; ++number) {
            if (!kept.contains(number))
                QVERIFY2(loader.picture(number).photo.isNull(), qPrintable(QString::number(number)));
        }
    }
};

QTEST_GUILESS_MAIN(TestUserPhotos)
#include "test_user_photos.moc"
