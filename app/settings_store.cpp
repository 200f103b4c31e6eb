#include "app/settings_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <cstdio>

#include <algorithm>

Q_LOGGING_CATEGORY(lcSettings, "frostpane.settings")

namespace {

const QString kFileInFolder = QStringLiteral("frostpane/frostpane.conf");

// Every key of one file, or nothing when there is no such file.
QVariantMap readFile(const QString &path)
{
    QVariantMap values;
    const QFileInfo info(path);
    if (!info.exists())
        return values;
    if (!info.isFile() || !info.isReadable()) {
        qCWarning(lcSettings).noquote() << "cannot read" << path << "; its values are left out";
        return values;
    }
    const QSettings file(path, QSettings::IniFormat);
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

StoredSettings readOver(const StoredSettings &base, const QString &path)
{
    StoredSettingsReading reading = readStoredSettings(storedValues(readFile(path)), base);
    for (const std::string &warning : reading.warnings)
        qCWarning(lcSettings).noquote() << path + QStringLiteral(": ") + QString::fromStdString(warning);
    return reading.settings;
}

} // namespace

SettingsStore::SettingsStore()
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

SettingsStore::SettingsStore(QString userFile, QStringList systemFiles)
    : m_userFile(std::move(userFile))
    , m_systemFiles(std::move(systemFiles))
{
}

StoredSettings SettingsStore::load() const
{
    StoredSettings settings;
    // The most important system file is read last, so its values win.
    for (auto file = m_systemFiles.crbegin(); file != m_systemFiles.crend(); ++file)
        settings = readOver(settings, *file);
    return readOver(settings, m_userFile);
}

bool SettingsStore::save(const StoredSettings &settings) const
{
    const QString folder = QFileInfo(m_userFile).absolutePath();
    const auto fail = [this](const char *what) {
        qCWarning(lcSettings).noquote() << what << m_userFile << "; settings not saved";
        return false;
    };
    if (!QDir().mkpath(folder))
        return fail("cannot create the folder of");

    // The new file is written whole beside the old one and then renamed over
    // it, which replaces it at once: a crash or a full disk leaves the old
    // file as it was, never half of each. (QSettings alone also writes
    // through a temporary file on Qt 6.4, but it merges into whatever it
    // parsed of the old file, junk of a broken one included.)
    QTemporaryFile fresh(folder + QStringLiteral("/.frostpane.conf.XXXXXX"));
    if (!fresh.open())
        return fail("cannot write beside");
    fresh.close();
    {
        QSettings out(fresh.fileName(), QSettings::IniFormat);
        // Keys of other versions in a sound old file are kept.
        const QSettings old(m_userFile, QSettings::IniFormat);
        if (old.status() == QSettings::NoError) {
            for (const QString &key : old.allKeys()) {
                if (!key.isEmpty())
                    out.setValue(key, old.value(key));
            }
        }
        for (const auto &[key, value] : storedSettingsValues(settings))
            out.setValue(QString::fromStdString(key), variant(value));
        out.sync();
        if (out.status() != QSettings::NoError)
            return fail("cannot write");
    }
    if (::rename(QFile::encodeName(fresh.fileName()).constData(), QFile::encodeName(m_userFile).constData()) != 0)
        return fail("cannot replace");
    fresh.setAutoRemove(false);
    return true;
}

bool SettingsStore::forgetUserValues() const
{
    if (!QFileInfo::exists(m_userFile) || QFile::remove(m_userFile))
        return true;
    qCWarning(lcSettings).noquote() << "cannot remove" << m_userFile;
    return false;
}
