#include "assets/ice/ice_math.h"

#include <algorithm>
#include <cmath>

namespace art {

static std::vector<float> gaussianKernel(float sigma)
{
    const int radius = std::max(1, int(std::ceil(sigma * 3.0f)));
    std::vector<float> k(std::size_t(2 * radius + 1));
    float sum = 0.0f;
    for (int i = -radius; i <= radius; ++i) {
        const float v = std::exp(-(float(i) * float(i)) / (2.0f * sigma * sigma));
        k[std::size_t(i + radius)] = v;
        sum += v;
    }
    for (float &v : k)
        v /= sum;
    return k;
}

void gaussianBlur(Plane &p, float sigma)
{
    if (sigma <= 0.0f || p.w <= 0 || p.h <= 0)
        return;
    const std::vector<float> k = gaussianKernel(sigma);
    const int r = int(k.size() / 2);
    const std::size_t w = std::size_t(p.w);
    // Every output is the sum of its taps from left to right (top to bottom),
    // as a plain loop over the taps would add them, so the pixels do not
    // depend on how the loops are ordered. Taps outer, pixels inner lets the
    // compiler vectorise across pixels without reordering any sum.
    std::vector<float> tmp(p.v.size());
    std::vector<float> padded(w + 2 * std::size_t(r));
    for (int y = 0; y < p.h; ++y) {
        const float *src = p.row(y);
        std::fill(padded.begin(), padded.begin() + r, src[0]);
        std::copy(src, src + w, padded.begin() + r);
        std::fill(padded.begin() + r + std::ptrdiff_t(w), padded.end(), src[w - 1]);
        float *out = tmp.data() + std::size_t(y) * w;
        std::fill(out, out + w, 0.0f);
        for (int i = 0; i <= 2 * r; ++i) {
            const float ki = k[std::size_t(i)];
            const float *in = padded.data() + i;
            for (std::size_t x = 0; x < w; ++x)
                out[x] += ki * in[x];
        }
    }
    for (int y = 0; y < p.h; ++y) {
        float *out = p.row(y);
        std::fill(out, out + w, 0.0f);
        for (int i = -r; i <= r; ++i) {
            const float ki = k[std::size_t(i + r)];
            const float *in = tmp.data() + std::size_t(std::clamp(y + i, 0, p.h - 1)) * w;
            for (std::size_t x = 0; x < w; ++x)
                out[x] += ki * in[x];
        }
    }
}

} // namespace art
