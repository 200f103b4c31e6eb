#include "camera/frame_conversion.h"

#include <QtTest>

#include <vector>

Q_DECLARE_METATYPE(FramePixelFormat)

namespace {

// A frame built plane by plane into buffers of exactly the needed size, so
// that any read past them is caught by AddressSanitizer.
struct Frame
{
    std::vector<std::vector<std::uint8_t>> planes;
    FramePlanes view() const
    {
        FramePlanes p;
        for (std::size_t i = 0; i < planes.size(); ++i) {
            p.data[i] = planes[i].data();
            p.stride[i] = strides[i];
            p.size[i] = std::ptrdiff_t(planes[i].size());
        }
        return p;
    }
    std::vector<std::ptrdiff_t> strides;
};

// Builds a frame whose luma at (x, y) is lumaAt(x, y) and whose chroma is
// (u, v) everywhere. Rows get `pad` spare bytes, except the very last row.
Frame yuvFrame(FramePixelFormat format, int w, int h, int pad,
               const std::function<int(int, int)> &lumaAt, int u, int v)
{
    Frame f;
    const int cw = (w + 1) / 2, ch = (h + 1) / 2;
    const auto plane = [&](std::ptrdiff_t rowBytes, int rows) {
        f.strides.push_back(rowBytes + pad);
        f.planes.emplace_back(std::size_t((rowBytes + pad) * (rows - 1) + rowBytes), 0xEE);
        return f.planes.size() - 1;
    };
    switch (format) {
    case FramePixelFormat::YUYV:
    case FramePixelFormat::UYVY: {
        const auto i = plane(cw * 4, h);
        const bool yFirst = format == FramePixelFormat::YUYV;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < cw * 2; x += 2) {
                std::uint8_t *q = f.planes[i].data() + f.strides[i] * y + x * 2;
                const int y0 = lumaAt(x, y), y1 = x + 1 < w ? lumaAt(x + 1, y) : 0;
                q[yFirst ? 0 : 1] = std::uint8_t(y0);
                q[yFirst ? 1 : 0] = std::uint8_t(u);
                q[yFirst ? 2 : 3] = std::uint8_t(y1);
                q[yFirst ? 3 : 2] = std::uint8_t(v);
            }
        break;
    }
    default: {
        const auto luma = plane(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                f.planes[luma][std::size_t(f.strides[luma] * y + x)] = std::uint8_t(lumaAt(x, y));
        if (format == FramePixelFormat::NV12 || format == FramePixelFormat::NV21) {
            const auto uv = plane(cw * 2, ch);
            const bool nv12 = format == FramePixelFormat::NV12;
            for (int y = 0; y < ch; ++y)
                for (int x = 0; x < cw; ++x) {
                    f.planes[uv][std::size_t(f.strides[uv] * y + 2 * x)] = std::uint8_t(nv12 ? u : v);
                    f.planes[uv][std::size_t(f.strides[uv] * y + 2 * x + 1)] = std::uint8_t(nv12 ? v : u);
                }
        } else {
            const auto first = plane(cw, ch), second = plane(cw, ch);
            const bool i420 = format == FramePixelFormat::I420;
            for (int y = 0; y < ch; ++y)
                for (int x = 0; x < cw; ++x) {
                    f.planes[first][std::size_t(f.strides[first] * y + x)] = std::uint8_t(i420 ? u : v);
                    f.planes[second][std::size_t(f.strides[second] * y + x)] = std::uint8_t(i420 ? v : u);
                }
        }
    }
    }
    return f;
}

std::vector<std::uint32_t> convert(FramePixelFormat format, const Frame &frame, int w, int h,
                                   YuvColors colors = {}, bool *ok = nullptr)
{
    std::vector<std::uint32_t> out(std::size_t(w) * std::size_t(h), 0x12345678u);
    const bool converted = convertFrame(format, frame.view(), w, h, colors,
                                        reinterpret_cast<std::uint8_t *>(out.data()), w * 4);
    if (ok)
        *ok = converted;
    return out;
}

bool near(std::uint32_t word, QRgb expected, int tolerance = 2)
{
    return qAlpha(word) == 255 && std::abs(qRed(word) - qRed(expected)) <= tolerance
           && std::abs(qGreen(word) - qGreen(expected)) <= tolerance
           && std::abs(qBlue(word) - qBlue(expected)) <= tolerance;
}

const QList<FramePixelFormat> kYuvFormats = {FramePixelFormat::YUYV, FramePixelFormat::UYVY,
                                             FramePixelFormat::NV12, FramePixelFormat::NV21,
                                             FramePixelFormat::I420, FramePixelFormat::YV12};

} // namespace

class TestFrameConversion : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void yuvColors_data()
    {
        QTest::addColumn<FramePixelFormat>("format");
        QTest::addColumn<int>("luma");
        QTest::addColumn<int>("u");
        QTest::addColumn<int>("v");
        QTest::addColumn<bool>("fullRange");
        QTest::addColumn<QRgb>("expected");
        const char *names[] = {"", "YUYV", "UYVY", "NV12", "NV21", "I420", "YV12"};
        for (FramePixelFormat f : kYuvFormats) {
            const char *n = names[int(f)];
            QTest::addRow("%s black", n) << f << 16 << 128 << 128 << false << qRgb(0, 0, 0);
            QTest::addRow("%s white", n) << f << 235 << 128 << 128 << false << qRgb(255, 255, 255);
            QTest::addRow("%s red", n) << f << 81 << 90 << 240 << false << qRgb(255, 0, 0);
            QTest::addRow("%s blue", n) << f << 41 << 240 << 110 << false << qRgb(0, 0, 255);
            QTest::addRow("%s full-range grey", n) << f << 128 << 128 << 128 << true << qRgb(128, 128, 128);
        }
    }

    void yuvColors()
    {
        QFETCH(FramePixelFormat, format);
        QFETCH(int, luma);
        QFETCH(int, u);
        QFETCH(int, v);
        QFETCH(bool, fullRange);
        QFETCH(QRgb, expected);
        const Frame frame = yuvFrame(format, 4, 2, 3, [&](int, int) { return luma; }, u, v);
        bool ok = false;
        const auto out = convert(format, frame, 4, 2, {YuvMatrix::Bt601, fullRange}, &ok);
        QVERIFY(ok);
        for (std::uint32_t word : out)
            QVERIFY2(near(word, expected), qPrintable(QString::number(word, 16)));
    }

    void pixelsLandInPlaceAtOddSizes_data()
    {
        QTest::addColumn<FramePixelFormat>("format");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        for (FramePixelFormat f : kYuvFormats) {
            QTest::addRow("format %d 5x3", int(f)) << f << 5 << 3;
            QTest::addRow("format %d 1x1", int(f)) << f << 1 << 1;
            QTest::addRow("format %d 6x4", int(f)) << f << 6 << 4;
        }
    }

    void pixelsLandInPlaceAtOddSizes()
    {
        QFETCH(FramePixelFormat, format);
        QFETCH(int, width);
        QFETCH(int, height);
        // A grey ramp: each pixel its own brightness.
        const auto lumaAt = [](int x, int y) { return 16 + 15 * x + 40 * y; }; // at most 211
        const Frame frame = yuvFrame(format, width, height, 0, lumaAt, 128, 128);
        bool ok = false;
        const auto out = convert(format, frame, width, height, {}, &ok);
        QVERIFY(ok);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const int grey = std::clamp((298 * (lumaAt(x, y) - 16) + 128) >> 8, 0, 255);
                QVERIFY(near(out[std::size_t(y * width + x)], qRgb(grey, grey, grey), 0));
            }
    }

    void bt709DiffersFromBt601()
    {
        const Frame frame = yuvFrame(FramePixelFormat::I420, 2, 2, 0, [](int, int) { return 81; }, 90, 240);
        const auto bt601 = convert(FramePixelFormat::I420, frame, 2, 2, {YuvMatrix::Bt601, false});
        const auto bt709 = convert(FramePixelFormat::I420, frame, 2, 2, {YuvMatrix::Bt709, false});
        QVERIFY(bt601[0] != bt709[0]);
    }

    void packedRgbByteOrders_data()
    {
        QTest::addColumn<FramePixelFormat>("format");
        QTest::addColumn<QByteArray>("bytes"); // one pixel: red 0x11, green 0x22, blue 0x33
        QTest::newRow("BGRA") << FramePixelFormat::BGRA << QByteArray("\x33\x22\x11\x00", 4);
        QTest::newRow("RGBA") << FramePixelFormat::RGBA << QByteArray("\x11\x22\x33\x7f", 4);
        QTest::newRow("ARGB") << FramePixelFormat::ARGB << QByteArray("\x00\x11\x22\x33", 4);
        QTest::newRow("ABGR") << FramePixelFormat::ABGR << QByteArray("\x80\x33\x22\x11", 4);
    }

    void packedRgbByteOrders()
    {
        QFETCH(FramePixelFormat, format);
        QFETCH(QByteArray, bytes);
        Frame frame;
        frame.planes.emplace_back(bytes.begin(), bytes.end());
        frame.strides.push_back(4);
        bool ok = false;
        const auto out = convert(format, frame, 1, 1, {}, &ok);
        QVERIFY(ok);
        QCOMPARE(out[0], 0xFF112233u); // always opaque
    }

    void incompleteFramesAreRefused_data()
    {
        QTest::addColumn<int>("plane");
        QTest::addColumn<int>("what"); // 0 short buffer, 1 short stride, 2 null
        QTest::newRow("luma one byte short") << 0 << 0;
        QTest::newRow("chroma one byte short") << 1 << 0;
        QTest::newRow("last chroma plane short") << 2 << 0;
        QTest::newRow("luma stride below width") << 0 << 1;
        QTest::newRow("missing chroma plane") << 1 << 2;
    }

    void incompleteFramesAreRefused()
    {
        QFETCH(int, plane);
        QFETCH(int, what);
        const Frame frame = yuvFrame(FramePixelFormat::I420, 6, 4, 0, [](int, int) { return 100; }, 128, 128);
        FramePlanes view = frame.view();
        if (what == 0)
            view.size[plane] -= 1;
        else if (what == 1)
            view.stride[plane] -= 1;
        else
            view.data[plane] = nullptr;
        std::vector<std::uint32_t> out(24, 0x12345678u);
        QVERIFY(!convertFrame(FramePixelFormat::I420, view, 6, 4, {},
                              reinterpret_cast<std::uint8_t *>(out.data()), 24));
        QVERIFY(std::all_of(out.begin(), out.end(), [](std::uint32_t w) { return w == 0x12345678u; }));
    }

    void refusesUnsupportedEmptyAndNarrowTargets()
    {
        const Frame frame = yuvFrame(FramePixelFormat::YUYV, 2, 2, 0, [](int, int) { return 50; }, 128, 128);
        std::vector<std::uint32_t> out(4);
        auto *dst = reinterpret_cast<std::uint8_t *>(out.data());
        QVERIFY(!convertFrame(FramePixelFormat::Unsupported, frame.view(), 2, 2, {}, dst, 8));
        QVERIFY(!convertFrame(FramePixelFormat::YUYV, frame.view(), 0, 2, {}, dst, 8));
        QVERIFY(!convertFrame(FramePixelFormat::YUYV, frame.view(), 2, -1, {}, dst, 8));
        QVERIFY(!convertFrame(FramePixelFormat::YUYV, frame.view(), 2, 2, {}, dst, 4));
        QVERIFY(!convertFrame(FramePixelFormat::YUYV, frame.view(), 2, 2, {}, nullptr, 8));
        QVERIFY(!convertFrame(FramePixelFormat::YUYV, frame.view(), 4, 2, {}, dst, 16)); // claims more than it holds
        QVERIFY(convertFrame(FramePixelFormat::YUYV, frame.view(), 2, 2, {}, dst, 8));
    }
};

QTEST_APPLESS_MAIN(TestFrameConversion)
#include "test_frame_conversion.moc"
