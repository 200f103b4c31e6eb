#pragma once

#include "core/photo_rules.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QLoggingCategory>
#include <QObject>
#include <QString>

#include <memory>

Q_DECLARE_LOGGING_CATEGORY(lcPhotos)

// A parent's own photographs: every image in the folder "Frostpane" inside
// the user's pictures folder joins the built-in pictures. The folder is only
// read, never created or changed.

// A photo of the user's, decoded, and its ice, of the same size.
struct PhotoWithIce
{
    QImage photo;
    QImage ice;
};

namespace UserPhotos {

// The bounds and the size every photo is cut to are the browser's too.
constexpr int kMaxPhotos = PhotoRules::kMaxPhotos;
constexpr int kWidth = PhotoRules::kWidth;
constexpr int kHeight = PhotoRules::kHeight;
constexpr int kMinSide = PhotoRules::kMinSide;
constexpr qint64 kMaxPixels = PhotoRules::kMaxPixels;
constexpr double kMaxAspect = PhotoRules::kMaxAspect;
// The most memory a decoder may take for one image, in megabytes.
constexpr int kAllocationLimitMb = 256;

// "<pictures folder>/Frostpane", wherever the system's settings put the
// pictures folder (XDG_PICTURES_DIR on Linux).
QString folder();

// Natural file-name order: runs of digits compare as whole numbers ("2.jpg"
// before "10.jpg"), letters case-insensitively by their Unicode order. The
// same on every system, whatever its locale.
bool naturalLess(const QString &a, const QString &b);

// One entry of the folder: its name exactly as the file system holds it
// (any bytes, UTF-8 or not) and a readable form of it for the log.
struct Entry
{
    QByteArray path; // the folder's path, '/', the raw name
    QString name;    // readableName() of the raw name
};

// The name as text: UTF-8 where it is valid, every other byte as \xNN
// (a Latin-1 "F\xEAte.jpg"), so that no two names read the same.
QString readableName(const QByteArray &rawName);

// The entries of `folder` to try, in naturalLess() order of their readable
// names: files, folders and links, but no hidden entries.
QList<Entry> entries(const QString &folder);

// The bytes of the regular file at `path`, or empty and the reason in
// `whyNot`. Opening never waits (a FIFO or a device is refused, not read);
// only reading a file whose storage hangs can block.
QByteArray readFile(const QByteArray &path, QString *whyNot);

// The photograph in `bytes`, upright (EXIF orientation applied), cropped to
// 4:3 around its middle and scaled to kWidth x kHeight, as 32-bit
// premultiplied ARGB; or a null image and the reason in `whyNot`. Only as
// much is decoded as the result needs where the format allows.
QImage decode(const QByteArray &bytes, QString *whyNot);

// readFile() and decode() in one.
QImage read(const QByteArray &path, QString *whyNot);

// The seed of the ice overlay of picture `number`, as the built-in pictures'
// seeds go (1001 for picture 1).
quint32 iceSeed(int number);

} // namespace UserPhotos

// The user's photographs, kept on demand. On start, a background thread
// lists the folder and checks every entry (read and decoded once, then let
// go); each usable photo is announced in file-name order, files that are no
// usable photo are skipped with one warning each in "frostpane.photos". Only
// the photo on show and its two neighbours are kept decoded with their ice,
// made ahead on another background thread, so that stepping to a neighbour
// finds it ready.
//
// Nothing here ever waits for a file: a read that hangs (a stuck network
// drive) is given up after kReadSeconds and that photo skipped, and
// destroying the loader leaves such a read behind instead of waiting for it.
// The background threads run at a lower priority, so the frames never wait.
class UserPhotoLoader final : public QObject
{
    Q_OBJECT

public:
    static constexpr int kReadSeconds = 10;
    struct State; // what the loader shares with its threads

    explicit UserPhotoLoader(QObject *parent = nullptr);
    ~UserPhotoLoader() override;

    // Starts reading `folder`; its photos become pictures firstNumber,
    // firstNumber + 1, ... (which decides their ice), at most `maxPhotos` of
    // them. Once only.
    void start(const QString &folder, int firstNumber, int maxPhotos = UserPhotos::kMaxPhotos);

    // How many photos were found usable so far.
    int count() const;
    // Picture `number` with its ice when it is decoded; otherwise a null
    // picture, and pictureReady(number) follows once it is.
    PhotoWithIce picture(int number) const;
    // Picture `number` (of all pictures, built-in ones first) is on show:
    // it and its neighbours, wrapping around at both ends, are made ready;
    // every other photo is let go.
    void keepAround(int number);

Q_SIGNALS:
    // Delivered on the loader's thread (the GUI thread).
    // Another usable photo: there are `count` of them now.
    void photoFound(int count);
    // Picture `number` can now be had from picture().
    void pictureReady(int number);
    // The whole folder has been checked.
    void finished();

private:
    std::shared_ptr<State> m_state; // shared with threads that may outlive the loader
    bool m_started = false;
};
