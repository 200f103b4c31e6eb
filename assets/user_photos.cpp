#include "assets/user_photos.h"

#include "assets/ice/ice_overlay.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QPromise>
#include <QStandardPaths>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <cmath>

#ifdef Q_OS_LINUX
#include <sys/resource.h>
#endif

Q_LOGGING_CATEGORY(lcPhotos, "frostpane.photos")

namespace UserPhotos {

namespace {

// A JPEG cut short still decodes, with the missing part grey; a complete one
// ends with the end-of-image marker FF D9 (perhaps followed by padding).
bool looksCutShort(QFile &file, const QByteArray &format)
{
    if (format != "jpeg" && format != "jpg")
        return false;
    const qint64 tail = std::min<qint64>(file.size(), 4096);
    if (!file.seek(file.size() - tail))
        return true;
    const QByteArray end = file.read(tail);
    file.seek(0);
    return !end.contains(QByteArrayLiteral("\xFF\xD9"));
}

// The part of a `size` image with the aspect ratio aspectW : aspectH, around
// its middle.
QRect middleWithAspect(QSize size, int aspectW, int aspectH)
{
    const qint64 w = size.width();
    const qint64 h = size.height();
    if (w * aspectH > h * aspectW) {
        const qint64 cropW = std::max<qint64>(1, h * aspectW / aspectH);
        return QRect(int((w - cropW) / 2), 0, int(cropW), int(h));
    }
    const qint64 cropH = std::max<qint64>(1, w * aspectH / aspectW);
    return QRect(0, int((h - cropH) / 2), int(w), int(cropH));
}

QString describeSize(QSize size)
{
    return QStringLiteral("%1 x %2").arg(size.width()).arg(size.height());
}

} // namespace

QString folder()
{
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (pictures.isEmpty())
        return {};
    return QDir(pictures).filePath(QStringLiteral("Frostpane"));
}

bool naturalLess(const QString &a, const QString &b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            // Whole numbers: fewer digits (leading zeros aside) is smaller.
            qsizetype endA = i;
            qsizetype endB = j;
            while (endA < a.size() && a[endA].isDigit())
                ++endA;
            while (endB < b.size() && b[endB].isDigit())
                ++endB;
            QStringView numberA = QStringView(a).mid(i, endA - i);
            QStringView numberB = QStringView(b).mid(j, endB - j);
            while (numberA.size() > 1 && numberA.front() == QLatin1Char('0'))
                numberA = numberA.mid(1);
            while (numberB.size() > 1 && numberB.front() == QLatin1Char('0'))
                numberB = numberB.mid(1);
            if (numberA.size() != numberB.size())
                return numberA.size() < numberB.size();
            const int order = numberA.compare(numberB);
            if (order != 0)
                return order < 0;
            i = endA;
            j = endB;
            continue;
        }
        const int order = QStringView(a).mid(i, 1).compare(QStringView(b).mid(j, 1), Qt::CaseInsensitive);
        if (order != 0)
            return order < 0;
        ++i;
        ++j;
    }
    if ((a.size() - i) != (b.size() - j))
        return (a.size() - i) < (b.size() - j);
    return a < b; // only case or leading zeros differ
}

QStringList entries(const QString &folder)
{
    if (folder.isEmpty())
        return {};
    const QDir dir(folder);
    QStringList names = dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System, QDir::NoSort);
    std::sort(names.begin(), names.end(), naturalLess);
    QStringList paths;
    paths.reserve(names.size());
    for (const QString &name : std::as_const(names))
        paths.append(dir.filePath(name));
    return paths;
}

QImage read(const QString &path, QString *whyNot)
{
    const auto fail = [&](const QString &why) {
        if (whyNot)
            *whyNot = why;
        return QImage();
    };

    const QFileInfo info(path);
    if (info.isSymLink() && !info.exists())
        return fail(QStringLiteral("a link that leads nowhere (broken or a loop)"));
    if (info.isDir())
        return fail(QStringLiteral("a folder, not a file"));
    if (info.exists() && !info.isFile())
        return fail(QStringLiteral("not a regular file"));

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot be opened: ") + file.errorString());
    if (file.size() == 0)
        return fail(QStringLiteral("the file is empty"));

    QImageReader reader(&file);
    reader.setAutoTransform(true);
    reader.setAllocationLimit(kAllocationLimitMb);
    if (!reader.canRead())
        return fail(QStringLiteral("not an image Qt can read"));
    const QByteArray format = reader.format();
    if (looksCutShort(file, format))
        return fail(QStringLiteral("the JPEG file is cut short"));

    const QSize stored = reader.size();
    if (stored.isValid()) {
        const qint64 pixels = qint64(stored.width()) * stored.height();
        if (pixels > kMaxPixels)
            return fail(QStringLiteral("too large (%1)").arg(describeSize(stored)));
        if (std::min(stored.width(), stored.height()) < kMinSide)
            return fail(QStringLiteral("too small (%1)").arg(describeSize(stored)));
        const double aspect = double(std::max(stored.width(), stored.height()))
                              / double(std::min(stored.width(), stored.height()));
        if (aspect > kMaxAspect)
            return fail(QStringLiteral("too long a strip to crop to 4:3 (%1)").arg(describeSize(stored)));

        // With the EXIF turn on, Qt 6 gives the size, and takes the clip
        // rectangle, as the photo stands upright. Decoders that can (JPEG)
        // then decode only about what the 640 x 480 result needs.
        reader.setClipRect(middleWithAspect(stored, 4, 3));
        reader.setScaledSize(QSize(kWidth, kHeight));
    }

    QImage image = reader.read();
    if (image.isNull())
        return fail(QStringLiteral("cannot be decoded: ") + reader.errorString());
    if (image.size() != QSize(kWidth, kHeight)) {
        // A format that could not tell its size in advance.
        if (std::min(image.width(), image.height()) < kMinSide)
            return fail(QStringLiteral("too small (%1)").arg(describeSize(image.size())));
        image = image.copy(middleWithAspect(image.size(), 4, 3))
                    .scaled(kWidth, kHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    // Transparent parts show as black, as everywhere else in the window.
    QImage opaque(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    opaque.fill(Qt::black);
    if (image.hasAlphaChannel()) {
        QPainter painter(&opaque);
        painter.drawImage(0, 0, image);
    } else {
        opaque = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    return opaque;
}

quint32 iceSeed(int number)
{
    return quint32(1000 + number);
}

} // namespace UserPhotos

namespace {

// The background work: every entry in order, until kMaxPhotos are ready or
// the loader is destroyed.
void loadPhotos(QPromise<Picture> &promise, const QString &folder, int firstNumber, int maxPhotos)
{
#ifdef Q_OS_LINUX
    // The game's frames come first: a nice value of 10 gives this thread
    // (and the threads the ice starts from it, which inherit it) about a
    // tenth of the share of the GUI thread when both want a processor, but,
    // unlike an idle-only policy, never starves it on a busy machine.
    // On Linux the nice value belongs to the calling thread alone.
    if (setpriority(PRIO_PROCESS, 0, 10) != 0)
        qCDebug(lcPhotos) << "could not lower the loading thread's priority";
#endif

    const QFileInfo folderInfo(folder);
    if (!folderInfo.isDir()) {
        qCInfo(lcPhotos).noquote() << "no photos of your own:" << QDir::toNativeSeparators(folder)
                                   << "is not there";
        return;
    }
    const QStringList paths = UserPhotos::entries(folder);
    int ready = 0;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        if (promise.isCanceled())
            return;
        const QString &path = paths[i];
        if (ready == maxPhotos) {
            qCWarning(lcPhotos).noquote() << "only the first" << maxPhotos
                                          << "photos are used:" << (paths.size() - i)
                                          << "more entries in" << QDir::toNativeSeparators(folder)
                                          << "are ignored";
            return;
        }
        QString whyNot;
        const QImage photo = UserPhotos::read(path, &whyNot);
        if (photo.isNull()) {
            qCWarning(lcPhotos).noquote() << "skipping" << QDir::toNativeSeparators(path) + QLatin1Char(':')
                                          << whyNot;
            continue;
        }
        if (promise.isCanceled())
            return;
        const QImage ice = art::makeIce(photo, UserPhotos::iceSeed(firstNumber + ready))
                               .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        if (ice.size() != photo.size()) {
            qCWarning(lcPhotos).noquote() << "skipping" << QDir::toNativeSeparators(path) + QLatin1Char(':')
                                          << "no ice could be made for it";
            continue;
        }
        promise.addResult(Picture{photo, ice});
        qCInfo(lcPhotos).noquote() << "picture" << (firstNumber + ready) << "is ready:"
                                   << QDir::toNativeSeparators(path);
        ++ready;
    }
}

} // namespace

UserPhotoLoader::UserPhotoLoader(QObject *parent)
    : QObject(parent)
{
    // One photo at a time, on a thread of its own.
    m_pool.setMaxThreadCount(1);
    connect(&m_watcher, &QFutureWatcher<Picture>::resultReadyAt, this,
            [this](int index) { Q_EMIT photoReady(m_watcher.resultAt(index)); });
    connect(&m_watcher, &QFutureWatcher<Picture>::finished, this, &UserPhotoLoader::finished);
}

UserPhotoLoader::~UserPhotoLoader()
{
    m_watcher.disconnect(this);
    m_future.cancel();
    m_future.waitForFinished();
}

void UserPhotoLoader::start(const QString &folder, int firstNumber, int maxPhotos)
{
    // A default QFuture counts as started (and finished): keep a flag.
    if (m_started)
        return;
    m_started = true;
    m_future = QtConcurrent::run(&m_pool, loadPhotos, folder, firstNumber, maxPhotos);
    m_watcher.setFuture(m_future);
}
