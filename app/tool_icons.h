#pragma once

#include "camera/video_camera.h"
#include "core/controls.h"
#include "core/window_layout.h"

#include <QObject>

#include <array>

class BitmapRectangle;
class ImageCatalogue;
class QTimer;
class QWidget;

// The seven tool icons as the play session's controls have them: their
// pictures and faces, their places, the press feedback (a held icon grows
// about its center and alone takes the pointer until the press ends), their
// opacity while they fade and whether they show. Which presses and clicks
// count, when the tools fade and what a panel does to them are the
// controls' rules (core/controls.h); a click they let through is reported as
// clicked(). Everything runs on the GUI thread.
class ToolIcons final : public QObject
{
    Q_OBJECT

public:
    // Creates the icons as children of `window`, above whatever it holds
    // already, showing what `controls` says. `catalogue` and `controls` must
    // outlive the icons.
    ToolIcons(const ImageCatalogue &catalogue, Controls &controls, QWidget *window);

    BitmapRectangle *icon(ToolIcon tool) const;

    // Shows the icons as the controls have them now (after a tap on the
    // picture, a click, a panel opened or closed), and runs the fade's timer
    // while they fade.
    void refresh();

    // The faces that show a state: the camera on or off, the front or back
    // camera, the game picture or the plain camera picture.
    void showCameraRunning(bool running);
    void showCameraSide(CameraKind kind);
    void showIceView(bool iceView);

    // Sizes and places the icons for a window of that size.
    void place(double windowWidth, double windowHeight);

Q_SIGNALS:
    // A press on the tool was let through and ended in a click on it; what
    // the click does is the session's (PlaySession::clickTool()).
    void clicked(ToolIcon tool);

private:
    void create(ToolIcon tool);
    void setFace(ToolIcon tool, const char *face);
    void press(ToolIcon tool);
    void release(ToolIcon tool);
    void showPlace(ToolIcon tool);
    void letOnlyThisRectangleBeHit(const BitmapRectangle *pressed, bool othersToo);
    void fadeTick();

    const ImageCatalogue &m_catalogue;
    Controls &m_controls;
    QWidget *m_window;
    std::array<BitmapRectangle *, Controls::kToolCount> m_icons{};
    QTimer *m_fadeTimer = nullptr;
};
