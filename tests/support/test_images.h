#pragma once

#include <QImage>
#include <QRandomGenerator>

// Camera frames and pictures made up for tests.

// One color all over.
inline QImage flatImage(QSize size, QRgb color)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(color);
    return image;
}

// Opaque noise: from one seed to the next, nearly every pixel moves.
inline QImage noiseImage(QSize size, quint32 seed)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    QRandomGenerator random(seed);
    for (int y = 0; y < image.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            row[x] = 0xFF000000u | (random.generate() & 0xFFFFFFu);
    }
    return image;
}
