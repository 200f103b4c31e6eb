#include "banner.h"

#include "common.h"

#include <QFile>
#include <QFontDatabase>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRawFont>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace art {

namespace {

// Designed on a 1024x280 grid, rendered at twice that: sharp when a 4K
// screen shows it across its width.
constexpr int kWidth = 1024;
constexpr int kHeight = 280;
constexpr double kScale = 2.0;
constexpr double kPi = 3.14159265358979323846;

const QColor kOutline(58, 26, 92);

struct Letter
{
    QPainterPath path;
    QColor colour;
};

// Five-pointed star centred on the origin.
QPainterPath starPath(double outer, double inner)
{
    QPainterPath path;
    for (int i = 0; i < 10; ++i) {
        const double r = (i % 2 == 0) ? outer : inner;
        const double a = -kPi / 2 + i * kPi / 5;
        const QPointF pt(r * std::cos(a), r * std::sin(a));
        if (i == 0)
            path.moveTo(pt);
        else
            path.lineTo(pt);
    }
    path.closeSubpath();
    return path;
}

void drawStar(QPainter &p, QPointF at, double size, double angle)
{
    p.save();
    p.translate(at);
    p.rotate(angle);
    const QPainterPath star = starPath(size, size * 0.48);
    p.setPen(QPen(kOutline, std::max(2.5, size * 0.22), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QRadialGradient g(QPointF(-size * 0.2, -size * 0.3), size * 1.2);
    g.setColorAt(0.0, QColor(255, 250, 200));
    g.setColorAt(0.5, QColor(255, 214, 50));
    g.setColorAt(1.0, QColor(255, 160, 20));
    p.setBrush(g);
    p.drawPath(star);
    p.restore();
}

void drawSnowflake(QPainter &p, QPointF at, double size, double angle)
{
    p.save();
    p.translate(at);
    p.rotate(angle);
    QPainterPath flake;
    for (int k = 0; k < 6; ++k) {
        const double a = k * kPi / 3;
        const QPointF dir(std::cos(a), std::sin(a));
        const QPointF side(-dir.y(), dir.x());
        flake.moveTo(0, 0);
        flake.lineTo(dir * size);
        const QPointF b = dir * (size * 0.55);
        flake.moveTo(b + (dir * 0.3 + side * 0.3) * size);
        flake.lineTo(b);
        flake.lineTo(b + (dir * 0.3 - side * 0.3) * size);
    }
    const double w = std::max(2.0, size * 0.16);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kOutline, w + 4.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(flake);
    p.setPen(QPen(QColor(235, 248, 255), w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(flake);
    p.restore();
}

} // namespace

bool writeBanner(const QString &fontFile, const QString &outFile)
{
    // Register the font file itself, so the result does not depend on which
    // fonts the system happens to have, and take the glyph outlines straight
    // from that file.
    const int fontId = QFontDatabase::addApplicationFont(fontFile);
    if (fontId < 0) {
        std::fprintf(stderr, "cannot load font %s\n", qPrintable(fontFile));
        return false;
    }
    QFile file(fontFile);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read font %s\n", qPrintable(fontFile));
        return false;
    }
    const QRawFont font(file.readAll(), 100.0, QFont::PreferNoHinting);
    if (!font.isValid()) {
        std::fprintf(stderr, "not a usable font: %s\n", qPrintable(fontFile));
        return false;
    }

    const QString text = QStringLiteral("Congratulations!");
    const QList<quint32> glyphs = font.glyphIndexesForString(text);
    const QList<QPointF> advances = font.advancesForGlyphIndexes(glyphs,
                                                                 QRawFont::SeparateAdvances | QRawFont::KernedAdvances);

    // Rainbow colours, one per letter, for a cheerful bouncy word.
    const QColor rainbow[] = {QColor(255, 70, 70),  QColor(255, 150, 30), QColor(255, 210, 40), QColor(90, 205, 70),
                              QColor(30, 190, 235), QColor(80, 120, 255), QColor(165, 95, 255), QColor(255, 90, 180)};

    // Lay the letters out at 100 px, each bobbing up or down and tilted a
    // little, then scale the whole word to fill the banner.
    std::vector<Letter> letters;
    double x = 0.0;
    int colourIndex = 0;
    for (int i = 0; i < glyphs.size(); ++i) {
        QPainterPath glyph = font.pathForGlyph(glyphs[i]);
        if (!glyph.isEmpty()) {
            const QRectF b = glyph.boundingRect();
            const double bob = (i % 2 == 0) ? -3.0 : 3.0;
            const double tilt = (i % 2 == 0) ? -4.0 : 4.0;
            QTransform t;
            t.translate(x + b.center().x(), bob + b.center().y());
            t.rotate(tilt);
            t.translate(-b.center().x(), -b.center().y());
            letters.push_back({t.map(glyph), rainbow[colourIndex % 8]});
            ++colourIndex;
        }
        x += advances[i].x();
    }
    QPainterPath word;
    for (const Letter &l : letters)
        word.addPath(l.path);
    const QRectF bounds = word.boundingRect();

    // Leave room for the outlines and the shadow so that the border of the
    // picture stays fully transparent.
    // The shadow falls to the lower right, so those margins are wider.
    const double marginLeft = 26.0;
    const double marginRight = 40.0;
    const double marginTop = 30.0;
    const double marginBottom = 44.0;
    const double scale = std::min((kWidth - marginLeft - marginRight) / bounds.width(),
                                  (kHeight - marginTop - marginBottom) / bounds.height());
    QTransform fit;
    fit.translate(marginLeft + (kWidth - marginLeft - marginRight) / 2.0,
                  marginTop + (kHeight - marginTop - marginBottom) / 2.0);
    fit.scale(scale, scale);
    fit.translate(-bounds.center().x(), -bounds.center().y());
    for (Letter &l : letters)
        l.path = fit.map(l.path);
    word = fit.map(word);

    const double outline = 7.0;
    const double rim = 4.0;

    // Soft drop shadow of the whole lettering, outlines included.
    QImage shadowLayer = canvas(kWidth, kHeight, kScale);
    {
        QPainter p(&shadowLayer);
        p.setRenderHint(QPainter::Antialiasing);
        p.translate(5, 8);
        p.setPen(QPen(QColor(0, 0, 0, 110), 2 * (outline + rim), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(QColor(0, 0, 0, 110));
        p.drawPath(word);
    }
    shadowLayer = blurred(shadowLayer, 5.0f);

    QImage img = canvas(kWidth, kHeight, kScale);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.drawImage(0, 0, shadowLayer);

    // A thin white rim outside a dark outline makes the word stand out on
    // light and dark pictures alike.
    p.setPen(QPen(Qt::white, 2 * (outline + rim), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::white);
    p.drawPath(word);
    p.setPen(QPen(kOutline, 2 * outline, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(kOutline);
    p.drawPath(word);

    p.setPen(Qt::NoPen);
    for (const Letter &l : letters) {
        const QRectF b = l.path.boundingRect();
        QLinearGradient fill(0, b.top(), 0, b.bottom());
        fill.setColorAt(0.0, l.colour.lighter(135));
        fill.setColorAt(0.55, l.colour);
        fill.setColorAt(1.0, l.colour.darker(125));
        p.setBrush(fill);
        p.drawPath(l.path);

        // Gloss on the upper part of each letter.
        p.save();
        p.setClipPath(l.path);
        QLinearGradient gloss(0, b.top(), 0, b.top() + b.height() * 0.5);
        gloss.setColorAt(0.0, QColor(255, 255, 255, 170));
        gloss.setColorAt(1.0, QColor(255, 255, 255, 20));
        p.setBrush(gloss);
        p.drawRect(QRectF(b.left(), b.top(), b.width(), b.height() * 0.46));
        p.restore();
    }

    // Sprinkle stars and snowflakes into the empty spaces around the word.
    // A candidate is kept only where it touches neither the lettering (with
    // its shadow) nor another decoration, and stays clear of the border.
    // On the design grid, one pixel per unit, whatever the output's scale.
    QImage occupied = canvas(kWidth, kHeight, 1.0);
    {
        QPainter o(&occupied);
        o.drawImage(QRectF(0, 0, kWidth, kHeight), img);
    }
    auto isFree = [&](QPointF c, double r) {
        if (c.x() - r < 16 || c.y() - r < 12 || c.x() + r > kWidth - 16 || c.y() + r > kHeight - 16)
            return false;
        for (int yy = int(c.y() - r); yy <= int(c.y() + r); ++yy)
            for (int xx = int(c.x() - r); xx <= int(c.x() + r); ++xx) {
                if (std::hypot(xx - c.x(), yy - c.y()) > r)
                    continue;
                if (qAlpha(occupied.pixel(xx, yy)) > 0)
                    return false;
            }
        return true;
    };
    Rng rng(20240611ull);
    int placed = 0;
    for (int attempt = 0; attempt < 4000 && placed < 14; ++attempt) {
        const double size = rng.uniform(13.0, 24.0);
        const QPointF c(rng.uniform(0.0, kWidth), rng.uniform(0.0, kHeight));
        const bool star = rng.chance(0.55);
        const double angle = rng.uniform(-20.0, 20.0);
        if (!isFree(c, size + 8.0))
            continue;
        if (star)
            drawStar(p, c, size, angle);
        else
            drawSnowflake(p, c, size, angle);
        QPainter o(&occupied);
        o.setRenderHint(QPainter::Antialiasing);
        o.setPen(Qt::NoPen);
        o.setBrush(Qt::black);
        o.drawEllipse(c, size + 10.0, size + 10.0);
        ++placed;
    }
    p.end();

    return savePng(img, outFile);
}

} // namespace art
