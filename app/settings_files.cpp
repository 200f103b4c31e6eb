#include "app/settings_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <unistd.h>

#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

Q_LOGGING_CATEGORY(lcSettings, "frostpane.settings")

namespace {

const QString kFileInFolder = QStringLiteral("frostpane/frostpane.conf");

// Every key of the bytes of one settings file. QSettings reads only files
// named by path, so it parses a private copy: the bytes already read, in a
// plain file of our own that nothing else can replace, block or make larger.
QVariantMap parse(const std::string &bytes, const QString &path)
{
    QVariantMap values;
    if (bytes.empty())
        return values;
    QTemporaryFile copy(QDir::tempPath() + QStringLiteral("/frostpane-settings-XXXXXX.conf"));
    if (!copy.open() || copy.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()) || !copy.flush()) {
        qCWarning(lcSettings).noquote() << "cannot copy" << path << "to read it; its values are left out";
        return values;
    }
    copy.close();
    const QSettings file(copy.fileName(), QSettings::IniFormat);
    if (file.status() != QSettings::NoError)
        qCWarning(lcSettings).noquote() << path << "is not a valid settings file; what could be read of it counts";
    for (const QString &key : file.allKeys()) {
        if (!key.isEmpty()) // what a broken line can give
            values.insert(key, file.value(key));
    }
    return values;
}

// What the file gave, as the settings table takes it: plain values as text,
// byte arrays as bytes, anything else by its type's name.
StoredValues storedValues(const QVariantMap &values)
{
    StoredValues result;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        StoredValue value;
        switch (it->typeId()) {
        case QMetaType::QString:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Bool:
            value = StoredValue::text(it->toString().toStdString());
            break;
        case QMetaType::QByteArray:
            value = StoredValue::bytes(it->toByteArray().toStdString());
            break;
        default:
            value = StoredValue::other(it->typeName() ? it->typeName() : "nothing");
            break;
        }
        result.emplace(it.key().toStdString(), std::move(value));
    }
    return result;
}

QVariant variant(const StoredValue &value)
{
    if (value.kind == StoredValue::Kind::Bytes)
        return QByteArray::fromStdString(value.data);
    return QString::fromStdString(value.data);
}

// The settings file's bytes for `values`, as QSettings writes them (it
// writes only to a named file: a private one, read back).
std::optional<std::string> compose(const StoredValues &values)
{
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/frostpane-settings-XXXXXX.conf"));
    if (!file.open())
        return std::nullopt;
    file.close();
    {
        QSettings out(file.fileName(), QSettings::IniFormat);
        for (const auto &[key, value] : values)
            out.setValue(QString::fromStdString(key), variant(value));
        out.sync();
        if (out.status() != QSettings::NoError)
            return std::nullopt;
    }
    QFile written(file.fileName());
    if (!written.open(QIODevice::ReadOnly))
        return std::nullopt;
    return written.readAll().toStdString();
}

} // namespace

// The write worker's state. One thread writes, the latest settings first:
// a save that comes while an older one still waits replaces it.
struct SettingsFiles::Writer
{
    std::mutex mutex;
    std::condition_variable changed;
    std::optional<SettingsFileJob> pending;
    bool writing = false;
    bool started = false;
    bool stopping = false;
    quint64 lastNumber = 0;
    quint64 doneNumber = 0; // the last job written or given up
    std::string doneError;
    // A write took longer than a caller waits: later callers do not wait
    // until one is done.
    bool stuck = false;
    // The user's file could not be read: it is never replaced.
    bool userFileUnreadable = false;
    bool warnedUnreadable = false;

    // The new file the worker has made and not yet renamed or removed, and
    // the bytes that go into it.
    std::string temporary;
    std::string writingBytes;

    static void run(const std::shared_ptr<Writer> &writer)
    {
        std::unique_lock lock(writer->mutex);
        for (;;) {
            writer->changed.wait(lock, [&writer] { return writer->pending || writer->stopping; });
            if (!writer->pending)
                return;
            const SettingsFileJob job = std::move(*writer->pending);
            writer->pending.reset();
            writer->writing = true;
            writer->writingBytes = job.bytes;
            lock.unlock();
            SettingsFileWrite written = writeSettingsFile(job, [&writer](const std::string &name) {
                const std::lock_guard guard(writer->mutex);
                writer->temporary = name;
            });
            if (!written.notice.empty())
                qCWarning(lcSettings).noquote()
                    << QString::fromStdString(written.notice) << QFile::decodeName(QByteArray::fromStdString(job.path));
            lock.lock();
            writer->writing = false;
            writer->stuck = false;
            writer->doneNumber = job.number;
            writer->doneError = std::move(written.error);
            writer->changed.notify_all();
        }
    }
};

SettingsFiles::SettingsFiles()
    : m_writer(std::make_shared<Writer>())
{
    // The first of the generic config folders is the user's, the others are
    // $XDG_CONFIG_DIRS (/etc/xdg when unset).
    QStringList folders = QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation);
    const QString userFolder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    folders.removeAll(userFolder);
    m_userFile = userFolder + QLatin1Char('/') + kFileInFolder;
    for (const QString &folder : std::as_const(folders))
        m_systemFiles.append(folder + QLatin1Char('/') + kFileInFolder);
}

SettingsFiles::SettingsFiles(QString userFile, QStringList systemFiles)
    : m_userFile(std::move(userFile))
    , m_systemFiles(std::move(systemFiles))
    , m_writer(std::make_shared<Writer>())
{ }

SettingsFiles::~SettingsFiles()
{
    // The worker ends after the write it holds; a stuck one keeps its state.
    const std::lock_guard lock(m_writer->mutex);
    m_writer->stopping = true;
    m_writer->changed.notify_all();
}

StoredSettings SettingsFiles::load() const
{
    const auto readOver = [](const StoredSettings &base, const QString &path, bool *unreadable) {
        const SettingsFileBytes file = readSettingsFileWithin(QFile::encodeName(path).toStdString(),
                                                              kReadWaitMilliseconds);
        if (file.outcome == SettingsFileBytes::Outcome::Unreadable) {
            qCWarning(lcSettings).noquote()
                << "cannot read" << path
                << QStringLiteral("(%1); its values are left out").arg(QString::fromStdString(file.reason));
            if (unreadable)
                *unreadable = true;
            return base;
        }
        StoredSettingsReading reading = readStoredSettings(storedValues(parse(file.bytes, path)), base);
        for (const std::string &warning : reading.warnings)
            qCWarning(lcSettings).noquote() << path + QStringLiteral(": ") + QString::fromStdString(warning);
        return reading.settings;
    };
    StoredSettings settings;
    // The most important system file is read last, so its values win.
    for (auto file = m_systemFiles.crbegin(); file != m_systemFiles.crend(); ++file)
        settings = readOver(settings, *file, nullptr);
    bool unreadable = false;
    settings = readOver(settings, m_userFile, &unreadable);
    const std::lock_guard lock(m_writer->mutex);
    m_writer->userFileUnreadable = unreadable;
    return settings;
}

bool SettingsFiles::save(const StoredSettings &settings) const
{
    const auto fail = [this](const QString &what) {
        qCWarning(lcSettings).noquote() << what << m_userFile << "; settings not saved";
        return false;
    };
    {
        const std::lock_guard lock(m_writer->mutex);
        if (m_writer->userFileUnreadable) {
            // The parent's values may be in it: it stays as it is.
            if (!std::exchange(m_writer->warnedUnreadable, true))
                return fail(QStringLiteral("the game could not read"));
            return false;
        }
    }
    // Only the game's own keys: junk and keys of other versions go.
    std::optional<std::string> bytes = compose(storedSettingsValues(settings));
    if (!bytes)
        return fail(QStringLiteral("cannot prepare the values for"));

    std::unique_lock lock(m_writer->mutex);
    const quint64 number = ++m_writer->lastNumber;
    m_writer->pending = SettingsFileJob{QFile::encodeName(m_userFile).toStdString(), std::move(*bytes), number};
    if (!std::exchange(m_writer->started, true))
        std::thread(&Writer::run, m_writer).detach();
    m_writer->changed.notify_all();
    const auto writer = m_writer;
    if (writer->stuck)
        return false; // said when it got stuck
    if (!writer->changed.wait_for(lock, std::chrono::milliseconds(kWriteWaitMilliseconds),
                                  [&writer, number] { return writer->doneNumber >= number; })) {
        writer->stuck = true;
        lock.unlock();
        return fail(QStringLiteral("no answer yet (the latest values are written when it answers) from the "
                                   "folder of"));
    }
    if (writer->doneNumber == number && !writer->doneError.empty()) {
        const QString error = QString::fromStdString(writer->doneError);
        lock.unlock();
        return fail(error);
    }
    return true;
}

bool SettingsFiles::finishWrites(int timeoutMs) const
{
    std::unique_lock lock(m_writer->mutex);
    const auto writer = m_writer;
    // Even after a save stopped waiting for a slow disk: the write under way
    // and the latest values queued behind it are the last chance to keep
    // what the player set.
    if (writer->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                 [&writer] { return !writer->pending && !writer->writing; }))
        return true;
    const std::string unwritten = writer->pending ? writer->pending->bytes : writer->writingBytes;
    const std::string temporary = std::exchange(writer->temporary, {});
    lock.unlock();
    const QString values =
        QString::fromStdString(unwritten).split(QLatin1Char('\n'), Qt::SkipEmptyParts).join(QStringLiteral("; "));
    qCWarning(lcSettings).noquote()
        << QStringLiteral("the folder of %1 did not answer within %2 ms; these values are not saved: %3")
               .arg(m_userFile)
               .arg(timeoutMs)
               .arg(values);
    // The new file stays no orphan beside the old one. The worker's rename
    // then finds nothing to rename, which ends its write.
    if (!temporary.empty())
        ::unlink(temporary.c_str());
    return false;
}

bool SettingsFiles::forgetUserValues() const
{
    // Removing a name opens nothing, so a FIFO or a hung file goes too.
    if (!QFileInfo::exists(m_userFile) || QFile::remove(m_userFile)) {
        const std::lock_guard lock(m_writer->mutex);
        m_writer->userFileUnreadable = false;
        return true;
    }
    qCWarning(lcSettings).noquote() << "cannot remove" << m_userFile;
    return false;
}
