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

constexpr float kAttackSeconds = 0.007;    // ~95 % within 20 ms
constexpr float kReleaseSeconds = 0.019;   // -60 dB relative within 130 ms
constexpr float kLimiterThreshold = 0.89f; // -1 dBFS
constexpr float kLimiterReleaseSeconds = 0.08f;

constexpr float kCrystalsPerSecond = 320.0f; // at full level
constexpr float kTinklesPerSecond = 22.0f;
constexpr float kCrystalAmplitude = 1.0f;
constexpr float kTinkleAmplitude = 0.1f;
constexpr float kChimeAmplitude = 0.2f;
constexpr float kTickAmplitude = 0.09f;
// The whoosh glides up an octave and a fifth, from A4 to E6, in a third of
// a second: below the chime's bells and the tick, and moving where they
// stand still.
constexpr float kWhooshAmplitude = 0.22f;
constexpr double kWhooshFrom = 440.0;
constexpr double kWhooshTo = 1318.5;
constexpr double kWhooshSeconds = 0.34;

// Glitter notes: a major pentatonic scale two to three octaves above middle C.
constexpr float kTinkleNotes[] = {2093.0f, 2349.3f, 2637.0f, 3136.0f, 3520.0f, 4186.0f, 4698.6f, 5274.0f};
// The chime's arpeggio (C6 E6 G6 C7) and its bell partials.
constexpr float kChimeNotes[] = {1046.5f, 1318.5f, 1568.0f, 2093.0f};
constexpr float kChimeNoteSpacingSeconds = 0.09f;
constexpr float kChimeLongestSeconds = 2.0f;
constexpr float kDirectCutoff = 9000.0f;
struct Partial
{
    float ratio, amplitude, decaySeconds;
};
constexpr Partial kBellPartials[] = {{1.0f, 1.0f, 0.24f}, {2.76f, 0.3f, 0.11f}, {5.40f, 0.1f, 0.045f}};

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
{ }

SoundMixer::SoundMixer(int sampleRate, int channelCount, std::uint32_t seed, SoundEvents &events)
    : m_events(events)
    , m_sampleRate(std::clamp(sampleRate, 8000, 384000))
    , m_channelCount(std::clamp(channelCount, 1, kMaxChannels))
    , m_rate(float(m_sampleRate))
    ,
    // xorshift must not start at zero; mix the seed so nearby seeds differ.
    m_random((seed ^ 0x9E3779B9u) * 2654435761u | 1u)
    // Chimes, taps and whooshes asked for before this mixer was made are
    // not its to play: the events may outlive an earlier mixer that played
    // them.
    , m_chimesSeen(events.chimeRequests())
    , m_tapsSeen(events.tapRequests())
    , m_wentOnSeen(events.wentOnRequests())
    , m_limiter(kLimiterThreshold, kLimiterReleaseSeconds, m_rate)
{
    m_attack = onePoleCoefficient(kAttackSeconds, m_rate);
    m_release = onePoleCoefficient(kReleaseSeconds, m_rate);
    // Fourth-order Butterworth at 7 kHz: the crackle keeps its sparkle but
    // nothing of the hiss above.
    const float cutoff = std::min(7000.0f, 0.4f * m_rate);
    m_lowpass1 = lowpass(cutoff, 0.5412f, m_rate);
    m_lowpass2 = lowpass(cutoff, 1.3066f, m_rate);
    // The bells' and tick's onsets are sharp; take the edge off them too.
    m_directLowpass = lowpass(std::min(kDirectCutoff, 0.4f * m_rate), 0.7071f, m_rate);
    m_highpassCoefficient = std::exp(-2.0f * kPi * 400.0f / m_rate);
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
    const double x = std::min(1.0, std::log(wipeAmount / kQuietAmount) / std::log(kLoudAmount / kQuietAmount));
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
    for (Biquad *b : {&m_lowpass1, &m_lowpass2, &m_directLowpass})
        b->z1 = b->z2 = 0;
    m_highpassIn = m_highpassOut = 0;
    m_limiter.reset();
    m_crystals.clear();
    m_tinkles.clear();
    m_chime.clear();
    m_tick.clear();
    m_whoosh = Glide();
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
    const std::uint32_t wentOn = m_events.wentOnRequests();
    if (wentOn != m_wentOnSeen) {
        m_wentOnSeen = wentOn;
        startWhoosh();
    }
}

template <int N>
void SoundMixer::RingBank<N>::start(float frequency, float amplitude, float decaySeconds, float sampleRate,
                                    int startDelay, int maxSamples)
{
    if (count == N)
        return;
    const int k = count++;
    // y[n] = amplitude * r^n * sin(n w): starts at zero, so no click.
    const float w = 2.0f * kPi * frequency / sampleRate;
    const float r = std::exp(-1.0f / (decaySeconds * sampleRate));
    a1[k] = 2.0f * r * std::cos(w);
    a2[k] = r * r;
    kick[k] = -amplitude * std::sin(w) / r;
    y1[k] = 0.0f;
    y2[k] = startDelay > 0 ? 0.0f : kick[k]; // at rest it stays exactly zero
    delay[k] = startDelay;
    // Until it is 60 dB below its start, well before any denormal.
    remaining[k] = std::max(1, std::min(maxSamples, int(6.91f * decaySeconds * sampleRate)));
}

template <int N> void SoundMixer::RingBank<N>::add(float *out, int frames)
{
    if (count == 0)
        return;
    for (int k = 0; k < count; ++k) {
        if (delay[k] > 0) {
            delay[k] -= frames;
            if (delay[k] <= 0) {
                delay[k] = 0;
                y2[k] = kick[k];
            }
        }
    }
    const int groups = (count + 3) / 4;
    for (int i = 0; i < frames; ++i) {
        float sum[4] = {0, 0, 0, 0};
        for (int g = 0; g < groups; ++g) {
            for (int j = 0; j < 4; ++j) {
                const int k = 4 * g + j;
                const float y = a1[k] * y1[k] - a2[k] * y2[k];
                y2[k] = y1[k];
                y1[k] = y;
                sum[j] += y;
            }
        }
        out[i] += (sum[0] + sum[1]) + (sum[2] + sum[3]);
    }
    for (int k = 0; k < count;) {
        if (delay[k] == 0 && (remaining[k] -= frames) <= 0) {
            // The last sounding voice takes this slot; the freed one is zeroed.
            const int last = --count;
            a1[k] = a1[last], a2[k] = a2[last], y1[k] = y1[last], y2[k] = y2[last];
            kick[k] = kick[last], delay[k] = delay[last], remaining[k] = remaining[last];
            a1[last] = a2[last] = y1[last] = y2[last] = kick[last] = 0.0f;
            delay[last] = remaining[last] = 0;
        } else {
            ++k;
        }
    }
}

template <int N> void SoundMixer::RingBank<N>::clear()
{
    *this = RingBank();
}

template <int N> void SoundMixer::CrystalBank<N>::add(float *out, int frames)
{
    if (count == 0)
        return;
    const int groups = (count + 3) / 4;
    for (int i = 0; i < frames; ++i) {
        float sum[4] = {0, 0, 0, 0};
        for (int g = 0; g < groups; ++g) {
            for (int j = 0; j < 4; ++j) {
                const int k = 4 * g + j;
                std::uint32_t x = noise[k];
                x ^= x << 13;
                x ^= x >> 17;
                x ^= x << 5;
                noise[k] = x;
                const float white = float(std::int32_t(x)) * (1.0f / 2147483648.0f);
                rise[k] *= riseDecay[k];
                fall[k] *= fallDecay[k];
                // Chamberlin state-variable filter, band-pass output.
                low[k] += f[k] * band[k];
                const float high = white * (fall[k] - rise[k]) - low[k] - damping[k] * band[k];
                band[k] += f[k] * high;
                sum[j] += band[k];
            }
        }
        out[i] += (sum[0] + sum[1]) + (sum[2] + sum[3]);
    }
    for (int k = 0; k < count;) {
        if ((remaining[k] -= frames) <= 0) {
            const int last = --count;
            rise[k] = rise[last], riseDecay[k] = riseDecay[last], fall[k] = fall[last];
            fallDecay[k] = fallDecay[last], f[k] = f[last], damping[k] = damping[last];
            low[k] = low[last], band[k] = band[last], noise[k] = noise[last];
            remaining[k] = remaining[last];
            rise[last] = riseDecay[last] = fall[last] = fallDecay[last] = 0.0f;
            f[last] = damping[last] = low[last] = band[last] = 0.0f;
            noise[last] = 0u;
            remaining[last] = 0;
        } else {
            rise[k] = flushed(rise[k]);
            fall[k] = flushed(fall[k]);
            low[k] = flushed(low[k]);
            band[k] = flushed(band[k]);
            ++k;
        }
    }
}

template <int N> void SoundMixer::CrystalBank<N>::clear()
{
    *this = CrystalBank();
}

void SoundMixer::spawnCrystal()
{
    CrystalBank<24> &c = m_crystals;
    if (c.count == 24)
        return;
    const int k = c.count++;
    // Centre 1.8-6.5 kHz (log-uniform), Q 3-8, a 0.3 ms rise and a 2-9 ms fall.
    const float centre = std::min(1800.0f * std::pow(3.6f, uniform()), 0.12f * m_rate);
    const float q = 3.0f + 5.0f * uniform();
    const float fallSeconds = 0.002f + 0.007f * uniform();
    const float amplitude = kCrystalAmplitude * (0.35f + 0.65f * uniform());
    c.f[k] = 2.0f * std::sin(kPi * centre / m_rate);
    c.damping[k] = 1.0f / q;
    // The band output peaks at about q; scale so every crystal peaks alike.
    c.rise[k] = c.fall[k] = amplitude * c.damping[k];
    c.riseDecay[k] = std::exp(-1.0f / (0.0003f * m_rate));
    c.fallDecay[k] = std::exp(-1.0f / (fallSeconds * m_rate));
    c.low[k] = c.band[k] = 0.0f;
    c.noise[k] = nextRandom() | 1u;
    // The envelope's -60 dB plus a few milliseconds for the filter to ring out.
    c.remaining[k] = int((6.9f * fallSeconds + 0.003f) * m_rate);
}

void SoundMixer::spawnTinkle()
{
    const std::size_t note = std::min<std::size_t>(std::size(kTinkleNotes) - 1,
                                                   std::size_t(uniform() * std::size(kTinkleNotes)));
    const float frequency = std::min(kTinkleNotes[note], 0.4f * m_rate);
    const float amplitude = kTinkleAmplitude * (0.3f + 0.7f * uniform());
    m_tinkles.start(frequency, amplitude, 0.025f + 0.05f * uniform(), m_rate, 0, m_sampleRate);
}

void SoundMixer::startChime()
{
    // A new appearance restarts the chime rather than piling one on another.
    m_chime.clear();
    const int longest = int(kChimeLongestSeconds * m_rate);
    for (std::size_t note = 0; note < std::size(kChimeNotes); ++note) {
        const int onset = int(float(note) * kChimeNoteSpacingSeconds * m_rate);
        for (const Partial &partial : kBellPartials) {
            const float frequency = kChimeNotes[note] * partial.ratio;
            if (frequency < std::min(kDirectCutoff, 0.45f * m_rate))
                m_chime.start(frequency, kChimeAmplitude * partial.amplitude, partial.decaySeconds, m_rate, onset,
                              longest - onset - kBlock);
        }
    }
}

void SoundMixer::startTick()
{
    m_tick.clear();
    m_tick.start(std::min(3200.0f, 0.4f * m_rate), kTickAmplitude, 0.0012f, m_rate, 0, m_sampleRate);
    m_tick.start(std::min(1600.0f, 0.4f * m_rate), 0.6f * kTickAmplitude, 0.002f, m_rate, 0, m_sampleRate);
}

void SoundMixer::startWhoosh()
{
    Glide &g = m_whoosh;
    g = Glide();
    g.length = std::max(1, int(kWhooshSeconds * double(m_rate)));
    g.remaining = g.length;
    const double to = std::min(kWhooshTo, 0.2 * double(m_rate)); // its octave stays below Nyquist
    g.step = 2.0 * double(kPi) * kWhooshFrom / double(m_rate);
    g.stepGrowth = std::pow(to / kWhooshFrom, 1.0 / double(g.length));
}

void SoundMixer::Glide::add(float *out, int frames, float amplitude)
{
    for (int i = 0; i < frames && remaining > 0; ++i, --remaining, ++done) {
        // A swell over the first fifth and a raised-cosine fade after: no
        // click at either end.
        const double t = double(done) / double(length);
        const double envelope = t < 0.2 ? std::sin(0.5 * double(kPi) * t / 0.2)
                                        : 0.5 + 0.5 * std::cos(double(kPi) * (t - 0.2) / 0.8);
        out[i] += float(double(amplitude) * envelope * (std::sin(phase) + 0.35 * std::sin(2.0 * phase)));
        phase += step;
        if (phase > 2.0 * double(kPi))
            phase -= 2.0 * double(kPi);
        step *= stepGrowth;
    }
}

void SoundMixer::renderBlock(float *mono, int frames)
{
    std::fill(m_crackle.begin(), m_crackle.begin() + frames, 0.0f);
    std::fill(m_direct.begin(), m_direct.begin() + frames, 0.0f);

    // New grains, at a density that follows the smoothed level (a Poisson
    // process: exponential gaps measured in expected grains).
    if (m_level > 0.0f) {
        const double blockSeconds = double(frames) / double(m_rate);
        m_crystalClock += double(kCrystalsPerSecond * std::sqrt(m_level)) * blockSeconds;
        while (m_crystalClock >= m_crystalNext) {
            m_crystalClock -= m_crystalNext;
            m_crystalNext = -std::log(1.0 - double(uniform()));
            spawnCrystal();
        }
        m_tinkleClock += double(kTinklesPerSecond * std::sqrt(m_level)) * blockSeconds;
        while (m_tinkleClock >= m_tinkleNext) {
            m_tinkleClock -= m_tinkleNext;
            m_tinkleNext = -std::log(1.0 - double(uniform()));
            spawnTinkle();
        }
    }

    m_crystals.add(m_crackle.data(), frames);
    m_tinkles.add(m_crackle.data(), frames);
    m_chime.add(m_direct.data(), frames);
    m_tick.add(m_direct.data(), frames);
    m_whoosh.add(m_direct.data(), frames, kWhooshAmplitude);

    const float target = m_targetLevel;
    const float smoothing = target > m_level ? m_attack : m_release;
    for (int i = 0; i < frames; ++i) {
        // The crackle bus: rumble and hiss taken off, then the smooth gain.
        const float in = m_crackle[std::size_t(i)];
        m_highpassOut = m_highpassCoefficient * (m_highpassOut + in - m_highpassIn);
        m_highpassIn = in;
        const float filtered = m_lowpass2.process(m_lowpass1.process(m_highpassOut));
        m_level += smoothing * (target - m_level);
        const float y = m_level * filtered + m_directLowpass.process(m_direct[std::size_t(i)]);
        mono[i] = std::clamp(m_limiter.process(y), -1.0f, 1.0f);
    }
    if (target == 0.0f && m_level < 1e-6f)
        m_level = 0.0f;
    m_highpassIn = flushed(m_highpassIn);
    m_highpassOut = flushed(m_highpassOut);
    for (Biquad *b : {&m_lowpass1, &m_lowpass2, &m_directLowpass}) {
        b->z1 = flushed(b->z1);
        b->z2 = flushed(b->z2);
    }
    m_limiter.flushTiny();
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
        m_wentOnSeen = m_events.wentOnRequests();
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
