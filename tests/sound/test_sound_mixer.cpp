#include "sound/sample_format.h"
#include "sound/sound_mixer.h"

#include <QtTest>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

Q_DECLARE_METATYPE(SampleFormat)

// The synthesis without a sound device: silence when nothing happens, a
// crackle that grows with the ice wiped and fades out fast, a chime once per
// banner appearance, never above full scale, deterministic for a seed.
namespace {

constexpr int kRate = 48000;

// Renders like a device: in 10 ms periods.
std::vector<float> render(SoundMixer &mixer, double seconds)
{
    const std::size_t frames = std::size_t(seconds * mixer.sampleRate());
    const std::size_t channels = std::size_t(mixer.channelCount());
    std::vector<float> out(frames * channels);
    const std::size_t period = std::size_t(mixer.sampleRate() / 100);
    for (std::size_t at = 0; at < frames; at += period)
        mixer.render(out.data() + at * channels, std::min(period, frames - at));
    return out;
}

float peak(const std::vector<float> &samples, std::size_t from = 0)
{
    float p = 0;
    for (std::size_t i = from; i < samples.size(); ++i)
        p = std::max(p, std::fabs(samples[i]));
    return p;
}

double rmsDb(const std::vector<float> &samples, std::size_t from = 0)
{
    double sum = 0;
    for (std::size_t i = from; i < samples.size(); ++i)
        sum += double(samples[i]) * samples[i];
    const double rms = std::sqrt(sum / double(samples.size() - from));
    return 20.0 * std::log10(std::max(rms, 1e-12));
}

// A hand in front of the camera: a new amount every camera frame (30 fps).
std::vector<float> renderMotion(SoundMixer &mixer, double seconds, double low, double high)
{
    std::vector<float> out;
    std::uint32_t state = 12345;
    const std::size_t frameSamples = std::size_t(mixer.sampleRate() / 30) * std::size_t(mixer.channelCount());
    for (int f = 0; f < int(seconds * 30); ++f) {
        state = state * 1664525u + 1013904223u;
        mixer.setWipeAmount(low + (high - low) * double(state >> 8) / 16777216.0);
        out.resize(out.size() + frameSamples);
        mixer.render(out.data() + out.size() - frameSamples, std::size_t(mixer.sampleRate() / 30));
    }
    return out;
}

} // namespace

class TestSoundMixer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void silenceIsExactZeros_data()
    {
        QTest::addColumn<double>("amount");
        QTest::addColumn<bool>("disabled");
        QTest::newRow("nothing wiped") << 0.0 << false;
        QTest::newRow("camera noise below the floor") << 0.0001 << false;
        QTest::newRow("a nonsense amount (NaN)") << std::nan("") << false;
        QTest::newRow("negative amount") << -0.5 << false;
        QTest::newRow("disabled while a hand waves, the banner shows, a tool is tapped and the target goes on")
            << 0.03 << true;
    }

    void silenceIsExactZeros()
    {
        QFETCH(double, amount);
        QFETCH(bool, disabled);
        SoundMixer mixer(kRate, 2, 1);
        mixer.setEnabled(!disabled);
        mixer.setWipeAmount(amount);
        if (disabled) {
            mixer.setBannerShown(true);
            mixer.tap();
            mixer.wentOn();
        }
        const std::vector<float> out = render(mixer, 1.0);
        QVERIFY(std::all_of(out.begin(), out.end(), [](float s) { return s == 0.0f; }));
    }

    void enablingAgainDoesNotPlayWhatWasAskedMeanwhile()
    {
        SoundMixer mixer(kRate, 1, 1);
        mixer.setEnabled(false);
        mixer.setBannerShown(true);
        mixer.tap();
        render(mixer, 0.1);
        mixer.setEnabled(true);
        QCOMPARE(peak(render(mixer, 1.0)), 0.0f);
        // While enabled the same requests do sound.
        mixer.setBannerShown(false);
        mixer.setBannerShown(true);
        QVERIFY(peak(render(mixer, 1.0)) > 0.05f);
    }

    // A mixer made anew over events that outlive it (the desktop makes one
    // for each stream, as the sound server comes back) plays what is asked
    // from then on, not a chime, tick or whoosh asked for before it was there.
    void aNewMixerDoesNotPlayWhatWasAskedBeforeIt()
    {
        SoundEvents events;
        {
            SoundMixer earlier(kRate, 1, 1, events);
            events.setBannerShown(true);
            events.tap();
            events.wentOn();
            QVERIFY(peak(render(earlier, 1.0)) > 0.05f);
        }
        SoundMixer later(kRate, 1, 2, events);
        QCOMPARE(peak(render(later, 1.0)), 0.0f);
        events.tap();
        QVERIFY(peak(render(later, 0.2)) > 0.0f);
    }

    void loudnessGrowsWithTheAmountWiped()
    {
        // A still room, a small ball, a hand: each clearly louder than the one
        // before (1 s of steady motion, the first 0.2 s of attack left out).
        const double amounts[] = {0.0003, 0.001, 0.003, 0.01, 0.03, 0.05};
        double previous = -200;
        for (double amount : amounts) {
            SoundMixer mixer(kRate, 1, 99);
            mixer.setWipeAmount(amount);
            const double db = rmsDb(render(mixer, 1.2), kRate / 5);
            qInfo("amount %.4f: %.1f dBFS RMS", amount, db);
            QVERIFY2(db > previous + 2.0, qPrintable(QStringLiteral("%1 wiped").arg(amount)));
            previous = db;
        }
    }

    void aSmallMovementIsQuietAndAHandClearlyAudible()
    {
        SoundMixer ball(kRate, 1, 5);
        const double ballDb = rmsDb(renderMotion(ball, 2.0, 0.001, 0.003));
        SoundMixer hand(kRate, 1, 5);
        const double handDb = rmsDb(renderMotion(hand, 2.0, 0.005, 0.05));
        qInfo("ball %.1f dBFS, hand %.1f dBFS RMS", ballDb, handDb);
        QVERIFY(ballDb < -35.0);
        QVERIFY(handDb > -30.0);
        QVERIFY(handDb - ballDb > 10.0);
    }

    void silentWithin150msOfTheMotionStopping_data()
    {
        QTest::addColumn<double>("amount");
        QTest::newRow("small ball") << 0.002;
        QTest::newRow("waving hand") << 0.02;
        QTest::newRow("everything wiped at once") << 1.0;
    }

    void silentWithin150msOfTheMotionStopping()
    {
        QFETCH(double, amount);
        SoundMixer mixer(kRate, 2, 3);
        mixer.setWipeAmount(amount);
        QVERIFY(peak(render(mixer, 1.0)) > 0.001f);
        mixer.setWipeAmount(0.0);
        render(mixer, 0.15);
        const std::vector<float> after = render(mixer, 0.3);
        QVERIFY2(peak(after) < 0.001f, qPrintable(QString::number(peak(after))));
        // And once faded it is exact silence again.
        render(mixer, 0.5);
        QCOMPARE(peak(render(mixer, 0.5)), 0.0f);
    }

    void theChimePlaysOncePerAppearance_data()
    {
        QTest::addColumn<QList<bool>>("bannerSteps");
        QTest::addColumn<int>("chimes");
        QTest::newRow("never shown") << QList<bool>{false, false} << 0;
        QTest::newRow("shown on three frames") << QList<bool>{true, true, true} << 1;
        QTest::newRow("shown, gone, shown again") << QList<bool>{true, false, true} << 2;
        QTest::newRow("gone and back twice") << QList<bool>{false, true, false, true, true, false, true} << 3;
    }

    void theChimePlaysOncePerAppearance()
    {
        // Each step lasts longer than the chime, so every chime has a window
        // of its own.
        QFETCH(QList<bool>, bannerSteps);
        QFETCH(int, chimes);
        SoundMixer mixer(kRate, 1, 8);
        int heard = 0;
        for (bool shown : bannerSteps) {
            mixer.setBannerShown(shown);
            heard += peak(render(mixer, 2.05)) > 0.05f ? 1 : 0;
        }
        QCOMPARE(heard, chimes);
    }

    void theChimeIsOverWithinTwoSeconds()
    {
        SoundMixer mixer(kRate, 2, 8);
        mixer.setBannerShown(true);
        const std::vector<float> chime = render(mixer, 2.0);
        QVERIFY(peak(chime) > 0.2f);
        QCOMPARE(peak(render(mixer, 0.5)), 0.0f);
    }

    void aTapIsAShortQuietTick()
    {
        SoundMixer mixer(kRate, 1, 8);
        mixer.tap();
        const std::vector<float> tick = render(mixer, 0.03);
        QVERIFY(peak(tick) > 0.01f);
        QVERIFY(peak(tick) < 0.2f);
        QCOMPARE(peak(render(mixer, 0.1)), 0.0f);
    }

    // Going on by the wave target: a third of a second that glides up, told
    // apart from the chime's and the tick's fixed pitches by its rise.
    void theWhooshRisesAndIsOverSoon()
    {
        SoundMixer mixer(kRate, 1, 8);
        mixer.wentOn();
        const std::vector<float> whoosh = render(mixer, 0.4);
        QVERIFY(peak(whoosh) > 0.1f);
        QVERIFY(peak(whoosh) < 0.5f);
        // Its pitch, by the sign changes in 70 ms early and late.
        const auto crossings = [&whoosh](double from) {
            const std::size_t start = std::size_t(from * kRate), end = start + std::size_t(0.07 * kRate);
            int count = 0;
            for (std::size_t i = start + 1; i < end; ++i)
                count += (whoosh[i - 1] < 0.0f) != (whoosh[i] < 0.0f) ? 1 : 0;
            return count;
        };
        const int early = crossings(0.03), late = crossings(0.22);
        qInfo("sign changes in 70 ms: %d early, %d late", early, late);
        QVERIFY(early > 40);           // about 500 Hz
        QVERIFY(late * 2 > early * 3); // near 1 kHz
        QCOMPARE(peak(render(mixer, 0.3)), 0.0f);
    }

    void neverAboveFullScale_data()
    {
        QTest::addColumn<SampleFormat>("format");
        QTest::addColumn<int>("channels");
        QTest::newRow("Float, stereo") << SampleFormat::Float << 2;
        QTest::newRow("Int16, stereo") << SampleFormat::Int16 << 2;
        QTest::newRow("Int32, mono") << SampleFormat::Int32 << 1;
        QTest::newRow("UInt8, 5.1") << SampleFormat::UInt8 << 6;
        QTest::newRow("Int16, 7.1") << SampleFormat::Int16 << 8;
    }

    void neverAboveFullScale()
    {
        // Everything at once: the whole picture wiped every frame, the banner
        // coming and going, a tap every 20 ms.
        QFETCH(SampleFormat, format);
        QFETCH(int, channels);
        SoundMixer mixer(kRate, channels, 11);
        mixer.setWipeAmount(1.0);
        const std::size_t period = 960;
        const std::size_t samples = period * std::size_t(channels);
        std::vector<unsigned char> bytes(samples * bytesPerSample(format));
        double largest = 0;
        for (int step = 0; step < 150; ++step) {
            mixer.setBannerShown(step % 40 < 30);
            mixer.tap();
            mixer.render(format, bytes.data(), period);
            for (std::size_t i = 0; i < samples; ++i) {
                double value = 0;
                switch (format) {
                case SampleFormat::UInt8:
                    value = (double(bytes[i]) - 128.0) / 127.0;
                    break;
                case SampleFormat::Int16: {
                    std::int16_t s;
                    std::memcpy(&s, bytes.data() + 2 * i, 2);
                    QVERIFY(s != std::numeric_limits<std::int16_t>::min());
                    value = s / 32767.0;
                    break;
                }
                case SampleFormat::Int32: {
                    std::int32_t s;
                    std::memcpy(&s, bytes.data() + 4 * i, 4);
                    QVERIFY(s != std::numeric_limits<std::int32_t>::min());
                    value = s / 2147483647.0;
                    break;
                }
                case SampleFormat::Float: {
                    float s;
                    std::memcpy(&s, bytes.data() + 4 * i, 4);
                    QVERIFY(std::isfinite(s));
                    value = s;
                    break;
                }
                }
                largest = std::max(largest, std::fabs(value));
            }
        }
        // At most the limiter's -1 dBFS (its own test drives it far past full
        // scale), so the converter's clamp never has to act.
        qInfo("loudest sample %.3f", largest);
        QVERIFY2(largest <= 0.9, qPrintable(QString::number(largest)));
        QVERIFY(largest > 0.3);
    }

    void noNaNOrDenormalLongAfterLoudSound()
    {
        SoundMixer mixer(kRate, 2, 13);
        mixer.setWipeAmount(1.0);
        mixer.setBannerShown(true);
        mixer.tap();
        std::vector<float> out = render(mixer, 2.0);
        mixer.setWipeAmount(0.0);
        for (int minute = 0; minute < 2; ++minute) {
            const std::vector<float> more = render(mixer, 60.0);
            out.insert(out.end(), more.begin(), more.end());
        }
        for (float s : out) {
            const int kind = std::fpclassify(s);
            QVERIFY(kind == FP_ZERO || kind == FP_NORMAL);
        }
        QCOMPARE(peak(out, out.size() - std::size_t(60 * kRate * 2)), 0.0f);
    }

    void theSameSeedGivesTheSameSound()
    {
        auto play = [](std::uint32_t seed) {
            SoundMixer mixer(kRate, 2, seed);
            std::vector<float> out = renderMotion(mixer, 1.0, 0.005, 0.05);
            mixer.setBannerShown(true);
            mixer.tap();
            const std::vector<float> more = render(mixer, 0.5);
            out.insert(out.end(), more.begin(), more.end());
            return out;
        };
        const std::vector<float> a = play(21);
        QVERIFY(peak(a) > 0.01f);
        QVERIFY(a == play(21));
        QVERIFY(a != play(22));
    }

    void everyChannelCarriesTheSameSignalInEveryFormat_data()
    {
        QTest::addColumn<SampleFormat>("format");
        QTest::addColumn<int>("channels");
        for (int channels : {1, 2}) {
            for (auto [name, format] :
                 {std::pair{"UInt8", SampleFormat::UInt8}, std::pair{"Int16", SampleFormat::Int16},
                  std::pair{"Int32", SampleFormat::Int32}, std::pair{"Float", SampleFormat::Float}}) {
                QTest::addRow("%s, %d channel(s)", name, channels) << format << channels;
            }
        }
    }

    void everyChannelCarriesTheSameSignalInEveryFormat()
    {
        // Rendering straight to the device's format gives the float render
        // converted, frame by frame.
        QFETCH(SampleFormat, format);
        QFETCH(int, channels);
        SoundMixer direct(kRate, channels, 4);
        SoundMixer viaFloat(kRate, channels, 4);
        for (SoundMixer *m : {&direct, &viaFloat}) {
            m->setWipeAmount(0.03);
            m->setBannerShown(true);
        }
        const std::size_t frames = 4801; // not a multiple of any block
        std::vector<unsigned char> bytes(frames * std::size_t(channels) * bytesPerSample(format));
        direct.render(format, bytes.data(), frames);
        std::vector<float> floats(frames * std::size_t(channels));
        viaFloat.render(floats.data(), frames);
        std::vector<unsigned char> expected(bytes.size());
        convertSamples(floats.data(), floats.size(), format, expected.data());
        QVERIFY(bytes == expected);
        QVERIFY(peak(floats) > 0.01f);
        const std::size_t frameBytes = std::size_t(channels) * bytesPerSample(format);
        for (std::size_t f = 0; f < frames; ++f)
            for (int c = 1; c < channels; ++c)
                QVERIFY(std::memcmp(&bytes[f * frameBytes],
                                    &bytes[f * frameBytes + std::size_t(c) * bytesPerSample(format)],
                                    bytesPerSample(format))
                        == 0);
    }

    void conversionAtKnownValues_data()
    {
        // Inputs: 0, 1, -1, 0.5, -0.5, 1.5 (clamped), -2 (clamped), NaN.
        QTest::addColumn<SampleFormat>("format");
        QTest::addColumn<QList<double>>("expected");
        QTest::newRow("UInt8 (centred on 128)")
            << SampleFormat::UInt8 << QList<double>{128, 255, 1, 192, 64, 255, 1, 128};
        QTest::newRow("Int16") << SampleFormat::Int16
                               << QList<double>{0, 32767, -32767, 16384, -16384, 32767, -32767, 0};
        QTest::newRow("Int32") << SampleFormat::Int32 << QList<double>{0,           2147483647, -2147483647, 1073741824,
                                                                       -1073741824, 2147483647, -2147483647, 0};
        QTest::newRow("Float") << SampleFormat::Float << QList<double>{0, 1, -1, 0.5, -0.5, 1, -1, 0};
    }

    void conversionAtKnownValues()
    {
        QFETCH(SampleFormat, format);
        QFETCH(QList<double>, expected);
        const float input[] = {0.0f, 1.0f, -1.0f, 0.5f, -0.5f, 1.5f, -2.0f, std::numeric_limits<float>::quiet_NaN()};
        const std::size_t size = bytesPerSample(format);
        // One byte in front so that no sample is aligned.
        std::vector<unsigned char> bytes(1 + std::size(input) * size + 1, 0xAB);
        convertSamples(input, std::size(input), format, bytes.data() + 1);
        QCOMPARE(bytes.front(), 0xAB);
        QCOMPARE(bytes.back(), 0xAB);
        for (std::size_t i = 0; i < std::size(input); ++i) {
            const unsigned char *at = bytes.data() + 1 + i * size;
            double value = 0;
            switch (format) {
            case SampleFormat::UInt8:
                value = *at;
                break;
            case SampleFormat::Int16: {
                std::int16_t s;
                std::memcpy(&s, at, 2);
                value = s;
                break;
            }
            case SampleFormat::Int32: {
                std::int32_t s;
                std::memcpy(&s, at, 4);
                value = s;
                break;
            }
            case SampleFormat::Float: {
                float s;
                std::memcpy(&s, at, 4);
                value = double(s);
                break;
            }
            }
            QCOMPARE(value, expected.at(qsizetype(i)));
        }
    }
};

QTEST_APPLESS_MAIN(TestSoundMixer)
#include "test_sound_mixer.moc"
