// The melt pass: every compiled SIMD target, and the dispatching entry point,
// held to the plain reference bit for bit.

#include "core/melt_pass.h"
#include "tests/core/core_fixture.h"

#include <hwy/targets.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define FROSTPANE_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define FROSTPANE_ASAN 1
#endif
#endif
#if defined(FROSTPANE_ASAN)
#include <sanitizer/asan_interface.h>
#define FROSTPANE_POISON(address, size) ASAN_POISON_MEMORY_REGION(address, size)
#define FROSTPANE_UNPOISON(address, size) ASAN_UNPOISON_MEMORY_REGION(address, size)
#else
#define FROSTPANE_POISON(address, size) ((void)(address), (void)(size))
#define FROSTPANE_UNPOISON(address, size) ((void)(address), (void)(size))
#endif

inline void PrintTo(const MeltCounts &counts, std::ostream *os)
{
    *os << "frozen " << counts.frozen << ", wiped ice " << counts.wipedIce;
}

namespace {

// A way to run the pass: the reference, the dispatching entry point, or one
// SIMD target.
struct Runner
{
    std::string name;
    MeltPassFunction pass;
};

const std::vector<Runner> &runners()
{
    static const std::vector<Runner> all = [] {
        std::vector<Runner> list{{"reference", &meltPassReference}, {"meltPass", &meltPass}};
        for (const MeltTarget &target : meltTargets())
            list.push_back({target.name, target.pass});
        return list;
    }();
    return all;
}

// Indices into runners(): every runner, or all but the reference.
std::vector<int> runnerIndices(int first)
{
    std::vector<int> indices;
    for (int r = first; r < int(runners().size()); ++r)
        indices.push_back(r);
    return indices;
}

// "AVX2_d_300_at_level_0_cleans_at_once"
struct ByRunnerAndName
{
    template <class Case> std::string operator()(const testing::TestParamInfo<std::tuple<int, Case>> &info) const
    {
        return testnames::identifier(runners()[std::size_t(std::get<0>(info.param))].name + ' '
                                     + std::get<1>(info.param).name);
    }
};

// One 32-bit image holding exactly |stride| * (height - 1) + width * 4 bytes,
// so AddressSanitizer reports any access past the last pixel. A negative
// stride stores the rows bottom-up.
struct Buffer
{
    Buffer(int w, int h, int padBytes, bool bottomUp)
        : width(w)
        , height(h)
        , stride((bottomUp ? -1 : 1) * (std::ptrdiff_t(w) * 4 + padBytes))
        , bytes(std::size_t(std::abs(stride)) * std::size_t(h - 1) + std::size_t(w) * 4)
    { }

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
    void setPixel(int x, int y, std::uint32_t word) { std::memcpy(row(y) + std::ptrdiff_t(x) * 4, &word, sizeof word); }
    // The padding after each row but the last, in memory order.
    template <class F> void forEachGap(F f)
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
constexpr Layout padded(int bytes)
{
    return {{bytes, bytes, bytes, bytes, bytes}, {}};
}

struct Frame
{
    Frame(int w, int h, const Layout &layout)
        : width(w)
        , height(h)
        , camera(w, h, layout.padBytes[0], layout.bottomUp[0])
        , previous(w, h, layout.padBytes[1], layout.bottomUp[1])
        , photo(w, h, layout.padBytes[2], layout.bottomUp[2])
        , ice(w, h, layout.padBytes[3], layout.bottomUp[3])
        , window(w, h, layout.padBytes[4], layout.bottomUp[4])
        , levels(std::size_t(w) * std::size_t(h), 0)
    { }

    // The wipe mask, exactly width * height bytes, or none.
    void useMask(bool on) { wipe.assign(on ? levels.size() : 0, 0); }
    void setWiped(int x, int y) { wipe[std::size_t(y) * std::size_t(width) + std::size_t(x)] = 1; }

    MeltImages images()
    {
        return {camera.row(0),
                previous.row(0),
                photo.row(0),
                ice.row(0),
                window.row(0),
                camera.stride,
                previous.stride,
                photo.stride,
                ice.stride,
                window.stride,
                wipe.empty() ? nullptr : wipe.data()};
    }
    MeltCounts run(MeltPassFunction pass, MeltRule rule);

    int width, height;
    Buffer camera, previous, photo, ice, window;
    std::vector<std::int32_t> levels;
    std::vector<std::uint8_t> wipe;
};

// While alive, the padding between rows is off limits under AddressSanitizer
// (as far as its 8-byte granules allow), so a pass that reads or writes
// between rows is reported even there, not only past the end.
class GapsOffLimits
{
public:
    explicit GapsOffLimits(Frame &frame)
        : m_frame(frame)
    {
        forAll(true);
    }
    ~GapsOffLimits() { forAll(false); }
    GapsOffLimits(const GapsOffLimits &) = delete;
    GapsOffLimits &operator=(const GapsOffLimits &) = delete;

private:
    void forAll(bool poison)
    {
        for (Buffer *image : {&m_frame.camera, &m_frame.previous, &m_frame.photo, &m_frame.ice, &m_frame.window})
            image->forEachGap([poison](std::uint8_t *gap, std::size_t size) {
                if (poison)
                    FROSTPANE_POISON(gap, size);
                else
                    FROSTPANE_UNPOISON(gap, size);
            });
    }
    Frame &m_frame;
};

MeltCounts Frame::run(MeltPassFunction pass, MeltRule rule)
{
    const GapsOffLimits offLimits(*this);
    return pass(images(), levels.data(), width, height, rule);
}

using testimages::argb;

constexpr std::uint32_t kPhoto = 0xFF112233u;
constexpr std::uint32_t kIce = 0xFFDDEEFFu;
constexpr std::uint8_t kUntouched = 0xDB;

// Levels that sit on every boundary of the rule with the rules used below.
constexpr std::array<std::int32_t, 20> kEdgeLevels{-1000, -11, -10, -1,  0,   1,   9,   10,  11,  299,
                                                   300,   301, 309, 310, 311, 764, 765, 766, 775, 5000};

// Levels at the ends of the range the pass is made for, and just inside.
constexpr std::int32_t kBound = kMaxMeltRuleValue;
constexpr std::array<std::int32_t, 8> kBoundLevels{-kBound, -kBound + 1, -1, 0, 765, 766, kBound - 1, kBound};

enum class LevelSource { Random, Edges, Bounds };

TEST(MeltPass, everyGeneratedAndSupportedTargetIsListed)
{
    const std::vector<MeltTarget> targets = meltTargets();
#if defined(__EMSCRIPTEN__)
    // The browser's module: SIMD128 alone, chosen when it was compiled.
    const std::vector<std::int64_t> expected{HWY_STATIC_TARGET};
    EXPECT_STREQ(meltPassTargetName(), "WASM");
#else
    const std::vector<std::int64_t> expected = hwy::SupportedAndGeneratedTargets();
#endif
    ASSERT_EQ(targets.size(), expected.size());
    std::string names;
    for (std::size_t i = 0; i < targets.size(); ++i) {
        EXPECT_EQ(targets[i].target, expected[i]); // same order: best first
        EXPECT_STREQ(targets[i].name, hwy::TargetName(expected[i]));
        EXPECT_NE(targets[i].pass, nullptr);
        names += (i ? ", " : "") + std::string(targets[i].name);
    }
    ASSERT_FALSE(targets.empty());
    EXPECT_STREQ(meltPassTargetName(), targets.front().name);
    RecordProperty("targets", names);
    std::cout << "targets: " << names << "; meltPass uses " << meltPassTargetName() << '\n';
}

// Each rule case on a 37 x 2 image where every pixel is the same case: 37
// covers whole vectors of every width and a tail; the strides are odd and
// differ per image.
struct RuleCase
{
    const char *name;
    std::uint32_t previous, current;
    int sensitivity, speed, levelBefore, levelAfter;
    bool wipedIce;       // counted as wiped while ice
    bool masked = false; // a finger or the mouse went over the pixel
    friend void PrintTo(const RuleCase &c, std::ostream *os) { *os << c.name; }
};

const RuleCase kRuleCases[] = {
    // d = 20 with the default sensitivity 20: not wiped, only regrowth.
    {"change equal to sensitivity does not wipe", argb(0, 0, 0), argb(10, 5, 5), 20, 10, 100, 90, false},
    {"one more unit wipes", argb(0, 0, 0), argb(10, 5, 6), 20, 10, 100, 111, true},
    {"channels count as absolute changes", argb(200, 0, 100), argb(0, 200, 100), 20, 10, 0, 400, true},
    {"each channel counts: red", argb(0, 0, 0), argb(21, 0, 0), 20, 0, 0, 21, true},
    {"each channel counts: green", argb(0, 0, 0), argb(0, 21, 0), 20, 0, 0, 21, true},
    {"each channel counts: blue", argb(0, 0, 0), argb(0, 0, 21), 20, 0, 0, 21, true},
    {"alpha plays no part", argb(9, 9, 9, 0), argb(9, 9, 9, 255), 0, 10, 50, 40, false},
    {"alpha plays no part in a large change", argb(0, 0, 0, 255), argb(255, 255, 255, 0), 20, 0, 0, 765, true},
    {"sensitivity 765: nothing wipes", argb(0, 0, 0), argb(255, 255, 255), 765, 10, 0, 0, false},
    {"sensitivity 764: full change wipes", argb(255, 255, 255), argb(0, 0, 0), 764, 10, 0, 765, true},
    {"sensitivity 0: any change wipes", argb(0, 0, 0), argb(0, 0, 1), 0, 10, 0, 1, true},
    {"negative sensitivity: no change adds nothing", argb(7, 7, 7), argb(7, 7, 7), -135, 10, 50, 40, true},
    {"negative sensitivity: a change wipes", argb(7, 7, 7), argb(8, 7, 7), -135, 10, 50, 41, true},
    {"negative sensitivity caps a level above 765 without motion", argb(7, 7, 7), argb(7, 7, 7), -1, 10, 800, 765,
     false},
    {"level at the speed stays", argb(0, 0, 0), argb(0, 0, 0), 20, 10, 10, 10, false},
    {"level one above the speed drops to 1", argb(0, 0, 0), argb(0, 0, 0), 20, 10, 11, 1, false},
    {"level below the speed stays", argb(0, 0, 0), argb(0, 0, 0), 20, 10, 5, 5, false},
    {"speed 0: never grows back", argb(0, 0, 0), argb(0, 0, 0), 20, 0, 765, 765, false},
    {"speed 0: 299 stays frozen", argb(0, 0, 0), argb(0, 0, 0), 20, 0, 299, 299, false},
    {"speed 0: 300 stays clean", argb(0, 0, 0), argb(0, 0, 0), 20, 0, 300, 300, false},
    {"negative speed melts further", argb(0, 0, 0), argb(0, 0, 0), 20, -5, 100, 105, false},
    {"negative speed: level at or below it stays", argb(0, 0, 0), argb(0, 0, 0), 20, -5, -10, -10, false},
    {"negative level handed in, then wiped", argb(0, 0, 0), argb(50, 50, 0), 20, 10, -50, 50, true},
    {"regrowth before wiping, capped at 765", argb(0, 0, 0), argb(255, 255, 255), 20, 10, 764, 765, false},
    {"cap from 765", argb(0, 0, 0), argb(0, 0, 30), 20, 10, 765, 765, false},
    {"766 handed in regrows to 756", argb(0, 0, 0), argb(0, 0, 0), 20, 10, 766, 756, false},
    {"766 handed in and wiped is capped", argb(0, 0, 0), argb(0, 0, 30), 20, 10, 766, 765, false},
    {"far above the cap without motion only regrows", argb(0, 0, 0), argb(0, 0, 0), 20, 10, 5000, 4990, false},
    {"d 300 at level 0 cleans at once", argb(0, 0, 0), argb(100, 100, 100), 20, 10, 0, 300, true},
    {"d 299 at level 0 stays frozen", argb(0, 0, 0), argb(100, 100, 99), 20, 10, 0, 299, true},
    {"301 regrows to 291", argb(0, 0, 0), argb(0, 0, 0), 20, 10, 301, 291, false},
    {"310 regrows to 300, still clean", argb(0, 0, 0), argb(0, 0, 0), 20, 10, 310, 300, false},
    // Wiped while ice: judged on the level after regrowth.
    {"309 regrows to 299 and is wiped as ice", argb(0, 0, 0), argb(0, 0, 50), 20, 10, 309, 349, true},
    {"310 regrows to 300 and is wiped as clean", argb(0, 0, 0), argb(0, 0, 50), 20, 10, 310, 350, false},
    // A negative speed melts up to 765 and no further.
    {"negative speed stops at 765", argb(0, 0, 0), argb(0, 0, 0), 20, -10, 760, 765, false},
    {"negative speed leaves a level above 765 as it is", argb(0, 0, 0), argb(0, 0, 0), 20, -10, 5000, 5000, false},
    // The wipe mask: the largest change, whatever the sensitivity.
    {"mask on a still pixel wipes to 765", argb(7, 7, 7), argb(7, 7, 7), 20, 10, 0, 765, true, true},
    {"mask wipes at sensitivity 765", argb(7, 7, 7), argb(7, 7, 7), 765, 10, 100, 765, true, true},
    {"mask wipes at the largest sensitivity", argb(7, 7, 7), argb(7, 7, 7), kBound, 10, 100, 765, true, true},
    {"mask and motion: the largest change wins", argb(0, 0, 0), argb(0, 0, 30), 20, 10, 0, 765, true, true},
    {"mask on a clean pixel is no wipe of ice", argb(7, 7, 7), argb(7, 7, 7), 20, 10, 500, 765, false, true},
    {"mask on a very negative level adds 765", argb(7, 7, 7), argb(7, 7, 7), 20, 10, -1000, -235, true, true},
    {"mask with speed 0 keeps 765", argb(7, 7, 7), argb(7, 7, 7), 20, 0, 765, 765, false, true},
    // At the bound: level - speed reaches 2^30 without overflow.
    {"bound: top level, most negative speed", argb(0, 0, 0), argb(0, 0, 0), 20, -kBound, kBound, kBound, false},
    {"bound: level 0, most negative speed melts to 765", argb(0, 0, 0), argb(0, 0, 0), 20, -kBound, 0, 765, false},
    {"bound: bottom level, top speed stays", argb(0, 0, 0), argb(0, 0, 0), 20, kBound, -kBound, -kBound, false},
    {"bound: top level, top speed stays", argb(0, 0, 0), argb(0, 0, 0), 20, kBound, kBound, kBound, false},
    {"bound: top level just above the top speed", argb(0, 0, 0), argb(0, 0, 0), 20, kBound - 1, kBound, 1, false},
    {"bound: top level wiped caps at 765", argb(0, 0, 0), argb(255, 255, 255), -kBound, -kBound, kBound, 765, false},
    {"bound: bottom level wiped by the mask", argb(0, 0, 0), argb(0, 0, 0), kBound, kBound, -kBound, -kBound + 765,
     true, true},
};

class MeltPassRule : public testing::TestWithParam<std::tuple<int, RuleCase>>
{ };

TEST_P(MeltPassRule, everyPixelFollowsTheRule)
{
    const auto &[runner, c] = GetParam();
    const int width = 37, height = 2;
    Frame f(width, height, {{1, 2, 3, 5, 6}, {}});
    f.useMask(c.masked);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            f.camera.setPixel(x, y, c.current);
            f.previous.setPixel(x, y, c.previous);
            f.photo.setPixel(x, y, kPhoto);
            f.ice.setPixel(x, y, kIce);
            if (c.masked)
                f.setWiped(x, y);
        }
    f.levels.assign(f.levels.size(), c.levelBefore);

    const MeltCounts counts = f.run(runners()[std::size_t(runner)].pass, {c.sensitivity, c.speed});

    const bool isFrozen = c.levelAfter < kCleanMeltLevel;
    const std::int64_t all = std::int64_t(width) * height;
    EXPECT_EQ(counts.frozen, isFrozen ? all : 0);
    EXPECT_EQ(counts.wipedIce, c.wipedIce ? all : 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            ASSERT_EQ(f.levels[std::size_t(y * width + x)], c.levelAfter) << "at (" << x << ", " << y << ')';
            ASSERT_EQ(f.window.pixel(x, y), isFrozen ? kIce : kPhoto) << "at (" << x << ", " << y << ')';
        }
}

INSTANTIATE_TEST_SUITE_P(Runners, MeltPassRule,
                         testing::Combine(testing::ValuesIn(runnerIndices(0)), testing::ValuesIn(kRuleCases)),
                         ByRunnerAndName());

class MeltPassRunner : public testing::TestWithParam<int>
{ };

TEST_P(MeltPassRunner, wipedPixelRefreezesAfter46Frames)
{
    const MeltPassFunction pass = runners()[std::size_t(GetParam())].pass;
    Frame f(1, 1, kPacked);
    f.photo.setPixel(0, 0, kPhoto);
    f.ice.setPixel(0, 0, kIce);
    f.previous.setPixel(0, 0, argb(0, 0, 0));
    f.camera.setPixel(0, 0, argb(255, 255, 255)); // the motion: level 765
    EXPECT_EQ(f.run(pass, {20, 10}), (MeltCounts{0, 1}));
    EXPECT_EQ(f.levels[0], 765);
    f.previous.setPixel(0, 0, argb(255, 255, 255)); // then nothing moves
    for (int frame = 1; frame <= 46; ++frame) {
        ASSERT_EQ(f.run(pass, {20, 10}), (MeltCounts{0, 0})) << "frame " << frame;
        ASSERT_EQ(f.window.pixel(0, 0), kPhoto) << "frame " << frame;
    }
    EXPECT_EQ(f.run(pass, {20, 10}), (MeltCounts{1, 0}));
    EXPECT_EQ(f.levels[0], 295);
    EXPECT_EQ(f.window.pixel(0, 0), kIce);
}

INSTANTIATE_TEST_SUITE_P(Runners, MeltPassRunner, testing::ValuesIn(runnerIndices(0)),
                         [](const testing::TestParamInfo<int> &runner) {
                             return testnames::identifier(runners()[std::size_t(runner.param)].name);
                         });

// Nothing to do means nothing touched: every pointer is null here.
struct EmptyCase
{
    const char *name;
    int width, height;
    friend void PrintTo(const EmptyCase &c, std::ostream *os) { *os << c.name; }
};

class MeltPassEmpty : public testing::TestWithParam<std::tuple<int, EmptyCase>>
{ };

TEST_P(MeltPassEmpty, emptySizesTouchNothing)
{
    const auto &[runner, c] = GetParam();
    const MeltImages nothing{nullptr, nullptr, nullptr, nullptr, nullptr, 64, 64, 64, 64, 64, nullptr};
    EXPECT_EQ(runners()[std::size_t(runner)].pass(nothing, nullptr, c.width, c.height, {20, 10}), MeltCounts{});
}

INSTANTIATE_TEST_SUITE_P(Runners, MeltPassEmpty,
                         testing::Combine(testing::ValuesIn(runnerIndices(0)),
                                          testing::Values(EmptyCase{"0x0", 0, 0}, EmptyCase{"0x5", 0, 5},
                                                          EmptyCase{"5x0", 5, 0}, EmptyCase{"-1x5", -1, 5},
                                                          EmptyCase{"5x-3", 5, -3}, EmptyCase{"-7x-7", -7, -7})),
                         ByRunnerAndName());

struct RandomCase
{
    const char *name;
    int width, height;
    Layout layout;
    int sensitivity, speed;
    LevelSource levels;
    int maskPercent = -1; // pixels in the wipe mask; -1: no mask
    friend void PrintTo(const RandomCase &c, std::ostream *os) { *os << c.name; }
};

using LS = LevelSource;
const RandomCase kRandomCases[] = {
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
    {"mask on a tenth, 640x480", 640, 480, kPacked, 20, 10, LS::Random, 10},
    {"mask on half, odd 31x7 padded", 31, 7, padded(4), 20, 10, LS::Edges, 50},
    {"mask everywhere, width 3", 3, 5, padded(4), 765, 10, LS::Random, 100},
    {"empty mask, 641x3", 641, 3, kPacked, 20, 10, LS::Edges, 0},
    {"mask, bottom-up window, negative speed",
     23,
     5,
     {{3, 0, 1, 6, 9}, {false, false, false, false, true}},
     20,
     -7,
     LS::Random,
     30},
    {"levels at the bound, most negative speed", 45, 6, padded(4), -kBound, -kBound, LS::Bounds, 20},
    {"levels at the bound, top speed", 45, 6, padded(4), kBound, kBound, LS::Bounds, 20},
    {"levels at the bound, speed 1", 37, 4, kPacked, 20, 1, LS::Bounds, 20},
};

class MeltPassRandom : public testing::TestWithParam<std::tuple<int, RandomCase>>
{ };

TEST_P(MeltPassRandom, matchesReferenceOnRandomFrames)
{
    const auto &[runner, c] = GetParam();
    // The same inputs on every platform, from the case's size.
    std::mt19937 random(std::uint32_t(c.width * 7919 + c.height));
    const auto below = [&random](std::uint32_t n) { return std::uint32_t(random() % n); };
    Frame fast(c.width, c.height, c.layout);
    fast.useMask(c.maskPercent >= 0);
    for (auto &byte : fast.wipe)
        byte = int(below(100)) < c.maskPercent ? std::uint8_t(1 + below(255)) : 0;
    for (Buffer *image : {&fast.camera, &fast.previous, &fast.photo, &fast.ice})
        for (auto &byte : image->bytes)
            byte = std::uint8_t(random());
    // Half the pixels nearly still: small differences around the threshold.
    for (int y = 0; y < c.height; ++y)
        for (int x = (y & 1); x < c.width; x += 2)
            fast.camera.setPixel(x, y, fast.previous.pixel(x, y) ^ (std::uint32_t(random()) & 0x03030303u));
    for (auto &level : fast.levels) {
        switch (c.levels) {
        case LevelSource::Random:
            level = std::int32_t(below(820)) - 20;
            break;
        case LevelSource::Edges:
            level = kEdgeLevels[below(std::uint32_t(kEdgeLevels.size()))];
            break;
        case LevelSource::Bounds:
            level = kBoundLevels[below(std::uint32_t(kBoundLevels.size()))];
            break;
        }
    }
    fast.window.bytes.assign(fast.window.bytes.size(), kUntouched);
    Frame reference = fast;

    const MeltRule rule{c.sensitivity, c.speed};
    for (int frame = 0; frame < 3; ++frame) {
        SCOPED_TRACE(frame);
        const MeltCounts expected = reference.run(&meltPassReference, rule);
        ASSERT_EQ(fast.run(runners()[std::size_t(runner)].pass, rule), expected);
        ASSERT_EQ(fast.levels, reference.levels);
        // The whole buffer: the reference never writes between rows, so this
        // also shows the padding kept its bytes.
        ASSERT_EQ(fast.window.bytes, reference.window.bytes);
        std::swap(fast.camera, fast.previous);
        std::swap(reference.camera, reference.previous);
    }
    fast.window.forEachGap([](const std::uint8_t *gap, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i)
            ASSERT_EQ(gap[i], kUntouched);
    });
}

// The reference is what the others are held to: not a row of its own.
INSTANTIATE_TEST_SUITE_P(Runners, MeltPassRandom,
                         testing::Combine(testing::ValuesIn(runnerIndices(1)), testing::ValuesIn(kRandomCases)),
                         ByRunnerAndName());

} // namespace
