#include "core/melt_pass.h"

#include <hwy/targets.h>

#include <QRandomGenerator>
#include <QtTest>

#include <array>
#include <cstdlib>
#include <cstring>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define FROSTPANE_POISON(address, size) ASAN_POISON_MEMORY_REGION(address, size)
#define FROSTPANE_UNPOISON(address, size) ASAN_UNPOISON_MEMORY_REGION(address, size)
#else
#define FROSTPANE_POISON(address, size) ((void)(address), (void)(size))
#define FROSTPANE_UNPOISON(address, size) ((void)(address), (void)(size))
#endif

namespace {

// A way to run the pass: the reference, the dispatching entry point, or one
// SIMD target.
struct Runner
{
    QByteArray name;
    MeltPassFunction pass;
    bool isReference;
};

const std::vector<Runner> &runners()
{
    static const std::vector<Runner> all = [] {
        std::vector<Runner> list{{"reference", &meltPassReference, true},
                                 {"meltPass", &meltPass, false}};
        for (const MeltTarget &target : meltTargets())
            list.push_back({target.name, target.pass, false});
        return list;
    }();
    return all;
}

// One 32-bit image holding exactly |stride| * (height - 1) + width * 4 bytes,
// so AddressSanitizer reports any access past the last pixel. A negative
// stride stores the rows bottom-up.
struct Image
{
    Image(int w, int h, int padBytes, bool bottomUp)
        : width(w), height(h),
          stride((bottomUp ? -1 : 1) * (std::ptrdiff_t(w) * 4 + padBytes)),
          bytes(std::size_t(std::abs(stride)) * std::size_t(h - 1) + std::size_t(w) * 4)
    {
    }

    std::uint8_t *row(int y)
    {
        std::uint8_t *first = bytes.data() + (stride < 0 ? -stride * (height - 1) : 0);
        return first + stride * y;
    }
    std::uint32_t pixel(int x, int y)
    {
        std::uint32_t word;
        std::memcpy(&word, row(y) + std::ptrdiff_t(x) * 4, sizeof word);
        return word;
    }
    void setPixel(int x, int y, std::uint32_t word)
    {
        std::memcpy(row(y) + std::ptrdiff_t(x) * 4, &word, sizeof word);
    }
    // The padding after each row but the last, in memory order.
    template <class F>
    void forEachGap(F f)
    {
        const std::size_t rowBytes = std::size_t(width) * 4;
        const std::size_t gap = std::size_t(std::abs(stride)) - rowBytes;
        if (gap == 0)
            return;
        for (int k = 0; k + 1 < height; ++k)
            f(bytes.data() + std::size_t(k) * std::size_t(std::abs(stride)) + rowBytes, gap);
    }

    int width, height;
    std::ptrdiff_t stride;
    std::vector<std::uint8_t> bytes;
};

// Row padding per image, in bytes, and which images are stored bottom-up.
// Order: camera, previous, photo, ice, window.
struct Layout
{
    std::array<int, 5> padBytes;
    std::array<bool, 5> bottomUp;
};

constexpr Layout kPacked{{0, 0, 0, 0, 0}, {}};
Layout padded(int bytes) { return {{bytes, bytes, bytes, bytes, bytes}, {}}; }

struct Frame
{
    Frame(int w, int h, const Layout &layout)
        : width(w), height(h),
          camera(w, h, layout.padBytes[0], layout.bottomUp[0]),
          previous(w, h, layout.padBytes[1], layout.bottomUp[1]),
          photo(w, h, layout.padBytes[2], layout.bottomUp[2]),
          ice(w, h, layout.padBytes[3], layout.bottomUp[3]),
          window(w, h, layout.padBytes[4], layout.bottomUp[4]),
          levels(std::size_t(w) * std::size_t(h), 0)
    {
    }

    MeltImages images()
    {
        return {camera.row(0), previous.row(0), photo.row(0), ice.row(0), window.row(0),
                camera.stride, previous.stride, photo.stride, ice.stride, window.stride};
    }
    std::int64_t run(MeltPassFunction pass, MeltRule rule);

    int width, height;
    Image camera, previous, photo, ice, window;
    std::vector<std::int32_t> levels;
};

// While alive, the padding between rows is off limits under AddressSanitizer
// (as far as its 8-byte granules allow), so a pass that reads or writes
// between rows is reported even there, not only past the end.
class GapsOffLimits
{
public:
    explicit GapsOffLimits(Frame &frame) : m_frame(frame) { forAll(true); }
    ~GapsOffLimits() { forAll(false); }
    GapsOffLimits(const GapsOffLimits &) = delete;
    GapsOffLimits &operator=(const GapsOffLimits &) = delete;

private:
    void forAll(bool poison)
    {
        for (Image *image : {&m_frame.camera, &m_frame.previous, &m_frame.photo, &m_frame.ice,
                             &m_frame.window})
            image->forEachGap([poison](std::uint8_t *gap, std::size_t size) {
                if (poison)
                    FROSTPANE_POISON(gap, size);
                else
                    FROSTPANE_UNPOISON(gap, size);
            });
    }
    Frame &m_frame;
};

std::int64_t Frame::run(MeltPassFunction pass, MeltRule rule)
{
    const GapsOffLimits offLimits(*this);
    return pass(images(), levels.data(), width, height, rule);
}

std::uint32_t rgb(int r, int g, int b, int a = 255)
{
    return std::uint32_t(a) << 24 | std::uint32_t(r) << 16 | std::uint32_t(g) << 8 | std::uint32_t(b);
}

constexpr std::uint32_t kPhoto = 0xFF112233u;
constexpr std::uint32_t kIce = 0xFFDDEEFFu;
constexpr std::uint8_t kUntouched = 0xDB;

// Levels that sit on every boundary of the rule with the rules used below.
constexpr std::array<std::int32_t, 20> kEdgeLevels{
    -1000, -11, -10, -1, 0, 1, 9, 10, 11, 299, 300, 301, 309, 310, 311, 764, 765, 766, 775, 5000};

enum class LevelSource { Random, Edges };

} // namespace

Q_DECLARE_METATYPE(Layout)
Q_DECLARE_METATYPE(LevelSource)

class TestMeltPass : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyGeneratedAndSupportedTargetIsListed()
    {
        const std::vector<MeltTarget> targets = meltTargets();
        const std::vector<std::int64_t> expected = hwy::SupportedAndGeneratedTargets();
        QCOMPARE(targets.size(), expected.size());
        for (std::size_t i = 0; i < targets.size(); ++i) {
            QCOMPARE(targets[i].target, expected[i]); // same order: best first
            QCOMPARE(QByteArray(targets[i].name), QByteArray(hwy::TargetName(expected[i])));
            QVERIFY(targets[i].pass != nullptr);
        }
        QCOMPARE(QByteArray(meltPassTargetName()), QByteArray(targets.front().name));
        qInfo("targets: %s; meltPass uses %s",
                 [&] {
                     QByteArrayList names;
                     for (const MeltTarget &t : targets)
                         names << t.name;
                     return names.join(", ");
                 }()
                     .constData(),
                 meltPassTargetName());
    }

    // Each rule case on a 37 x 2 image where every pixel is the same case:
    // 37 covers whole vectors of every width and a tail; the strides are odd
    // and differ per image.
    void everyPixelFollowsTheRule_data()
    {
        QTest::addColumn<int>("runner");
        QTest::addColumn<std::uint32_t>("previous");
        QTest::addColumn<std::uint32_t>("current");
        QTest::addColumn<int>("sensitivity");
        QTest::addColumn<int>("speed");
        QTest::addColumn<int>("levelBefore");
        QTest::addColumn<int>("levelAfter");

        struct Case
        {
            const char *name;
            std::uint32_t previous, current;
            int sensitivity, speed, levelBefore, levelAfter;
        };
        const Case cases[] = {
            // d = 20 with the default sensitivity 20: not wiped, only regrowth.
            {"change equal to sensitivity does not wipe", rgb(0, 0, 0), rgb(10, 5, 5), 20, 10, 100, 90},
            {"one more unit wipes", rgb(0, 0, 0), rgb(10, 5, 6), 20, 10, 100, 111},
            {"channels count as absolute changes", rgb(200, 0, 100), rgb(0, 200, 100), 20, 10, 0, 400},
            {"each channel counts: red", rgb(0, 0, 0), rgb(21, 0, 0), 20, 0, 0, 21},
            {"each channel counts: green", rgb(0, 0, 0), rgb(0, 21, 0), 20, 0, 0, 21},
            {"each channel counts: blue", rgb(0, 0, 0), rgb(0, 0, 21), 20, 0, 0, 21},
            {"alpha plays no part", rgb(9, 9, 9, 0), rgb(9, 9, 9, 255), 0, 10, 50, 40},
            {"alpha plays no part in a large change", rgb(0, 0, 0, 255), rgb(255, 255, 255, 0), 20, 0, 0, 765},
            {"sensitivity 765: nothing wipes", rgb(0, 0, 0), rgb(255, 255, 255), 765, 10, 0, 0},
            {"sensitivity 764: full change wipes", rgb(255, 255, 255), rgb(0, 0, 0), 764, 10, 0, 765},
            {"sensitivity 0: any change wipes", rgb(0, 0, 0), rgb(0, 0, 1), 0, 10, 0, 1},
            {"negative sensitivity: no change adds nothing", rgb(7, 7, 7), rgb(7, 7, 7), -135, 10, 50, 40},
            {"negative sensitivity: a change wipes", rgb(7, 7, 7), rgb(8, 7, 7), -135, 10, 50, 41},
            {"negative sensitivity caps a level above 765 without motion", rgb(7, 7, 7), rgb(7, 7, 7), -1, 10, 800, 765},
            {"level at the speed stays", rgb(0, 0, 0), rgb(0, 0, 0), 20, 10, 10, 10},
            {"level one above the speed drops to 1", rgb(0, 0, 0), rgb(0, 0, 0), 20, 10, 11, 1},
            {"level below the speed stays", rgb(0, 0, 0), rgb(0, 0, 0), 20, 10, 5, 5},
            {"speed 0: never grows back", rgb(0, 0, 0), rgb(0, 0, 0), 20, 0, 765, 765},
            {"speed 0: 299 stays frozen", rgb(0, 0, 0), rgb(0, 0, 0), 20, 0, 299, 299},
            {"speed 0: 300 stays clean", rgb(0, 0, 0), rgb(0, 0, 0), 20, 0, 300, 300},
            {"negative speed melts further", rgb(0, 0, 0), rgb(0, 0, 0), 20, -5, 100, 105},
            {"negative speed: level at or below it stays", rgb(0, 0, 0), rgb(0, 0, 0), 20, -5, -10, -10},
            {"negative level handed in, then wiped", rgb(0, 0, 0), rgb(50, 50, 0), 20, 10, -50, 50},
            {"regrowth before wiping, capped at 765", rgb(0, 0, 0), rgb(255, 255, 255), 20, 10, 764, 765},
            {"cap from 765", rgb(0, 0, 0), rgb(0, 0, 30), 20, 10, 765, 765},
            {"766 handed in regrows to 756", rgb(0, 0, 0), rgb(0, 0, 0), 20, 10, 766, 756},
            {"766 handed in and wiped is capped", rgb(0, 0, 0), rgb(0, 0, 30), 20, 10, 766, 765},
            {"far above the cap without motion only regrows", rgb(0, 0, 0), rgb(0, 0, 0), 20, 10, 5000, 4990},
            {"d 300 at level 0 cleans at once", rgb(0, 0, 0), rgb(100, 100, 100), 20, 10, 0, 300},
            {"d 299 at level 0 stays frozen", rgb(0, 0, 0), rgb(100, 100, 99), 20, 10, 0, 299},
            {"301 regrows to 291", rgb(0, 0, 0), rgb(0, 0, 0), 20, 10, 301, 291},
            {"310 regrows to 300, still clean", rgb(0, 0, 0), rgb(0, 0, 0), 20, 10, 310, 300},
        };
        for (int r = 0; r < int(runners().size()); ++r)
            for (const Case &c : cases)
                QTest::addRow("%s: %s", runners()[std::size_t(r)].name.constData(), c.name)
                    << r << c.previous << c.current << c.sensitivity << c.speed << c.levelBefore
                    << c.levelAfter;
    }

    void everyPixelFollowsTheRule()
    {
        QFETCH(int, runner);
        QFETCH(std::uint32_t, previous);
        QFETCH(std::uint32_t, current);
        QFETCH(int, sensitivity);
        QFETCH(int, speed);
        QFETCH(int, levelBefore);
        QFETCH(int, levelAfter);

        const int width = 37, height = 2;
        Frame f(width, height, {{1, 2, 3, 5, 6}, {}});
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                f.camera.setPixel(x, y, current);
                f.previous.setPixel(x, y, previous);
                f.photo.setPixel(x, y, kPhoto);
                f.ice.setPixel(x, y, kIce);
            }
        f.levels.assign(f.levels.size(), levelBefore);

        const std::int64_t frozen =
            f.run(runners()[std::size_t(runner)].pass, {sensitivity, speed});

        const bool isFrozen = levelAfter < kCleanMeltLevel;
        QCOMPARE(frozen, isFrozen ? std::int64_t(width) * height : 0);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                QCOMPARE(f.levels[std::size_t(y * width + x)], levelAfter);
                QCOMPARE(f.window.pixel(x, y), isFrozen ? kIce : kPhoto);
            }
    }

    void wipedPixelRefreezesAfter46Frames_data()
    {
        QTest::addColumn<int>("runner");
        for (int r = 0; r < int(runners().size()); ++r)
            QTest::newRow(runners()[std::size_t(r)].name.constData()) << r;
    }

    void wipedPixelRefreezesAfter46Frames()
    {
        QFETCH(int, runner);
        const MeltPassFunction pass = runners()[std::size_t(runner)].pass;
        Frame f(1, 1, kPacked);
        f.photo.setPixel(0, 0, kPhoto);
        f.ice.setPixel(0, 0, kIce);
        f.previous.setPixel(0, 0, rgb(0, 0, 0));
        f.camera.setPixel(0, 0, rgb(255, 255, 255)); // the motion: level 765
        QCOMPARE(f.run(pass, {20, 10}), 0);
        QCOMPARE(f.levels[0], 765);
        f.previous.setPixel(0, 0, rgb(255, 255, 255)); // then nothing moves
        for (int frame = 1; frame <= 46; ++frame) {
            QCOMPARE(f.run(pass, {20, 10}), 0);
            QCOMPARE(f.window.pixel(0, 0), kPhoto);
        }
        QCOMPARE(f.run(pass, {20, 10}), 1);
        QCOMPARE(f.levels[0], 295);
        QCOMPARE(f.window.pixel(0, 0), kIce);
    }

    // Nothing to do means nothing touched: every pointer is null here.
    void emptySizesTouchNothing_data()
    {
        QTest::addColumn<int>("runner");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        const struct
        {
            const char *name;
            int width, height;
        } sizes[] = {{"0x0", 0, 0},   {"0x5", 0, 5},   {"5x0", 5, 0},
                     {"-1x5", -1, 5}, {"5x-3", 5, -3}, {"-7x-7", -7, -7}};
        for (int r = 0; r < int(runners().size()); ++r)
            for (const auto &size : sizes)
                QTest::addRow("%s: %s", runners()[std::size_t(r)].name.constData(), size.name)
                    << r << size.width << size.height;
    }

    void emptySizesTouchNothing()
    {
        QFETCH(int, runner);
        QFETCH(int, width);
        QFETCH(int, height);
        const MeltImages nothing{nullptr, nullptr, nullptr, nullptr, nullptr, 64, 64, 64, 64, 64};
        QCOMPARE(runners()[std::size_t(runner)].pass(nothing, nullptr, width, height, {20, 10}), 0);
    }

    void matchesReferenceOnRandomFrames_data()
    {
        QTest::addColumn<int>("runner");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<Layout>("layout");
        QTest::addColumn<int>("sensitivity");
        QTest::addColumn<int>("speed");
        QTest::addColumn<LevelSource>("levelSource");

        struct Case
        {
            const char *name;
            int width, height;
            Layout layout;
            int sensitivity, speed;
            LevelSource levels;
        };
        using LS = LevelSource;
        const Case cases[] = {
            {"640x480 defaults", 640, 480, kPacked, 20, 10, LS::Random},
            {"1280x720 sensitive", 1280, 720, kPacked, 0, 10, LS::Random},
            {"odd 17x3 padded", 17, 3, padded(20), 20, 10, LS::Random},
            {"one column", 1, 9, padded(12), 50, 1, LS::Random},
            {"width 3", 3, 5, padded(4), 20, 10, LS::Random},
            {"width 7", 7, 4, padded(8), 20, 10, LS::Random},
            {"width 31: vector tail", 31, 7, padded(4), 255, 40, LS::Random},
            {"641x3: one past whole vectors", 641, 3, kPacked, 20, 10, LS::Random},
            {"negative sensitivity, speed 0", 64, 64, kPacked, -1530, 0, LS::Random},
            {"sensitivity -1 caps every level", 45, 6, padded(4), -1, 10, LS::Edges},
            {"sensitivity 765", 33, 5, padded(8), 765, 10, LS::Random},
            {"negative speed", 45, 6, padded(4), 20, -7, LS::Random},
            {"edge levels, defaults", 37, 11, padded(4), 20, 10, LS::Edges},
            {"edge levels, speed 0", 37, 11, padded(4), 20, 0, LS::Edges},
            {"strides not multiples of 4, each its own", 29, 6, {{1, 2, 3, 5, 7}, {}}, 20, 10, LS::Random},
            {"641 wide, rows at odd bytes", 641, 4, {{1, 5, 3, 2, 7}, {}}, 20, 10, LS::Edges},
            {"bottom-up camera and window", 23, 5, {{3, 0, 1, 6, 9}, {true, false, false, false, true}}, 20, 10, LS::Random},
        };
        // The reference is what the others are held to: not a row of its own.
        for (int r = 1; r < int(runners().size()); ++r)
            for (const Case &c : cases)
                QTest::addRow("%s: %s", runners()[std::size_t(r)].name.constData(), c.name)
                    << r << c.width << c.height << c.layout << c.sensitivity << c.speed << c.levels;
    }

    void matchesReferenceOnRandomFrames()
    {
        QFETCH(int, runner);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(Layout, layout);
        QFETCH(int, sensitivity);
        QFETCH(int, speed);
        QFETCH(LevelSource, levelSource);

        QRandomGenerator random(quint32(width * 7919 + height));
        Frame fast(width, height, layout);
        for (Image *image : {&fast.camera, &fast.previous, &fast.photo, &fast.ice})
            for (auto &byte : image->bytes)
                byte = std::uint8_t(random.generate());
        // Half the pixels nearly still: small differences around the threshold.
        for (int y = 0; y < height; ++y)
            for (int x = (y & 1); x < width; x += 2)
                fast.camera.setPixel(x, y, fast.previous.pixel(x, y) ^ (random.generate() & 0x03030303u));
        for (auto &level : fast.levels)
            level = levelSource == LevelSource::Edges
                        ? kEdgeLevels[random.bounded(quint32(kEdgeLevels.size()))]
                        : random.bounded(-20, 800);
        fast.window.bytes.assign(fast.window.bytes.size(), kUntouched);
        Frame reference = fast;

        const MeltRule rule{sensitivity, speed};
        for (int frame = 0; frame < 3; ++frame) {
            const std::int64_t expected = reference.run(&meltPassReference, rule);
            QCOMPARE(fast.run(runners()[std::size_t(runner)].pass, rule), expected);
            QVERIFY(fast.levels == reference.levels);
            // The whole buffer: the reference never writes between rows, so
            // this also shows the padding kept its bytes.
            QVERIFY(fast.window.bytes == reference.window.bytes);
            std::swap(fast.camera, fast.previous);
            std::swap(reference.camera, reference.previous);
        }
        fast.window.forEachGap([](const std::uint8_t *gap, std::size_t size) {
            for (std::size_t i = 0; i < size; ++i)
                QCOMPARE(gap[i], kUntouched);
        });
    }
};

QTEST_APPLESS_MAIN(TestMeltPass)
#include "test_melt_pass.moc"
