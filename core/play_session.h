#pragma once

#include "core/capture_resolutions.h"
#include "core/clock.h"
#include "core/controls.h"
#include "core/game.h"
#include "core/pointer_gesture.h"
#include "core/step_pace.h"
#include "core/stored_settings.h"
#include "core/wave_target.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// One child's play, whatever shows it: the state of play (the Game), the
// tools and panels, the fingers, pens and mouse on the picture, when to step
// without a camera frame, whether a camera's frames are mirrored, when the
// crackle falls silent, and what the player chose in the settings. The
// desktop window and the page forward what happens to them (pointer events,
// camera frames, timer ticks, the settings panel's OK) and show what this
// says; they make no rule of play themselves. Times come from `clock`.
class PlaySession
{
public:
    // Pictures 1..pictureCount come through `loadPicture`; the banner is
    // placed by the size of its picture.
    PlaySession(const Clock &clock, int pictureCount, Game::PictureLoader loadPicture, Size bannerSize, Size outputSize,
                const StoredSettings &settings = StoredSettings());

    const Game &game() const { return m_game; }
    // The edition tells the game of its output's size and of pictures that
    // arrived; everything else goes through the session.
    Game &game() { return m_game; }
    const Controls &controls() const { return m_controls; }
    // The icons' places, presses, releases and the fade's ticks.
    Controls &controls() { return m_controls; }

    // ---- What the player chose -----------------------------------------------
    // The settings as they are now: the game's values, the sound, the camera
    // side and the resolution each camera was given.
    const StoredSettings &settings() const { return m_settings; }
    // Remembered settings read at the start: the game takes their values,
    // and "Wave to go on" says whether a won picture offers the target.
    void useSettings(const StoredSettings &settings);
    // The settings panel's OK: the sliders' values (kept in range) and the
    // Sound and "Wave to go on" switches are taken, and the panel closes.
    // Returns whether any stored value changed.
    bool takeSettings(std::int32_t cameraSensitivity, std::int32_t freezingSpeed, bool sound, bool waveToGoOn);
    // The same from a panel without the "Wave to go on" switch: that setting
    // stays as it is.
    bool takeSettings(std::int32_t cameraSensitivity, std::int32_t freezingSpeed, bool sound)
    {
        return takeSettings(cameraSensitivity, freezingSpeed, sound, m_settings.waveToGoOn);
    }
    bool isSoundEnabled() const { return m_settings.sound; }

    // ---- The camera ---------------------------------------------------------------
    bool isBackCamera() const { return m_settings.backCamera; }
    void setBackCamera(bool back) { m_settings.backCamera = back; }
    // A front camera is shown as a mirror, so that a child's hand moves the
    // way the child sees it move.
    bool mirrorsFrames() const { return !m_settings.backCamera; }
    // The resolution chosen for a camera (nullopt: the default) from now on.
    void rememberResolution(const std::string &cameraId, std::optional<VideoCaptureSetting> resolution);

    // ---- The camera's resolution -----------------------------------------------------
    // The camera in use from now on: its id (empty when it has none to be
    // remembered by) and the capture settings it offers, as its device or
    // its track reports them (none: it offers no choice).
    void useCamera(const std::string &cameraId, const std::vector<VideoCaptureSetting> &offered);
    const std::string &cameraId() const { return m_cameraId; }
    // The resolution slider's entries: one a size (CaptureResolutions).
    const CaptureResolutions &resolutions() const { return m_resolutions; }
    bool offersResolutions() const { return !m_offered.empty(); }
    // What to ask the camera in use for: the user's own resolution for it
    // (remembered, while it still offers it), or else the default (640 x 480
    // at the fastest rate it offers); nullopt when it offers neither, and it
    // keeps what it has.
    std::optional<VideoCaptureSetting> resolutionToRequest() const;
    bool usesOwnResolution() const { return m_chosenResolution.has_value(); }
    // The slider's entry for what the camera delivers: the user's own
    // setting whole if it is there, else the entry of its size; -1 for none.
    int resolutionInUse(const VideoCaptureSetting &delivered) const;
    // The user moved the settings panel's resolution slider: from then on
    // every OK applies the slider's entry again, moved that time or not.
    void resolutionSliderMoved() { m_resolutionSliderMoved = true; }
    // The settings panel's OK with the resolution slider at `position`:
    // once the slider was ever moved, and while the camera offers a choice,
    // that entry is remembered for the camera in use and returned for the
    // edition to request (stopping the camera and running it again as it
    // ran). nullopt otherwise: the camera is left alone.
    std::optional<VideoCaptureSetting> chooseResolution(double position);
    // What the camera settled on after the user's own resolution was
    // requested (it may round to a mode of its own): that is remembered.
    void resolutionSettled(const VideoCaptureSetting &delivered);
    // The camera's stream started: its first frame is only the reference.
    void cameraStarted();
    // The camera stopped: steps without frames take over, and the crackle
    // stops at once instead of hanging on.
    void cameraStopped();
    // How many cameras there are to switch between.
    void setCameraCount(int count) { m_controls.setCameraCount(count); }

    // ---- Tools and panels ----------------------------------------------------------
    // A click on a tool that the tools let through: what it asks the
    // edition to do. Steps through the pictures and the view switch happen
    // here already; the camera and the panels are the edition's to carry out.
    Controls::Action clickTool(ToolIcon tool);
    // A screen reader's or switch device's activation of a tool (a press
    // with no pointer before it), as Controls::activate() lets it through;
    // then as clickTool().
    Controls::Action activateTool(ToolIcon tool);
    // Whether the last click asks for the tap's tick of sound.
    bool lastClickTicks() const { return m_controls.lastClickTicks(); }
    // A tap on the picture: closes an open panel, or shows the tools.
    bool tapPicture() { return m_controls.tapPicture(); }
    // Escape in the page: closes an open panel; false when none was open.
    bool closeOpenPanel() { return m_controls.closeOpenPanel(); }

    // ---- Fingers, pens and the mouse on the picture ---------------------------------
    // Positions in the edition's logical units (Qt's logical pixels, CSS
    // pixels), from the output's top-left corner; the game's output has
    // game().pixelRatio() pixels to each.
    void pointerDown(int id, Point at);
    // Whether the pointer now wipes (its path goes to the next step).
    bool pointerMove(int id, Point at);
    // Whether lifting it ends a tap on the picture (the caller then calls
    // tapPicture(), or lets its own click do so). A tap on the wave target
    // goes on to the next picture instead, and is no tap on the picture.
    bool pointerUp(int id, Point at);
    void pointerCancel(int id) { m_pointers.cancel(id); }
    // A stroke in the output's pixels; over an open panel nothing is wiped.
    void wipeAlong(Point fromOutput, Point toOutput);

    // ---- Steps ---------------------------------------------------------------------
    // One camera frame, cut to the picture's shape and scaled to its size
    // (Game::step()); `mirrored` tells whether it was mirrored already, as a
    // scaler may do on the way. Returns the part of the output that changed.
    Rect stepFrame(Image &frame, Size cameraSize, bool mirrored = false);
    // Whether a step without a frame is due now (no camera delivers, the game
    // has not settled); when it is not, the stepping timer may stop.
    bool stepWithoutFrameDue() const;
    Rect stepWithoutFrame();
    // The parts of the output the last step changed (Game::changedParts(),
    // and the wave target's place when it changed): within the rectangle the
    // step returned, and what a window need redraw of it.
    const std::vector<Rect> &changedParts() const { return m_changedParts; }

    // ---- Wave to go on ------------------------------------------------------------
    // The player's "Wave to go on" (settings().waveToGoOn, on by default):
    // whether a won picture offers the target that a child fills by waving
    // (WaveTarget) to go on to the next picture alone. Off takes a shown
    // target away.
    void setWaveToGoOn(bool on);
    // The edition draws the target and sounds its going on. Until it says
    // so the target is never offered, whatever the setting: a target that
    // nobody sees must not take a child's waving or taps.
    void setWaveTargetDrawn(bool drawn);
    bool isWaveToGoOnEnabled() const { return m_settings.waveToGoOn && m_waveTargetDrawn; }
    // The target, shown from the step that brings the banner (a win) until
    // the picture changes, even if the ice grows back meanwhile. A picture
    // that comes with the banner already shown (the melt levels carry over)
    // is won once the banner has gone and come back.
    const WaveTarget &waveTarget() const { return m_wave; }
    // Where it sits, in the output's pixels: its centre and radius.
    struct Placed
    {
        double centerX, centerY, radius;
    };
    Placed waveTargetPlace() const;
    // A tap that ended at `at` (logical units, as pointerUp()) on the shown
    // target, with no panel open, goes on to the next picture: true then,
    // and the tap is no tap on the picture. An edition that tells taps from
    // strokes itself asks this when a tap ends.
    bool tapWaveTarget(Point at);
    // A screen reader's or switch device's press of the target: goes on
    // while it shows and no panel is open.
    bool activateWaveTarget();
    // Whether the target filled (or was tapped) and the next picture came
    // since the last call: the edition shows the new picture and sounds it.
    bool takeWentOn() { return std::exchange(m_wentOn, false); }

    // ---- Sound -----------------------------------------------------------------------
    // How much ice the crackle follows: what the last step wiped, or nothing
    // once the camera stopped or the camera view paused the game, until the
    // next step.
    double wipeSound() const { return m_silenced ? 0.0 : m_game.iceWipedFraction(); }

private:
    Point toOutput(Point logical) const;
    // After every step and picture change: the target shows after a win and
    // goes with the picture; `motion`, when the frame was compared, fills it.
    // Notes the step's parts; returns the rectangle that holds them all.
    Rect noteChangedParts(const Rect &game, const Rect &wave);
    Rect followWave(const WaveTarget::Motion *motion);
    void goOn();
    Controls::Action carryOut(Controls::Action action);

    const Clock &m_clock;
    std::vector<Rect> m_changedParts;
    StoredSettings m_settings;
    Game m_game;
    Controls m_controls;
    PointerGesture m_pointers;
    StepPace m_pace;
    bool m_silenced = false;
    std::string m_cameraId;
    std::vector<VideoCaptureSetting> m_offered;
    CaptureResolutions m_resolutions;
    std::optional<VideoCaptureSetting> m_chosenResolution; // the user's own; nullopt: the default
    bool m_resolutionSliderMoved = false;
    bool m_waveTargetDrawn = false;
    WaveTarget m_wave;
    int m_wavePicture = 0; // the picture the target was shown for
    bool m_bannerWasShown = false;
    bool m_wentOn = false;
};
