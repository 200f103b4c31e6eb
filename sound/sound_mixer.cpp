#include "sound/sound_mixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr float kPi = 3.14159265358979f;

// Below these the crackle is silent and above them at its loudest. A still
// room (camera noise) stays under the floor; a hand (0.005-0.05) is loud.
constexpr double kQuietAmount = 0.0002;
constexpr double kLoudAmount = 0.05;

constexpr float kAttackSeconds = 0.007;  // ~95 % within 20 ms
constexpr float kReleaseSeconds = 0.019; // -60 dB relative within 130 ms
constexpr float kLimiterThreshold = 0.89f; // -1 dBFS
constexpr float kLimiterReleaseSeconds = 0.08f;

constexpr float kCrystalsPerSecond = 320.0f; // at full level
constexpr float kTinklesPerSecond = 22.0f;
constexpr float kCrystalAmplitude = 1.0f;
constexpr float kTinkleAmplitude = 0.1f;
constexpr float kChimeAmplitude = 0.2f;
constexpr float kTickAmplitude = 0.09f;

// Glitter notes: a major pentatonic scale two to three octaves above middle C.
constexpr float kTinkleNotes[] = {2093.0f, 2349.3f, 2637.0f, 3136.0f, 3520.0f,
                                  4186.0f, 4698.6f, 5274.0f};
// The chime's arpeggio (C6 E6 G6 C7) and its bell partials.
constexpr float kChimeNotes[] = {1046.5f, 1318.5f, 1568.0f, 2093.0f};
constexpr float kChimeNoteSpacingSeconds = 0.09f;
constexpr float kChimeLongestSeconds = 2.0f;
struct Partial
{
    float ratio, amplitude, decaySeconds;
};
constexpr Partial kBellPartials[] = {{1.0f, 1.0f, 0.24f}, {2.76f, 0.3f, 0.11f},
                                     {5.40f, 0.1f, 0.045f}};

// Values this small are flushed to zero so no filter state ever decays into
// denormals (which are slow and would follow a loud burst for minutes).
constexpr float kFlush = 1e-12f;
inline float flushed(float value)
{
    return std::fabs(value) < kFlush ? 0.0f : value;
}

inline float onePoleCoefficient(float seconds, float sampleRate)
{
    return 1.0f - std::exp(-1.0f / (seconds * sampleRate));
}

} // namespace

SoundMixer::SoundMixer(int sampleRate, int channelCount, std::uint32_t seed)
    : SoundMixer(sampleRate, channelCount, seed, m_ownEvents)
{
}

SoundMixer::SoundMixer(int sampleRate, int channelCount, std::uint32_t seed, SoundEvents &events)
    : m_events(events),
      m_sampleRate(std::clamp(sampleRate, 8000, 384000)),
      m_channelCount(std::clamp(channelCount, 1, kMaxChannels)),
      m_rate(float(m_sampleRate)),
      // xorshift must not start at zero; mix the seed so nearby seeds differ.
      m_random((seed ^ 0x9E3779B9u) * 2654435761u | 1u)
{
    m_attack = onePoleCoefficient(kAttackSeconds, m_rate);
    m_release = onePoleCoefficient(kReleaseSeconds, m_rate);
    // Fourth-order Butterworth at 7 kHz: the crackle keeps its sparkle but
    // nothing of the hiss above.
    const float cutoff = std::min(7000.0f, 0.4f * m_rate);
    m_lowpass1 = lowpass(cutoff, 0.5412f, m_rate);
    m_lowpass2 = lowpass(cutoff, 1.3066f, m_rate);
    m_highpassCoefficient = std::exp(-2.0f * kPi * 400.0f / m_rate);
    m_limiterRelease = std::exp(-1.0f / (kLimiterReleaseSeconds * m_rate));
    m_crystalNext = -std::log(1.0 - double(uniform()));
    m_tinkleNext = -std::log(1.0 - double(uniform()));
}

SoundMixer::Biquad SoundMixer::lowpass(float frequency, float q, float sampleRate)
{
    const float w = 2.0f * kPi * frequency / sampleRate;
    const float alpha = std::sin(w) / (2.0f * q);
    const float cosw = std::cos(w);
    const float a0 = 1.0f + alpha;
    Biquad b;
    b.b0 = (1.0f - cosw) / 2.0f / a0;
    b.b1 = (1.0f - cosw) / a0;
    b.b2 = b.b0;
    b.a1 = -2.0f * cosw / a0;
    b.a2 = (1.0f - alpha) / a0;
    return b;
}

float SoundMixer::crackleLevel(double wipeAmount)
{
    if (!(wipeAmount > kQuietAmount))
        return 0.0f;
    const double x = std::min(1.0, std::log(wipeAmount / kQuietAmount)
                                       / std::log(kLoudAmount / kQuietAmount));
    return float(x * x);
}

std::uint32_t SoundMixer::nextRandom()
{
    std::uint32_t x = m_random;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    m_random = x;
    return x;
}

float SoundMixer::uniform()
{
    return float(nextRandom() >> 8) * (1.0f / 16777216.0f);
}

void SoundMixer::reset()
{
    m_level = 0;
    m_targetLevel = 0;
    m_lowpass1.z1 = m_lowpass1.z2 = m_lowpass2.z1 = m_lowpass2.z2 = 0;
    m_highpassIn = m_highpassOut = 0;
    m_limiterEnvelope = 0;
    for (auto &crystal : m_crystals)
        crystal.remaining = 0;
    for (auto &ring : m_tinkles)
        ring.remaining = 0;
    for (auto &ring : m_chime)
        ring.remaining = 0;
    for (auto &ring : m_tick)
        ring.remaining = 0;
}

void SoundMixer::pollEvents()
{
    m_targetLevel = crackleLevel(m_events.wipeAmount());
    const std::uint32_t chimes = m_events.chimeRequests();
    if (chimes != m_chimesSeen) {
        m_chimesSeen = chimes;
        startChime();
    }
    const std::uint32_t taps = m_events.tapRequests();
    if (taps != m_tapsSeen) {
        m_tapsSeen = taps;
        startTick();
    }
}

void SoundMixer::startRing(Ring &ring, float frequency, float amplitude, float decaySeconds,
                           float sampleRate, int delay, int maxSamples)
{
    // y[n] = amplitude * r^n * sin(n w): starts at zero, so no click.
    const float w = 2.0f * kPi * frequency / sampleRate;
    const float r = std::exp(-1.0f / (decaySeconds * sampleRate));
    ring.a1 = 2.0f * r * std::cos(w);
    ring.a2 = r * r;
    ring.y1 = 0.0f;
    ring.y2 = -amplitude * std::sin(w) / r;
    ring.delay = delay;
    // Until it is 60 dB below its start, well before any denormal.
    ring.remaining = std::max(1, std::min(maxSamples, int(6.91f * decaySeconds * sampleRate)));
}

void SoundMixer::spawnCrystal(int delay)
{
    auto free = std::find_if(m_crystals.begin(), m_crystals.end(),
                             [](const Crystal &c) { return c.remaining == 0; });
    if (free == m_crystals.end())
        return;
    // Centre 1.8-6.5 kHz (log-uniform), Q 3-8, a 0.3 ms rise and a 2-9 ms fall.
    const float centre = std::min(1800.0f * std::pow(3.6f, uniform()), 0.12f * m_rate);
    const float q = 3.0f + 5.0f * uniform();
    const float fallSeconds = 0.002f + 0.007f * uniform();
    const float amplitude = kCrystalAmplitude * (0.35f + 0.65f * uniform());
    Crystal &c = *free;
    c.f = 2.0f * std::sin(kPi * centre / m_rate);
    c.damping = 1.0f / q;
    // The band output peaks at about q; scale so every crystal peaks alike.
    c.rise = c.fall = amplitude * c.damping;
    c.riseDecay = std::exp(-1.0f / (0.0003f * m_rate));
    c.fallDecay = std::exp(-1.0f / (fallSeconds * m_rate));
    c.low = c.band = 0.0f;
    c.delay = delay;
    // The envelope's -60 dB plus a few milliseconds for the filter to ring out.
    c.remaining = int((6.9f * fallSeconds + 0.003f) * m_rate);
}

void SoundMixer::spawnTinkle(int delay)
{
    auto free = std::find_if(m_tinkles.begin(), m_tinkles.end(),
                             [](const Ring &r) { return r.remaining == 0; });
    if (free == m_tinkles.end())
        return;
    const std::size_t note = std::min<std::size_t>(std::size(kTinkleNotes) - 1,
                                                   std::size_t(uniform() * std::size(kTinkleNotes)));
    const float frequency = std::min(kTinkleNotes[note], 0.4f * m_rate);
    startRing(*free, frequency, kTinkleAmplitude * (0.3f + 0.7f * uniform()),
              0.025f + 0.05f * uniform(), m_rate, delay, m_sampleRate);
}

void SoundMixer::startChime()
{
    // A new appearance restarts the chime rather than piling one on another.
    std::size_t slot = 0;
    const int longest = int(kChimeLongestSeconds * m_rate);
    for (std::size_t note = 0; note < std::size(kChimeNotes); ++note) {
        const int onset = int(float(note) * kChimeNoteSpacingSeconds * m_rate);
        for (const Partial &partial : kBellPartials) {
            const float frequency = kChimeNotes[note] * partial.ratio;
            if (frequency >= 0.45f * m_rate || slot >= m_chime.size())
                continue;
            startRing(m_chime[slot++], frequency, kChimeAmplitude * partial.amplitude,
                      partial.decaySeconds, m_rate, onset, longest - onset);
        }
    }
    for (; slot < m_chime.size(); ++slot)
        m_chime[slot].remaining = 0;
}

void SoundMixer::startTick()
{
    startRing(m_tick[0], std::min(3200.0f, 0.4f * m_rate), kTickAmplitude, 0.0012f, m_rate, 0,
              m_sampleRate);
    startRing(m_tick[1], std::min(1600.0f, 0.4f * m_rate), 0.6f * kTickAmplitude, 0.002f, m_rate,
              0, m_sampleRate);
}

void SoundMixer::addRings(Ring *rings, std::size_t count, float *out, int frames)
{
    for (std::size_t k = 0; k < count; ++k) {
        Ring &ring = rings[k];
        if (ring.remaining == 0)
            continue;
        const int start = std::min(ring.delay, frames);
        ring.delay -= start;
        const int end = start + std::min(frames - start, ring.remaining);
        float y1 = ring.y1, y2 = ring.y2;
        const float a1 = ring.a1, a2 = ring.a2;
        for (int i = start; i < end; ++i) {
            const float y = a1 * y1 - a2 * y2;
            y2 = y1;
            y1 = y;
            out[i] += y;
        }
        ring.y1 = y1;
        ring.y2 = y2;
        ring.remaining -= end - start;
    }
}

void SoundMixer::renderBlock(float *mono, int frames)
{
    std::fill(m_crackle.begin(), m_crackle.begin() + frames, 0.0f);
    std::fill(m_direct.begin(), m_direct.begin() + frames, 0.0f);

    // New grains, at a density that follows the smoothed level (a Poisson
    // process: exponential gaps measured in expected-grain units).
    if (m_level > 0.0f) {
        const double crystalStep = double(kCrystalsPerSecond * std::sqrt(m_level)) / m_rate;
        const double tinkleStep = double(kTinklesPerSecond * std::sqrt(m_level)) / m_rate;
        for (int i = 0; i < frames; ++i) {
            m_crystalClock += crystalStep;
            if (m_crystalClock >= m_crystalNext) {
                m_crystalClock -= m_crystalNext;
                m_crystalNext = -std::log(1.0 - double(uniform()));
                spawnCrystal(i);
            }
            m_tinkleClock += tinkleStep;
            if (m_tinkleClock >= m_tinkleNext) {
                m_tinkleClock -= m_tinkleNext;
                m_tinkleNext = -std::log(1.0 - double(uniform()));
                spawnTinkle(i);
            }
        }
    }

    std::uint32_t random = m_random;
    for (Crystal &c : m_crystals) {
        if (c.remaining == 0)
            continue;
        const int start = std::min(c.delay, frames);
        c.delay -= start;
        const int end = start + std::min(frames - start, c.remaining);
        float rise = c.rise, fall = c.fall, low = c.low, band = c.band;
        const float f = c.f, damping = c.damping, riseDecay = c.riseDecay,
                    fallDecay = c.fallDecay;
        for (int i = start; i < end; ++i) {
            random ^= random << 13;
            random ^= random >> 17;
            random ^= random << 5;
            const float noise = float(std::int32_t(random)) * (1.0f / 2147483648.0f);
            rise *= riseDecay;
            fall *= fallDecay;
            const float x = noise * (fall - rise);
            low += f * band;
            const float high = x - low - damping * band;
            band += f * high;
            m_crackle[std::size_t(i)] += band;
        }
        c.rise = flushed(rise);
        c.fall = flushed(fall);
        c.low = flushed(low);
        c.band = flushed(band);
        c.remaining -= end - start;
    }
    m_random = random;

    addRings(m_tinkles.data(), m_tinkles.size(), m_crackle.data(), frames);
    addRings(m_chime.data(), m_chime.size(), m_direct.data(), frames);
    addRings(m_tick.data(), m_tick.size(), m_direct.data(), frames);

    const float target = m_targetLevel;
    const float smoothing = target > m_level ? m_attack : m_release;
    for (int i = 0; i < frames; ++i) {
        // The crackle bus: rumble and hiss taken off, then the smooth gain.
        const float in = m_crackle[std::size_t(i)];
        m_highpassOut = m_highpassCoefficient * (m_highpassOut + in - m_highpassIn);
        m_highpassIn = in;
        const float filtered = m_lowpass2.process(m_lowpass1.process(m_highpassOut));
        m_level += smoothing * (target - m_level);
        float y = m_level * filtered + m_direct[std::size_t(i)];

        // Peak limiter with instant attack: |y| never exceeds the threshold.
        m_limiterEnvelope = std::max(std::fabs(y), m_limiterEnvelope * m_limiterRelease);
        if (m_limiterEnvelope > kLimiterThreshold)
            y *= kLimiterThreshold / m_limiterEnvelope;
        mono[i] = std::clamp(y, -1.0f, 1.0f);
    }
    if (target == 0.0f && m_level < 1e-6f)
        m_level = 0.0f;
    m_highpassIn = flushed(m_highpassIn);
    m_highpassOut = flushed(m_highpassOut);
    for (Biquad *b : {&m_lowpass1, &m_lowpass2}) {
        b->z1 = flushed(b->z1);
        b->z2 = flushed(b->z2);
    }
    if (m_limiterEnvelope < 1e-9f)
        m_limiterEnvelope = 0.0f;
}

void SoundMixer::render(float *interleaved, std::size_t frames)
{
    const std::size_t channels = std::size_t(m_channelCount);
    if (!m_events.isEnabled()) {
        // Silence at almost no cost; requests made meanwhile are dropped so
        // that enabling again does not play stale sounds.
        if (m_wasEnabled)
            reset();
        m_wasEnabled = false;
        m_chimesSeen = m_events.chimeRequests();
        m_tapsSeen = m_events.tapRequests();
        std::fill(interleaved, interleaved + frames * channels, 0.0f);
        return;
    }
    m_wasEnabled = true;
    while (frames > 0) {
        const int block = int(std::min<std::size_t>(frames, kBlock));
        pollEvents();
        renderBlock(m_mono.data(), block);
        for (int i = 0; i < block; ++i) {
            for (std::size_t c = 0; c < channels; ++c)
                interleaved[c] = m_mono[std::size_t(i)];
            interleaved += channels;
        }
        frames -= std::size_t(block);
    }
}

void SoundMixer::render(SampleFormat format, void *target, std::size_t frames)
{
    auto *bytes = static_cast<unsigned char *>(target);
    const std::size_t channels = std::size_t(m_channelCount);
    const std::size_t frameBytes = channels * bytesPerSample(format);
    while (frames > 0) {
        const std::size_t block = std::min<std::size_t>(frames, kBlock);
        render(m_interleaved.data(), block);
        convertSamples(m_interleaved.data(), block * channels, format, bytes);
        bytes += block * frameBytes;
        frames -= block;
    }
}
