#include "assets/user_photos.h"

#include "assets/ice/ice_overlay.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QScopeGuard>
#include <QStandardPaths>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <future>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <vector>

#ifdef Q_OS_LINUX
#include <sys/resource.h>
#endif

Q_LOGGING_CATEGORY(lcPhotos, "frostpane.photos")

namespace UserPhotos {

namespace {

// A JPEG cut short still decodes, with the missing part grey; a complete one
// ends with the end-of-image marker FF D9 (perhaps followed by padding).
bool looksCutShort(const QByteArray &bytes, const QByteArray &format)
{
    if (format != "jpeg" && format != "jpg")
        return false;
    return !bytes.right(4096).contains(QByteArrayLiteral("\xFF\xD9"));
}

// Files larger than this are not read at all: no photo needs that much.
constexpr qint64 kMaxFileBytes = qint64(kAllocationLimitMb) * 1024 * 1024;

// The length of the valid UTF-8 sequence at `p` (before `end`), or 0.
int utf8Length(const unsigned char *p, const unsigned char *end)
{
    const unsigned char lead = p[0];
    int length = 0;
    char32_t min = 0;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        min = 0x10000;
    } else {
        return 0;
    }
    if (end - p < length)
        return 0;
    char32_t code = lead & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        code = code << 6 | (p[i] & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
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

QString readableName(const QByteArray &rawName)
{
    QString name;
    const auto *p = reinterpret_cast<const unsigned char *>(rawName.constData());
    const auto *end = p + rawName.size();
    while (p < end) {
        const int length = utf8Length(p, end);
        if (length == 0) {
            name += QStringLiteral("\\x") + QStringLiteral("%1").arg(uint(*p), 2, 16, QLatin1Char('0')).toUpper();
            ++p;
        } else {
            name += QString::fromUtf8(reinterpret_cast<const char *>(p), length);
            p += length;
        }
    }
    return name;
}

QList<Entry> entries(const QString &folder)
{
    QList<Entry> found;
    if (folder.isEmpty())
        return found;
    // The raw names: QDir hands over names that are not UTF-8 in a form
    // that no longer opens the file.
    const QByteArray base = QFile::encodeName(folder);
    DIR *dir = ::opendir(base.constData());
    if (!dir)
        return found;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray raw(entry->d_name);
        if (raw.startsWith('.'))
            continue; // hidden, or . and ..
        found.append({base + '/' + raw, readableName(raw)});
    }
    ::closedir(dir);
    std::sort(found.begin(), found.end(), [](const Entry &a, const Entry &b) {
        if (a.name != b.name)
            return naturalLess(a.name, b.name);
        return a.path < b.path;
    });
    return found;
}

QByteArray readFile(const QByteArray &path, QString *whyNot)
{
    const auto fail = [&](const QString &why) {
        if (whyNot)
            *whyNot = why;
        return QByteArray();
    };
    const auto systemError = [](int error) { return QString::fromLocal8Bit(std::strerror(error)); };
    // O_NONBLOCK: opening a FIFO (or a device) must not wait for a writer;
    // what was opened is looked at before a byte is read.
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        const int error = errno;
        struct stat link;
        if ((error == ENOENT || error == ELOOP) && ::lstat(path.constData(), &link) == 0 && S_ISLNK(link.st_mode))
            return fail(QStringLiteral("a link that leads nowhere (broken or a loop)"));
        return fail(QStringLiteral("cannot be opened: ") + systemError(error));
    }
    const auto closeFile = qScopeGuard([fd] { ::close(fd); });
    struct stat info;
    if (::fstat(fd, &info) != 0)
        return fail(QStringLiteral("cannot be opened: ") + systemError(errno));
    if (S_ISDIR(info.st_mode))
        return fail(QStringLiteral("a folder, not a file"));
    if (!S_ISREG(info.st_mode))
        return fail(QStringLiteral("not a regular file"));
    if (info.st_size == 0)
        return fail(QStringLiteral("the file is empty"));
    if (info.st_size > kMaxFileBytes)
        return fail(QStringLiteral("too large a file (%1 MB)").arg(info.st_size / (1024 * 1024)));

    QByteArray bytes(qsizetype(info.st_size), Qt::Uninitialized);
    qsizetype filled = 0;
    while (filled < bytes.size()) {
        const ssize_t got = ::read(fd, bytes.data() + filled, std::size_t(bytes.size() - filled));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return fail(QStringLiteral("cannot be read: ") + systemError(errno));
        if (got == 0)
            break; // shorter than it was a moment ago
        filled += got;
    }
    bytes.truncate(filled);
    if (bytes.isEmpty())
        return fail(QStringLiteral("the file is empty"));
    return bytes;
}

QImage read(const QByteArray &path, QString *whyNot)
{
    const QByteArray bytes = readFile(path, whyNot);
    if (bytes.isEmpty())
        return {};
    return decode(bytes, whyNot);
}

QImage decode(const QByteArray &bytes, QString *whyNot)
{
    const auto fail = [&](const QString &why) {
        if (whyNot)
            *whyNot = why;
        return QImage();
    };

    QBuffer file;
    file.setData(bytes);
    if (bytes.isEmpty() || !file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("the file is empty"));
    QImageReader reader(&file);
    reader.setAutoTransform(true);
    reader.setAllocationLimit(kAllocationLimitMb);
    if (!reader.canRead())
        return fail(QStringLiteral("not an image Qt can read"));
    const QByteArray format = reader.format();
    if (looksCutShort(bytes, format))
        return fail(QStringLiteral("the JPEG file is cut short"));

    const QSize stored = reader.size();
    // Why a photo of that size cannot be played, if it cannot.
    const auto problemOf = [](QSize size) -> std::optional<QString> {
        switch (PhotoRules::problemOf(size.width(), size.height())) {
        case PhotoRules::Problem::None:
            return std::nullopt;
        case PhotoRules::Problem::TooLarge:
            return QStringLiteral("too large (%1)").arg(describeSize(size));
        case PhotoRules::Problem::TooSmall:
            return QStringLiteral("too small (%1)").arg(describeSize(size));
        case PhotoRules::Problem::TooLong:
            return QStringLiteral("too long a strip to crop to 4:3 (%1)").arg(describeSize(size));
        }
        return std::nullopt;
    };
    if (stored.isValid()) {
        if (const std::optional<QString> problem = problemOf(stored))
            return fail(*problem);

        // With the EXIF turn on, Qt 6 gives the size, and takes the clip
        // rectangle, as the photo stands upright. Decoders that can (JPEG)
        // then decode only about what the 640 x 480 result needs.
        const Rect cut = PhotoRules::cutOf(stored.width(), stored.height());
        reader.setClipRect(QRect(cut.x, cut.y, cut.width, cut.height));
        reader.setScaledSize(QSize(kWidth, kHeight));
    }

    QImage image = reader.read();
    if (image.isNull())
        return fail(QStringLiteral("cannot be decoded: ") + reader.errorString());
    if (image.size() != QSize(kWidth, kHeight)) {
        // A format that could not tell its size in advance.
        if (const std::optional<QString> problem = problemOf(image.size()))
            return fail(*problem);
        const Rect cut = PhotoRules::cutOf(image.width(), image.height());
        image = image.copy(QRect(cut.x, cut.y, cut.width, cut.height))
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
    return PhotoRules::iceSeed(number);
}

} // namespace UserPhotos

namespace {

using namespace std::chrono_literals;

// The game's frames come first: a nice value of 10 gives the calling thread
// (and the threads it starts, which inherit it) about a tenth of the share of
// the GUI thread when both want a processor, but, unlike an idle-only
// policy, never starves it on a busy machine. On Linux the nice value
// belongs to the calling thread alone.
void lowerPriority()
{
#ifdef Q_OS_LINUX
    if (setpriority(PRIO_PROCESS, 0, 10) != 0)
        qCDebug(lcPhotos) << "could not lower a loading thread's priority";
#endif
}

// readFile() on a thread of its own, given up after `limit`: a file on a
// hung drive blocks in the kernel, where no thread can be cancelled. The
// abandoned thread keeps its own state alive and ends whenever the read
// does (or with the process).
std::optional<QByteArray> readFileWithin(const QByteArray &path, std::chrono::milliseconds limit, QString *whyNot)
{
    struct Result
    {
        QByteArray bytes;
        QString whyNot;
    };
    auto task = std::make_shared<std::packaged_task<Result()>>([path] {
        Result result;
        result.bytes = UserPhotos::readFile(path, &result.whyNot);
        return result;
    });
    std::future<Result> future = task->get_future();
    std::thread([task] { (*task)(); }).detach();
    if (future.wait_for(limit) != std::future_status::ready)
        return std::nullopt;
    Result result = future.get();
    if (whyNot)
        *whyNot = result.whyNot;
    return result.bytes;
}

} // namespace

// Shared by the loader and its threads; every member under `mutex`.
struct UserPhotoLoader::State
{
    std::mutex mutex;
    std::condition_variable wake; // new wishes for the maker, or the end
    std::condition_variable idle; // a thread left its Qt work
    // Null once the loader is gone: nothing is posted any more, and the
    // threads stop at their next look.
    UserPhotoLoader *loader = nullptr;
    int firstNumber = 1;
    QString shownFolder;               // the folder as the log shows it
    QList<UserPhotos::Entry> photos;   // the usable ones, in order
    bool listed = false;               // the whole folder has been checked
    int shown = 1;                     // the picture on show, of all pictures
    std::vector<int> wanted;           // photo indexes to keep, most wanted first
    std::map<int, PhotoWithIce> ready; // by photo index
    std::set<int> failed;              // photo indexes that could not be made again
    int busy = 0;                      // threads inside Qt's image code

    bool gone() const { return loader == nullptr; }

    // Posts `call` to the loader's thread; the call is dropped with the
    // loader. Under `mutex`.
    template <typename Call> void post(Call call)
    {
        if (loader)
            QMetaObject::invokeMethod(loader, std::move(call), Qt::QueuedConnection);
    }

    // Enters Qt's image code unless the loader is gone. Under `mutex`.
    bool enter()
    {
        if (gone())
            return false;
        ++busy;
        return true;
    }
    void leave(std::unique_lock<std::mutex> &)
    {
        --busy;
        idle.notify_all();
    }

    // Which photos to keep for the picture on show: it, the next and the
    // previous one, wrapping around. The last photo is the previous of the
    // first picture only once the folder is fully checked. Under `mutex`.
    void decideWanted()
    {
        wanted.clear();
        const int count = int(photos.size());
        if (count == 0)
            return;
        for (const int number : PhotoRules::picturesToKeep(shown, firstNumber - 1 + count, listed)) {
            const int index = number - firstNumber;
            if (index >= 0 && index < count)
                wanted.push_back(index);
        }
        for (auto it = ready.begin(); it != ready.end();) {
            if (std::find(wanted.begin(), wanted.end(), it->first) == wanted.end())
                it = ready.erase(it);
            else
                ++it;
        }
        wake.notify_all();
    }
};

namespace {

using State = UserPhotoLoader::State;

// The whole folder in order: every entry read and decoded once to see that
// it is a usable photo, then let go.
void checkFolder(const std::shared_ptr<State> &state, const QString &folder, int maxPhotos)
{
    lowerPriority();
    const QString shownFolder = QDir::toNativeSeparators(folder);
    const auto finish = [&](bool there) {
        std::lock_guard lock(state->mutex);
        if (there)
            qCInfo(lcPhotos).noquote() << "photos of your own:" << state->photos.size() << "in" << shownFolder;
        state->listed = true;
        state->decideWanted();
        state->post([loader = state->loader] { Q_EMIT loader->finished(); });
    };
    if (!QFileInfo(folder).isDir()) {
        qCInfo(lcPhotos).noquote() << "no photos of your own:" << shownFolder << "is not there";
        finish(false);
        return;
    }
    const QList<UserPhotos::Entry> entries = UserPhotos::entries(folder);
    int usable = 0;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const UserPhotos::Entry &entry = entries[i];
        const QString shownPath = shownFolder + QLatin1Char('/') + entry.name;
        if (usable == maxPhotos) {
            qCWarning(lcPhotos).noquote() << "only the first" << maxPhotos << "photos are used:" << (entries.size() - i)
                                          << "more entries in" << shownFolder << "are ignored";
            break;
        }
        QString whyNot;
        const std::optional<QByteArray> bytes = readFileWithin(
            entry.path, std::chrono::seconds(UserPhotoLoader::kReadSeconds), &whyNot);
        std::unique_lock lock(state->mutex);
        if (!state->enter())
            return;
        lock.unlock();
        bool ok = false;
        if (!bytes) {
            whyNot = QStringLiteral("reading it takes longer than %1 s").arg(UserPhotoLoader::kReadSeconds);
        } else if (!bytes->isEmpty()) {
            ok = !UserPhotos::decode(*bytes, &whyNot).isNull();
        }
        if (!ok)
            qCWarning(lcPhotos).noquote() << "skipping" << shownPath + QLatin1Char(':') << whyNot;
        lock.lock();
        state->leave(lock);
        if (ok) {
            state->photos.append(entry);
            ++usable;
            const int count = usable;
            qCInfo(lcPhotos).noquote() << "picture" << (state->firstNumber + count - 1) << "is" << shownPath;
            state->decideWanted();
            state->post([loader = state->loader, count] { Q_EMIT loader->photoFound(count); });
        }
    }
    finish(true);
}

// Makes the wanted photos with their ice, most wanted first, for as long as
// the loader is there.
void makeWanted(const std::shared_ptr<State> &state)
{
    lowerPriority();
    std::unique_lock lock(state->mutex);
    while (!state->gone()) {
        const auto next = std::find_if(state->wanted.begin(), state->wanted.end(), [&](int index) {
            return !state->ready.count(index) && !state->failed.count(index);
        });
        if (next == state->wanted.end()) {
            state->wake.wait(lock);
            continue;
        }
        const int index = *next;
        const UserPhotos::Entry entry = state->photos[index];
        const int number = state->firstNumber + index;
        lock.unlock();

        QString whyNot;
        const std::optional<QByteArray> bytes = readFileWithin(
            entry.path, std::chrono::seconds(UserPhotoLoader::kReadSeconds), &whyNot);
        lock.lock();
        if (!state->enter())
            return;
        lock.unlock();
        PhotoWithIce picture;
        if (bytes && !bytes->isEmpty())
            picture.photo = UserPhotos::decode(*bytes, &whyNot);
        else if (!bytes)
            whyNot = QStringLiteral("reading it takes longer than %1 s").arg(UserPhotoLoader::kReadSeconds);
        if (!picture.photo.isNull())
            picture.ice = art::makeIce(picture.photo, UserPhotos::iceSeed(number))
                              .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        lock.lock();
        state->leave(lock);
        if (picture.photo.isNull() || picture.ice.size() != picture.photo.size()) {
            qCWarning(lcPhotos).noquote()
                << "picture" << number << "cannot be shown:" << state->shownFolder + QLatin1Char('/') + entry.name
                << (picture.photo.isNull() ? whyNot : QStringLiteral("no ice could be made for it"));
            state->failed.insert(index);
            continue;
        }
        if (std::find(state->wanted.begin(), state->wanted.end(), index) == state->wanted.end())
            continue; // no longer wanted: the picture on show moved on meanwhile
        state->ready[index] = std::move(picture);
        qCInfo(lcPhotos).noquote() << "picture" << number
                                   << "is ready:" << state->shownFolder + QLatin1Char('/') + entry.name;
        state->post([loader = state->loader, number] { Q_EMIT loader->pictureReady(number); });
    }
}

} // namespace

UserPhotoLoader::UserPhotoLoader(QObject *parent)
    : QObject(parent)
    , m_state(std::make_shared<State>())
{
    m_state->loader = this;
}

UserPhotoLoader::~UserPhotoLoader()
{
    // Threads inside Qt's image code finish that step (a fraction of a
    // second); one stuck in a read is left behind: it holds only its own
    // state and stops as soon as it comes back.
    std::unique_lock lock(m_state->mutex);
    m_state->loader = nullptr;
    m_state->wake.notify_all();
    m_state->idle.wait_for(lock, 500ms, [this] { return m_state->busy == 0; });
}

void UserPhotoLoader::start(const QString &folder, int firstNumber, int maxPhotos)
{
    if (m_started)
        return;
    m_started = true;
    {
        std::lock_guard lock(m_state->mutex);
        m_state->firstNumber = firstNumber;
        m_state->shownFolder = QDir::toNativeSeparators(folder);
    }
    std::thread(checkFolder, m_state, folder, maxPhotos).detach();
    std::thread(makeWanted, m_state).detach();
}

int UserPhotoLoader::count() const
{
    std::lock_guard lock(m_state->mutex);
    return int(m_state->photos.size());
}

PhotoWithIce UserPhotoLoader::picture(int number) const
{
    std::lock_guard lock(m_state->mutex);
    const auto found = m_state->ready.find(number - m_state->firstNumber);
    return found == m_state->ready.end() ? PhotoWithIce() : found->second;
}

void UserPhotoLoader::keepAround(int number)
{
    std::lock_guard lock(m_state->mutex);
    if (m_state->shown == number)
        return;
    m_state->shown = number;
    m_state->decideWanted();
}
