#include "core/melt_pass.h"

#include <QRandomGenerator>
#include <QtTest>

#include <vector>

namespace {

// Five images and the levels, with rows padded past the width so that a pass
// that ignores the stride shows up.
struct Planes
{
    Planes(int w, int h, int padWords)
        : width(w), height(h), strideWords(w + padWords)
    {
        for (auto *plane : {&camera, &previous, &photo, &ice, &window})
            plane->assign(std::size_t(strideWords) * std::size_t(h), 0u);
        levels.assign(std::size_t(w) * std::size_t(h), 0);
    }

    MeltImages images()
    {
        const std::ptrdiff_t stride = std::ptrdiff_t(strideWords) * 4;
        return {bytes(camera), bytes(previous), bytes(photo), bytes(ice),
                reinterpret_cast<std::uint8_t *>(window.data()),
                stride, stride, stride, stride, stride};
    }
    static const std::uint8_t *bytes(const std::vector<std::uint32_t> &v)
    {
        return reinterpret_cast<const std::uint8_t *>(v.data());
    }

    int width, height, strideWords;
    std::vector<std::uint32_t> camera, previous, photo, ice, window;
    std::vector<std::int32_t> levels;
};

std::uint32_t rgb(int r, int g, int b, int a = 255)
{
    return std::uint32_t(a) << 24 | std::uint32_t(r) << 16 | std::uint32_t(g) << 8 | std::uint32_t(b);
}

constexpr std::uint32_t kPhoto = 0xFF112233u;
constexpr std::uint32_t kIce = 0xFFDDEEFFu;

} // namespace

class TestMeltPass : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void onePixel_data()
    {
        QTest::addColumn<std::uint32_t>("previous");
        QTest::addColumn<std::uint32_t>("current");
        QTest::addColumn<int>("sensitivity");
        QTest::addColumn<int>("speed");
        QTest::addColumn<int>("levelBefore");
        QTest::addColumn<int>("levelAfter");

        // d = 20 with the default sensitivity 20: not wiped, only regrowth.
        QTest::newRow("change equal to sensitivity does not wipe") << rgb(0, 0, 0) << rgb(10, 5, 5) << 20 << 10 << 100 << 90;
        QTest::newRow("one more unit wipes") << rgb(0, 0, 0) << rgb(10, 5, 6) << 20 << 10 << 100 << 111;
        QTest::newRow("channels count as absolute changes") << rgb(200, 0, 100) << rgb(0, 200, 100) << 20 << 10 << 0 << 400;
        QTest::newRow("alpha plays no part") << rgb(9, 9, 9, 0) << rgb(9, 9, 9, 255) << 0 << 10 << 50 << 40;
        QTest::newRow("sensitivity 765: nothing wipes") << rgb(0, 0, 0) << rgb(255, 255, 255) << 765 << 10 << 0 << 0;
        QTest::newRow("sensitivity 0: any change wipes") << rgb(0, 0, 0) << rgb(0, 0, 1) << 0 << 10 << 0 << 1;
        QTest::newRow("negative sensitivity: no change adds nothing") << rgb(7, 7, 7) << rgb(7, 7, 7) << -135 << 10 << 50 << 40;
        QTest::newRow("negative sensitivity: a change wipes") << rgb(7, 7, 7) << rgb(8, 7, 7) << -135 << 10 << 50 << 41;
        QTest::newRow("level at the speed stays") << rgb(0, 0, 0) << rgb(0, 0, 0) << 20 << 10 << 10 << 10;
        QTest::newRow("level below the speed stays") << rgb(0, 0, 0) << rgb(0, 0, 0) << 20 << 10 << 5 << 5;
        QTest::newRow("speed 0: never grows back") << rgb(0, 0, 0) << rgb(0, 0, 0) << 20 << 0 << 765 << 765;
        QTest::newRow("regrowth before wiping, capped at 765") << rgb(0, 0, 0) << rgb(255, 255, 255) << 20 << 10 << 764 << 765;
        QTest::newRow("cap from 765") << rgb(0, 0, 0) << rgb(0, 0, 30) << 20 << 10 << 765 << 765;
        QTest::newRow("d 300 at level 0 cleans at once") << rgb(0, 0, 0) << rgb(100, 100, 100) << 20 << 10 << 0 << 300;
        QTest::newRow("d 299 at level 0 stays frozen") << rgb(0, 0, 0) << rgb(100, 100, 99) << 20 << 10 << 0 << 299;
        QTest::newRow("301 regrows to 291") << rgb(0, 0, 0) << rgb(0, 0, 0) << 20 << 10 << 301 << 291;
        QTest::newRow("310 regrows to 300, still clean") << rgb(0, 0, 0) << rgb(0, 0, 0) << 20 << 10 << 310 << 300;
    }

    void onePixel()
    {
        QFETCH(std::uint32_t, previous);
        QFETCH(std::uint32_t, current);
        QFETCH(int, sensitivity);
        QFETCH(int, speed);
        QFETCH(int, levelBefore);
        QFETCH(int, levelAfter);

        for (const int kernel : {-1, 0, 1, 2}) { // -1: the reference
            Planes p(1, 1, 0);
            p.camera[0] = current;
            p.previous[0] = previous;
            p.photo[0] = kPhoto;
            p.ice[0] = kIce;
            p.levels[0] = levelBefore;
            const MeltImages images = p.images();
            const MeltRule rule{sensitivity, speed};
            const std::int64_t frozen =
                kernel < 0 ? meltPassReference(images, p.levels.data(), 1, 1, rule)
                           : meltPassWith(MeltKernel(kernel), images, p.levels.data(), 1, 1, rule);
            QCOMPARE(p.levels[0], levelAfter);
            QCOMPARE(frozen, levelAfter < 300 ? 1 : 0);
            QCOMPARE(p.window[0], levelAfter < 300 ? kIce : kPhoto);
        }
    }

    void wipedPixelRefreezesAfter46Frames()
    {
        Planes p(1, 1, 0);
        p.photo[0] = kPhoto;
        p.ice[0] = kIce;
        p.previous[0] = rgb(0, 0, 0);
        p.camera[0] = rgb(255, 255, 255); // the motion: level 765
        meltPass(p.images(), p.levels.data(), 1, 1, {20, 10});
        QCOMPARE(p.levels[0], 765);
        p.previous[0] = p.camera[0]; // then nothing moves
        for (int frame = 1; frame <= 46; ++frame) {
            QCOMPARE(meltPass(p.images(), p.levels.data(), 1, 1, {20, 10}), 0);
            QCOMPARE(p.window[0], kPhoto);
        }
        QCOMPARE(meltPass(p.images(), p.levels.data(), 1, 1, {20, 10}), 1);
        QCOMPARE(p.levels[0], 295);
        QCOMPARE(p.window[0], kIce);
    }

    void fastMatchesReferenceOnRandomFrames_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("padWords");
        QTest::addColumn<int>("sensitivity");
        QTest::addColumn<int>("speed");
        QTest::newRow("640x480 defaults") << 640 << 480 << 0 << 20 << 10;
        QTest::newRow("1280x720 sensitive") << 1280 << 720 << 0 << 0 << 10;
        QTest::newRow("odd 17x3 padded") << 17 << 3 << 5 << 20 << 10;
        QTest::newRow("one column") << 1 << 9 << 3 << 50 << 1;
        QTest::newRow("width 31: vector tail") << 31 << 7 << 1 << 255 << 40;
        QTest::newRow("negative sensitivity, speed 0") << 64 << 64 << 0 << -1530 << 0;
        QTest::newRow("sensitivity 765") << 33 << 5 << 2 << 765 << 10;
    }

    void fastMatchesReferenceOnRandomFrames()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, padWords);
        QFETCH(int, sensitivity);
        QFETCH(int, speed);

        QRandomGenerator random(quint32(width * 7919 + height));
        Planes fast(width, height, padWords);
        for (auto *plane : {&fast.camera, &fast.previous, &fast.photo, &fast.ice})
            for (auto &word : *plane)
                word = random.generate();
        // Half the pixels still: small differences around the threshold.
        for (std::size_t i = 0; i < fast.camera.size(); i += 2)
            fast.camera[i] = fast.previous[i] ^ (random.generate() & 0x00030303u);
        for (auto &level : fast.levels)
            level = random.bounded(-20, 800);
        fast.window.assign(fast.window.size(), 0xDEADBEEFu); // padding must keep this
        Planes reference = fast;

        const Planes start = fast;
        for (const MeltKernel kernel : {MeltKernel::Portable, MeltKernel::Sse2, MeltKernel::Avx2}) {
            if (!meltKernelAvailable(kernel))
                continue;
            fast = start;
            reference = start;
            for (int frame = 0; frame < 3; ++frame) {
                const MeltRule rule{sensitivity, speed};
                const std::int64_t a =
                    meltPassWith(kernel, fast.images(), fast.levels.data(), width, height, rule);
                const std::int64_t b = meltPassReference(reference.images(), reference.levels.data(),
                                                         width, height, rule);
                QCOMPARE(a, b);
                QVERIFY(fast.levels == reference.levels);
                QVERIFY(fast.window == reference.window);
                std::swap(fast.camera, fast.previous);
                std::swap(reference.camera, reference.previous);
            }
            // Row padding is never written.
            for (int y = 0; y < height; ++y)
                for (int x = width; x < fast.strideWords; ++x)
                    QCOMPARE(fast.window[std::size_t(y * fast.strideWords + x)], 0xDEADBEEFu);
        }
        // The dispatching entry point agrees too.
        fast = start;
        reference = start;
        QCOMPARE(meltPass(fast.images(), fast.levels.data(), width, height, {sensitivity, speed}),
                 meltPassReference(reference.images(), reference.levels.data(), width, height,
                                   {sensitivity, speed}));
        QVERIFY(fast.levels == reference.levels);
    }
};

QTEST_APPLESS_MAIN(TestMeltPass)
#include "test_melt_pass.moc"
