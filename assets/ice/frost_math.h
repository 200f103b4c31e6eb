// The arithmetic under the game's artwork: a deterministic random source,
// float image planes with Gaussian blur, and value noise. Everything here is
// reproducible bit for bit, so a seed always gives the same pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace art {

// splitmix64. <random> distributions are not used on purpose: their results
// differ between standard libraries, and the artwork must be reproducible.
class Rng {
public:
    explicit Rng(uint64_t seed) : state_(seed) {}

    uint64_t next()
    {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1).
    double uniform() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }
    double uniform(double lo, double hi) { return lo + (hi - lo) * uniform(); }
    bool chance(double p) { return uniform() < p; }

private:
    uint64_t state_;
};

// A single-channel float image.
struct Plane {
    int w = 0;
    int h = 0;
    std::vector<float> v;

    Plane() = default;
    Plane(int width, int height, float fill = 0.0f) : w(width), h(height), v(std::size_t(width) * height, fill) {}

    float &at(int x, int y) { return v[std::size_t(y) * w + x]; }
    float at(int x, int y) const { return v[std::size_t(y) * w + x]; }
    // Bilinear sample with clamp-to-edge.
    float sample(float x, float y) const;
};

// Separable Gaussian blur, clamp-to-edge.
void gaussianBlur(Plane &p, float sigma);

float clamp01(float x);
float smoothstep(float e0, float e1, float x);
float mix(float a, float b, float t);

// Smooth value noise in [0, 1] on a unit lattice.
float valueNoise(float x, float y, uint32_t seed);
// Fractal sum of value noise octaves, normalised to [0, 1].
float fbm(float x, float y, uint32_t seed, int octaves);
// Integer hash to [0, 1).
float hash01(int x, int y, uint32_t seed);

} // namespace art
