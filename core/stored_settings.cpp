#include "core/stored_settings.h"

#include "core/settings_mapping.h"

#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

std::optional<VideoCaptureSetting> StoredSettings::resolutionFor(const QString &cameraId) const
{
    const auto own = resolutions.constFind(cameraId);
    if (own != resolutions.cend())
        return *own;
    return resolutions.value(QString(), std::nullopt);
}

namespace {

QString shown(const QVariant &value)
{
    if (value.typeId() == QMetaType::QString)
        return QString(QLatin1Char('"') + value.toString() + QLatin1Char('"'));
    return QString(QStringLiteral("a value of type ") + QString::fromLatin1(value.typeName()));
}

std::optional<qint64> wholeNumber(const QVariant &value)
{
    bool ok = false;
    switch (value.typeId()) {
    case QMetaType::QString: {
        const qint64 number = value.toString().trimmed().toLongLong(&ok);
        return ok ? std::optional(number) : std::nullopt;
    }
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
        return value.toLongLong();
    case QMetaType::ULongLong:
        return qint64(std::min<qulonglong>(value.toULongLong(), qulonglong(INT64_MAX)));
    default:
        return std::nullopt;
    }
}

std::optional<bool> truthValue(const QVariant &value)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    const QString text = value.toString().trimmed().toLower();
    for (const char *word : {"true", "1", "yes", "on"}) {
        if (text == QLatin1String(word))
            return true;
    }
    for (const char *word : {"false", "0", "no", "off"}) {
        if (text == QLatin1String(word))
            return false;
    }
    return std::nullopt;
}

class Reader
{
public:
    explicit Reader(const QVariantMap &values) : m_values(values) {}

    void readWhole(const QString &key, int &target, int minimum, int maximum)
    {
        const auto found = m_values.constFind(key);
        if (found == m_values.cend())
            return;
        const std::optional<qint64> number = wholeNumber(*found);
        if (!number) {
            warn(key, shown(*found) + QStringLiteral(" is not a whole number; %1 is used").arg(target));
            return;
        }
        target = int(std::clamp<qint64>(*number, minimum, maximum));
        if (target != *number)
            warn(key, QStringLiteral("%1 is outside %2..%3; %4 is used").arg(*number).arg(minimum).arg(maximum).arg(target));
    }

    void readTruth(const QString &key, bool &target)
    {
        const auto found = m_values.constFind(key);
        if (found == m_values.cend())
            return;
        if (const std::optional<bool> truth = truthValue(*found))
            target = *truth;
        else
            warn(key, shown(*found) + QStringLiteral(" is neither true nor false; %1 is used")
                          .arg(target ? QStringLiteral("true") : QStringLiteral("false")));
    }

    void readResolutions(QHash<QString, std::optional<VideoCaptureSetting>> &target)
    {
        const QString prefix = StoredSettingsKey::resolution + QLatin1Char('/');
        for (auto it = m_values.cbegin(); it != m_values.cend(); ++it) {
            QString id;
            if (it.key() == StoredSettingsKey::resolution)
                id = QString();
            else if (it.key().startsWith(prefix))
                id = QString::fromUtf8(QByteArray::fromPercentEncoding(it.key().mid(prefix.size()).toUtf8()));
            else
                continue;
            const QString text = it->typeId() == QMetaType::QString ? it->toString().trimmed() : QString();
            if (text == QLatin1String("default")) {
                target.insert(id, std::nullopt);
            } else if (const std::optional<VideoCaptureSetting> setting = parseCaptureSetting(text)) {
                target.insert(id, setting);
            } else {
                warn(it.key(), shown(*it) + QStringLiteral(" is neither \"default\" nor WxH@fps; the default is used"));
            }
        }
    }

    void readBytes(const QString &key, QByteArray &target)
    {
        const auto found = m_values.constFind(key);
        if (found == m_values.cend())
            return;
        if (found->typeId() == QMetaType::QByteArray)
            target = found->toByteArray();
        else
            warn(key, shown(*found) + QStringLiteral(" is not a saved window geometry; it is left out"));
    }

    QStringList warnings;

private:
    void warn(const QString &key, const QString &what) { warnings.append(key + QStringLiteral(": ") + what); }

    const QVariantMap &m_values;
};

} // namespace

StoredSettingsReading readStoredSettings(const QVariantMap &values, const StoredSettings &base)
{
    StoredSettingsReading reading{base, {}};
    StoredSettings &s = reading.settings;
    Reader reader(values);
    reader.readWhole(StoredSettingsKey::cameraSensitivity, s.cameraSensitivity, kMinimumCameraSensitivity,
                     kMaximumCameraSensitivity);
    reader.readWhole(StoredSettingsKey::freezingSpeed, s.freezingSpeed, kMinimumFreezingSpeed,
                     kMaximumFreezingSpeed);
    reader.readTruth(StoredSettingsKey::sound, s.sound);
    reader.readTruth(StoredSettingsKey::backCamera, s.backCamera);
    reader.readResolutions(s.resolutions);
    reader.readTruth(StoredSettingsKey::fullScreen, s.fullScreen);
    reader.readBytes(StoredSettingsKey::geometry, s.geometry);
    reading.warnings = reader.warnings;
    return reading;
}

QVariantMap storedSettingsValues(const StoredSettings &settings)
{
    QVariantMap values{
        {StoredSettingsKey::cameraSensitivity, settings.cameraSensitivity},
        {StoredSettingsKey::freezingSpeed, settings.freezingSpeed},
        {StoredSettingsKey::sound, settings.sound},
        {StoredSettingsKey::backCamera, settings.backCamera},
        {StoredSettingsKey::fullScreen, settings.fullScreen},
    };
    if (!settings.geometry.isEmpty())
        values.insert(StoredSettingsKey::geometry, settings.geometry);
    for (auto it = settings.resolutions.cbegin(); it != settings.resolutions.cend(); ++it) {
        QString key = StoredSettingsKey::resolution;
        if (!it.key().isEmpty())
            key += QLatin1Char('/') + QString::fromLatin1(it.key().toUtf8().toPercentEncoding());
        values.insert(key, it->has_value() ? captureSettingText(**it) : QStringLiteral("default"));
    }
    return values;
}

QString captureSettingText(const VideoCaptureSetting &setting)
{
    return QStringLiteral("%1x%2@%3")
        .arg(setting.width)
        .arg(setting.height)
        .arg(QString::number(setting.frameRate, 'g', QLocale::FloatingPointShortest));
}

std::optional<VideoCaptureSetting> parseCaptureSetting(const QString &text)
{
    static const QRegularExpression format(QStringLiteral(R"(^(\d{1,5})x(\d{1,5})@(\d{1,4}(?:\.\d{1,17})?)$)"));
    const QRegularExpressionMatch match = format.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const VideoCaptureSetting setting{match.captured(1).toInt(), match.captured(2).toInt(),
                                      match.captured(3).toDouble()};
    const auto sideOk = [](int side) { return side >= 1 && side <= 16384; };
    if (!sideOk(setting.width) || !sideOk(setting.height) || !(setting.frameRate > 0.0)
        || setting.frameRate > 1000.0)
        return std::nullopt;
    return setting;
}
