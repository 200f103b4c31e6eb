#include "icons.h"

#include "common.h"

#include <QDir>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <cstdio>
#include <functional>

namespace art {

namespace {

// All icons share one look: a round glossy button in its own colour with a
// bold white symbol, a soft shadow under the button and under the symbol.
// They are designed on a 128x128 grid and must stay readable when shown at
// 50x50, so the symbols use thick strokes and few details; they are rendered
// at four times the grid, sharp up to a 4K screen at twice the density.
constexpr int kSize = 128;
constexpr double kScale = 4.0;
const QPointF kCentre(64.0, 62.0);
constexpr double kRim = 54.0;
constexpr double kBody = 50.5;

using Symbol = std::function<void(QPainter &)>;

QPen whitePen(double width)
{
    return QPen(Qt::white, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// Cuts a hole into what was drawn so far (the button colour shows through).
void clearMode(QPainter &p)
{
    p.setCompositionMode(QPainter::CompositionMode_Clear);
}

void normalMode(QPainter &p)
{
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

// Alpha of `layer` turned into a black shadow of the given strength.
QImage shadowOf(const QImage &layer, double strength, float blurSigma)
{
    QImage s(layer.size(), QImage::Format_ARGB32_Premultiplied);
    s.setDevicePixelRatio(layer.devicePixelRatio());
    for (int y = 0; y < layer.height(); ++y) {
        const QRgb *in = reinterpret_cast<const QRgb *>(layer.constScanLine(y));
        QRgb *out = reinterpret_cast<QRgb *>(s.scanLine(y));
        for (int x = 0; x < layer.width(); ++x)
            out[x] = qRgba(0, 0, 0, int(std::lround(qAlpha(in[x]) * strength)));
    }
    return blurred(s, blurSigma);
}

QImage button(const QColor &base, const Symbol &symbol)
{
    QImage img = canvas(kSize, kSize, kScale);

    // Soft shadow under the button.
    QImage disc = canvas(kSize, kSize, kScale);
    {
        QPainter p(&disc);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawEllipse(kCentre + QPointF(0, 3.5), kRim - 1.0, kRim - 1.0);
    }
    const QImage dropShadow = shadowOf(disc, 0.45, 2.3f);

    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.drawImage(0, 0, dropShadow);

    // Darker rim, then the body lit from the upper left.
    QLinearGradient rim(0, kCentre.y() - kRim, 0, kCentre.y() + kRim);
    rim.setColorAt(0.0, base.darker(125));
    rim.setColorAt(1.0, base.darker(175));
    p.setBrush(rim);
    p.drawEllipse(kCentre, kRim, kRim);

    QRadialGradient body(kCentre + QPointF(-10, -14), kBody * 1.25, kCentre + QPointF(-18, -24));
    body.setColorAt(0.0, base.lighter(140));
    body.setColorAt(0.45, base);
    body.setColorAt(1.0, base.darker(130));
    p.setBrush(body);
    p.drawEllipse(kCentre, kBody, kBody);

    QPainterPath bodyPath;
    bodyPath.addEllipse(kCentre, kBody, kBody);
    p.save();
    p.setClipPath(bodyPath);
    // Light bouncing back at the bottom edge.
    QRadialGradient bounce(kCentre + QPointF(0, kBody + 6), kBody * 0.9);
    bounce.setColorAt(0.0, QColor(255, 255, 255, 90));
    bounce.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.setBrush(bounce);
    p.drawEllipse(kCentre, kBody, kBody);
    // Glossy highlight across the top half.
    const QRectF gloss(kCentre.x() - 40, kCentre.y() - kBody + 2.5, 80, 52);
    QLinearGradient shine(0, gloss.top(), 0, gloss.bottom());
    shine.setColorAt(0.0, QColor(255, 255, 255, 165));
    shine.setColorAt(1.0, QColor(255, 255, 255, 8));
    p.setBrush(shine);
    p.drawEllipse(gloss);
    p.restore();

    // The symbol, drawn on its own layer so that holes can be cut into it
    // and so that it can cast a shadow onto the button.
    QImage sym = canvas(kSize, kSize, kScale);
    {
        QPainter sp(&sym);
        sp.setRenderHint(QPainter::Antialiasing);
        sp.translate(kCentre);
        symbol(sp);
    }
    p.drawImage(QPointF(0, 2.2), shadowOf(sym, 0.45, 1.6f));
    p.drawImage(0, 0, sym);
    p.end();
    return img;
}

void snowflake(QPainter &p)
{
    p.setPen(whitePen(7.0));
    for (int k = 0; k < 6; ++k) {
        p.save();
        p.rotate(k * 60.0);
        p.drawLine(QPointF(0, 0), QPointF(0, -31));
        QPainterPath v;
        v.moveTo(-10, -28);
        v.lineTo(0, -17);
        v.lineTo(10, -28);
        p.setPen(whitePen(6.0));
        p.drawPath(v);
        p.setPen(whitePen(7.0));
        p.restore();
    }
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(0, 0), 7.5, 7.5);
}

void person(QPainter &p)
{
    p.translate(0, -2);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(0, -20), 10.5, 10.5);
    p.drawRoundedRect(QRectF(-10.5, -6.5, 21, 24), 8, 8);
    // Both arms up: waving hello.
    p.setPen(whitePen(8.0));
    for (int side = -1; side <= 1; side += 2) {
        QPainterPath arm;
        arm.moveTo(side * 7.0, -1.5);
        arm.lineTo(side * 19.0, -7.0);
        arm.lineTo(side * 25.0, -22.0);
        p.drawPath(arm);
        p.drawLine(QPointF(side * 5.0, 14.0), QPointF(side * 9.0, 32.0));
    }
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(-25.5, -24.0), 5.5, 5.5);
    p.drawEllipse(QPointF(25.5, -24.0), 5.5, 5.5);
}

// The camera used by the camera buttons. lensRadius is the hole for the lens.
void cameraBody(QPainter &p, double lensRadius)
{
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(-33, -14, 66, 44), 10, 10);
    p.drawRoundedRect(QRectF(-14, -23, 28, 14), 5, 5);
    p.drawRoundedRect(QRectF(-29, -19, 10, 7), 2.5, 2.5);
    clearMode(p);
    p.setBrush(Qt::black);
    p.drawEllipse(QPointF(0, 8), lensRadius, lensRadius);
    p.drawEllipse(QPointF(24, -5), 3.2, 3.2);
    normalMode(p);
    p.setBrush(Qt::white);
}

void camera(QPainter &p)
{
    p.translate(0, -2);
    cameraBody(p, 15.0);
    p.drawEllipse(QPointF(0, 8), 10.0, 10.0);
    // A glint on the lens.
    clearMode(p);
    p.setBrush(Qt::black);
    p.drawEllipse(QPointF(-3.5, 4.5), 3.0, 3.0);
    normalMode(p);
}

void cameraOff(QPainter &p)
{
    camera(p);
    // Cut a gap around the slash, then draw the slash: red with a white edge.
    const QLineF slash(QPointF(-30, -32), QPointF(30, 32));
    clearMode(p);
    p.setPen(QPen(Qt::black, 18.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(slash);
    normalMode(p);
    p.setPen(QPen(Qt::white, 13.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(slash);
    p.setPen(QPen(QColor(229, 40, 40), 8.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(slash);
}

// Front camera: the lens sees a smiling face, i.e. you.
void cameraFront(QPainter &p)
{
    p.translate(0, -2);
    cameraBody(p, 19.0);
    p.drawEllipse(QPointF(0, 8), 15.5, 15.5);
    clearMode(p);
    p.setBrush(Qt::black);
    p.drawEllipse(QPointF(-5.5, 4.0), 2.6, 3.0);
    p.drawEllipse(QPointF(5.5, 4.0), 2.6, 3.0);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::black, 3.2, Qt::SolidLine, Qt::RoundCap));
    QPainterPath smile;
    smile.moveTo(-7.5, 10.5);
    smile.quadTo(0, 18.5, 7.5, 10.5);
    p.drawPath(smile);
    normalMode(p);
}

// Back camera: the lens sees the world, a mountain under the sun.
void cameraBack(QPainter &p)
{
    p.translate(0, -2);
    cameraBody(p, 19.0);
    p.drawEllipse(QPointF(0, 8), 15.5, 15.5);
    clearMode(p);
    p.setBrush(Qt::black);
    p.drawEllipse(QPointF(6.0, 1.0), 3.6, 3.6);
    QPainterPath hills;
    hills.moveTo(-16, 16);
    hills.lineTo(-6, 3);
    hills.lineTo(1, 11);
    hills.lineTo(5, 7);
    hills.lineTo(16, 18);
    hills.lineTo(16, 26);
    hills.lineTo(-16, 26);
    hills.closeSubpath();
    QPainterPath inner;
    inner.addEllipse(QPointF(0, 8), 11.5, 11.5);
    p.setPen(QPen(Qt::black, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(hills.intersected(inner));
    normalMode(p);
}

void cog(QPainter &p)
{
    const int teeth = 8;
    const double outer = 30.0;
    const double root = 22.5;
    QPolygonF poly;
    const double deg = 3.14159265358979323846 / 180.0;
    for (int i = 0; i < teeth; ++i) {
        const double a = i * 360.0 / teeth;
        auto pt = [&](double r, double angleDeg) {
            return QPointF(r * std::cos(angleDeg * deg), r * std::sin(angleDeg * deg));
        };
        poly << pt(root, a - 22.5) << pt(root, a - 16.0) << pt(outer, a - 10.0) << pt(outer, a + 10.0)
             << pt(root, a + 16.0);
    }
    p.setPen(whitePen(4.0));
    p.setBrush(Qt::white);
    p.drawPolygon(poly);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(0, 0), root + 1.0, root + 1.0);
    clearMode(p);
    p.setBrush(Qt::black);
    p.drawEllipse(QPointF(0, 0), 10.0, 10.0);
    normalMode(p);
}

void info(QPainter &p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(1, -22), 7.5, 7.5);
    p.drawRoundedRect(QRectF(-6, -9, 14, 36), 5, 5);
    p.drawRoundedRect(QRectF(-14, -9, 14, 8), 3.5, 3.5);
    p.drawRoundedRect(QRectF(-14, 20, 30, 8), 3.5, 3.5);
}

void arrowRight(QPainter &p)
{
    QPainterPath arrow;
    arrow.moveTo(-25, -8);
    arrow.lineTo(1, -8);
    arrow.lineTo(1, -23);
    arrow.lineTo(26, 0);
    arrow.lineTo(1, 23);
    arrow.lineTo(1, 8);
    arrow.lineTo(-25, 8);
    arrow.closeSubpath();
    p.translate(1, 0);
    p.setPen(whitePen(6.0));
    p.setBrush(Qt::white);
    p.drawPath(arrow);
}

void arrowLeft(QPainter &p)
{
    p.scale(-1, 1);
    arrowRight(p);
}

} // namespace

bool writeIcons(const QString &outDir)
{
    if (!QDir().mkpath(outDir)) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(outDir));
        return false;
    }
    struct Icon
    {
        const char *file;
        QColor colour;
        Symbol symbol;
    };
    const Icon icons[] = {
        {"view_snowflake.png", QColor(41, 160, 240), snowflake},
        {"view_man.png", QColor(250, 130, 20), person},
        {"camera_on.png", QColor(60, 170, 70), camera},
        {"camera_off.png", QColor(140, 150, 160), cameraOff},
        {"settings.png", QColor(145, 75, 200), cog},
        {"about_icon.png", QColor(60, 80, 200), info},
        {"camera_front.png", QColor(225, 50, 120), cameraFront},
        {"camera_back.png", QColor(0, 150, 140), cameraBack},
        {"previous_image.png", QColor(255, 170, 0), arrowLeft},
        {"next_image.png", QColor(255, 170, 0), arrowRight},
    };
    bool ok = true;
    for (const Icon &icon : icons) {
        const QString path = QDir(outDir).filePath(QLatin1String(icon.file));
        ok = savePng(button(icon.colour, icon.symbol), path) && ok;
    }
    return ok;
}

} // namespace art
