#include "sound/sound_output.h"

#include "sound/sound_events.h"
#include "sound/sound_mixer.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QDeadlineTimer>
#include <QIODevice>
#include <QLoggingCategory>
#include <QMediaDevices>
#include <QRandomGenerator>
#include <QThread>

#include <optional>

Q_LOGGING_CATEGORY(lcSound, "frostpane.sound")

namespace {

constexpr int kBufferMicroseconds = 50000;
constexpr int kStopWaitMilliseconds = 1000;

std::optional<SampleFormat> sampleFormatOf(QAudioFormat::SampleFormat format)
{
    switch (format) {
    case QAudioFormat::UInt8: return SampleFormat::UInt8;
    case QAudioFormat::Int16: return SampleFormat::Int16;
    case QAudioFormat::Int32: return SampleFormat::Int32;
    case QAudioFormat::Float: return SampleFormat::Float;
    default: return std::nullopt;
    }
}

// What QAudioSink pulls from: every read renders the next samples. readData
// runs on the sink's thread and neither allocates nor locks (the device is
// opened unbuffered, so QIODevice keeps no buffer of its own either).
class MixerDevice final : public QIODevice
{
public:
    MixerDevice(SoundMixer &mixer, SampleFormat format, QObject *parent)
        : QIODevice(parent),
          m_mixer(mixer),
          m_format(format),
          m_frameBytes(qint64(bytesPerSample(format)) * mixer.channelCount())
    {
    }

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override
    {
        return m_frameBytes * m_mixer.sampleRate() + QIODevice::bytesAvailable();
    }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const qint64 frames = maxSize / m_frameBytes;
        m_mixer.render(m_format, data, std::size_t(frames));
        return frames * m_frameBytes;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    SoundMixer &m_mixer;
    SampleFormat m_format;
    qint64 m_frameBytes;
};

// Lives on the audio thread with everything it makes: the sink, the device
// and the mixer. Deleted there when the thread's event loop ends.
class SinkWorker final : public QObject
{
public:
    explicit SinkWorker(std::shared_ptr<SoundEvents> events) : m_events(std::move(events))
    {
    }

    ~SinkWorker() override
    {
        if (m_sink) {
            m_sink->disconnect(this);
            m_sink->stop();
        }
        delete m_sink;
        delete m_device;
    }

    void open()
    {
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        if (device.isNull()) {
            qCWarning(lcSound, "No audio output device (no sound server?): playing without sound");
            return;
        }
        QAudioFormat format = device.preferredFormat();
        std::optional<SampleFormat> sampleFormat = sampleFormatOf(format.sampleFormat());
        if (!format.isValid() || !sampleFormat || format.channelCount() > SoundMixer::kMaxChannels) {
            format.setSampleRate(48000);
            format.setChannelCount(2);
            format.setSampleFormat(QAudioFormat::Int16);
            sampleFormat = SampleFormat::Int16;
        }
        m_mixer = std::make_unique<SoundMixer>(format.sampleRate(), format.channelCount(),
                                               QRandomGenerator::global()->generate(),
                                               *m_events);
        m_device = new MixerDevice(*m_mixer, *sampleFormat, nullptr);
        m_device->open(QIODevice::ReadOnly | QIODevice::Unbuffered);
        m_sink = new QAudioSink(device, format, nullptr);
        m_sink->setBufferSize(format.bytesForDuration(kBufferMicroseconds));
        connect(m_sink, &QAudioSink::stateChanged, this, &SinkWorker::stateChanged);
        m_sink->start(m_device);
        if (m_sink->error() != QAudio::NoError) {
            reportStop("could not start");
            m_sink->stop();
        }
    }

private:
    void stateChanged(QAudio::State state)
    {
        // A stop with an error is the server going away or the device
        // vanishing. No restart: the game goes on silently.
        if (state == QAudio::StoppedState && m_sink->error() != QAudio::NoError)
            reportStop("stopped");
    }

    void reportStop(const char *what)
    {
        if (m_stopReported)
            return;
        m_stopReported = true;
        qCWarning(lcSound, "The sound output %s (error %d): playing on without sound", what,
                  int(m_sink->error()));
    }

    std::shared_ptr<SoundEvents> m_events;
    std::unique_ptr<SoundMixer> m_mixer;
    MixerDevice *m_device = nullptr;
    QAudioSink *m_sink = nullptr;
    bool m_stopReported = false;
};

} // namespace

SoundOutput::SoundOutput(QObject *parent)
    : QObject(parent), m_events(std::make_shared<SoundEvents>())
{
    // No parent: when the thread will not end, it is left running, not
    // destroyed (see the destructor).
    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("frostpane sound"));
    auto *worker = new SinkWorker(m_events);
    worker->moveToThread(m_thread);
    // started is emitted on the new thread, so open() runs there directly,
    // before its event loop; the worker is deleted there when the loop ends.
    connect(m_thread, &QThread::started, worker, &SinkWorker::open);
    connect(m_thread, &QThread::finished, worker, &QObject::deleteLater);
    m_thread->start();
}

SoundOutput::~SoundOutput()
{
    m_thread->quit();
    if (m_thread->wait(QDeadlineTimer(kStopWaitMilliseconds))) {
        delete m_thread;
        return;
    }
    // Probably stuck in the sound server connection. The game's exit must not
    // wait for it: the thread keeps what it uses (the worker and the shared
    // events) and is left to the process's end.
    qCWarning(lcSound, "The sound thread did not end within %d ms; leaving it behind",
              kStopWaitMilliseconds);
    QThread *thread = m_thread;
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
}

void SoundOutput::setWipeAmount(double amount)
{
    m_events->setWipeAmount(amount);
}

void SoundOutput::setBannerShown(bool shown)
{
    m_events->setBannerShown(shown);
}

void SoundOutput::tap()
{
    m_events->tap();
}

void SoundOutput::setEnabled(bool enabled)
{
    m_events->setEnabled(enabled);
}
