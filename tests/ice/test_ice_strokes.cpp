// The ice generator's strokes do not depend on the compiler: the desktop
// (GCC) and the browser's module (clang) must draw the same feathers and
// glitter from the same seed. Runs natively and as WebAssembly under node.

#include "assets/ice/ice_generator.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <ostream>
#include <vector>

namespace {

// What a layer was asked to draw: how many shapes of each kind, and the sum
// of every number that placed them (the C libraries' sine and cosine may
// differ in the last bit, so the sums are compared to a billionth).
struct Strokes
{
    std::array<int, 4> counts{}; // lines, ellipses, glows, polygon shapes
    double sum = 0.0;
};

class CountingCanvas final : public art::IceCanvas
{
public:
    CountingCanvas(Strokes &strokes, int width, int height)
        : m_strokes(strokes)
        , m_width(width)
        , m_height(height)
    { }

    void line(art::IcePoint from, art::IcePoint to, double width, art::IceColor color) override
    {
        add(0, from.x + from.y + to.x + to.y + width + color.alpha);
    }
    void ellipse(art::IcePoint centre, double radiusX, double radiusY, art::IceColor color) override
    {
        add(1, centre.x + centre.y + radiusX + radiusY + color.alpha);
    }
    void glow(art::IcePoint centre, double radius, const std::vector<art::GradientStop> &stops) override
    {
        double sum = centre.x + centre.y + radius;
        for (const art::GradientStop &s : stops)
            sum += s.at + s.color.red + s.color.green + s.color.blue + s.color.alpha;
        add(2, sum);
    }
    void polygons(const std::vector<art::IcePolygon> &shape, art::IceColor color) override
    {
        double sum = color.alpha;
        for (const art::IcePolygon &polygon : shape)
            for (const art::IcePoint &p : polygon)
                sum += p.x + p.y;
        add(3, sum);
    }
    void save() override { }
    void restore() override { }
    void translate(double dx, double dy) override { m_strokes.sum += dx + dy; }
    void rotate(double degrees) override { m_strokes.sum += degrees; }
    std::vector<std::uint8_t> pixels() override
    {
        return std::vector<std::uint8_t>(std::size_t(m_width) * std::size_t(m_height) * 4, 0);
    }

private:
    void add(int kind, double sum)
    {
        ++m_strokes.counts[std::size_t(kind)];
        m_strokes.sum += sum;
    }

    Strokes &m_strokes;
    int m_width;
    int m_height;
};

struct Case
{
    const char *name;
    int width;
    int height;
    std::uint32_t seed;
    // As the desktop's generator draws them, the one that made the
    // committed overlays (tests/assets/test_ice_overlay.cpp).
    Strokes expected;
};

void PrintTo(const Case &c, std::ostream *os)
{
    *os << c.name;
}

class IceStrokes : public testing::TestWithParam<Case>
{ };

TEST_P(IceStrokes, areTheDesktopsOnEveryCompiler)
{
    const Case &c = GetParam();
    Strokes drawn;
    std::vector<std::uint8_t> photo(std::size_t(c.width) * std::size_t(c.height) * 4, 128);
    std::vector<std::uint8_t> ice(photo.size());
    ASSERT_TRUE(art::makeIcePixels(
        photo.data(), c.width, c.height, std::size_t(c.width) * 4, c.seed,
        [&drawn](int width, int height) { return std::make_unique<CountingCanvas>(drawn, width, height); },
        ice.data()));
    EXPECT_EQ(drawn.counts, c.expected.counts);
    EXPECT_NEAR(drawn.sum, c.expected.sum, 1e-9 * std::abs(c.expected.sum));
}

INSTANTIATE_TEST_SUITE_P(
    Ice, IceStrokes,
    testing::Values(Case{"picture_1_at_640x480", 640, 480, 1001, {{52148, 947, 41, 205}, 70007293.873558685}},
                    Case{"a_photo_seed_at_640x480", 640, 480, 1042, {{62501, 959, 34, 170}, 84118434.724912941}},
                    Case{"a_small_wide_pane", 320, 120, 7, {{20927, 116, 5, 25}, 13522045.295001317}}),
    [](const testing::TestParamInfo<Case> &param) { return std::string(param.param.name); });

} // namespace
