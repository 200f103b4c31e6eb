#pragma once

#include "sound/game_sounds.h"
#include "sound/sound_events.h"

#include <QObject>

#include <cstddef>
#include <memory>
#include <vector>

class SoundMixer;
struct pa_context;
struct pa_mainloop_api;
struct pa_stream;
struct pa_threaded_mainloop;
struct pa_time_event;
struct timeval;

// The game's sound on the default output of the sound server (PulseAudio, or
// PipeWire's PulseAudio server): the one class that talks to libpulse. The
// connection lives on a thread of its own, libpulse's threaded main loop, so
// constructing returns at once even while the server is slow to answer.
// There the server asks for sound as its 50 ms stream buffer drains, about
// every 10 ms, and the mixer renders exactly what it asks for. The slots
// only store into atomics and never block the caller.
//
// Without a server the game plays silently and says so once in the log
// category frostpane.sound; a server that goes away while playing is reported
// once too, and its return once. Between them the server is tried again every
// retryMilliseconds, for as long as the game runs, however long it stays
// away; the thread sleeps in between. No server is ever started for the game
// (no autospawn): a desktop's own server comes back by itself.
// Destruction ends the thread and the connection without waiting for the
// server.
class SoundOutput final : public QObject, public GameSounds
{
    Q_OBJECT

public:
    static constexpr int kRetryMilliseconds = 500;

    explicit SoundOutput(QObject *parent = nullptr, int retryMilliseconds = kRetryMilliseconds);
    ~SoundOutput() override;

public Q_SLOTS:
    // Fraction of the picture's pixels wiped while still ice in the last
    // camera frame, 0..1; call it every frame (0 when nothing was wiped).
    void setWipeAmount(double amount) override;
    // Whether the congratulations banner shows; call it every frame. The
    // chime plays once on each appearance.
    void setBannerShown(bool shown) override;
    // A tool icon's tap acted: a short soft tick.
    void tap() override;
    // The wave target brought the next picture: a short rising whoosh.
    void wentOn() override;
    // Off: silence at almost no cost; sounds asked for meanwhile are dropped.
    void setEnabled(bool enabled) override;

Q_SIGNALS:
    // Each attempt at reaching the server and playing on it, and whether
    // the stream plays.
    void openAttempted(bool opened);

private:
    // Everything below runs on the loop's thread (or after it has ended).
    static void retryDue(pa_mainloop_api *api, pa_time_event *event, const timeval *when, void *self);
    static void contextStateChanged(pa_context *context, void *self);
    static void streamStateChanged(pa_stream *stream, void *self);
    static void writeRequested(pa_stream *stream, std::size_t bytes, void *self);

    void connectToServer();
    void openStream();
    void streamReady();
    // The connection failed or ended: stops listening to it, says so once
    // and tries again later (closing it then). error is libpulse's code.
    void lose(int error);
    void closeStream();
    void closeContext();
    void reportAttempt(bool opened);

    SoundEvents m_events;
    int m_retryMilliseconds;
    pa_threaded_mainloop *m_loop = nullptr;
    pa_context *m_context = nullptr;
    pa_stream *m_stream = nullptr;
    pa_time_event *m_retry = nullptr;
    std::unique_ptr<SoundMixer> m_mixer; // made for each stream, at its rate
    std::vector<float> m_buffer;         // rendered into before each write
    bool m_attempting = false;           // an attempt is under way, unreported
    bool m_played = false;               // a stream has played since the start
    bool m_silent = false;               // the sound's absence has been said
};
