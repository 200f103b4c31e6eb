// The arithmetic under the game's artwork: a deterministic random source,
// float image planes with Gaussian blur, and value noise. Everything here is
// reproducible bit for bit, so a seed always gives the same pixels.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace art {

// splitmix64. <random> distributions are not used on purpose: their results
// differ between standard libraries, and the artwork must be reproducible.
class Rng
{
public:
    explicit Rng(uint64_t seed)
        : state_(seed)
    { }

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
struct Plane
{
    int w = 0;
    int h = 0;
    std::vector<float> v;

    Plane() = default;
    Plane(int width, int height, float fill = 0.0f)
        : w(width)
        , h(height)
        , v(std::size_t(width) * height, fill)
    { }

    float &at(int x, int y) { return v[std::size_t(y) * w + x]; }
    float at(int x, int y) const { return v[std::size_t(y) * w + x]; }
    float *row(int y) { return v.data() + std::size_t(y) * w; }
    const float *row(int y) const { return v.data() + std::size_t(y) * w; }
    // Bilinear sample with clamp-to-edge.
    float sample(float x, float y) const
    {
        x = std::clamp(x, 0.0f, float(w - 1));
        y = std::clamp(y, 0.0f, float(h - 1));
        const int x0 = std::min(int(x), w - 2);
        const int y0 = std::min(int(y), h - 2);
        const float fx = x - float(x0);
        const float fy = y - float(y0);
        const float a = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * fx;
        const float b = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * fx;
        return a + (b - a) * fy;
    }
};

// Separable Gaussian blur, clamp-to-edge.
void gaussianBlur(Plane &p, float sigma);

// The small functions below sit in the header so that the per-pixel loops
// inline them; the overlays need millions of calls.

inline float clamp01(float x)
{
    return std::clamp(x, 0.0f, 1.0f);
}

inline float smoothstep(float e0, float e1, float x)
{
    const float t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3.0f - 2.0f * t);
}

inline float mix(float a, float b, float t)
{
    return a + (b - a) * t;
}

// Integer hash to [0, 1).
inline float hash01(int x, int y, uint32_t seed)
{
    uint32_t h = seed * 0x9E3779B1u;
    h ^= uint32_t(x) * 0x85EBCA77u;
    h = (h << 13) | (h >> 19);
    h ^= uint32_t(y) * 0xC2B2AE3Du;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return float(h >> 8) * (1.0f / 16777216.0f);
}

// The hashed values at the four corners of one lattice cell. Neighbouring
// pixels mostly fall into the same cell, so a loop over pixels keeps the
// last cell and hashes again only when it moves on.
struct NoiseCell
{
    bool valid = false;
    int x0 = 0;
    int y0 = 0;
    float a = 0.0f;
    float b = 0.0f;
    float c = 0.0f;
    float d = 0.0f;
};

// Smooth value noise in [0, 1] on a unit lattice; `cell` carries the last
// cell's corners from call to call (same seed only).
inline float valueNoise(float x, float y, uint32_t seed, NoiseCell &cell)
{
    const float fx0 = std::floor(x);
    const float fy0 = std::floor(y);
    const int x0 = int(fx0);
    const int y0 = int(fy0);
    float tx = x - fx0;
    float ty = y - fy0;
    tx = tx * tx * tx * (tx * (tx * 6.0f - 15.0f) + 10.0f);
    ty = ty * ty * ty * (ty * (ty * 6.0f - 15.0f) + 10.0f);
    if (!cell.valid || cell.x0 != x0 || cell.y0 != y0) {
        cell.a = hash01(x0, y0, seed);
        cell.b = hash01(x0 + 1, y0, seed);
        cell.c = hash01(x0, y0 + 1, seed);
        cell.d = hash01(x0 + 1, y0 + 1, seed);
        cell.x0 = x0;
        cell.y0 = y0;
        cell.valid = true;
    }
    return mix(mix(cell.a, cell.b, tx), mix(cell.c, cell.d, tx), ty);
}

inline float valueNoise(float x, float y, uint32_t seed)
{
    NoiseCell cell;
    return valueNoise(x, y, seed, cell);
}

// Fractal sum of value noise octaves, normalised to [0, 1]; `cells` holds
// one NoiseCell per octave, carried from call to call (same seed only).
inline float fbm(float x, float y, uint32_t seed, int octaves, NoiseCell *cells)
{
    float sum = 0.0f;
    float amp = 1.0f;
    float norm = 0.0f;
    for (int i = 0; i < octaves; ++i) {
        sum += amp * valueNoise(x, y, seed + uint32_t(i) * 1013u, cells[i]);
        norm += amp;
        amp *= 0.5f;
        // Rotate-ish offset between octaves to hide lattice alignment.
        const float nx = x * 1.6f + y * 1.2f + 17.3f;
        const float ny = -x * 1.2f + y * 1.6f + 5.1f;
        x = nx;
        y = ny;
    }
    return sum / norm;
}

// fbm() of one seed and octave count at point after point, remembering each
// octave's last cell.
template <int Octaves> class Fbm
{
public:
    explicit Fbm(uint32_t seed)
        : m_seed(seed)
    { }
    float operator()(float x, float y) { return fbm(x, y, m_seed, Octaves, m_cells); }

private:
    uint32_t m_seed;
    NoiseCell m_cells[Octaves];
};

inline float fbm(float x, float y, uint32_t seed, int octaves)
{
    NoiseCell cells[16];
    return fbm(x, y, seed, std::min(octaves, 16), cells);
}

} // namespace art
