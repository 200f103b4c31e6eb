#include "camera/frame_conversion.h"
#include "support/guarded_bytes.h"

#include <QImage>
#include <QTransform>
#include <QtGui/qrgb.h>
#include <QtTest>

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <vector>

Q_DECLARE_METATYPE(FramePixelFormat)
Q_DECLARE_METATYPE(YuvColors)

namespace {

// How far libyuv may land from the exact formula, per channel. Measured over
// every Y, U, V combination: red and green stay within 2 and
// blue within 3, except in limited-range BT.709, where libyuv's SIMD code
// keeps the blue coefficient in a signed byte: 2.0 in place of 2.112 for the
// limited-range scale, so saturated blue comes out up to 15 steps short.
// A misplaced pixel or a wrong matrix or range is off by far more in red or
// green.
struct Tolerance
{
    int red, green, blue;
};

Tolerance toleranceFor(YuvColors colors)
{
    if (colors.matrix == YuvMatrix::Bt709 && !colors.fullRange)
        return {2, 2, 15};
    return {2, 2, 3};
}

const char *formatName(FramePixelFormat f)
{
    switch (f) {
    case FramePixelFormat::Unsupported:
        return "Unsupported";
    case FramePixelFormat::YUYV:
        return "YUYV";
    case FramePixelFormat::UYVY:
        return "UYVY";
    case FramePixelFormat::NV12:
        return "NV12";
    case FramePixelFormat::NV21:
        return "NV21";
    case FramePixelFormat::I420:
        return "I420";
    case FramePixelFormat::YV12:
        return "YV12";
    case FramePixelFormat::BGRA:
        return "BGRA";
    case FramePixelFormat::RGBA:
        return "RGBA";
    case FramePixelFormat::ARGB:
        return "ARGB";
    case FramePixelFormat::ABGR:
        return "ABGR";
    case FramePixelFormat::I422:
        return "I422";
    case FramePixelFormat::AYUV:
        return "AYUV";
    case FramePixelFormat::GRAY8:
        return "GRAY8";
    case FramePixelFormat::Y16:
        return "Y16";
    case FramePixelFormat::P010:
        return "P010";
    case FramePixelFormat::P016:
        return "P016";
    }
    return "?";
}

using F = FramePixelFormat;
const std::vector<F> kYuvFormats = {F::YUYV, F::UYVY, F::NV12, F::NV21, F::I420,
                                    F::YV12, F::I422, F::AYUV, F::P010, F::P016};
const std::vector<F> kGreyFormats = {F::GRAY8, F::Y16};
const std::vector<F> kRgbFormats = {F::BGRA, F::RGBA, F::ARGB, F::ABGR};

std::vector<F> allFormats()
{
    std::vector<F> all = kYuvFormats;
    all.insert(all.end(), kGreyFormats.begin(), kGreyFormats.end());
    all.insert(all.end(), kRgbFormats.begin(), kRgbFormats.end());
    return all;
}

bool isGrey(F f)
{
    return f == F::GRAY8 || f == F::Y16;
}
bool isRgb(F f)
{
    return std::find(kRgbFormats.begin(), kRgbFormats.end(), f) != kRgbFormats.end();
}
bool isWide(F f)
{
    return f == F::Y16 || f == F::P010 || f == F::P016;
}

// What a test frame shows: luma per pixel, chroma per chroma sample (in the
// format's own chroma grid), all 8-bit. RGB frames take their bytes from
// `bytes`.
struct Picture
{
    std::function<int(int, int)> luma;
    std::function<int(int, int)> u;
    std::function<int(int, int)> v;
    std::function<std::uint8_t(int, int, int)> bytes; // x, y, byte index 0..3 in memory
};

struct Frame
{
    std::vector<std::unique_ptr<GuardedBytes>> planes;
    std::vector<std::ptrdiff_t> strides;
    FramePlanes view() const
    {
        FramePlanes p;
        for (std::size_t i = 0; i < planes.size(); ++i) {
            p.data[i] = planes[i]->data();
            p.stride[i] = strides[i];
            p.size[i] = std::ptrdiff_t(planes[i]->size());
        }
        return p;
    }
};

// Horizontal and vertical chroma subsampling shifts.
int chromaShiftX(F f)
{
    return f == F::AYUV || isGrey(f) || isRgb(f) ? 0 : 1;
}
int chromaShiftY(F f)
{
    switch (f) {
    case F::NV12:
    case F::NV21:
    case F::I420:
    case F::YV12:
    case F::P010:
    case F::P016:
        return 1;
    default:
        return 0;
    }
}

// Builds a frame plane by plane, each plane exactly as large as the frame
// needs: rows `pad` bytes longer than their content, the last row without.
Frame buildFrame(F format, int w, int h, int pad, Guard guard, const Picture &pic)
{
    Frame f;
    const int cw = (w + 1) / 2, ch = (h + 1) / 2;
    if (isWide(format) && pad % 2 != 0)
        ++pad; // 16-bit rows stay whole words
    const auto plane = [&](std::ptrdiff_t rowBytes, int rows) {
        const std::ptrdiff_t stride = rowBytes + pad;
        f.strides.push_back(stride);
        f.planes.push_back(std::make_unique<GuardedBytes>(std::size_t(stride * (rows - 1) + rowBytes), guard));
        std::fill_n(f.planes.back()->data(), f.planes.back()->size(), 0xEE);
        return f.planes.size() - 1;
    };
    const auto at = [&](std::size_t p, std::ptrdiff_t xByte, int y) -> std::uint8_t & {
        return f.planes[p]->data()[f.strides[p] * y + xByte];
    };
    // 16-bit little-endian word whose high byte is `value`; `low` fills the rest.
    const auto put16 = [&](std::size_t p, std::ptrdiff_t xWord, int y, int value, int low) {
        at(p, xWord * 2, y) = std::uint8_t(low);
        at(p, xWord * 2 + 1, y) = std::uint8_t(value);
    };
    // P016 repeats the byte into the low half, so 0xFF becomes 0xFFFF; P010
    // keeps the low six bits clear as the format demands.
    const auto lowBits = [&](int value) { return format == F::P016 ? value : (value & 0x03) << 6; };

    switch (format) {
    case F::YUYV:
    case F::UYVY: {
        const auto p = plane(std::ptrdiff_t(cw) * 4, h);
        const bool yFirst = format == F::YUYV;
        for (int y = 0; y < h; ++y)
            for (int cx = 0; cx < cw; ++cx) {
                const int x = 2 * cx;
                at(p, 4 * cx + (yFirst ? 0 : 1), y) = std::uint8_t(pic.luma(x, y));
                at(p, 4 * cx + (yFirst ? 2 : 3), y) = std::uint8_t(x + 1 < w ? pic.luma(x + 1, y) : 0x5A);
                at(p, 4 * cx + (yFirst ? 1 : 0), y) = std::uint8_t(pic.u(cx, y));
                at(p, 4 * cx + (yFirst ? 3 : 2), y) = std::uint8_t(pic.v(cx, y));
            }
        break;
    }
    case F::NV12:
    case F::NV21:
    case F::I420:
    case F::YV12:
    case F::I422: {
        const auto luma = plane(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                at(luma, x, y) = std::uint8_t(pic.luma(x, y));
        const int chromaRows = format == F::I422 ? h : ch;
        if (format == F::NV12 || format == F::NV21) {
            const auto uv = plane(std::ptrdiff_t(cw) * 2, chromaRows);
            const int uAt = format == F::NV12 ? 0 : 1;
            for (int y = 0; y < chromaRows; ++y)
                for (int x = 0; x < cw; ++x) {
                    at(uv, 2 * x + uAt, y) = std::uint8_t(pic.u(x, y));
                    at(uv, 2 * x + 1 - uAt, y) = std::uint8_t(pic.v(x, y));
                }
        } else {
            const auto first = plane(cw, chromaRows), second = plane(cw, chromaRows);
            const bool uFirst = format != F::YV12;
            for (int y = 0; y < chromaRows; ++y)
                for (int x = 0; x < cw; ++x) {
                    at(first, x, y) = std::uint8_t(uFirst ? pic.u(x, y) : pic.v(x, y));
                    at(second, x, y) = std::uint8_t(uFirst ? pic.v(x, y) : pic.u(x, y));
                }
        }
        break;
    }
    case F::P010:
    case F::P016: {
        const auto luma = plane(std::ptrdiff_t(w) * 2, h);
        const auto uv = plane(std::ptrdiff_t(cw) * 4, ch);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                put16(luma, x, y, pic.luma(x, y), lowBits(pic.luma(x, y)));
        for (int y = 0; y < ch; ++y)
            for (int x = 0; x < cw; ++x) {
                put16(uv, 2 * x, y, pic.u(x, y), lowBits(pic.u(x, y)));
                put16(uv, 2 * x + 1, y, pic.v(x, y), lowBits(pic.v(x, y)));
            }
        break;
    }
    case F::AYUV: {
        const auto p = plane(std::ptrdiff_t(w) * 4, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                at(p, 4 * x, y) = std::uint8_t(17 * x + 3 * y); // alpha: anything
                at(p, 4 * x + 1, y) = std::uint8_t(pic.luma(x, y));
                at(p, 4 * x + 2, y) = std::uint8_t(pic.u(x, y));
                at(p, 4 * x + 3, y) = std::uint8_t(pic.v(x, y));
            }
        break;
    }
    case F::GRAY8: {
        const auto p = plane(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                at(p, x, y) = std::uint8_t(pic.luma(x, y));
        break;
    }
    case F::Y16: {
        const auto p = plane(std::ptrdiff_t(w) * 2, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                put16(p, x, y, pic.luma(x, y), 0xFF - (x & 0x7F)); // the low byte must not matter
        break;
    }
    case F::BGRA:
    case F::RGBA:
    case F::ARGB:
    case F::ABGR: {
        const auto p = plane(std::ptrdiff_t(w) * 4, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                for (int b = 0; b < 4; ++b)
                    at(p, 4 * x + b, y) = pic.bytes(x, y, b);
        break;
    }
    case F::Unsupported:
        break;
    }
    return f;
}

// The exact conversion, in floating point, from the matrix definitions.
QRgb referenceYuv(int luma, int u, int v, YuvColors colors)
{
    const double kr = colors.matrix == YuvMatrix::Bt709 ? 0.2126 : 0.299;
    const double kb = colors.matrix == YuvMatrix::Bt709 ? 0.0722 : 0.114;
    const double kg = 1.0 - kr - kb;
    const double y = colors.fullRange ? luma : (luma - 16) * 255.0 / 219.0;
    const double c = colors.fullRange ? 1.0 : 255.0 / 224.0;
    const double pb = (u - 128) * c, pr = (v - 128) * c;
    const double r = y + 2 * (1 - kr) * pr;
    const double b = y + 2 * (1 - kb) * pb;
    const double g = (y - kr * r - kb * b) / kg;
    const auto byte = [](double x) { return int(std::lround(std::clamp(x, 0.0, 255.0))); };
    return qRgb(byte(r), byte(g), byte(b));
}

// Which bytes of a packed RGB pixel hold red, green and blue in memory.
void rgbPositions(F f, int &r, int &g, int &b)
{
    switch (f) {
    case F::BGRA:
        r = 2, g = 1, b = 0;
        break;
    case F::RGBA:
        r = 0, g = 1, b = 2;
        break;
    case F::ARGB:
        r = 1, g = 2, b = 3;
        break;
    default:
        r = 3, g = 2, b = 1;
        break; // ABGR
    }
}

QRgb expectedPixel(F f, const Picture &pic, int x, int y, YuvColors colors)
{
    if (isRgb(f)) {
        int r, g, b;
        rgbPositions(f, r, g, b);
        return qRgb(pic.bytes(x, y, r), pic.bytes(x, y, g), pic.bytes(x, y, b));
    }
    if (isGrey(f))
        return referenceYuv(pic.luma(x, y), 128, 128, colors);
    const int cx = x >> chromaShiftX(f), cy = y >> chromaShiftY(f);
    return referenceYuv(pic.luma(x, y), pic.u(cx, cy), pic.v(cx, cy), colors);
}

bool opaqueAndNear(std::uint32_t word, QRgb expected, Tolerance t)
{
    return word >> 24 == 0xFF && std::abs(qRed(word) - qRed(expected)) <= t.red
           && std::abs(qGreen(word) - qGreen(expected)) <= t.green && std::abs(qBlue(word) - qBlue(expected)) <= t.blue;
}

// A destination with `pad` spare bytes per row, exactly sized and guarded,
// filled with a marker so that stray writes show.
struct Target
{
    Target(int w, int h, int padBytes)
        : width(w)
        , height(h)
        , stride(std::ptrdiff_t(w) * 4 + padBytes)
        , bytes(std::size_t(stride * (h - 1) + std::ptrdiff_t(w) * 4), Guard::After)
    {
        std::fill_n(bytes.data(), bytes.size(), 0xCD);
    }
    std::uint32_t word(int x, int y) const
    {
        const std::uint8_t *p = bytes.data() + stride * y + std::ptrdiff_t(x) * 4;
        return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
    }
    bool paddingUntouched() const
    {
        for (int y = 0; y + 1 < height; ++y)
            for (std::ptrdiff_t i = std::ptrdiff_t(width) * 4; i < stride; ++i)
                if (bytes.data()[stride * y + i] != 0xCD)
                    return false;
        return true;
    }
    bool untouched() const
    {
        return std::all_of(bytes.data(), bytes.data() + bytes.size(), [](std::uint8_t b) { return b == 0xCD; });
    }
    int width, height;
    std::ptrdiff_t stride;
    GuardedBytes bytes;
};

Picture flat(int luma, int u, int v)
{
    Picture p;
    p.luma = [=](int, int) { return luma; };
    p.u = [=](int, int) { return u; };
    p.v = [=](int, int) { return v; };
    p.bytes = [](int, int, int) { return std::uint8_t(0); };
    return p;
}

// Every sample its own pseudo-random value, so a sample read from the wrong
// place shows up as a wrong color.
Picture noise(unsigned seed)
{
    auto table = std::make_shared<std::vector<std::uint8_t>>(4 * 64 * 64);
    std::mt19937 random(seed);
    for (auto &b : *table)
        b = std::uint8_t(random());
    const auto pick = [table](int plane, int x, int y) {
        return (*table)[std::size_t((plane * 64 + y % 64) * 64 + x % 64)];
    };
    Picture p;
    p.luma = [=](int x, int y) { return int(pick(0, x, y)); };
    p.u = [=](int x, int y) { return int(pick(1, x, y)); };
    p.v = [=](int x, int y) { return int(pick(2, x, y)); };
    p.bytes = [=](int x, int y, int b) { return pick(b, x * 3 + 1, y * 5 + 2); };
    return p;
}

const YuvColors kAllColors[] = {
    {YuvMatrix::Bt601, false}, {YuvMatrix::Bt601, true}, {YuvMatrix::Bt709, false}, {YuvMatrix::Bt709, true}};

const char *colorName(YuvColors c)
{
    if (c.matrix == YuvMatrix::Bt709)
        return c.fullRange ? "BT.709 full" : "BT.709 limited";
    return c.fullRange ? "BT.601 full" : "BT.601 limited";
}

// Largest deviation seen per color setting, reported at the end.
int largestDeviation[4][3] = {};
int colorIndex(YuvColors c)
{
    return (c.matrix == YuvMatrix::Bt709 ? 2 : 0) + (c.fullRange ? 1 : 0);
}

} // namespace

class TestFrameConversion : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanupTestCase()
    {
        for (YuvColors c : kAllColors) {
            const int *d = largestDeviation[colorIndex(c)];
            qInfo("%s: largest deviation from the exact formula R %d G %d B %d", colorName(c), d[0], d[1], d[2]);
        }
    }

    void knownColors_data()
    {
        QTest::addColumn<FramePixelFormat>("format");
        QTest::addColumn<int>("luma");
        QTest::addColumn<int>("u");
        QTest::addColumn<int>("v");
        QTest::addColumn<YuvColors>("colors");
        QTest::addColumn<QRgb>("expected");
        const YuvColors limited601{YuvMatrix::Bt601, false}, full601{YuvMatrix::Bt601, true};
        const YuvColors limited709{YuvMatrix::Bt709, false}, full709{YuvMatrix::Bt709, true};
        for (F f : kYuvFormats) {
            const char *n = formatName(f);
            QTest::addRow("%s black", n) << f << 16 << 128 << 128 << limited601 << qRgb(0, 0, 0);
            QTest::addRow("%s white", n) << f << 235 << 128 << 128 << limited601 << qRgb(255, 255, 255);
            QTest::addRow("%s red", n) << f << 81 << 90 << 240 << limited601 << qRgb(255, 0, 0);
            QTest::addRow("%s blue", n) << f << 41 << 240 << 110 << limited601 << qRgb(0, 0, 255);
            QTest::addRow("%s full-range grey", n) << f << 128 << 128 << 128 << full601 << qRgb(128, 128, 128);
            QTest::addRow("%s full-range red", n) << f << 76 << 85 << 255 << full601 << qRgb(255, 0, 0);
            QTest::addRow("%s BT.709 red", n) << f << 63 << 102 << 240 << limited709 << qRgb(255, 0, 0);
            QTest::addRow("%s BT.709 blue", n) << f << 32 << 240 << 118 << limited709 << qRgb(0, 0, 255);
            QTest::addRow("%s BT.709 full-range green", n) << f << 182 << 30 << 12 << full709 << qRgb(0, 255, 0);
        }
        for (F f : kGreyFormats) {
            const char *n = formatName(f);
            QTest::addRow("%s black", n) << f << 16 << 128 << 128 << limited601 << qRgb(0, 0, 0);
            QTest::addRow("%s white", n) << f << 235 << 128 << 128 << limited601 << qRgb(255, 255, 255);
            QTest::addRow("%s mid grey", n) << f << 126 << 128 << 128 << limited709 << qRgb(128, 128, 128);
            QTest::addRow("%s full-range black", n) << f << 0 << 128 << 128 << full601 << qRgb(0, 0, 0);
            QTest::addRow("%s full-range white", n) << f << 255 << 128 << 128 << full709 << qRgb(255, 255, 255);
            QTest::addRow("%s full-range grey", n) << f << 77 << 128 << 128 << full601 << qRgb(77, 77, 77);
        }
    }

    void knownColors()
    {
        QFETCH(FramePixelFormat, format);
        QFETCH(int, luma);
        QFETCH(int, u);
        QFETCH(int, v);
        QFETCH(YuvColors, colors);
        QFETCH(QRgb, expected);
        const Frame frame = buildFrame(format, 4, 2, 3, Guard::After, flat(luma, u, v));
        Target target(4, 2, 0);
        QVERIFY(convertFrame(format, frame.view(), 4, 2, colors, target.bytes.data(), target.stride));
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 4; ++x) {
                const std::uint32_t word = target.word(x, y);
                QVERIFY2(opaqueAndNear(word, expected, toleranceFor(colors)), qPrintable(QString::number(word, 16)));
            }
    }

    // Every format, at even and odd sizes (narrower and wider than libyuv's
    // SIMD steps), from planes exactly as large as claimed and flush against
    // an inaccessible page on either side, in every matrix and range: each
    // pixel within the tolerance of the exact formula, opaque, and nothing
    // written into the destination's row padding.
    void everyFormatFromExactPlanes_data()
    {
        QTest::addColumn<FramePixelFormat>("format");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("pad");
        QTest::addColumn<int>("guard");
        const QSize sizes[] = {{1, 1}, {2, 2}, {3, 3}, {5, 3}, {6, 4}, {37, 5}, {64, 2}, {65, 7}};
        for (F f : allFormats())
            for (QSize s : sizes)
                for (Guard g : {Guard::After, Guard::Before}) {
                    const int pad = s.width() % 3; // tight and padded strides
                    QTest::addRow("%s %dx%d pad %d guard %s", formatName(f), s.width(), s.height(), pad,
                                  g == Guard::After ? "after" : "before")
                        << f << s.width() << s.height() << pad << int(g);
                }
    }

    void everyFormatFromExactPlanes()
    {
        QFETCH(FramePixelFormat, format);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, pad);
        QFETCH(int, guard);
        const Picture picture = noise(unsigned(width * 131 + height));
        const Frame frame = buildFrame(format, width, height, pad, Guard(guard), picture);
        QVERIFY(framePlanesAreComplete(format, frame.view(), width, height));
        for (YuvColors colors : kAllColors) {
            Target target(width, height, 4 * pad + 1);
            QVERIFY(convertFrame(format, frame.view(), width, height, colors, target.bytes.data(), target.stride));
            // RGB is reordered, full-range grey copied: both exact.
            const Tolerance tolerance = isRgb(format) || (isGrey(format) && colors.fullRange) ? Tolerance{0, 0, 0}
                                                                                              : toleranceFor(colors);
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) {
                    const std::uint32_t word = target.word(x, y);
                    const QRgb expected = expectedPixel(format, picture, x, y, colors);
                    if (!isRgb(format)) {
                        int *d = largestDeviation[colorIndex(colors)];
                        d[0] = std::max(d[0], std::abs(qRed(word) - qRed(expected)));
                        d[1] = std::max(d[1], std::abs(qGreen(word) - qGreen(expected)));
                        d[2] = std::max(d[2], std::abs(qBlue(word) - qBlue(expected)));
                    }
                    QVERIFY2(opaqueAndNear(word, expected, tolerance),
                             qPrintable(QString::asprintf("%s at (%d, %d): %08x, expected %08x", colorName(colors), x,
                                                          y, word, expected)));
                }
            QVERIFY(target.paddingUntouched());
        }
    }

    void packedRgbByteOrders_data()
    {
        QTest::addColumn<FramePixelFormat>("format");
        QTest::addColumn<QByteArray>("bytes"); // one pixel: red 0x11, green 0x22, blue 0x33
        QTest::newRow("BGRA, X zero") << F::BGRA << QByteArray("\x33\x22\x11\x00", 4);
        QTest::newRow("RGBA, X half") << F::RGBA << QByteArray("\x11\x22\x33\x7f", 4);
        QTest::newRow("ARGB, X zero") << F::ARGB << QByteArray("\x00\x11\x22\x33", 4);
        QTest::newRow("ABGR, X 0x80") << F::ABGR << QByteArray("\x80\x33\x22\x11", 4);
    }

    void packedRgbByteOrders()
    {
        QFETCH(FramePixelFormat, format);
        QFETCH(QByteArray, bytes);
        // 19 pixels: libyuv's vector loop and its remainder both run.
        const int width = 19;
        Picture picture;
        picture.bytes = [&](int, int, int b) { return std::uint8_t(bytes[b]); };
        const Frame frame = buildFrame(format, width, 2, 4, Guard::After, picture);
        Target target(width, 2, 0);
        QVERIFY(convertFrame(format, frame.view(), width, 2, {}, target.bytes.data(), target.stride));
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < width; ++x)
                QCOMPARE(target.word(x, y), 0xFF112233u); // always opaque
    }

    // Each plane of each format, spoilt in one way: nothing converted,
    // nothing written.
    void incompleteFramesAreRefused_data()
    {
        QTest::addColumn<FramePixelFormat>("format");
        QTest::addColumn<int>("plane");
        QTest::addColumn<int>("what");
        enum { ShortByOne, StrideBelowRow, Null, OddAddress, OddStride };
        for (F f : allFormats())
            for (int p = 0; p < framePlaneCount(f); ++p) {
                QTest::addRow("%s plane %d one byte short", formatName(f), p) << f << p << int(ShortByOne);
                QTest::addRow("%s plane %d stride below a row", formatName(f), p) << f << p << int(StrideBelowRow);
                QTest::addRow("%s plane %d missing", formatName(f), p) << f << p << int(Null);
                if (isWide(f)) {
                    QTest::addRow("%s plane %d odd address", formatName(f), p) << f << p << int(OddAddress);
                    QTest::addRow("%s plane %d odd stride", formatName(f), p) << f << p << int(OddStride);
                }
            }
    }

    void incompleteFramesAreRefused()
    {
        QFETCH(FramePixelFormat, format);
        QFETCH(int, plane);
        QFETCH(int, what);
        // The claim is always 6x5. An odd address needs spare bytes to move
        // into, so that frame is built wider; an odd stride needs padding.
        const int builtWidth = what == 3 ? 8 : 6;
        const Frame frame = buildFrame(format, builtWidth, 5, what == 4 ? 2 : 0, Guard::After, noise(3));
        FramePlanes view = frame.view();
        switch (what) {
        case 0:
            view.size[plane] -= 1;
            break;
        case 1:
            view.stride[plane] -= 1;
            break;
        case 2:
            view.data[plane] = nullptr;
            break;
        case 3:
            view.size[plane] -= 1;
            QVERIFY(framePlanesAreComplete(format, view, 6, 5)); // only the address is wrong below
            view.data[plane] += 1;
            break;
        case 4:
            view.stride[plane] -= 2;
            QVERIFY(framePlanesAreComplete(format, view, 6, 5)); // only the oddness is wrong below
            view.stride[plane] += 1;
            break;
        }
        QVERIFY(!framePlanesAreComplete(format, view, 6, 5));
        Target target(6, 5, 0);
        QVERIFY(!convertFrame(format, view, 6, 5, {}, target.bytes.data(), target.stride));
        QVERIFY(target.untouched());
        // The unspoilt frame converts, so the refusal above was for the flaw.
        QVERIFY(convertFrame(format, frame.view(), 6, 5, {}, target.bytes.data(), target.stride));
    }

    // Claims whose sizes overflow or make no sense. The planes point at a
    // small real buffer: a claim that wrapped into "complete" would have
    // libyuv read far past it.
    void impossibleClaimsAreRefused_data()
    {
        QTest::addColumn<FramePixelFormat>("format");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("plane");
        QTest::addColumn<qint64>("stride");
        QTest::addColumn<qint64>("size");
        const qint64 big = qint64(1) << 62, most = std::numeric_limits<qint64>::max();
        // 4 * 2^62 wraps to 0 in 64 bits: a careless sum ends at one row.
        QTest::newRow("YUYV stride 2^62, rows wrap to zero") << F::YUYV << 2 << 5 << 0 << big << qint64(64);
        QTest::newRow("GRAY8 stride 2^62, size max") << F::GRAY8 << 2 << 8 << 0 << big << most;
        QTest::newRow("NV12 chroma stride 2^62") << F::NV12 << 2 << 10 << 1 << big << qint64(64);
        QTest::newRow("I420 chroma stride 2^62, size max") << F::I420 << 2 << 16 << 2 << big << most;
        QTest::newRow("BGRA stride above INT_MAX") << F::BGRA << 2 << 1 << 0 << qint64(INT_MAX) + 1 << most;
        QTest::newRow("P010 stride above INT_MAX") << F::P010 << 2 << 2 << 0 << qint64(INT_MAX) + 1 << most;
        QTest::newRow("GRAY8 height INT_MAX") << F::GRAY8 << 2 << INT_MAX << 0 << qint64(2) << most;
        QTest::newRow("YUYV height INT_MAX") << F::YUYV << 2 << INT_MAX << 0 << qint64(4) << most;
        QTest::newRow("I420 height INT_MAX") << F::I420 << 2 << INT_MAX << 0 << qint64(2) << most;
        QTest::newRow("GRAY8 width INT_MAX") << F::GRAY8 << INT_MAX << 1 << 0 << qint64(INT_MAX) << most;
        QTest::newRow("BGRA width INT_MAX") << F::BGRA << INT_MAX << 1 << 0 << most << most;
        QTest::newRow("YUYV width INT_MAX") << F::YUYV << INT_MAX << 1 << 0 << most << most;
        QTest::newRow("NV21 width INT_MAX") << F::NV21 << INT_MAX << 2 << 1 << most << most;
        QTest::newRow("GRAY8 over 2^29 pixels")
            << F::GRAY8 << (1 << 15) << (1 << 14) + 1 << 0 << qint64(1 << 15) << most;
        QTest::newRow("YUYV negative stride") << F::YUYV << 2 << 2 << 0 << qint64(-4) << qint64(64);
        QTest::newRow("I420 negative chroma stride") << F::I420 << 2 << 2 << 1 << qint64(-1) << qint64(64);
        QTest::newRow("YUYV stride min") << F::YUYV << 2 << 2 << 0 << std::numeric_limits<qint64>::min() << qint64(64);
        QTest::newRow("NV12 negative size") << F::NV12 << 2 << 2 << 1 << qint64(2) << qint64(-1);
        QTest::newRow("GRAY8 size min") << F::GRAY8 << 2 << 2 << 0 << qint64(2) << std::numeric_limits<qint64>::min();
        QTest::newRow("GRAY8 zero width") << F::GRAY8 << 0 << 2 << 0 << qint64(2) << qint64(64);
        QTest::newRow("GRAY8 zero height") << F::GRAY8 << 2 << 0 << 0 << qint64(2) << qint64(64);
        QTest::newRow("YUYV negative width") << F::YUYV << -2 << 2 << 0 << qint64(4) << qint64(64);
        QTest::newRow("YUYV negative height") << F::YUYV << 2 << -2 << 0 << qint64(4) << qint64(64);
        QTest::newRow("I420 width INT_MIN") << F::I420 << INT_MIN << 2 << 0 << qint64(2) << qint64(64);
        QTest::newRow("unsupported format") << F::Unsupported << 2 << 2 << 0 << qint64(8) << qint64(64);
        QTest::newRow("format out of range") << FramePixelFormat(999) << 2 << 2 << 0 << qint64(8) << qint64(64);
    }

    void impossibleClaimsAreRefused()
    {
        QFETCH(FramePixelFormat, format);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, plane);
        QFETCH(qint64, stride);
        QFETCH(qint64, size);
        alignas(8) static std::uint8_t buffer[64] = {};
        FramePlanes planes;
        for (int i = 0; i < 3; ++i) {
            planes.data[i] = buffer;
            planes.stride[i] = 16; // plenty for a 2-pixel-wide frame, too little for a wide one
            planes.size[i] = sizeof buffer;
        }
        planes.stride[plane] = std::ptrdiff_t(stride);
        planes.size[plane] = std::ptrdiff_t(size);
        QVERIFY(!framePlanesAreComplete(format, planes, width, height));
        std::uint32_t out[4] = {1, 2, 3, 4};
        QVERIFY(!convertFrame(format, planes, width, height, {}, reinterpret_cast<std::uint8_t *>(out), 8));
        QCOMPARE(out[0], 1u);
    }

    void destinationIsChecked_data()
    {
        QTest::addColumn<bool>("nullDestination");
        QTest::addColumn<qint64>("stride");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("exact row") << false << qint64(8) << true;
        QTest::newRow("padded row") << false << qint64(12) << true;
        QTest::newRow("null") << true << qint64(8) << false;
        QTest::newRow("one byte narrow") << false << qint64(7) << false;
        QTest::newRow("zero stride") << false << qint64(0) << false;
        QTest::newRow("negative stride") << false << qint64(-8) << false;
        QTest::newRow("stride above INT_MAX") << false << qint64(INT_MAX) + 1 << false;
    }

    void destinationIsChecked()
    {
        QFETCH(bool, nullDestination);
        QFETCH(qint64, stride);
        QFETCH(bool, accepted);
        const Frame frame = buildFrame(F::YUYV, 2, 2, 0, Guard::After, flat(50, 128, 128));
        std::vector<std::uint8_t> out(24, 0xCD);
        QCOMPARE(convertFrame(F::YUYV, frame.view(), 2, 2, {}, nullDestination ? nullptr : out.data(),
                              std::ptrdiff_t(stride)),
                 accepted);
        if (!accepted)
            QVERIFY(std::all_of(out.begin(), out.end(), [](std::uint8_t b) { return b == 0xCD; }));
    }

    void planeCounts()
    {
        QCOMPARE(framePlaneCount(F::Unsupported), 0);
        for (F f : {F::YUYV, F::UYVY, F::BGRA, F::RGBA, F::ARGB, F::ABGR, F::AYUV, F::GRAY8, F::Y16})
            QCOMPARE(framePlaneCount(f), 1);
        for (F f : {F::NV12, F::NV21, F::P010, F::P016})
            QCOMPARE(framePlaneCount(f), 2);
        for (F f : {F::I420, F::YV12, F::I422})
            QCOMPARE(framePlaneCount(f), 3);
    }

    void framesTurnUpright_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("mirrored");
        QTest::addColumn<int>("angle");
        for (const QSize size : {QSize(3, 2), QSize(17, 5)}) {
            for (const int angle : {0, 90, 180, 270}) {
                for (const bool mirrored : {false, true})
                    QTest::addRow("%dx%d %s turned %d", size.width(), size.height(), mirrored ? "mirrored," : "", angle)
                        << size << mirrored << angle;
            }
        }
    }

    void framesTurnUpright()
    {
        QFETCH(QSize, size);
        QFETCH(bool, mirrored);
        QFETCH(int, angle);
        // Every pixel tells where it came from.
        QImage source(size, QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                source.setPixel(x, y, 0xFF000000u | std::uint32_t(y) << 8 | std::uint32_t(x));
        // Qt's own transform is the judge: mirror, then turn clockwise.
        const QImage expected = source.mirrored(mirrored, false).transformed(QTransform().rotate(angle));

        QImage turned(expected.size(), QImage::Format_ARGB32_Premultiplied);
        QImage scratch(size, QImage::Format_ARGB32_Premultiplied);
        QVERIFY(orientFrame(source.constBits(), source.bytesPerLine(), size.width(), size.height(), mirrored,
                            FrameRotation(angle), scratch.bits(), scratch.bytesPerLine(), turned.bits(),
                            turned.bytesPerLine()));
        QCOMPARE(turned, expected);
    }

    // Strides that are not a whole number of pixels: rows of the source, the
    // scratch and the destination that start anywhere. Every buffer is
    // exactly as long as its stride and rows need, flush against a guard page.
    void framesTurnUprightWithAnyStride_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("mirrored");
        QTest::addColumn<int>("angle");
        QTest::addColumn<int>("sourcePad");
        QTest::addColumn<int>("scratchPad");
        QTest::addColumn<int>("destinationPad");
        struct Pads
        {
            const char *name;
            int source, scratch, destination;
        };
        const Pads pads[] = {{"source +1", 1, 0, 0},        {"source +2", 2, 0, 0},
                             {"source +3", 3, 0, 0},        {"scratch +1", 0, 1, 0},
                             {"scratch +3", 0, 3, 0},       {"destination +1", 0, 0, 1},
                             {"all odd +1 +3 +2", 1, 3, 2}, {"whole pixels +4 +8 +4", 4, 8, 4}};
        for (const QSize size : {QSize(1, 1), QSize(5, 3), QSize(3, 17)}) {
            for (const int angle : {0, 90, 180, 270}) {
                for (const bool mirrored : {false, true}) {
                    for (const Pads &pad : pads)
                        QTest::addRow("%dx%d %s turned %d, %s", size.width(), size.height(),
                                      mirrored ? "mirrored," : "", angle, pad.name)
                            << size << mirrored << angle << pad.source << pad.scratch << pad.destination;
                }
            }
        }
    }

    void framesTurnUprightWithAnyStride()
    {
        QFETCH(QSize, size);
        QFETCH(bool, mirrored);
        QFETCH(int, angle);
        QFETCH(int, sourcePad);
        QFETCH(int, scratchPad);
        QFETCH(int, destinationPad);
        const int w = size.width();
        const int h = size.height();
        QImage plain(size, QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                plain.setPixel(x, y, 0xFF000000u | std::uint32_t(y) << 8 | std::uint32_t(x));
        const QImage expected = plain.mirrored(mirrored, false).transformed(QTransform().rotate(angle));

        const auto bytesFor = [](std::ptrdiff_t stride, int rowBytes, int rows) {
            return std::size_t(stride * (rows - 1) + rowBytes);
        };
        const std::ptrdiff_t sourceStride = std::ptrdiff_t(w) * 4 + sourcePad;
        GuardedBytes source(bytesFor(sourceStride, w * 4, h), Guard::After);
        for (int y = 0; y < h; ++y)
            std::memcpy(source.data() + sourceStride * y, plain.constScanLine(y), std::size_t(w) * 4);
        const std::ptrdiff_t scratchStride = std::ptrdiff_t(w) * 4 + scratchPad;
        GuardedBytes scratch(bytesFor(scratchStride, w * 4, h), Guard::After);
        const int turnedWidth = expected.width();
        const std::ptrdiff_t destinationStride = std::ptrdiff_t(turnedWidth) * 4 + destinationPad;
        GuardedBytes destination(bytesFor(destinationStride, turnedWidth * 4, expected.height()), Guard::After);
        std::memset(destination.data(), 0xCD, destination.size());

        QVERIFY(orientFrame(source.data(), sourceStride, w, h, mirrored, FrameRotation(angle), scratch.data(),
                            scratchStride, destination.data(), destinationStride));
        for (int y = 0; y < expected.height(); ++y) {
            for (int x = 0; x < turnedWidth; ++x) {
                std::uint32_t word;
                std::memcpy(&word, destination.data() + destinationStride * y + std::ptrdiff_t(x) * 4, 4);
                QVERIFY2(word == expected.pixel(x, y), qPrintable(QStringLiteral("at %1,%2: %3 instead of %4")
                                                                      .arg(x)
                                                                      .arg(y)
                                                                      .arg(word, 8, 16)
                                                                      .arg(expected.pixel(x, y), 8, 16)));
            }
            // The padding between rows is left alone.
            if (y + 1 < expected.height()) {
                for (int b = turnedWidth * 4; b < destinationStride; ++b)
                    QCOMPARE(destination.data()[destinationStride * y + b], std::uint8_t(0xCD));
            }
        }
    }

    void turningRefusesWhatDoesNotFit()
    {
        QImage source(4, 2, QImage::Format_ARGB32_Premultiplied);
        QImage narrow(1, 4, QImage::Format_ARGB32_Premultiplied); // a quarter turn needs 2 wide
        QImage wide(2, 4, QImage::Format_ARGB32_Premultiplied);
        QVERIFY(!orientFrame(source.constBits(), source.bytesPerLine(), 4, 2, false, FrameRotation::Clockwise90,
                             nullptr, 0, narrow.bits(), narrow.bytesPerLine()));
        QVERIFY(!orientFrame(source.constBits(), source.bytesPerLine(), 4, 2, true, FrameRotation::Clockwise90, nullptr,
                             0, wide.bits(), wide.bytesPerLine())); // no scratch
        QVERIFY(!orientFrame(source.constBits(), 8, 4, 2, false, FrameRotation::None, nullptr, 0, wide.bits(),
                             wide.bytesPerLine())); // a source stride shorter than a row
        QVERIFY(orientFrame(source.constBits(), source.bytesPerLine(), 4, 2, false, FrameRotation::Clockwise90, nullptr,
                            0, wide.bits(), wide.bytesPerLine()));
    }
};

// Qt's macro passes an empty variadic argument, which clang's -Wpedantic flags.
#ifdef __clang__
#pragma clang diagnostic ignored "-Wgnu-zero-variadic-macro-arguments"
#endif
QTEST_APPLESS_MAIN(TestFrameConversion)
#include "test_frame_conversion.moc"
