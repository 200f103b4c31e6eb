#pragma once

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
    // The names in catalogue order.
    static const QStringList &names();

    // The image of that name, or a null image for an unknown name.
    QImage image(const QString &name) const;
    bool contains(const QString &name) const;

private:
    mutable QHash<QString, QImage> m_decoded;
};
