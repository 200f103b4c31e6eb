// The core's per-frame work, timed with nothing but the standard library so
// that the very same program runs natively and as WebAssembly under node:
// the melt pass, a game step on a camera frame already at the picture's size
// (as a browser hands it, fitted by its canvas) and a step with a long stroke
// and no camera. Prints one line per case: its name, the median of several
// batches in microseconds per call, and the melt pass's SIMD target.
//   core_speed [SECONDS_PER_CASE]
#include "core/game.h"
#include "core/melt_pass.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

Image noise(Size size, std::uint32_t seed)
{
    Image image(size);
    std::mt19937 random(seed);
    for (int y = 0; y < size.height; ++y) {
        std::uint8_t *row = image.view().pixel(0, y);
        for (int x = 0; x < size.width * 4; x += 4) {
            const std::uint32_t word = std::uint32_t(random()) | 0xFF000000u;
            std::memcpy(row + x, &word, 4);
        }
    }
    return image;
}

// Median microseconds per call over batches, for about `seconds` in all.
double timed(const std::function<void()> &call, double seconds)
{
    call(); // warm up
    std::vector<double> batches;
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (Clock::now() < end || batches.size() < 5) {
        constexpr int kCalls = 20;
        const auto start = Clock::now();
        for (int i = 0; i < kCalls; ++i)
            call();
        batches.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count() / kCalls);
    }
    std::nth_element(batches.begin(), batches.begin() + std::ptrdiff_t(batches.size() / 2), batches.end());
    return batches[batches.size() / 2];
}

void report(const char *name, double microseconds)
{
    std::printf("%-22s %9.1f us  (%s)\n", name, microseconds, meltPassTargetName());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    const double seconds = argc > 1 ? std::max(0.2, std::atof(argv[1])) : 2.0;
    const Size size{640, 480};

    // The melt pass alone: noise in both frames, so every pixel moves.
    {
        Image camera = noise(size, 1), previous = noise(size, 2), photo = noise(size, 3), ice = noise(size, 4);
        Image window(size);
        std::vector<std::int32_t> levels(std::size_t(size.area()));
        std::mt19937 random(5);
        for (auto &level : levels)
            level = std::int32_t(random() % (kMaxMeltLevel + 1));
        report("MeltPass/640x480",
               timed(
                   [&] {
                       const MeltImages images{camera.bits(),   previous.bits(), photo.bits(),    ice.bits(),
                                               window.bits(),   camera.stride(), camera.stride(), camera.stride(),
                                               camera.stride(), camera.stride()};
                       volatile auto counts = meltPass(images, levels.data(), size.width, size.height, {20, 10});
                       (void)counts;
                       std::swap(camera, previous);
                   },
                   seconds));
    }

    const Picture picture{noise(size, 6), noise(size, 7)};
    const auto makeGame = [&] {
        return Game(
            6, [&picture](int) { return picture; }, Size{1024, 280}, size);
    };

    // A game step on a fitted camera frame: a new noisy frame each time.
    {
        Game game = makeGame();
        std::vector<Image> frames{noise(size, 8), noise(size, 9), noise(size, 10)};
        Image frame = frames[0].copy();
        game.step(frame, size);
        std::size_t next = 1;
        report("GameStep/640x480", timed(
                                       [&] {
                                           // As the page does: the next frame written into the buffer the
                                           // game handed back.
                                           const Image &source = frames[next++ % frames.size()];
                                           std::memcpy(frame.bits(), source.bits(), std::size_t(size.area()) * 4);
                                           game.step(frame, size);
                                       },
                                       seconds));
    }

    // A step without a camera that wipes a stroke from corner to corner.
    {
        Game game = makeGame();
        game.stepWithoutFrame();
        report("StrokeStep/long", timed(
                                      [&] {
                                          game.addStroke({0, 0}, {640, 480});
                                          game.stepWithoutFrame();
                                      },
                                      seconds));
    }
    return 0;
}
