#pragma once

#include "sound/game_sounds.h"

#include <QObject>

#include <memory>

class QThread;
class SoundEvents;

// The game's sound on the default audio output: the one class that talks to
// Qt's audio. The device is opened on a thread of its own, so constructing
// returns at once even while the sound server is slow to answer; there a
// timer tops a 50 ms stream buffer up with freshly rendered sound every
// 10 ms. The slots only store into atomics and never block the caller.
//
// Without an audio device or sound server the game plays silently and says so
// once in the log category frostpane.sound; a server that goes away while
// playing is reported once too, and the sound stays off. Destruction stops the
// sink and ends the thread, waiting at most about a second.
class SoundOutput final : public QObject, public GameSounds
{
    Q_OBJECT

public:
    explicit SoundOutput(QObject *parent = nullptr);
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
    // Off: silence at almost no cost; sounds asked for meanwhile are dropped.
    void setEnabled(bool enabled) override;

private:
    // Shared with the audio thread, which may outlive this object (see the
    // destructor).
    std::shared_ptr<SoundEvents> m_events;
    QThread *m_thread = nullptr;
};
