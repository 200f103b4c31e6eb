#include "sound/sound_output.h"

#include "sound/sound_mixer.h"

#include <QLoggingCategory>
#include <QMetaObject>
#include <QRandomGenerator>

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/mainloop-api.h>
#include <pulse/stream.h>
#include <pulse/thread-mainloop.h>
#include <pulse/timeval.h>

#include <algorithm>

Q_LOGGING_CATEGORY(lcSound, "frostpane.sound")

namespace {

constexpr int kChannels = 2;
// The stream asks for its rate before it knows the server's; FIX_RATE then
// takes the sink's own, so the server does not resample.
constexpr std::uint32_t kRequestedRate = 48000;
// The whole way from the mixer to the speaker: the stream's buffer, with the
// sink's own latency counted in (ADJUST_LATENCY): about the delay from a
// tap to its tick, plus up to one request.
constexpr pa_usec_t kLatencyMicroseconds = 50000;
// How much the server asks for at a time: the buffer is topped up about
// this often.
constexpr pa_usec_t kRequestMicroseconds = 10000;
// The most rendered in one go; a larger request is served in several.
constexpr std::size_t kChunkFrames = 2048;
constexpr std::size_t kFrameBytes = kChannels * sizeof(float);

timeval after(int milliseconds)
{
    timeval when{};
    pa_gettimeofday(&when);
    pa_timeval_add(&when, pa_usec_t(milliseconds) * PA_USEC_PER_MSEC);
    return when;
}

} // namespace

SoundOutput::SoundOutput(QObject *parent, int retryMilliseconds)
    : QObject(parent)
    , m_retryMilliseconds(std::max(1, retryMilliseconds))
    , m_buffer(kChunkFrames * kChannels)
{
    m_loop = pa_threaded_mainloop_new();
    if (!m_loop) {
        qCWarning(lcSound, "No sound thread could be made: playing without sound");
        return;
    }
    pa_threaded_mainloop_set_name(m_loop, "frostpane sound");
    // The first attempt is the loop's first event, so that nothing of the
    // server's waits on the caller.
    // The loop does not run yet: no lock is needed.
    pa_mainloop_api *api = pa_threaded_mainloop_get_api(m_loop);
    const timeval now = after(0);
    m_retry = api->time_new(api, &now, &SoundOutput::retryDue, this);
    if (pa_threaded_mainloop_start(m_loop) < 0) {
        qCWarning(lcSound, "The sound thread did not start: playing without sound");
        api->time_free(m_retry);
        m_retry = nullptr;
        pa_threaded_mainloop_free(m_loop);
        m_loop = nullptr;
    }
}

SoundOutput::~SoundOutput()
{
    if (!m_loop)
        return;
    // Wakes the loop out of its poll and joins the thread: the callbacks are
    // short and libpulse never waits for the server in them, so this takes
    // as long as one callback at most. Then everything is this thread's.
    pa_threaded_mainloop_stop(m_loop);
    closeStream();
    closeContext();
    if (m_retry)
        pa_threaded_mainloop_get_api(m_loop)->time_free(m_retry);
    pa_threaded_mainloop_free(m_loop);
}

void SoundOutput::setWipeAmount(double amount)
{
    m_events.setWipeAmount(amount);
}

void SoundOutput::setBannerShown(bool shown)
{
    m_events.setBannerShown(shown);
}

void SoundOutput::wentOn()
{
    m_events.wentOn();
}

void SoundOutput::tap()
{
    m_events.tap();
}

void SoundOutput::setEnabled(bool enabled)
{
    m_events.setEnabled(enabled);
}

void SoundOutput::retryDue(pa_mainloop_api *, pa_time_event *, const timeval *, void *self)
{
    static_cast<SoundOutput *>(self)->connectToServer();
}

void SoundOutput::connectToServer()
{
    closeStream();
    closeContext();
    m_attempting = true;
    m_context = pa_context_new(pa_threaded_mainloop_get_api(m_loop), "Frostpane");
    if (!m_context) {
        lose(PA_ERR_INTERNAL);
        return;
    }
    pa_context_set_state_callback(m_context, &SoundOutput::contextStateChanged, this);
    // Fails at once when no server listens, having said so through the
    // state callback already.
    if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        lose(m_context ? pa_context_errno(m_context) : PA_ERR_CONNECTIONREFUSED);
}

void SoundOutput::contextStateChanged(pa_context *context, void *self)
{
    auto *output = static_cast<SoundOutput *>(self);
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY:
        output->openStream();
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        output->lose(pa_context_errno(context));
        break;
    default:
        break;
    }
}

void SoundOutput::openStream()
{
    const pa_sample_spec spec{PA_SAMPLE_FLOAT32NE, kRequestedRate, kChannels};
    m_stream = pa_stream_new(m_context, "Frostpane", &spec, nullptr);
    if (!m_stream) {
        lose(pa_context_errno(m_context));
        return;
    }
    pa_stream_set_state_callback(m_stream, &SoundOutput::streamStateChanged, this);
    pa_stream_set_write_callback(m_stream, &SoundOutput::writeRequested, this);
    pa_buffer_attr buffer{};
    buffer.maxlength = std::uint32_t(-1);
    buffer.tlength = std::uint32_t(pa_usec_to_bytes(kLatencyMicroseconds, &spec));
    buffer.prebuf = std::uint32_t(-1);
    buffer.minreq = std::uint32_t(pa_usec_to_bytes(kRequestMicroseconds, &spec));
    buffer.fragsize = std::uint32_t(-1);
    const auto flags = pa_stream_flags_t(PA_STREAM_ADJUST_LATENCY | PA_STREAM_FIX_RATE);
    if (pa_stream_connect_playback(m_stream, nullptr, &buffer, flags, nullptr, nullptr) < 0)
        lose(pa_context_errno(m_context));
}

void SoundOutput::streamStateChanged(pa_stream *stream, void *self)
{
    auto *output = static_cast<SoundOutput *>(self);
    switch (pa_stream_get_state(stream)) {
    case PA_STREAM_READY:
        output->streamReady();
        break;
    case PA_STREAM_FAILED:
    case PA_STREAM_TERMINATED:
        // The sink went, or the stream was ended from outside: start over.
        output->lose(pa_context_errno(pa_stream_get_context(stream)));
        break;
    default:
        break;
    }
}

void SoundOutput::streamReady()
{
    // The rate is the sink's now (FIX_RATE); the channels stay ours.
    const pa_sample_spec *spec = pa_stream_get_sample_spec(m_stream);
    m_mixer = std::make_unique<SoundMixer>(int(spec->rate), kChannels, QRandomGenerator::global()->generate(),
                                           m_events);
    m_played = true;
    if (m_silent) {
        m_silent = false;
        qCInfo(lcSound, "The sound output is back");
    }
    reportAttempt(true);
}

void SoundOutput::writeRequested(pa_stream *stream, std::size_t bytes, void *self)
{
    auto *output = static_cast<SoundOutput *>(self);
    // The stream's first request comes right after READY, where the mixer is
    // made; none comes without one.
    if (!output->m_mixer)
        return;
    // Whole frames, at most a chunk at a time: m_buffer holds exactly one.
    std::size_t frames = bytes / kFrameBytes;
    while (frames > 0) {
        const std::size_t chunk = std::min(frames, kChunkFrames);
        output->m_mixer->render(output->m_buffer.data(), chunk);
        // Copied by libpulse, so the buffer is free again at once.
        if (pa_stream_write(stream, output->m_buffer.data(), chunk * kFrameBytes, nullptr, 0, PA_SEEK_RELATIVE) < 0)
            return;
        frames -= chunk;
    }
}

void SoundOutput::lose(int error)
{
    // Only silenced here: this runs inside libpulse's dispatch of the
    // context's or the stream's news, where ending them is not safe (it
    // aborted on a stream the server ended). The next attempt closes them.
    if (m_stream) {
        pa_stream_set_state_callback(m_stream, nullptr, nullptr);
        pa_stream_set_write_callback(m_stream, nullptr, nullptr);
    }
    if (m_context)
        pa_context_set_state_callback(m_context, nullptr, nullptr);
    m_mixer.reset();
    // Said once for each time the sound goes, not at every attempt.
    if (!m_silent) {
        m_silent = true;
        if (m_played)
            qCWarning(lcSound, "The sound output stopped (%s): playing on without sound", pa_strerror(error));
        else
            qCWarning(lcSound, "No sound server to play on (%s): playing without sound", pa_strerror(error));
    }
    if (m_attempting)
        reportAttempt(false);
    const timeval when = after(m_retryMilliseconds);
    pa_threaded_mainloop_get_api(m_loop)->time_restart(m_retry, &when);
}

void SoundOutput::closeStream()
{
    if (!m_stream)
        return;
    pa_stream_set_state_callback(m_stream, nullptr, nullptr);
    pa_stream_set_write_callback(m_stream, nullptr, nullptr);
    if (PA_STREAM_IS_GOOD(pa_stream_get_state(m_stream)))
        pa_stream_disconnect(m_stream);
    pa_stream_unref(m_stream);
    m_stream = nullptr;
}

void SoundOutput::closeContext()
{
    if (!m_context)
        return;
    pa_context_set_state_callback(m_context, nullptr, nullptr);
    if (PA_CONTEXT_IS_GOOD(pa_context_get_state(m_context)))
        pa_context_disconnect(m_context);
    pa_context_unref(m_context);
    m_context = nullptr;
}

void SoundOutput::reportAttempt(bool opened)
{
    m_attempting = false;
    // Queued to the thread this object lives on; a report still queued when
    // it is destroyed is dropped with it.
    QMetaObject::invokeMethod(
        this, [this, opened] { Q_EMIT openAttempted(opened); }, Qt::QueuedConnection);
}
