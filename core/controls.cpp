#include "core/controls.h"

Controls::Controls(const Clock &clock)
    : m_tapGate(clock)
    , m_cameraToggleGuard(clock)
{
    // The start: the camera icon alone, still; the fade starts with its
    // first click.
    m_visible[slot(ToolIcon::Camera)] = true;
}

void Controls::place(double width, double height, int pictureWidth, int pictureHeight)
{
    const double longerSide = longSide(width, height);
    for (const IconSlot &iconSlot : kIconSlots) {
        m_places[slot(iconSlot.icon)] = placeIcon(width, height, longerSide, kIconSizeFactor, pictureWidth,
                                                  pictureHeight, iconSlot.centerX, iconSlot.centerY);
    }
    if (m_held) {
        const IconPlace &p = m_places[slot(*m_held)];
        m_heldPlace = placePressedIcon(p.x, p.y, p.width, p.height, float(kIconPressScale));
    }
}

Controls::Shown Controls::shown(ToolIcon tool) const
{
    const IconPlace &p = m_places[slot(tool)];
    if (m_held == tool)
        return {m_heldPlace.x, m_heldPlace.y, p.width, p.height, float(kIconPressScale)};
    return {float(p.home.left), float(p.home.top), p.width, p.height, 1.0f};
}

bool Controls::press(ToolIcon tool)
{
    // While one icon is held nothing else takes the pointer.
    if (!isVisible(tool) || (m_held && m_held != tool) || !m_tapGate.acceptPress())
        return false;
    m_held = tool;
    const IconPlace &p = m_places[slot(tool)];
    m_heldPlace = placePressedIcon(float(p.home.left), float(p.home.top), p.width, p.height, float(kIconPressScale));
    return true;
}

void Controls::release(ToolIcon tool)
{
    if (m_held != tool)
        return;
    m_held.reset();
    m_tapGate.endPress();
}

Controls::Action Controls::click(ToolIcon tool)
{
    m_lastClickTicks = false;
    if (!isVisible(tool) || m_held)
        return Action::None;
    const bool shortEnough = m_tapGate.isTap();
    if (tool == ToolIcon::Camera) {
        if (!shortEnough)
            return Action::None;
    } else if (needsShortTap(tool) && !shortEnough) {
        return Action::None;
    }
    return act(tool);
}

Controls::Action Controls::activate(ToolIcon tool)
{
    m_lastClickTicks = false;
    if (m_held || m_panel != Panel::None || (tool == ToolIcon::SwitchCamera && m_cameraCount < 2))
        return Action::None;
    if (!m_tapGate.acceptPress())
        return Action::None;
    // A press with no length: always short enough.
    m_tapGate.endPress();
    return act(tool);
}

Controls::Action Controls::act(ToolIcon tool)
{
    Action action = Action::None;
    switch (tool) {
    case ToolIcon::NextImage:
        action = Action::NextPicture;
        break;
    case ToolIcon::PreviousImage:
        action = Action::PreviousPicture;
        break;
    case ToolIcon::Camera:
        m_fade.stayAwake();
        m_fadeRunning = true;
        if (!m_cameraToggleGuard.accept())
            return Action::None;
        m_lastClickTicks = true;
        return Action::ToggleCamera;
    case ToolIcon::SwitchCamera:
        action = Action::SwitchCamera;
        break;
    case ToolIcon::Eye:
        action = Action::ToggleView;
        break;
    case ToolIcon::Settings:
        action = Action::OpenSettings;
        break;
    case ToolIcon::About:
        action = Action::OpenAbout;
        break;
    }
    m_lastClickTicks = true;
    m_fade.stayAwake();
    if (action == Action::OpenSettings || action == Action::OpenAbout) {
        m_fadeRunning = false;
        m_visible.fill(false);
        m_panel = action == Action::OpenSettings ? Panel::Settings : Panel::About;
    }
    return action;
}

bool Controls::tapPicture()
{
    if (m_held)
        return false;
    m_fade.stayAwake();
    if (m_panel != Panel::None) {
        closePanel();
        return true;
    }
    m_fade.show();
    m_visible.fill(true);
    m_fadeRunning = true;
    return true;
}

void Controls::confirmSettings()
{
    if (m_panel != Panel::Settings)
        return;
    m_fade.stayAwake();
    closePanel();
}

bool Controls::closeOpenPanel()
{
    if (m_panel == Panel::None || m_held)
        return false;
    m_fade.stayAwake();
    closePanel();
    return true;
}

void Controls::closePanel()
{
    m_fadeRunning = false;
    m_panel = Panel::None;
}

void Controls::fadeTick()
{
    if (!m_fadeRunning)
        return;
    if (m_fade.tick())
        hideTools();
}

void Controls::hideTools()
{
    m_visible.fill(false);
    m_fadeRunning = false;
}
