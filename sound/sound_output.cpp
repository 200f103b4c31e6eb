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
#include <QTimer>

#include <algorithm>
#include <mutex>
#include <vector>

#include <optional>

Q_LOGGING_CATEGORY(lcSound, "frostpane.sound")

// Where the audio thread reports its attempts: the output while it lives.
// The thread may outlive it (see the destructor).
struct AttemptRelay
{
    std::mutex mutex;
    SoundOutput *output = nullptr;
};

namespace {

constexpr int kBufferMicroseconds = 50000;
constexpr int kStopWaitMilliseconds = 1000;
// Push, not pull: Qt 6.4's PulseAudio sink pulls 20 ms at a time and only
// while 20 ms are free, so with a stream buffer under two of those (50 ms asks
// for 37.5 ms) it never reaches the pre-buffer and stays silent. Topping the
// stream up ourselves keeps the buffer short and full.
constexpr int kFeedMilliseconds = 10;

std::optional<SampleFormat> sampleFormatOf(QAudioFormat::SampleFormat format)
{
    switch (format) {
    case QAudioFormat::UInt8:
        return SampleFormat::UInt8;
    case QAudioFormat::Int16:
        return SampleFormat::Int16;
    case QAudioFormat::Int32:
        return SampleFormat::Int32;
    case QAudioFormat::Float:
        return SampleFormat::Float;
    default:
        return std::nullopt;
    }
}

// Lives on the audio thread with everything it makes: the sink, the feed
// timer and the mixer. Deleted there when the thread's event loop ends.
class SinkWorker final : public QObject
{
public:
    SinkWorker(std::shared_ptr<SoundEvents> events, int retryMilliseconds, std::shared_ptr<AttemptRelay> relay)
        : m_events(std::move(events))
        , m_relay(std::move(relay))
    {
        // A child, so that it moves to the audio thread with the worker.
        m_retryTimer = new QTimer(this);
        m_retryTimer->setSingleShot(true);
        m_retryTimer->setInterval(retryMilliseconds);
        connect(m_retryTimer, &QTimer::timeout, this, &SinkWorker::open);
    }

    ~SinkWorker() override
    {
        if (m_sink) {
            m_sink->disconnect(this);
            m_sink->stop();
        }
    }

    // Opens the default output; when it cannot, tries again a few seconds
    // later, for as long as the game runs (the sound server may come back).
    void open()
    {
        closeSink();
        const bool opened = tryOpen();
        if (opened && m_failing)
            qCInfo(lcSound, "The sound output is back");
        m_failing = !opened;
        if (!opened)
            m_retryTimer->start();
        // Queued: SoundOutput lives on the window's thread.
        const std::lock_guard lock(m_relay->mutex);
        if (SoundOutput *output = m_relay->output)
            QMetaObject::invokeMethod(
                output, [output, opened] { Q_EMIT output->openAttempted(opened); }, Qt::QueuedConnection);
    }

private:
    void closeSink()
    {
        if (m_feedTimer) {
            delete m_feedTimer;
            m_feedTimer = nullptr;
        }
        if (m_sink) {
            m_sink->disconnect(this);
            m_sink->stop();
            delete m_sink;
            m_sink = nullptr;
            m_stream = nullptr;
        }
    }

    bool tryOpen()
    {
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        if (device.isNull()) {
            report("No audio output device (no sound server?): playing without sound");
            return false;
        }
        QAudioFormat format = device.preferredFormat();
        std::optional<SampleFormat> sampleFormat = sampleFormatOf(format.sampleFormat());
        if (!format.isValid() || !sampleFormat || format.channelCount() > SoundMixer::kMaxChannels) {
            format.setSampleRate(48000);
            format.setChannelCount(2);
            format.setSampleFormat(QAudioFormat::Int16);
            sampleFormat = SampleFormat::Int16;
        }
        m_format = *sampleFormat;
        m_mixer = std::make_unique<SoundMixer>(format.sampleRate(), format.channelCount(),
                                               QRandomGenerator::global()->generate(), *m_events);
        m_frameBytes = format.bytesPerFrame();
        m_sink = new QAudioSink(device, format, this);
        m_sink->setBufferSize(format.bytesForDuration(kBufferMicroseconds));
        connect(m_sink, &QAudioSink::stateChanged, this, &SinkWorker::stateChanged);
        m_stream = m_sink->start();
        if (!m_stream || m_sink->error() != QAudio::NoError) {
            reportStop("could not start");
            return false;
        }
        // Whatever the stream can take at once, allocated here and never in
        // the feed.
        const qsizetype capacity = std::max<qsizetype>(m_sink->bufferSize(),
                                                       format.bytesForDuration(kBufferMicroseconds));
        m_buffer.resize(std::size_t(capacity - capacity % m_frameBytes));
        m_feedTimer = new QTimer(this);
        m_feedTimer->setTimerType(Qt::PreciseTimer);
        m_feedTimer->setInterval(kFeedMilliseconds);
        connect(m_feedTimer, &QTimer::timeout, this, &SinkWorker::feed);
        m_feedTimer->start();
        feed();
        return true;
    }

    // Tops the stream up with freshly rendered sound. Runs every few
    // milliseconds on the audio thread; renders into the buffer made in
    // open(), so it neither allocates nor takes a lock of ours.
    void feed()
    {
        if (m_sink->state() == QAudio::StoppedState) {
            m_feedTimer->stop();
            return;
        }
        qsizetype free = m_sink->bytesFree();
        while (free >= m_frameBytes) {
            const qsizetype bytes = std::min<qsizetype>(free - free % m_frameBytes, qsizetype(m_buffer.size()));
            m_mixer->render(m_format, m_buffer.data(), std::size_t(bytes / m_frameBytes));
            const qint64 written = m_stream->write(m_buffer.data(), bytes);
            if (written < bytes)
                return;
            free -= bytes;
        }
    }

    void stateChanged(QAudio::State state)
    {
        // A stop with an error is the server going away or the device
        // vanishing: the game goes on silently and tries the device again.
        if (state == QAudio::StoppedState && m_sink->error() != QAudio::NoError) {
            if (m_feedTimer)
                m_feedTimer->stop();
            reportStop("stopped");
            m_failing = true;
            // Not here: the sink is in the middle of reporting.
            m_retryTimer->start();
        }
    }

    void reportStop(const char *what)
    {
        report(qPrintable(QStringLiteral("The sound output %1 (error %2): playing on without sound")
                              .arg(QLatin1StringView(what))
                              .arg(int(m_sink->error()))));
    }

    // Said once for each time the sound goes, not at every attempt.
    void report(const char *message)
    {
        if (m_failing)
            return;
        qCWarning(lcSound, "%s", message);
    }

    std::shared_ptr<SoundEvents> m_events;
    std::unique_ptr<SoundMixer> m_mixer;
    SampleFormat m_format = SampleFormat::Int16;
    qsizetype m_frameBytes = 1;
    std::vector<char> m_buffer;
    QAudioSink *m_sink = nullptr;
    QIODevice *m_stream = nullptr; // the sink's, valid while it runs
    QTimer *m_feedTimer = nullptr;
    QTimer *m_retryTimer = nullptr;
    std::shared_ptr<AttemptRelay> m_relay;
    // Without sound since the last attempt (said already).
    bool m_failing = false;
};

} // namespace

SoundOutput::SoundOutput(QObject *parent, int retryMilliseconds)
    : QObject(parent)
    , m_events(std::make_shared<SoundEvents>())
    , m_relay(std::make_shared<AttemptRelay>())
{
    m_relay->output = this;
    // No parent: when the thread will not end, it is left running, not
    // destroyed (see the destructor).
    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("frostpane sound"));
    auto *worker = new SinkWorker(m_events, retryMilliseconds, m_relay);
    worker->moveToThread(m_thread);
    // started is emitted on the new thread, so open() runs there directly,
    // before its event loop; the worker is deleted there when the loop ends.
    connect(m_thread, &QThread::started, worker, &SinkWorker::open);
    connect(m_thread, &QThread::finished, worker, &QObject::deleteLater);
    m_thread->start();
}

SoundOutput::~SoundOutput()
{
    {
        const std::lock_guard lock(m_relay->mutex);
        m_relay->output = nullptr;
    }
    m_thread->quit();
    if (m_thread->wait(QDeadlineTimer(kStopWaitMilliseconds))) {
        delete m_thread;
        return;
    }
    // Probably stuck in the sound server connection. The game's exit must not
    // wait for it: the thread keeps what it uses (the worker and the shared
    // events) and is left to the process's end.
    qCWarning(lcSound, "The sound thread did not end within %d ms; leaving it behind", kStopWaitMilliseconds);
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

void SoundOutput::wentOn()
{
    m_events->wentOn();
}

void SoundOutput::tap()
{
    m_events->tap();
}

void SoundOutput::setEnabled(bool enabled)
{
    m_events->setEnabled(enabled);
}
