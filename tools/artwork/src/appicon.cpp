#include "appicon.h"

#include "common.h"

#include <QDir>
#include <QFile>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTransform>

#include <cmath>
#include <cstdio>
#include <vector>

namespace art {

namespace {

// The design lives on a 128 x 128 grid; each PNG scales it, the SVG uses it
// as its view box. It must read at 48 px in a menu, so it has three big
// parts: a wooden frame, pale frost, and a hand print clear as glass in the
// middle, where the sky and a green hill behind the window show.
constexpr double kGrid = 128.0;
const QRectF kPane(20, 20, 88, 88);
constexpr double kPaneRadius = 4.0;

enum class Clip { None, Pane, Hand };

struct Shape
{
    QPainterPath path;
    QBrush fill = Qt::NoBrush;
    QPen pen = Qt::NoPen;
    Clip clip = Clip::None;
};

// Area of the first subpath's outline, positive when it runs clockwise on
// screen (y down).
double signedArea(const QPainterPath &path)
{
    const QList<QPolygonF> polygons = path.toSubpathPolygons();
    if (polygons.isEmpty())
        return 0.0;
    const QPolygonF &poly = polygons.first();
    double area = 0.0;
    for (qsizetype i = 0; i < poly.size(); ++i) {
        const QPointF &a = poly[i];
        const QPointF &b = poly[(i + 1) % poly.size()];
        area += a.x() * b.y() - b.x() * a.y();
    }
    return area / 2.0;
}

// Adds a closed outline to a union built with the non-zero rule. Every part
// must turn the same way, or where two overlap they would cancel into a hole.
void addToUnion(QPainterPath &unionPath, const QPainterPath &part)
{
    unionPath.addPath(signedArea(part) < 0.0 ? part.toReversed() : part);
}

QPainterPath roundedRect(const QRectF &rect, double radius)
{
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

QPainterPath ellipse(const QPointF &centre, double rx, double ry)
{
    QPainterPath path;
    path.addEllipse(centre, rx, ry);
    return path;
}

// A finger: a capsule growing from `base` (inside the palm) towards its tip,
// `angle` degrees clockwise from straight up.
QPainterPath finger(const QPointF &base, double angle, double length, double width)
{
    QPainterPath local;
    local.addRoundedRect(QRectF(-width / 2, -length, width, length + width / 2), width / 2, width / 2);
    QTransform t;
    t.translate(base.x(), base.y());
    t.rotate(angle);
    return t.map(local);
}

// The left hand of a small child, palm towards the glass.
QPainterPath handPrint()
{
    struct Finger
    {
        QPointF base;
        double angle, length, width;
    };
    const Finger fingers[] = {
        {{49.0, 82.0}, -58.0, 19.0, 10.5}, // thumb
        {{53.5, 66.0}, -16.0, 25.0, 9.5},  {{62.5, 63.0}, -3.0, 29.0, 10.0},
        {{71.0, 65.0}, 10.0, 26.0, 9.5},   {{77.0, 72.0}, 26.0, 20.0, 8.5},
    };
    QPainterPath hand;
    hand.setFillRule(Qt::WindingFill);
    addToUnion(hand, ellipse(QPointF(63.0, 79.0), 16.5, 17.5));
    for (const Finger &f : fingers)
        addToUnion(hand, finger(f.base, f.angle, f.length, f.width));
    // Drawn for a pane of 78 units, grown to fill most of the real one.
    QTransform grow;
    grow.translate(64, 70);
    grow.scale(1.14, 1.14);
    grow.translate(-64, -70);
    return grow.map(hand);
}

// A frost feather: a stem with pairs of twigs, growing from `root` in the
// direction `angle` (degrees clockwise from straight up).
QPainterPath iceFeather(const QPointF &root, double angle, double length)
{
    QPainterPath local;
    local.moveTo(0, 0);
    local.lineTo(0, -length);
    const int twigs = 3;
    for (int i = 1; i <= twigs; ++i) {
        const double y = -length * i / (twigs + 1.0);
        const double twig = length * 0.32 * (1.0 - 0.18 * i);
        local.moveTo(0, y);
        local.lineTo(-twig * 0.7, y - twig * 0.7);
        local.moveTo(0, y);
        local.lineTo(twig * 0.7, y - twig * 0.7);
    }
    QTransform t;
    t.translate(root.x(), root.y());
    t.rotate(angle);
    return t.map(local);
}

// A four-pointed glitter star.
QPainterPath sparkle(const QPointF &c, double r)
{
    const double w = r * 0.26;
    QPainterPath path;
    path.moveTo(c.x(), c.y() - r);
    path.quadTo(c.x() + w, c.y() - w, c.x() + r, c.y());
    path.quadTo(c.x() + w, c.y() + w, c.x(), c.y() + r);
    path.quadTo(c.x() - w, c.y() + w, c.x() - r, c.y());
    path.quadTo(c.x() - w, c.y() - w, c.x(), c.y() - r);
    path.closeSubpath();
    return path;
}

// What lies behind the glass: sky, the sun and two green hills.
void addScenery(std::vector<Shape> &shapes, Clip clip)
{
    QLinearGradient sky(0, kPane.top(), 0, kPane.bottom());
    sky.setColorAt(0.0, QColor(30, 132, 232));
    sky.setColorAt(1.0, QColor(140, 212, 255));
    shapes.push_back({roundedRect(kPane, kPaneRadius), sky, Qt::NoPen, clip});

    QRadialGradient sun(QPointF(71, 65), 8.5);
    sun.setColorAt(0.0, QColor(255, 246, 140));
    sun.setColorAt(1.0, QColor(255, 196, 20));
    shapes.push_back({ellipse(QPointF(71, 65), 8.5, 8.5), sun, Qt::NoPen, clip});

    QLinearGradient farHill(0, 80, 0, 108);
    farHill.setColorAt(0.0, QColor(60, 176, 80));
    farHill.setColorAt(1.0, QColor(32, 130, 60));
    shapes.push_back({ellipse(QPointF(102, 106), 42, 24), farHill, Qt::NoPen, clip});

    QLinearGradient nearHill(0, 78, 0, 108);
    nearHill.setColorAt(0.0, QColor(120, 214, 70));
    nearHill.setColorAt(1.0, QColor(56, 160, 50));
    shapes.push_back({ellipse(QPointF(44, 114), 62, 36), nearHill, Qt::NoPen, clip});
}

std::vector<Shape> design()
{
    std::vector<Shape> shapes;
    const QPainterPath hand = handPrint();

    // The frame: warm wood, lit from above, with a dark outline that keeps
    // the icon apart from light and dark backgrounds alike.
    QLinearGradient wood(0, 6, 0, 122);
    wood.setColorAt(0.0, QColor(246, 170, 90));
    wood.setColorAt(1.0, QColor(188, 98, 40));
    shapes.push_back({roundedRect(QRectF(6, 6, 116, 116), 16), wood,
                      QPen(QColor(110, 54, 18), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin)});
    // The groove the glass sits in.
    shapes.push_back({roundedRect(kPane.adjusted(-2.5, -2.5, 2.5, 2.5), kPaneRadius + 2), QColor(120, 60, 22)});

    addScenery(shapes, Clip::Pane);

    // Frost: thickest towards the frame, as on a real window.
    QRadialGradient frost(QPointF(64, 64), 64);
    frost.setColorAt(0.0, QColor(222, 238, 252, 232));
    frost.setColorAt(1.0, QColor(246, 251, 255, 252));
    shapes.push_back({roundedRect(kPane, kPaneRadius), frost});

    const QPen feather(QColor(255, 255, 255, 235), 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    const QPen blueFeather(QColor(150, 195, 235, 220), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    struct Feather
    {
        QPointF root;
        double angle, length;
        bool blue;
    };
    const Feather feathers[] = {
        {{21, 23}, 128, 22, true}, {{23, 21}, 142, 16, false},  {{107, 23}, -128, 20, true},
        {{21, 105}, 50, 18, true}, {{106, 106}, -45, 21, true}, {{64, 107}, -4, 10, false},
        {{21, 60}, 96, 11, false}, {{107, 58}, -94, 12, false},
    };
    for (const Feather &f : feathers)
        shapes.push_back(
            {iceFeather(f.root, f.angle, f.length), Qt::NoBrush, f.blue ? blueFeather : feather, Clip::Pane});

    // The wet rim where the warm hand melted the frost.
    shapes.push_back({hand, Qt::NoBrush,
                      QPen(QColor(170, 210, 245, 200), 6.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin), Clip::Pane});
    shapes.push_back({hand, Qt::NoBrush, QPen(Qt::white, 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin), Clip::Pane});

    // Clear glass inside the print.
    addScenery(shapes, Clip::Hand);

    for (const auto &[centre, radius] : {std::pair{QPointF(36, 40), 5.5}, std::pair{QPointF(95, 88), 4.5},
                                         std::pair{QPointF(90, 33), 3.5}, std::pair{QPointF(33, 94), 3.0}})
        shapes.push_back({sparkle(centre, radius), QColor(255, 255, 255),
                          QPen(QColor(120, 180, 235), 0.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin)});
    return shapes;
}

QPainterPath clipPath(Clip clip)
{
    switch (clip) {
    case Clip::Pane:
        return roundedRect(kPane, kPaneRadius);
    case Clip::Hand:
        return handPrint();
    case Clip::None:
        break;
    }
    return {};
}

QImage renderPng(const std::vector<Shape> &shapes, int size)
{
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / kGrid, size / kGrid);
    for (const Shape &s : shapes) {
        if (s.clip == Clip::None)
            p.setClipping(false);
        else
            p.setClipPath(clipPath(s.clip));
        p.setBrush(s.fill);
        p.setPen(s.pen);
        p.drawPath(s.path);
    }
    p.end();
    return img;
}

// ---- SVG ------------------------------------------------------------------

QString num(double v)
{
    QString s = QString::number(v, 'f', 3);
    while (s.endsWith(QLatin1Char('0')))
        s.chop(1);
    if (s.endsWith(QLatin1Char('.')))
        s.chop(1);
    return s == QLatin1String("-0") ? QStringLiteral("0") : s;
}

QString pt(const QPointF &p)
{
    return num(p.x()) + QLatin1Char(' ') + num(p.y());
}

// Path data with the same segments QPainter draws: lines and cubic curves,
// "Z" where a subpath returns to its start.
QString pathData(const QPainterPath &path)
{
    QString d;
    QPointF start;
    QPointF current;
    auto closeIfBack = [&] {
        if (!d.isEmpty() && current == start)
            d += QLatin1String("Z");
    };
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        switch (e.type) {
        case QPainterPath::MoveToElement:
            closeIfBack();
            start = current = e;
            d += QLatin1String("M") + pt(e);
            break;
        case QPainterPath::LineToElement:
            current = e;
            d += QLatin1String("L") + pt(e);
            break;
        case QPainterPath::CurveToElement: {
            const QPointF c2 = path.elementAt(i + 1);
            current = path.elementAt(i + 2);
            d += QLatin1String("C") + pt(e) + QLatin1Char(' ') + pt(c2) + QLatin1Char(' ') + pt(current);
            i += 2;
            break;
        }
        case QPainterPath::CurveToDataElement:
            break;
        }
    }
    closeIfBack();
    return d;
}

QString colourAttributes(const char *what, const QColor &c)
{
    QString a = QLatin1String(what) + QLatin1String("=\"") + c.name(QColor::HexRgb) + QLatin1Char('"');
    if (c.alpha() < 255)
        a += QLatin1Char(' ') + QLatin1String(what) + QLatin1String("-opacity=\"") + num(c.alphaF()) + QLatin1Char('"');
    return a;
}

QString gradientStops(const QGradient &g)
{
    QString s;
    for (const QGradientStop &stop : g.stops()) {
        s += QLatin1String("<stop offset=\"") + num(stop.first) + QLatin1String("\" stop-color=\"")
             + stop.second.name(QColor::HexRgb) + QLatin1Char('"');
        if (stop.second.alpha() < 255)
            s += QLatin1String(" stop-opacity=\"") + num(stop.second.alphaF()) + QLatin1Char('"');
        s += QLatin1String("/>");
    }
    return s;
}

// The fill as attributes; a gradient goes into `defs` under a new id.
QString fillAttributes(const QBrush &brush, QString &defs, int &gradients)
{
    if (brush.style() == Qt::NoBrush)
        return QStringLiteral("fill=\"none\"");
    if (brush.style() == Qt::SolidPattern)
        return colourAttributes("fill", brush.color());
    const QString id = QStringLiteral("g%1").arg(++gradients);
    const QGradient *gradient = brush.gradient();
    if (gradient->type() == QGradient::LinearGradient) {
        const auto *lin = static_cast<const QLinearGradient *>(gradient);
        defs += QLatin1String("<linearGradient id=\"") + id + QLatin1String("\" gradientUnits=\"userSpaceOnUse\" x1=\"")
                + num(lin->start().x()) + QLatin1String("\" y1=\"") + num(lin->start().y()) + QLatin1String("\" x2=\"")
                + num(lin->finalStop().x()) + QLatin1String("\" y2=\"") + num(lin->finalStop().y())
                + QLatin1String("\">") + gradientStops(*lin) + QLatin1String("</linearGradient>\n");
    } else if (gradient->type() == QGradient::RadialGradient) {
        const auto *rad = static_cast<const QRadialGradient *>(gradient);
        defs += QLatin1String("<radialGradient id=\"") + id + QLatin1String("\" gradientUnits=\"userSpaceOnUse\" cx=\"")
                + num(rad->center().x()) + QLatin1String("\" cy=\"") + num(rad->center().y()) + QLatin1String("\" r=\"")
                + num(rad->radius()) + QLatin1String("\" fx=\"") + num(rad->focalPoint().x())
                + QLatin1String("\" fy=\"") + num(rad->focalPoint().y()) + QLatin1String("\">") + gradientStops(*rad)
                + QLatin1String("</radialGradient>\n");
    }
    return QLatin1String("fill=\"url(#") + id + QLatin1String(")\"");
}

QString strokeAttributes(const QPen &pen)
{
    if (pen.style() == Qt::NoPen)
        return {};
    return QLatin1Char(' ') + colourAttributes("stroke", pen.color()) + QLatin1String(" stroke-width=\"")
           + num(pen.widthF()) + QLatin1String("\" stroke-linecap=\"round\" stroke-linejoin=\"round\"");
}

QString fillRule(const QPainterPath &path)
{
    return path.fillRule() == Qt::OddEvenFill ? QStringLiteral(" fill-rule=\"evenodd\"")
                                              : QStringLiteral(" fill-rule=\"nonzero\"");
}

QString renderSvg(const std::vector<Shape> &shapes)
{
    QString defs;
    QString body;
    int gradients = 0;
    for (const char *id : {"pane", "hand"}) {
        const QPainterPath clip = clipPath(QLatin1String(id) == QLatin1String("pane") ? Clip::Pane : Clip::Hand);
        defs += QLatin1String("<clipPath id=\"") + QLatin1String(id) + QLatin1String("\"><path d=\"") + pathData(clip)
                + QLatin1String("\" clip-rule=\"")
                + QLatin1String(clip.fillRule() == Qt::OddEvenFill ? "evenodd" : "nonzero")
                + QLatin1String("\"/></clipPath>\n");
    }
    for (const Shape &s : shapes) {
        QString element = QLatin1String("<path d=\"") + pathData(s.path) + QLatin1String("\" ")
                          + fillAttributes(s.fill, defs, gradients) + fillRule(s.path) + strokeAttributes(s.pen);
        if (s.clip == Clip::Pane)
            element += QLatin1String(" clip-path=\"url(#pane)\"");
        else if (s.clip == Clip::Hand)
            element += QLatin1String(" clip-path=\"url(#hand)\"");
        body += element + QLatin1String("/>\n");
    }
    return QLatin1String("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                         "<!-- Frostpane: a frosted window with a hand print wiped clear. "
                         "Written by frostpane_artwork appicon. -->\n"
                         "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"128\" height=\"128\" "
                         "viewBox=\"0 0 128 128\">\n<defs>\n")
           + defs + QLatin1String("</defs>\n") + body + QLatin1String("</svg>\n");
}

bool writeText(const QString &text, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text.toUtf8()) < 0) {
        std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(path), qPrintable(file.errorString()));
        return false;
    }
    return true;
}

} // namespace

bool writeAppIcon(const QString &appId, const QString &outDir)
{
    const std::vector<Shape> shapes = design();
    bool ok = true;
    for (int size : {48, 64, 128, 256, 512}) {
        const QString dir = QDir(outDir).filePath(QStringLiteral("%1x%1/apps").arg(size));
        if (!QDir().mkpath(dir)) {
            std::fprintf(stderr, "cannot create %s\n", qPrintable(dir));
            return false;
        }
        ok = savePng(renderPng(shapes, size), QDir(dir).filePath(appId + QLatin1String(".png"))) && ok;
    }
    const QString scalable = QDir(outDir).filePath(QStringLiteral("scalable/apps"));
    if (!QDir().mkpath(scalable)) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(scalable));
        return false;
    }
    return writeText(renderSvg(shapes), QDir(scalable).filePath(appId + QLatin1String(".svg"))) && ok;
}

} // namespace art
