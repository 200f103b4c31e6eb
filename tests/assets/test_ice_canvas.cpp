#include "assets/ice/ice_generator.h"
#include "assets/ice/qt_ice_canvas.h"

#include <QtTest>

#include <array>
#include <functional>
#include <memory>

using namespace art;

namespace {

constexpr int kSize = 100;

// What one drawing must leave at a few pixels: premultiplied RGBA, each
// channel within `tolerance` (antialiasing of edges near the probes).
struct Probe
{
    int x;
    int y;
    std::array<int, 4> rgba;
};

struct Case
{
    const char *name;
    std::function<void(IceCanvas &)> draw;
    std::vector<Probe> probes;
    int tolerance = 3;
};

constexpr IceColor kOpaqueRed{255, 0, 0, 255};
constexpr std::array<int, 4> kRed{255, 0, 0, 255};
constexpr std::array<int, 4> kEmpty{0, 0, 0, 0};

const std::vector<Case> &cases()
{
    static const std::vector<Case> table = {
        {"half-transparent colour comes back premultiplied, in RGBA order",
         [](IceCanvas &c) {
             c.ellipse({50, 50}, 30, 30, IceColor{200, 100, 50, 128});
         },
         {{50, 50, {100, 50, 25, 128}}, {5, 5, kEmpty}}},
        {"an ellipse is as wide and high as its two radii",
         [](IceCanvas &c) {
             c.ellipse({50, 50}, 40, 10, kOpaqueRed);
         },
         {{15, 50, kRed}, {85, 50, kRed}, {50, 45, kRed}, {50, 35, kEmpty}, {5, 50, kEmpty}}},
        {"overlapping polygons of one shape leave their overlap empty",
         [](IceCanvas &c) {
             c.polygons({{{10, 10}, {60, 10}, {60, 60}, {10, 60}}, {{40, 40}, {90, 40}, {90, 90}, {40, 90}}},
                        kOpaqueRed);
         },
         {{20, 20, kRed}, {80, 80, kRed}, {50, 50, kEmpty}, {80, 20, kEmpty}}},
        {"a line has round ends half its width beyond its end points",
         [](IceCanvas &c) {
             c.line({20, 50}, {80, 50}, 20, kOpaqueRed);
         },
         {{50, 50, kRed},
          {50, 42, kRed},
          {14, 50, kRed},
          {86, 50, kRed},
          {50, 35, kEmpty},
          {7, 50, kEmpty},
          {13, 41, kEmpty}}},
        {"a glow has its first stop's colour in the middle and fades out at its rim",
         [](IceCanvas &c) {
             c.glow({50, 50}, 40, {{0.0, {0, 0, 255, 200}}, {1.0, {0, 0, 255, 0}}});
         },
         {{50, 50, {0, 0, 200, 200}}, {50, 89, {0, 0, 5, 5}}, {50, 95, kEmpty}},
         6},
        {"translate and rotate apply to what is drawn after them, the last one first",
         [](IceCanvas &c) {
             c.translate(50, 20);
             c.rotate(90);
             c.ellipse({30, 0}, 5, 5, kOpaqueRed); // turned to (0, 30), then moved to (50, 50)
         },
         {{50, 50, kRed}, {80, 20, kEmpty}, {20, 20, kEmpty}}},
        {"restore brings back the transform that save kept",
         [](IceCanvas &c) {
             c.translate(10, 10);
             c.save();
             c.rotate(180);
             c.translate(40, 0);
             c.restore();
             c.ellipse({20, 20}, 5, 5, kOpaqueRed);
         },
         {{30, 30, kRed}, {20, 20, kEmpty}}},
        {"after pixels() drawing goes on without a transform",
         [](IceCanvas &c) {
             c.translate(40, 40);
             c.pixels();
             c.ellipse({20, 20}, 5, 5, kOpaqueRed);
         },
         {{20, 20, kRed}, {60, 60, kEmpty}}},
    };
    return table;
}

} // namespace

// The QPainter canvas keeps the contract the ice generator draws by (the
// page's Canvas 2D canvas keeps it too; the browser tests compare the ice
// the two make).
class TestIceCanvas : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void drawsAsTheGeneratorExpects_data()
    {
        QTest::addColumn<int>("index");
        for (std::size_t i = 0; i < cases().size(); ++i)
            QTest::newRow(cases()[i].name) << int(i);
    }

    void drawsAsTheGeneratorExpects()
    {
        QFETCH(int, index);
        const Case &c = cases()[std::size_t(index)];
        const std::unique_ptr<IceCanvas> canvas = QtIceCanvas::maker()(kSize, kSize);
        c.draw(*canvas);
        const std::vector<std::uint8_t> bytes = canvas->pixels();
        QCOMPARE(bytes.size(), std::size_t(kSize * kSize * 4));
        for (const Probe &p : c.probes) {
            const std::uint8_t *px = bytes.data() + (std::size_t(p.y) * kSize + std::size_t(p.x)) * 4;
            for (int k = 0; k < 4; ++k) {
                if (std::abs(int(px[k]) - p.rgba[std::size_t(k)]) > c.tolerance)
                    QFAIL(qPrintable(QStringLiteral("at (%1, %2): %3 %4 %5 %6, expected %7 %8 %9 %10")
                                         .arg(p.x)
                                         .arg(p.y)
                                         .arg(px[0])
                                         .arg(px[1])
                                         .arg(px[2])
                                         .arg(px[3])
                                         .arg(p.rgba[0])
                                         .arg(p.rgba[1])
                                         .arg(p.rgba[2])
                                         .arg(p.rgba[3])));
            }
        }
    }

    // A canvas that hands back fewer bytes than its size must not make the
    // generator read past them: the missing part counts as empty.
    void aShortLayerCountsAsEmpty()
    {
        class ShortCanvas final : public IceCanvas
        {
        public:
            void line(IcePoint, IcePoint, double, IceColor) override { }
            void ellipse(IcePoint, double, double, IceColor) override { }
            void glow(IcePoint, double, const std::vector<GradientStop> &) override { }
            void polygons(const std::vector<IcePolygon> &, IceColor) override { }
            void save() override { }
            void restore() override { }
            void translate(double, double) override { }
            void rotate(double) override { }
            std::vector<std::uint8_t> pixels() override { return std::vector<std::uint8_t>(10, 255); }
        };
        const int w = 64;
        const int h = 48;
        std::vector<std::uint8_t> photo(std::size_t(w * h * 4), 90);
        std::vector<std::uint8_t> ice(photo.size(), 0);
        QVERIFY(makeIcePixels(
            photo.data(), w, h, std::size_t(w * 4), 1001, [](int, int) { return std::make_unique<ShortCanvas>(); },
            ice.data()));
        for (std::size_t i = 3; i < ice.size(); i += 4)
            QCOMPARE(int(ice[i]), 255);
    }
};

QTEST_GUILESS_MAIN(TestIceCanvas)
#include "test_ice_canvas.moc"
