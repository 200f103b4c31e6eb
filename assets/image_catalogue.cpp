#include "assets/image_catalogue.h"

#include <QFile>

static void initFrostpaneImages()
{
    // Resources of a static library must be registered by hand.
    Q_INIT_RESOURCE(frostpane_images);
}

const QStringList &ImageCatalogue::names()
{
    static const QStringList list = {
        QStringLiteral("view_snowflake"),    QStringLiteral("view_man"),          QStringLiteral("camera_on"),
        QStringLiteral("camera_off"),        QStringLiteral("settings"),          QStringLiteral("about_icon"),
        QStringLiteral("camera_front"),      QStringLiteral("camera_back"),       QStringLiteral("previous_image"),
        QStringLiteral("next_image"),        QStringLiteral("frostpane_001"),     QStringLiteral("frostpane_001_ice"),
        QStringLiteral("frostpane_002"),     QStringLiteral("frostpane_002_ice"), QStringLiteral("frostpane_003"),
        QStringLiteral("frostpane_003_ice"), QStringLiteral("frostpane_004"),     QStringLiteral("frostpane_004_ice"),
        QStringLiteral("frostpane_005"),     QStringLiteral("frostpane_005_ice"), QStringLiteral("frostpane_006"),
        QStringLiteral("frostpane_006_ice"), QStringLiteral("congratulations"),
    };
    return list;
}

QString ImageCatalogue::photoName(int number)
{
    return QStringLiteral("frostpane_%1").arg(number, 3, 10, QLatin1Char('0'));
}

QString ImageCatalogue::iceName(int number)
{
    return photoName(number) + QStringLiteral("_ice");
}

bool ImageCatalogue::contains(const QString &name) const
{
    return names().contains(name);
}

QImage ImageCatalogue::image(const QString &name) const
{
    // Only catalogue names reach the resource system: a name such as
    // "../x" or "frostpane_007" finds nothing.
    if (!contains(name))
        return {};
    const auto found = m_decoded.constFind(name);
    if (found != m_decoded.constEnd())
        return *found;

    static const bool registered = (initFrostpaneImages(), true);
    Q_UNUSED(registered);
    QImage decoded(QStringLiteral(":/images/") + name + QStringLiteral(".png"));
    if (decoded.isNull())
        return {};
    decoded = decoded.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    m_decoded.insert(name, decoded);
    return decoded;
}
