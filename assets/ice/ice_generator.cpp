#include "assets/ice/ice_generator.h"

#include "assets/ice/ice_math.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace art {

namespace {

constexpr double kPi = 3.14159265358979323846;

// How far a point is from the centre towards the border, measured with a
// rounded-rectangle metric: 0 in the middle, 1 on the middle of each side,
// about 1.19 in the corners.
float edgeDistance(float x, int w)
{
    return std::fabs((x + 0.5f) / float(w) * 2.0f - 1.0f);
}

float edgeMetric(float x, float y, int w, int h)
{
    const float u = edgeDistance(x, w);
    const float v = edgeDistance(y, h);
    return std::pow(std::pow(u, 4.0f) + std::pow(v, 4.0f), 0.25f);
}

// edgeMetric() of every pixel, computed once per distinct pair of inputs:
// its fourth powers depend on x or on y alone, and the two halves of each
// axis mostly share their values, so about a quarter of the pixels need
// their own pow().
class EdgeMetricTable
{
public:
    EdgeMetricTable(int w, int h)
    {
        std::vector<float> u4;
        std::vector<float> v4;
        m_columnIndex = distinctFourthPowers(w, u4);
        m_rowIndex = distinctFourthPowers(h, v4);
        m_columns = int(u4.size());
        m_values.resize(u4.size() * v4.size());
        for (std::size_t j = 0; j < v4.size(); ++j)
            for (std::size_t i = 0; i < u4.size(); ++i)
                m_values[j * u4.size() + i] = std::pow(u4[i] + v4[j], 0.25f);
    }

    float at(int x, int y) const
    {
        return m_values[std::size_t(m_rowIndex[std::size_t(y)]) * std::size_t(m_columns)
                        + std::size_t(m_columnIndex[std::size_t(x)])];
    }

private:
    // The fourth power of edgeDistance() along an axis of `n` pixels: the
    // distinct values into `values`, and for each pixel the index of its own.
    static std::vector<int> distinctFourthPowers(int n, std::vector<float> &values)
    {
        std::vector<int> index(static_cast<std::size_t>(std::max(n, 0)));
        for (int k = 0; k < n; ++k) {
            const float p = std::pow(edgeDistance(float(k), n), 4.0f);
            const auto found = std::find(values.begin(), values.end(), p);
            index[std::size_t(k)] = int(found - values.begin());
            if (found == values.end())
                values.push_back(p);
        }
        return index;
    }

    int m_columns = 0;
    std::vector<int> m_columnIndex;
    std::vector<int> m_rowIndex;
    std::vector<float> m_values;
};

IcePoint operator+(IcePoint a, IcePoint b)
{
    return {a.x + b.x, a.y + b.y};
}

IcePoint operator-(IcePoint a, IcePoint b)
{
    return {a.x - b.x, a.y - b.y};
}

IcePoint operator*(IcePoint a, double f)
{
    return {a.x * f, a.y * f};
}

const IceColor kWhite{255, 255, 255, 255};

IceColor white(int alpha)
{
    return {255, 255, 255, alpha};
}

struct FeatherContext
{
    IceCanvas *canvas;
    Rng *rng;
    int w;
    int h;
};

// Draws one fern-like frost feather: a slightly curved stem with side
// branches on both sides, each of which may carry its own smaller branches.
// Branches are longest near the base, which gives the feather its shape.
// The stem stops early when it reaches the clear middle of the pane.
void growFeather(FeatherContext &ctx, IcePoint p, double angle, double length, double width, int depth,
                 float stopMetric)
{
    Rng &rng = *ctx.rng;
    IceCanvas &canvas = *ctx.canvas;

    const double step = 2.0;
    const double curvature = rng.uniform(-0.0045, 0.0045) * (depth >= 2 ? 1.0 : 1.6);
    const double wobbleSeed = rng.uniform(0.0, 100.0);
    const double branchAngle = rng.uniform(0.85, 1.08);
    double spacing = std::max(3.0, length * rng.uniform(0.055, 0.085));
    double nextBranch = std::max(spacing * 0.6, 4.0);
    bool leftFirst = rng.chance(0.5);

    double travelled = 0.0;
    while (travelled < length) {
        const double t = travelled / length;
        const double a = angle + std::sin(wobbleSeed + travelled * 0.05) * 0.05;
        const IcePoint q = p + IcePoint{std::cos(a), std::sin(a)} * step;

        // Fade the stem towards its tip.
        const double wNow = width * (1.0 - 0.65 * t);
        canvas.line(p, q, wNow, white(int(255 * (0.95 - 0.35 * t))));

        if (q.x > 0 && q.y > 0 && q.x < ctx.w && q.y < ctx.h
            && edgeMetric(float(q.x), float(q.y), ctx.w, ctx.h) < stopMetric && depth >= 2)
            break;

        if (travelled >= nextBranch && depth > 0) {
            const double remaining = 1.0 - t;
            // Longest near the base, with an irregular rhythm so the
            // feathers do not look like little fir trees.
            const double rhythm = 0.75 + 0.5 * std::sin(travelled * 0.11 + wobbleSeed);
            const double baseLen = length * (depth >= 2 ? 0.38 : 0.45) * std::pow(remaining, 0.8) * rhythm;
            for (int side = 0; side < 2; ++side) {
                const double sign = ((side == 0) == leftFirst) ? 1.0 : -1.0;
                if (rng.chance(0.12))
                    continue;
                const double bl = baseLen * rng.uniform(0.65, 1.1);
                if (bl < 2.5)
                    continue;
                const double ba = a + sign * branchAngle * rng.uniform(0.9, 1.1);
                growFeather(ctx, q, ba, bl, std::max(0.5, width * 0.58), depth - 1, stopMetric);
            }
            leftFirst = !leftFirst;
            spacing *= rng.uniform(0.93, 1.0);
            nextBranch = travelled + std::max(3.0, spacing * rng.uniform(0.7, 1.3));
        }

        angle += curvature * step;
        p = q;
        travelled += step;
    }
}

void drawFeathers(IceCanvas &canvas, int w, int h, Rng &rng)
{
    FeatherContext ctx{&canvas, &rng, w, h};

    // Walk along each side and start a feather every few dozen pixels,
    // pointing roughly inward.
    struct Side
    {
        IcePoint from;
        IcePoint to;
        double inward;
    };
    const Side sides[4] = {
        {{0, 0}, {double(w), 0}, kPi / 2},                  // top, grows down
        {{double(w), 0}, {double(w), double(h)}, kPi},      // right, grows left
        {{double(w), double(h)}, {0, double(h)}, -kPi / 2}, // bottom, grows up
        {{0, double(h)}, {0, 0}, 0.0},                      // left, grows right
    };
    for (const Side &s : sides) {
        const IcePoint d = s.to - s.from;
        const double len = std::hypot(d.x, d.y);
        double pos = rng.uniform(10.0, 40.0);
        while (pos < len - 10.0) {
            const IcePoint start = s.from + d * (pos / len);
            const double angle = s.inward + rng.uniform(-0.65, 0.65);
            const double length = rng.uniform(70.0, 190.0);
            const float stop = float(rng.uniform(0.48, 0.64));
            growFeather(ctx, start, angle, length, rng.uniform(1.3, 2.0), 2, stop);
            pos += rng.uniform(26.0, 58.0);
        }
    }

    // Corners collect the most frost: a few long feathers fanning inwards.
    const IcePoint corners[4] = {{0, 0}, {double(w), 0}, {double(w), double(h)}, {0, double(h)}};
    for (const IcePoint &c : corners) {
        const double towardsCentre = std::atan2(h / 2.0 - c.y, w / 2.0 - c.x);
        const int count = 3;
        for (int i = 0; i < count; ++i) {
            const double spread = (i - (count - 1) / 2.0) * 0.42 + rng.uniform(-0.12, 0.12);
            const double length = rng.uniform(150.0, 230.0) * (i == 1 ? 1.0 : 0.8);
            // One draw per statement: the order of a call's arguments is
            // the compiler's choice. Last first, as the committed overlays
            // were made.
            const float stop = float(rng.uniform(0.55, 0.68));
            const double width = rng.uniform(1.8, 2.4);
            growFeather(ctx, c, towardsCentre + spread, length, width, 2, stop);
        }
    }

    // More feathers sprouting inside the frosty border band, so the frost
    // looks grown rather than lined up along the frame.
    const int inner = (w + h) / 22;
    for (int i = 0; i < inner; ++i) {
        const double x = rng.uniform(0.0, w);
        const double y = rng.uniform(0.0, h);
        if (edgeMetric(float(x), float(y), w, h) < 0.80f)
            continue;
        const double towardsCentre = std::atan2(h / 2.0 - y, w / 2.0 - x);
        const float stop = float(rng.uniform(0.50, 0.64));
        const double width = rng.uniform(1.0, 1.5);
        const double length = rng.uniform(45.0, 110.0);
        const double turn = rng.uniform(-0.9, 0.9);
        growFeather(ctx, IcePoint{x, y}, towardsCentre + turn, length, width, 2, stop);
    }
}

// Small glittering ice crystals: many fine dots and a few star-shaped glints.
// Denser where the frost is thick, but present everywhere.
void drawSparkles(IceCanvas &canvas, int w, int h, Rng &rng, const Plane &coverage)
{
    const int dots = w * h / 220;
    for (int i = 0; i < dots; ++i) {
        const double x = rng.uniform(0.0, w);
        const double y = rng.uniform(0.0, h);
        const double r = rng.uniform(0.45, 1.15);
        const double alpha = rng.uniform(0.35, 1.0);
        const float c = coverage.sample(float(x), float(y));
        if (!rng.chance(0.25 + 0.75 * c))
            continue;
        canvas.ellipse({x, y}, r, r, white(int(255 * alpha)));
    }

    const int glints = w * h / 5500;
    for (int i = 0; i < glints; ++i) {
        const double x = rng.uniform(8.0, w - 8.0);
        const double y = rng.uniform(8.0, h - 8.0);
        const double size = rng.uniform(3.5, 9.0);
        const double tilt = rng.uniform(-0.3, 0.3);
        const float c = coverage.sample(float(x), float(y));
        if (!rng.chance(0.3 + 0.7 * c))
            continue;

        // A hint of colour, like light split by an ice crystal.
        static const IceColor tints[] = {
            {255, 255, 255}, {200, 240, 255}, {255, 225, 245}, {255, 248, 205}, {215, 255, 235}};
        const IceColor tint = tints[rng.next() % 5];
        const auto tinted = [&tint](int alpha) { return IceColor{tint.red, tint.green, tint.blue, alpha}; };
        canvas.glow({x, y}, size * 1.1, {{0.0, tinted(170)}, {0.4, tinted(60)}, {1.0, tinted(0)}});

        canvas.save();
        canvas.translate(x, y);
        canvas.rotate(tilt * 180.0 / kPi);
        for (int arm = 0; arm < 4; ++arm) {
            const double len = (arm % 2 == 0) ? size : size * 0.75;
            const double along = arm < 2 ? 0.0 : 90.0;
            canvas.save();
            canvas.rotate(along + (arm % 2) * 180.0);
            // A thin tapering ray in both directions from the centre.
            canvas.polygons({{{-len, 0}, {0, -0.8}, {len, 0}, {0, 0.8}}}, white(235));
            canvas.restore();
        }
        canvas.rotate(45.0);
        // Two thin diamonds across each other; even-odd leaves their small
        // common middle to the dot drawn over it.
        const double d = size * 0.4;
        canvas.polygons({{{-d, 0}, {0, -0.5}, {d, 0}, {0, 0.5}}, {{0, -d}, {0.5, 0}, {0, d}, {-0.5, 0}}}, white(180));
        canvas.ellipse({0, 0}, 1.3, 1.3, kWhite);
        canvas.restore();
    }
}

// The alpha of premultiplied RGBA bytes, w x h of them.
Plane alphaPlane(const std::vector<std::uint8_t> &layer, int w, int h)
{
    Plane p(w, h);
    for (int y = 0; y < h; ++y) {
        const std::uint8_t *line = layer.data() + std::size_t(y) * std::size_t(w) * 4;
        for (int x = 0; x < w; ++x)
            p.at(x, y) = float(line[4 * x + 3]) / 255.0f;
    }
    return p;
}

// A layer's bytes, checked: a canvas that hands back another size is a
// fault of the edition that made it, not of the photograph.
std::vector<std::uint8_t> layerPixels(IceCanvas &canvas, int w, int h)
{
    std::vector<std::uint8_t> bytes = canvas.pixels();
    bytes.resize(std::size_t(w) * std::size_t(h) * 4, 0);
    return bytes;
}

// Worley noise: distance to the second nearest minus the nearest feature
// point. Small values trace the borders between cells, which look like the
// boundaries between ice grains.
//
// Neighbouring pixels share their cell, so the nine feature points around it
// are kept until the cell changes. Only the two nearest points need their
// distance: the squared distances order the points as the distances do, and
// rounding keeps that order.
class CellBorders
{
public:
    explicit CellBorders(uint32_t seed)
        : m_seed(seed)
    { }

    float at(float x, float y)
    {
        const int cx = int(std::floor(x));
        const int cy = int(std::floor(y));
        if (!m_valid || cx != m_cx || cy != m_cy)
            placePoints(cx, cy);
        double q1 = 1e300;
        double q2 = 1e300;
        int n1 = -1;
        int n2 = -1;
        float dx[9];
        float dy[9];
        for (int n = 0; n < 9; ++n) {
            dx[n] = m_px[n] - x;
            dy[n] = m_py[n] - y;
            const double q = double(dx[n]) * double(dx[n]) + double(dy[n]) * double(dy[n]);
            if (q < q1) {
                q2 = q1;
                n2 = n1;
                q1 = q;
                n1 = n;
            } else if (q < q2) {
                q2 = q;
                n2 = n;
            }
        }
        return std::hypot(dx[n2], dy[n2]) - std::hypot(dx[n1], dy[n1]);
    }

private:
    void placePoints(int cx, int cy)
    {
        int n = 0;
        for (int j = -1; j <= 1; ++j)
            for (int i = -1; i <= 1; ++i, ++n) {
                m_px[n] = float(cx + i) + hash01(cx + i, cy + j, m_seed);
                m_py[n] = float(cy + j) + hash01(cx + i, cy + j, m_seed + 77u);
            }
        m_cx = cx;
        m_cy = cy;
        m_valid = true;
    }

    uint32_t m_seed;
    bool m_valid = false;
    int m_cx = 0;
    int m_cy = 0;
    float m_px[9] = {};
    float m_py[9] = {};
};

// Runs every job once, on as many threads as there are processors (at most
// four), the calling thread among them. Jobs must not depend on each other.
// Threads started here inherit the caller's scheduling, so a caller in the
// background keeps its helpers there too. The first exception a job throws
// is thrown again here once all threads are done.
void runJobs(const std::vector<std::function<void()>> &jobs)
{
    std::atomic<std::size_t> next{0};
    std::mutex failureLock;
    std::exception_ptr failure;
    const auto work = [&] {
        for (std::size_t j = next++; j < jobs.size(); j = next++) {
            try {
                jobs[j]();
            } catch (...) {
                const std::lock_guard<std::mutex> guard(failureLock);
                if (!failure)
                    failure = std::current_exception();
            }
        }
    };
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
    // A WebAssembly module without threads: the calling thread does it all.
    const std::size_t threads = 1;
#else
    const std::size_t threads = std::min<std::size_t>(jobs.size(),
                                                      std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
#endif
    std::vector<std::thread> helpers;
    for (std::size_t t = 1; t < threads; ++t) {
        try {
            helpers.emplace_back(work);
        } catch (const std::system_error &) {
            break; // fewer threads: the others take over its share
        }
    }
    work();
    for (std::thread &helper : helpers)
        helper.join();
    if (failure)
        std::rethrow_exception(failure);
}

// Jobs that each run `rows(first, end)` on one band of the h rows. Every
// pixel depends only on its own inputs, so bands give the same pixels as
// one pass over all rows.
std::vector<std::function<void()>> rowBands(int h, const std::function<void(int, int)> &rows)
{
    constexpr int kBands = 8;
    std::vector<std::function<void()>> jobs;
    for (int b = 0; b < kBands; ++b) {
        const int first = h * b / kBands;
        const int end = h * (b + 1) / kBands;
        if (first < end)
            jobs.emplace_back([rows, first, end] { rows(first, end); });
    }
    return jobs;
}

} // namespace

bool makeIcePixels(const std::uint8_t *photo, int width, int height, std::size_t stride, std::uint32_t seed,
                   const IceCanvasMaker &makeCanvas, std::uint8_t *ice)
{
    const int w = width;
    const int h = height;
    if (w < 2 || h < 2 || !photo || !ice)
        return false;
    Rng rng(0xF7057A9Eull ^ (uint64_t(seed) * 0x100000001B3ull));

    // The frost feathers (4. below) take the random numbers first and need
    // nothing else: they are drawn while the other threads work on 1. and 2.
    Plane feathers;
    Plane featherGlow;
    Plane featherHalo;
    Plane featherShade(w, h);
    const auto growFeathers = [&] {
        const std::unique_ptr<IceCanvas> featherLayer = makeCanvas(w, h);
        drawFeathers(*featherLayer, w, h, rng);
        feathers = alphaPlane(layerPixels(*featherLayer, w, h), w, h);
        featherGlow = feathers;
        gaussianBlur(featherGlow, 2.5f);
        featherHalo = feathers;
        gaussianBlur(featherHalo, 8.0f);
        // Feathers are raised a little: a faint blue shade on their lower right.
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                featherShade.at(x, y) = feathers.at(std::max(0, x - 1), std::max(0, y - 1));
        gaussianBlur(featherShade, 0.8f);
    };

    // 1. How thick the frost is at each point: thin in the middle, thick at
    //    the border, with a cloudy irregular boundary.
    // 2. The scene through bumpy glass: displace by smooth noise (stronger
    //    where the frost is thick), then blur, more towards the edges.
    const EdgeMetricTable edge(w, h);
    Plane coverage(w, h);
    Plane chan[3] = {Plane(w, h), Plane(w, h), Plane(w, h)};
    for (int y = 0; y < h; ++y) {
        const std::uint8_t *line = photo + std::size_t(y) * stride;
        for (int x = 0; x < w; ++x) {
            chan[0].at(x, y) = float(line[4 * x]) / 255.0f;
            chan[1].at(x, y) = float(line[4 * x + 1]) / 255.0f;
            chan[2].at(x, y) = float(line[4 * x + 2]) / 255.0f;
        }
    }
    Plane warped[3] = {Plane(w, h), Plane(w, h), Plane(w, h)};
    std::vector<std::function<void()>> jobs = rowBands(h, [&](int firstRow, int endRow) {
        Fbm<4> coverageClouds(seed + 1u);
        Fbm<3> coverageDetail(seed + 6u);
        Fbm<3> swellX(seed + 2u);
        Fbm<3> swellY(seed + 3u);
        NoiseCell bumpX;
        NoiseCell bumpY;
        for (int y = firstRow; y < endRow; ++y)
            for (int x = 0; x < w; ++x) {
                const float r = edge.at(x, y);
                const float n = 0.34f * (coverageClouds(x / 90.0f, y / 90.0f) - 0.5f)
                                + 0.12f * (coverageDetail(x / 28.0f, y / 28.0f) - 0.5f);
                const float c = smoothstep(0.40f, 1.02f, r + n);
                coverage.at(x, y) = c;

                const float amp = 1.8f + 7.0f * c;
                const float dx = (swellX(x / 48.0f, y / 48.0f) - 0.5f) * 2.0f * amp
                                 + (valueNoise(x / 6.0f, y / 6.0f, seed + 4u, bumpX) - 0.5f) * 1.4f;
                const float dy = (swellY(x / 48.0f, y / 48.0f) - 0.5f) * 2.0f * amp
                                 + (valueNoise(x / 6.0f, y / 6.0f, seed + 5u, bumpY) - 0.5f) * 1.4f;
                for (int k = 0; k < 3; ++k)
                    warped[k].at(x, y) = chan[k].sample(float(x) + dx, float(y) + dy);
            }
    });
    jobs.insert(jobs.begin(), growFeathers);
    runJobs(jobs);

    // 3. Fine grain of the frost; and the blurs of 2., one plane per job.
    Plane grain(w, h);
    Plane soft[3] = {warped[0], warped[1], warped[2]};
    Plane blurry[3] = {warped[0], warped[1], warped[2]};
    jobs.clear();
    for (int k = 0; k < 3; ++k) {
        jobs.emplace_back([&blurry, k] { gaussianBlur(blurry[k], 6.5f); });
        jobs.emplace_back([&soft, k] { gaussianBlur(soft[k], 1.5f); });
    }
    jobs.emplace_back([&] {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                grain.at(x, y) = hash01(x, y, seed + 9u) - 0.5f;
        gaussianBlur(grain, 0.7f);
    });
    runJobs(jobs);

    // 4. Glitter, drawn as vector strokes like the feathers, with the random
    //    numbers the feathers left.
    const std::unique_ptr<IceCanvas> sparkleCanvas = makeCanvas(w, h);
    drawSparkles(*sparkleCanvas, w, h, rng, coverage);
    const std::vector<std::uint8_t> sparkleLayer = layerPixels(*sparkleCanvas, w, h);

    runJobs(rowBands(h, [&](int firstRow, int endRow) {
        CellBorders grainBorders(seed + 13u);
        Fbm<5> iceClouds(seed + 11u);
        for (int y = firstRow; y < endRow; ++y) {
            std::uint8_t *line = ice + std::size_t(y) * std::size_t(w) * 4;
            const std::uint8_t *sparkLine = sparkleLayer.data() + std::size_t(y) * std::size_t(w) * 4;
            for (int x = 0; x < w; ++x) {
                const float c = coverage.at(x, y);
                float col[3];
                for (int k = 0; k < 3; ++k)
                    col[k] = mix(soft[k].at(x, y), blurry[k].at(x, y), smoothstep(0.0f, 0.75f, c));

                // Cold, pale colours: less saturation, a blue cast, lifted blacks.
                const float lum = 0.30f * col[0] + 0.59f * col[1] + 0.11f * col[2];
                const float sat = 1.0f - (0.12f + 0.50f * c);
                const float tint[3] = {0.93f, 0.98f, 1.06f};
                for (int k = 0; k < 3; ++k)
                    col[k] = 0.08f + 0.92f * (lum + (col[k] - lum) * sat) * tint[k];

                // The frost itself: from icy blue to white, cloudy and grainy,
                // with faint borders between the ice grains.
                const float cloud = iceClouds(x / 55.0f, y / 55.0f);
                const float cells = grainBorders.at(x / 24.0f, y / 24.0f);
                const float cellLine = 1.0f - smoothstep(0.0f, 0.10f, cells);
                const float g = grain.at(x, y) * (0.35f + 0.65f * c);
                const float bright = clamp01(0.60f + 0.70f * (cloud - 0.5f) + 0.9f * g + 0.30f * cellLine * c);
                const float frost[3] = {mix(0.70f, 0.98f, bright), mix(0.83f, 0.995f, bright),
                                        mix(0.95f, 1.0f, bright)};
                // Most of the middle is free of frost (c = 0): no pow() needed.
                const float thick = c == 0.0f ? 0.0f : std::pow(c, 1.3f);
                float white = 0.17f + 0.69f * thick + (0.06f + 0.16f * c) * (cloud - 0.5f) + 0.20f * g
                              + 0.10f * cellLine * c;
                white = std::clamp(white, 0.14f, 0.94f);
                for (int k = 0; k < 3; ++k)
                    col[k] = mix(col[k], frost[k], white);

                // Feathers: crisp white strokes, a thin blue shade for relief and
                // a soft halo of rime around them.
                const float f = feathers.at(x, y);
                const float shade = clamp01(featherShade.at(x, y) - f) * 0.40f;
                const float halo = clamp01(0.50f * featherGlow.at(x, y) + 0.40f * featherHalo.at(x, y));
                const float iceShade[3] = {0.50f, 0.66f, 0.84f};
                const float featherWhite[3] = {0.98f, 0.995f, 1.0f};
                for (int k = 0; k < 3; ++k) {
                    col[k] = mix(col[k], featherWhite[k], halo);
                    col[k] = mix(col[k], iceShade[k], shade);
                    col[k] = mix(col[k], featherWhite[k], 0.95f * f);
                }

                // Glitter adds light (screen blend of the premultiplied layer).
                const std::uint8_t *sp = sparkLine + 4 * x;
                const float spc[3] = {sp[0] / 255.0f, sp[1] / 255.0f, sp[2] / 255.0f};
                for (int k = 0; k < 3; ++k)
                    col[k] = col[k] + (1.0f - col[k]) * spc[k];

                auto to8 = [](float v) { return std::clamp(int(std::lround(v * 255.0f)), 0, 255); };
                std::uint8_t *pixel = line + 4 * x;
                pixel[0] = std::uint8_t(to8(col[0]));
                pixel[1] = std::uint8_t(to8(col[1]));
                pixel[2] = std::uint8_t(to8(col[2]));
                pixel[3] = 255;
            }
        }
    }));
    return true;
}

} // namespace art
