#pragma once

#include "sound/game_sounds.h"

#include <QObject>

#include <memory>

class QThread;
class SoundEvents;
struct AttemptRelay;

// The game's sound on the default audio output: the one class that talks to
// Qt's audio. The device is opened on a thread of its own, so constructing
// returns at once even while the sound server is slow to answer; there a
// timer tops a 50 ms stream buffer up with freshly rendered sound every
// 10 ms. The slots only store into atomics and never block the caller.
//
// Without an audio device or sound server the game plays silently and says so
// once in the log category frostpane.sound; a server that goes away while
// playing is reported once too. Either way the device is tried again every
// few seconds on the audio thread, so the sound comes back with the server.
// Destruction stops the sink and ends the thread, waiting at most about a
// second.
class SoundOutput final : public QObject, public GameSounds
{
    Q_OBJECT

public:
    static constexpr int kRetryMilliseconds = 3000;

    // Tries the device again `retryMilliseconds` after each failure.
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
    // Each attempt at opening the device, and whether it opened.
    void openAttempted(bool opened);

private:
    // Shared with the audio thread, which may outlive this object (see the
    // destructor).
    std::shared_ptr<SoundEvents> m_events;
    std::shared_ptr<AttemptRelay> m_relay;
    QThread *m_thread = nullptr;
};
