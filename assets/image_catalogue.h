#pragma once

#include "core/built_in_pictures.h"

#include <QHash>
#include <QImage>
#include <QString>
#include <QStringList>

// Every picture of the game, compiled into the program. Images are looked up
// by exact name, decoded once, and handed out as 32-bit premultiplied ARGB
// copies (implicitly shared until written).
class ImageCatalogue
{
public:
    // The built-in photographs, numbered from 1.
    static constexpr int kPictureCount = kBuiltInPictures;

    // The names in catalogue order.
    static const QStringList &names();
    // "frostpane_001" .. "frostpane_006", and their ice overlays
    // "frostpane_001_ice" ..
    static QString photoName(int number);
    static QString iceName(int number);

    // The image of that name, or a null image for an unknown name.
    QImage image(const QString &name) const;
    bool contains(const QString &name) const;

private:
    mutable QHash<QString, QImage> m_decoded;
};
