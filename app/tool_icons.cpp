#include "app/tool_icons.h"

#include "assets/image_catalogue.h"
#include "widgets/accessible_text.h"
#include "widgets/bitmap_rectangle.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>

namespace {

struct ToolEntry
{
    ToolIcon tool;
    const char *objectName;
    const char *face; // at start
    const char *name; // for screen readers, with what the tool does
    const char *description;
};

// Bottom to top, as they are stacked.
constexpr std::array<ToolEntry, 7> kTools = {{
    {ToolIcon::Camera, "cameraIcon", "camera_off", QT_TRANSLATE_NOOP("ToolIcons", "Camera"),
     QT_TRANSLATE_NOOP("ToolIcons", "Starts or stops the camera.")},
    {ToolIcon::Settings, "settingsIcon", "settings", QT_TRANSLATE_NOOP("ToolIcons", "Settings"),
     QT_TRANSLATE_NOOP("ToolIcons",
                       "Opens the settings: camera resolution, camera sensitivity, freezing speed and sound.")},
    {ToolIcon::Eye, "eyeIcon", "view_snowflake", QT_TRANSLATE_NOOP("ToolIcons", "View"),
     QT_TRANSLATE_NOOP("ToolIcons", "Switches between the game picture and the plain camera picture.")},
    {ToolIcon::About, "aboutIcon", "about_icon", QT_TRANSLATE_NOOP("ToolIcons", "About"),
     QT_TRANSLATE_NOOP("ToolIcons", "Tells what the game is and who made it.")},
    {ToolIcon::SwitchCamera, "switchCameraIcon", "camera_front", QT_TRANSLATE_NOOP("ToolIcons", "Switch camera"),
     QT_TRANSLATE_NOOP("ToolIcons", "Switches between the front and the back camera.")},
    {ToolIcon::NextImage, "nextPictureIcon", "next_image", QT_TRANSLATE_NOOP("ToolIcons", "Next picture"),
     QT_TRANSLATE_NOOP("ToolIcons", "Shows the next picture.")},
    {ToolIcon::PreviousImage, "previousPictureIcon", "previous_image",
     QT_TRANSLATE_NOOP("ToolIcons", "Previous picture"), QT_TRANSLATE_NOOP("ToolIcons", "Shows the previous picture.")},
}};

const ToolEntry &entryOf(ToolIcon tool)
{
    return *std::find_if(kTools.begin(), kTools.end(), [tool](const ToolEntry &e) { return e.tool == tool; });
}

std::size_t slot(ToolIcon tool)
{
    return std::size_t(tool);
}

} // namespace

ToolIcons::ToolIcons(const ImageCatalogue &catalogue, Controls &controls, QWidget *window)
    : QObject(window)
    , m_catalogue(catalogue)
    , m_controls(controls)
    , m_window(window)
{
    setObjectName(QStringLiteral("toolIcons"));
    for (const ToolEntry &entry : kTools)
        create(entry.tool);
    m_fadeTimer = new QTimer(this);
    m_fadeTimer->setObjectName(QStringLiteral("toolFadeTimer"));
    m_fadeTimer->setInterval(ToolFade::kIntervalMilliseconds);
    connect(m_fadeTimer, &QTimer::timeout, this, &ToolIcons::fadeTick);
    refresh();
}

void ToolIcons::create(ToolIcon tool)
{
    const ToolEntry &entry = entryOf(tool);
    // A bare picture: no color, no outline. It takes its picture's size
    // until the first layout.
    auto *toolIcon = new BitmapRectangle(m_window);
    toolIcon->setObjectName(QString::fromLatin1(entry.objectName));
    toolIcon->setFillKind(BitmapRectangle::Brush::Bitmap);
    toolIcon->setStrokeKind(BitmapRectangle::Brush::None);
    toolIcon->setFillBitmap(m_catalogue.image(QString::fromLatin1(entry.face)));
    toolIcon->setGeometryF(0, 0, float(toolIcon->fillBitmap().width()), float(toolIcon->fillBitmap().height()));
    setAccessibleText(toolIcon, tr(entry.name), tr(entry.description));
    m_icons[slot(tool)] = toolIcon;

    connect(toolIcon, &BitmapRectangle::pressed, this, [this, tool] { press(tool); });
    // A release and the pointer leaving both end the press.
    connect(toolIcon, &BitmapRectangle::released, this, [this, tool] { release(tool); });
    connect(toolIcon, &BitmapRectangle::left, this, [this, tool] { release(tool); });
    connect(toolIcon, &BitmapRectangle::clicked, this, [this, tool] { Q_EMIT clicked(tool); });
}

BitmapRectangle *ToolIcons::icon(ToolIcon tool) const
{
    return m_icons[slot(tool)];
}

// ---- Faces ---------------------------------------------------------------------

void ToolIcons::setFace(ToolIcon tool, const char *face)
{
    const QImage picture = m_catalogue.image(QString::fromLatin1(face));
    if (!picture.isNull())
        icon(tool)->setFillBitmap(picture);
}

void ToolIcons::showCameraRunning(bool running)
{
    setFace(ToolIcon::Camera, running ? "camera_on" : "camera_off");
}

void ToolIcons::showCameraSide(CameraKind kind)
{
    setFace(ToolIcon::SwitchCamera, kind == CameraKind::Front ? "camera_front" : "camera_back");
}

void ToolIcons::showIceView(bool iceView)
{
    setFace(ToolIcon::Eye, iceView ? "view_snowflake" : "view_man");
}

// ---- Presses -------------------------------------------------------------------------

void ToolIcons::press(ToolIcon tool)
{
    if (!m_controls.press(tool))
        return;
    BitmapRectangle *pressed = icon(tool);
    pressed->raise();
    letOnlyThisRectangleBeHit(pressed, false);
    showPlace(tool);
}

void ToolIcons::release(ToolIcon tool)
{
    if (m_controls.heldTool() != tool)
        return;
    m_controls.release(tool);
    letOnlyThisRectangleBeHit(icon(tool), true);
    showPlace(tool);
}

void ToolIcons::showPlace(ToolIcon tool)
{
    const Controls::Shown shown = m_controls.shown(tool);
    BitmapRectangle *toolIcon = icon(tool);
    toolIcon->setHeightF(shown.height);
    toolIcon->setWidthF(shown.width);
    toolIcon->setScaleX(shown.scale);
    toolIcon->setScaleY(shown.scale);
    toolIcon->setPositionF(shown.x, shown.y);
}

void ToolIcons::letOnlyThisRectangleBeHit(const BitmapRectangle *pressed, bool othersToo)
{
    // While an icon is held, nothing else takes the pointer: a second finger
    // or a slide onto the picture does not act.
    for (QObject *child : m_window->children()) {
        if (auto *rectangle = qobject_cast<BitmapRectangle *>(child))
            rectangle->setHitTest(rectangle == pressed || othersToo);
    }
}

// ---- Showing and fading ------------------------------------------------------------

void ToolIcons::refresh()
{
    const float opacity = m_controls.opacity();
    for (const ToolEntry &entry : kTools) {
        BitmapRectangle *toolIcon = icon(entry.tool);
        toolIcon->setOpacity(opacity);
        toolIcon->setVisible(m_controls.isVisible(entry.tool));
    }
    if (!m_controls.isFadeRunning())
        m_fadeTimer->stop();
    else if (!m_fadeTimer->isActive())
        m_fadeTimer->start();
}

void ToolIcons::fadeTick()
{
    m_controls.fadeTick();
    refresh();
}

// ---- Layout ------------------------------------------------------------------------

void ToolIcons::place(double windowWidth, double windowHeight)
{
    // Every icon's picture has the camera icon's shape.
    const QImage &picture = icon(ToolIcon::Camera)->fillBitmap();
    m_controls.place(windowWidth, windowHeight, picture.width(), picture.height());
    for (const ToolEntry &entry : kTools)
        showPlace(entry.tool);
}
