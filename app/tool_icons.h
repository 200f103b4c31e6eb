#pragma once

#include "camera/video_camera.h"
#include "core/clock.h"
#include "core/tap_gate.h"
#include "core/tool_fade.h"
#include "core/window_layout.h"

#include <QObject>

#include <array>
#include <optional>

class BitmapRectangle;
class ImageCatalogue;
class QTimer;
class QWidget;

// The seven tool icons: their pictures, their places, the press feedback (a
// pressed icon grows about its center and alone takes the pointer until the
// press ends), the tap gate and the fading out after a while without use.
// What a tool does is not theirs: a click that counts is reported as
// acted(). Everything runs on the GUI thread.
class ToolIcons final : public QObject
{
    Q_OBJECT

public:
    // Creates the icons as children of `window`, above whatever it holds
    // already; only the camera icon is shown. Press timing reads `clock`;
    // both must outlive the icons, and so must `catalogue`.
    ToolIcons(const ImageCatalogue &catalogue, const Clock &clock, QWidget *window);

    BitmapRectangle *icon(ToolIcon tool) const;

    // Every icon at full opacity; the fade counts from now.
    void show();
    // Every icon hidden and the fade stopped, as while a panel is open.
    void hide();
    // The tools were used: the idle count starts again, and an ongoing fade
    // pauses where it is.
    void stayAwake();

    // The faces that show a state: the camera on or off, the front or back
    // camera, the game picture or the plain camera picture.
    void showCameraRunning(bool running);
    void showCameraSide(CameraKind kind);
    void showIceView(bool iceView);

    // Sizes and places the icons for a window of that size.
    void place(double windowWidth, double windowHeight);

Q_SIGNALS:
    // A click on the tool counted: the press it ended was accepted and, for a
    // tool that asks for it, short enough to be a tap.
    void acted(ToolIcon tool);

private:
    void create(ToolIcon tool);
    void setFace(ToolIcon tool, const char *face);
    void press(ToolIcon tool);
    void release(ToolIcon tool);
    void click(ToolIcon tool);
    void letOnlyThisRectangleBeHit(const BitmapRectangle *pressed, bool othersToo);
    void fadeTick();

    const ImageCatalogue &m_catalogue;
    QWidget *m_window;
    std::array<BitmapRectangle *, 7> m_icons{};
    std::array<IconHome, 7> m_homes{};
    QTimer *m_fadeTimer = nullptr;
    TapGate m_tapGate;
    ToolFade m_fade;
    std::optional<ToolIcon> m_pressed;
};
