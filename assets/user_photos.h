#pragma once

#include "core/game.h"

#include <QFuture>
#include <QFutureWatcher>
#include <QImage>
#include <QLoggingCategory>
#include <QObject>
#include <QString>
#include <QThreadPool>

Q_DECLARE_LOGGING_CATEGORY(lcPhotos)

// A parent's own photographs: every image in the folder "Frostpane" inside
// the user's pictures folder joins the built-in pictures. The folder is only
// read, never created or changed.
namespace UserPhotos {

// At most this many photos are used; the files after them are ignored.
constexpr int kMaxPhotos = 100;
// Every photo is cropped to 4:3 around its middle and scaled to this size.
constexpr int kWidth = 640;
constexpr int kHeight = 480;
// Photos outside these bounds are skipped: too few pixels to show, more than
// a decoder should ever be asked for, or too long a strip to crop to 4:3.
constexpr int kMinSide = 32;
constexpr qint64 kMaxPixels = 120'000'000;
constexpr double kMaxAspect = 4.0;
// The most memory a decoder may take for one image, in megabytes.
constexpr int kAllocationLimitMb = 256;

// "<pictures folder>/Frostpane", wherever the system's settings put the
// pictures folder (XDG_PICTURES_DIR on Linux).
QString folder();

// Natural file-name order: runs of digits compare as whole numbers ("2.jpg"
// before "10.jpg"), letters case-insensitively by their Unicode order. The
// same on every system, whatever its locale.
bool naturalLess(const QString &a, const QString &b);

// The entries of `folder` to try, in naturalLess() order: files, folders and
// links, but no hidden entries.
QStringList entries(const QString &folder);

// The photograph at `path`, upright (EXIF orientation applied), cropped to
// 4:3 around its middle and scaled to kWidth x kHeight, as 32-bit
// premultiplied ARGB; or a null image and the reason in `whyNot`. Only as
// much of the file is decoded as the result needs where the format allows.
QImage read(const QString &path, QString *whyNot);

// The seed of the ice overlay of picture `number`, as the built-in pictures'
// seeds go (1001 for picture 1).
quint32 iceSeed(int number);

} // namespace UserPhotos

// Reads the user's photographs and makes their ice on one background thread
// at idle priority, so the game's frames never wait for it. Each photo is
// reported as soon as it and its ice are ready, in file-name order; files
// that are no usable photo are skipped with one warning each in
// "frostpane.photos". Destroying the loader cancels the work and waits for the
// photo in hand (a fraction of a second at most).
class UserPhotoLoader final : public QObject
{
    Q_OBJECT

public:
    explicit UserPhotoLoader(QObject *parent = nullptr);
    ~UserPhotoLoader() override;

    // Starts reading `folder`; its photos become pictures firstNumber,
    // firstNumber + 1, ... (which decides their ice), at most `maxPhotos` of
    // them. Once only.
    void start(const QString &folder, int firstNumber, int maxPhotos = UserPhotos::kMaxPhotos);

Q_SIGNALS:
    // Delivered on the loader's thread (the GUI thread).
    void photoReady(const Picture &picture);
    void finished();

private:
    QThreadPool m_pool;
    bool m_started = false;
    QFuture<Picture> m_future;
    QFutureWatcher<Picture> m_watcher;
};
