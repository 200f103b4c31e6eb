#include "assets/ice/frost_math.h"

#include <algorithm>
#include <cmath>

namespace art {

float Plane::sample(float x, float y) const
{
    x = std::clamp(x, 0.0f, float(w - 1));
    y = std::clamp(y, 0.0f, float(h - 1));
    const int x0 = std::min(int(x), w - 2);
    const int y0 = std::min(int(y), h - 2);
    const float fx = x - x0;
    const float fy = y - y0;
    const float a = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * fx;
    const float b = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * fx;
    return a + (b - a) * fy;
}

static std::vector<float> gaussianKernel(float sigma)
{
    const int radius = std::max(1, int(std::ceil(sigma * 3.0f)));
    std::vector<float> k(size_t(2 * radius + 1));
    float sum = 0.0f;
    for (int i = -radius; i <= radius; ++i) {
        const float v = std::exp(-(float(i) * float(i)) / (2.0f * sigma * sigma));
        k[size_t(i + radius)] = v;
        sum += v;
    }
    for (float &v : k)
        v /= sum;
    return k;
}

void gaussianBlur(Plane &p, float sigma)
{
    if (sigma <= 0.0f)
        return;
    const std::vector<float> k = gaussianKernel(sigma);
    const int r = int(k.size() / 2);
    std::vector<float> tmp(p.v.size());
    for (int y = 0; y < p.h; ++y) {
        for (int x = 0; x < p.w; ++x) {
            float s = 0.0f;
            for (int i = -r; i <= r; ++i)
                s += k[size_t(i + r)] * p.at(std::clamp(x + i, 0, p.w - 1), y);
            tmp[size_t(y) * p.w + x] = s;
        }
    }
    for (int y = 0; y < p.h; ++y) {
        for (int x = 0; x < p.w; ++x) {
            float s = 0.0f;
            for (int i = -r; i <= r; ++i)
                s += k[size_t(i + r)] * tmp[size_t(std::clamp(y + i, 0, p.h - 1)) * p.w + x];
            p.at(x, y) = s;
        }
    }
}

float clamp01(float x)
{
    return std::clamp(x, 0.0f, 1.0f);
}

float smoothstep(float e0, float e1, float x)
{
    const float t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3.0f - 2.0f * t);
}

float mix(float a, float b, float t)
{
    return a + (b - a) * t;
}

static uint32_t hash3(int x, int y, uint32_t seed)
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
    return h;
}

float hash01(int x, int y, uint32_t seed)
{
    return float(hash3(x, y, seed) >> 8) * (1.0f / 16777216.0f);
}

float valueNoise(float x, float y, uint32_t seed)
{
    const float fx0 = std::floor(x);
    const float fy0 = std::floor(y);
    const int x0 = int(fx0);
    const int y0 = int(fy0);
    float tx = x - fx0;
    float ty = y - fy0;
    tx = tx * tx * tx * (tx * (tx * 6.0f - 15.0f) + 10.0f);
    ty = ty * ty * ty * (ty * (ty * 6.0f - 15.0f) + 10.0f);
    const float a = hash01(x0, y0, seed);
    const float b = hash01(x0 + 1, y0, seed);
    const float c = hash01(x0, y0 + 1, seed);
    const float d = hash01(x0 + 1, y0 + 1, seed);
    return mix(mix(a, b, tx), mix(c, d, tx), ty);
}

float fbm(float x, float y, uint32_t seed, int octaves)
{
    float sum = 0.0f;
    float amp = 1.0f;
    float norm = 0.0f;
    for (int i = 0; i < octaves; ++i) {
        sum += amp * valueNoise(x, y, seed + uint32_t(i) * 1013u);
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

} // namespace art
