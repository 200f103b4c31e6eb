#pragma once

#include "sound/peak_limiter.h"
#include "sound/sample_format.h"
#include "sound/sound_events.h"

#include <array>
#include <cstddef>
#include <cstdint>

// The game's sounds, synthesized as they play: a soft crackle of ice crystals
// and glittery tinkles whose loudness follows the amount of ice wiped, a bell
// chime each time the banner appears, a short tick for a tool tap and a
// rising whoosh when the wave target brings the next picture.
//
// Events come in through SoundEvents (lock-free), so the setters may be called
// from any thread while another one renders. render() allocates nothing,
// takes no lock and flushes values that decay towards denormals. For the same
// seed, the same events and the same render calls the output is the same.
class SoundMixer
{
public:
    static constexpr int kMaxChannels = 8;

    // sampleRate in Hz (8000..384000), channelCount 1..kMaxChannels; values
    // outside are clamped. Every channel carries the same signal.
    SoundMixer(int sampleRate, int channelCount, std::uint32_t seed);
    // The same, reading events that someone else owns and that outlive this.
    SoundMixer(int sampleRate, int channelCount, std::uint32_t seed, SoundEvents &events);
    SoundMixer(const SoundMixer &) = delete;
    SoundMixer &operator=(const SoundMixer &) = delete;

    void setWipeAmount(double amount) { m_events.setWipeAmount(amount); }
    void setBannerShown(bool shown) { m_events.setBannerShown(shown); }
    void tap() { m_events.tap(); }
    void wentOn() { m_events.wentOn(); }
    void setEnabled(bool enabled) { m_events.setEnabled(enabled); }

    // frames interleaved frames of channelCount() floats, never beyond -1..1.
    void render(float *interleaved, std::size_t frames);
    // The same, converted to the device's format (frames * channelCount()
    // samples of bytesPerSample(format) bytes each).
    void render(SampleFormat format, void *target, std::size_t frames);

    int sampleRate() const { return m_sampleRate; }
    int channelCount() const { return m_channelCount; }

    // The crackle's loudness for a wipe amount before smoothing, 0..1:
    // compressive, so that a small movement is quiet and a hand clearly heard.
    static float crackleLevel(double wipeAmount);

private:
    static constexpr int kBlock = 64;

    // Voices are kept in banks, structure of arrays, the sounding ones packed
    // at the front: each sample runs every voice side by side in groups of
    // four, so the compiler can use vector registers and no voice's filter
    // waits for another's. Slots past the count are all zero. Voices start and
    // end on block boundaries (64 samples, 1.3 ms at 48 kHz).

    // Decaying sines (bell partials, tinkles, ticks): two-pole resonators.
    template <int N> struct RingBank
    {
        static_assert(N % 4 == 0);
        alignas(16) std::array<float, N> a1{}, a2{}, y1{}, y2{}, kick{};
        std::array<int, N> delay{};     // samples before it starts
        std::array<int, N> remaining{}; // samples it sounds once started
        int count = 0;

        void start(float frequency, float amplitude, float decaySeconds, float sampleRate, int startDelay,
                   int maxSamples);
        void add(float *out, int frames);
        void clear();
    };

    // Band-pass filtered noise bursts: tiny ice crystals.
    template <int N> struct CrystalBank
    {
        static_assert(N % 4 == 0);
        alignas(16) std::array<float, N> rise{}, riseDecay{}, fall{}, fallDecay{}, f{}, damping{}, low{}, band{};
        alignas(16) std::array<std::uint32_t, N> noise{};
        std::array<int, N> remaining{};
        int count = 0;

        void add(float *out, int frames);
        void clear();
    };

    void pollEvents();
    void reset();
    void renderBlock(float *mono, int frames);
    void spawnCrystal();
    void spawnTinkle();
    void startChime();
    void startTick();
    void startWhoosh();
    std::uint32_t nextRandom();
    float uniform(); // [0, 1)

    SoundEvents m_ownEvents;
    SoundEvents &m_events;
    int m_sampleRate;
    int m_channelCount;
    float m_rate;
    std::uint32_t m_random;

    bool m_wasEnabled = true;
    std::uint32_t m_chimesSeen = 0;
    std::uint32_t m_tapsSeen = 0;
    std::uint32_t m_wentOnSeen = 0;

    float m_targetLevel = 0;
    float m_level = 0; // smoothed crackle gain
    float m_attack, m_release;
    double m_crystalClock = 0, m_crystalNext = 1;
    double m_tinkleClock = 0, m_tinkleNext = 1;

    // Transposed direct form II biquad.
    struct Biquad
    {
        float b0 = 0, b1 = 0, b2 = 0, a1 = 0, a2 = 0, z1 = 0, z2 = 0;
        float process(float x)
        {
            const float y = b0 * x + z1;
            z1 = b1 * x - a1 * y + z2;
            z2 = b2 * x - a2 * y;
            return y;
        }
    };
    static Biquad lowpass(float frequency, float q, float sampleRate);

    Biquad m_lowpass1, m_lowpass2; // the crackle's
    Biquad m_directLowpass;        // the chime's and the tick's
    float m_highpassIn = 0, m_highpassOut = 0, m_highpassCoefficient;
    PeakLimiter m_limiter;

    CrystalBank<24> m_crystals;
    RingBank<12> m_tinkles;
    RingBank<12> m_chime;
    RingBank<4> m_tick;

    // The whoosh: a sine that glides up, with its octave, under a smooth
    // swell and fade. Sounding while `remaining` > 0.
    struct Glide
    {
        double phase = 0.0;
        double step = 0.0;       // radians a sample, now
        double stepGrowth = 1.0; // the step's factor a sample
        int done = 0;
        int remaining = 0;
        int length = 0;
        void add(float *out, int frames, float amplitude);
    } m_whoosh;

    std::array<float, kBlock> m_crackle{};
    std::array<float, kBlock> m_direct{};
    std::array<float, kBlock> m_mono{};
    std::array<float, kBlock * kMaxChannels> m_interleaved{};
};
