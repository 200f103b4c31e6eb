#include "sound/sample_format.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

inline float clampUnit(float value)
{
    // Also turns NaN into 0: a comparison with NaN is false on both sides.
    if (value > 1.0f)
        return 1.0f;
    if (value >= -1.0f)
        return value;
    if (value < -1.0f)
        return -1.0f;
    return 0.0f;
}

template <typename Sample> inline void store(unsigned char *target, std::size_t index, Sample value)
{
    std::memcpy(target + index * sizeof(Sample), &value, sizeof(Sample));
}

} // namespace

std::size_t bytesPerSample(SampleFormat format)
{
    switch (format) {
    case SampleFormat::UInt8:
        return 1;
    case SampleFormat::Int16:
        return 2;
    case SampleFormat::Int32:
        return 4;
    case SampleFormat::Float:
        return 4;
    }
    return 0;
}

void convertSamples(const float *source, std::size_t count, SampleFormat format, void *target)
{
    auto *bytes = static_cast<unsigned char *>(target);
    switch (format) {
    case SampleFormat::UInt8:
        for (std::size_t i = 0; i < count; ++i)
            store(bytes, i, std::uint8_t(128 + std::lrint(clampUnit(source[i]) * 127.0f)));
        break;
    case SampleFormat::Int16:
        for (std::size_t i = 0; i < count; ++i)
            store(bytes, i, std::int16_t(std::lrint(clampUnit(source[i]) * 32767.0f)));
        break;
    case SampleFormat::Int32:
        // In double: a float holds only 24 bits, 2147483647.0f would round up
        // to 2^31 and overflow.
        for (std::size_t i = 0; i < count; ++i)
            store(bytes, i, std::int32_t(std::lrint(double(clampUnit(source[i])) * 2147483647.0)));
        break;
    case SampleFormat::Float:
        for (std::size_t i = 0; i < count; ++i)
            store(bytes, i, clampUnit(source[i]));
        break;
    }
}
