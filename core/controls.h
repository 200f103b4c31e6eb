#pragma once

#include "core/clock.h"
#include "core/tap_gate.h"
#include "core/tool_fade.h"
#include "core/window_layout.h"

#include <array>
#include <optional>

// The seven tool icons and the two panels, for the desktop window and the
// page alike: the tap gate decides which presses and clicks count, a held
// icon keeps the pointer to itself, the fade hides idle tools, and opening a
// panel hides them. Each edition reports pointer events and the fade timer's
// ticks, shows the icons where and as this says, and carries out what a
// click asks for; it decides nothing itself.
class Controls
{
public:
    // What an accepted click asks for.
    enum class Action {
        None = 0,
        ToggleCamera = 1,
        SwitchCamera = 2,
        ToggleView = 3,
        OpenSettings = 4,
        OpenAbout = 5,
        NextPicture = 6,
        PreviousPicture = 7,
    };
    enum class Panel { None = 0, Settings = 1, About = 2 };

    static constexpr int kToolCount = 7;

    explicit Controls(const Clock &clock);

    // Lays the icons out for a window of that size (logical or CSS pixels),
    // each icon keeping its picture's shape. A held icon stays held at its
    // new place.
    void place(double width, double height, int pictureWidth, int pictureHeight);
    // Where the icon is drawn now: at rest, or grown about its center while
    // held (its drawn size is width and height times scale()).
    struct Shown
    {
        float x, y, width, height, scale;
    };
    Shown shown(ToolIcon tool) const;
    // Whether the icon shows now. The camera switch shows with the tools only
    // while two cameras or more are there (setCameraCount()).
    bool isVisible(ToolIcon tool) const
    {
        return m_visible[slot(tool)] && (tool != ToolIcon::SwitchCamera || m_cameraCount >= 2);
    }
    // Whether the icon is there at all, shown or faded (a faded tool is out
    // of sight, yet a screen reader or a switch device still presses it):
    // not the camera switch with fewer than two cameras, and no tool while
    // a panel is open.
    bool isPresent(ToolIcon tool) const
    {
        return m_panel == Panel::None && (tool != ToolIcon::SwitchCamera || m_cameraCount >= 2);
    }
    void setCameraCount(int count) { m_cameraCount = count; }
    float opacity() const { return m_fade.opacity(); }

    // A pointer went down on a visible icon; true when the press counts.
    bool press(ToolIcon tool);
    // The press ended: released, or the pointer left the icon.
    void release(ToolIcon tool);
    // The pointer came up on the icon it pressed: what the click asks for.
    // Every accepted click asks for a tick of sound (clickTicks()).
    Action click(ToolIcon tool);
    // An activation with no pointer before it: a screen reader's or a switch
    // device's press of the tool. The tool need not show (the tools fade
    // from sight, not from those), but the tap gate's one accepted press per
    // half second holds, so drumming on a switch does nothing more than
    // drumming on the screen. Nothing while an icon is held or a panel is
    // open; the camera switch only with two cameras or more. Acts as a
    // click of the tool does.
    Action activate(ToolIcon tool);
    bool lastClickTicks() const { return m_lastClickTicks; }
    std::optional<ToolIcon> heldTool() const { return m_held; }

    // A tap on the picture: closes an open panel, or shows the tools. Nothing
    // while an icon is held. Returns whether it did anything.
    bool tapPicture();
    // The settings panel's OK: the panel closes and the tools stay hidden
    // until the next tap on the picture.
    void confirmSettings();
    // Escape: closes an open panel as a tap on the picture would; returns
    // false when none was open.
    bool closeOpenPanel();
    Panel openPanel() const { return m_panel; }

    // The fade's timer runs while this is true; the edition calls fadeTick()
    // every ToolFade::kIntervalMilliseconds meanwhile.
    bool isFadeRunning() const { return m_fadeRunning; }
    void fadeTick();

    static int slot(ToolIcon tool) { return int(tool); }

private:
    // What an accepted click or activation of `tool` does.
    Action act(ToolIcon tool);
    void closePanel();
    void hideTools();

    TapGate m_tapGate;
    RepeatGuard m_cameraToggleGuard;
    ToolFade m_fade;
    bool m_fadeRunning = false;
    Panel m_panel = Panel::None;
    std::optional<ToolIcon> m_held;
    bool m_lastClickTicks = false;
    int m_cameraCount = 0;
    std::array<IconPlace, kToolCount> m_places{};
    std::array<bool, kToolCount> m_visible{};
    PressedIconPlace m_heldPlace{};
};
