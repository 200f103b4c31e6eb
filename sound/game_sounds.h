#pragma once

// What the window tells the game's sound as play goes on. SoundOutput plays
// it; tests put a recorder in its place.
class GameSounds
{
public:
    virtual ~GameSounds() = default;

    // Fraction of the picture's pixels wiped while still ice in the last
    // step, 0..1; told after every step, and 0 when the steps stop.
    virtual void setWipeAmount(double amount) = 0;
    // Whether the congratulations banner shows; told after every step.
    virtual void setBannerShown(bool shown) = 0;
    // A tool icon's tap acted.
    virtual void tap() = 0;
    // The wave target filled, or was tapped, and the next picture came.
    virtual void wentOn() = 0;
    // The sound switch.
    virtual void setEnabled(bool enabled) = 0;
};
