#include "app/settings_panel.h"

#include "app/camera_controller.h"
#include "core/settings_mapping.h"
#include "core/stored_settings.h"
#include "core/window_layout.h"
#include "widgets/accessible_text.h"
#include "widgets/bitmap_rectangle.h"
#include "widgets/float_slider.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QPushButton>
#include <QSignalBlocker>

#include <algorithm>

QString resolutionLabel(const VideoCaptureSetting &setting)
{
    //: The size of the camera's picture in pixels: %1 is the width, %2 the height.
    return QCoreApplication::translate("CaptureResolutions", "Camera width = %1, height = %2")
        .arg(setting.width)
        .arg(setting.height);
}

SettingsPanel::SettingsPanel(CameraController &camera, PlaySession &session, QWidget *host)
    : QObject(host)
    , m_camera(camera)
    , m_session(session)
    , m_host(host)
{
    setObjectName(QStringLiteral("settingsPanel"));

    m_resolution.slider = createSlider(QStringLiteral("resolutionSlider"), 16, 72, 280, 20);
    m_resolution.box = createBox(QStringLiteral("resolutionBox"), 8, 40, 289, 25);
    m_resolution.label = createLabel(m_resolution.box, 8, 0, 280, 17,
                                     //: Above the resolution slider when the camera offers no 640 x 480 picture.
                                     tr("Camera Resolutions Label"));

    m_freezing.slider = createSlider(QStringLiteral("freezingSpeedSlider"), 8, 368, 280, 20);
    m_freezing.slider->setTickFrequency(10);
    m_sensitivity.slider = createSlider(QStringLiteral("sensitivitySlider"), 8, 424, 280, 20);
    m_sensitivity.slider->setTickFrequency(20);
    m_sensitivity.slider->setMaximum(765);
    m_freezing.box = createBox(QStringLiteral("freezingSpeedBox"), 8, 344, 241, 25);
    m_freezing.label = createLabel(m_freezing.box, 9, 0, 120, 17,
                                   //: The slider sets how fast the ice grows back.
                                   tr("Freezing Speed"));
    m_sensitivity.box = createBox(QStringLiteral("sensitivityBox"), 8, 400, 241, 25);
    m_sensitivity.label = createLabel(m_sensitivity.box, 9, 0, 120, 17,
                                      //: The slider sets how much movement wipes the ice.
                                      tr("Camera Sensitivity"));

    QFont font = m_host->font();
    font.setPixelSize(12);
    m_soundBox = createBox(QStringLiteral("soundBox"), 8, 192, 280, 24);
    //: A switch in the settings: the game's sounds on or off.
    m_soundSwitch = new QCheckBox(tr("Sound"), m_soundBox);
    m_soundSwitch->setObjectName(QStringLiteral("soundSwitch"));
    m_soundSwitch->setFont(font);
    // Only the box and its text take a tap: no wider than they are.
    m_soundSwitch->setGeometry(8, 2, std::min(264, m_soundSwitch->sizeHint().width()), 20);
    m_waveBox = createBox(QStringLiteral("waveToGoOnBox"), 8, 224, 280, 24);
    //: A switch in the settings: once a picture is won, a round target shows
    //: that a child fills by waving at it (or taps) to bring the next picture.
    m_waveSwitch = new QCheckBox(tr("Wave to go on"), m_waveBox);
    m_waveSwitch->setObjectName(QStringLiteral("waveToGoOnSwitch"));
    m_waveSwitch->setFont(font);
    m_waveSwitch->setGeometry(8, 2, std::min(264, m_waveSwitch->sizeHint().width()), 20);

    m_okBox = createBox(QStringLiteral("okBox"), 264, 376, 97, 50);
    m_okButton = new QPushButton(tr("OK"), m_okBox);
    m_okButton->setObjectName(QStringLiteral("okButton"));
    m_okButton->setFont(font);
    m_okButton->setGeometry((97 - 81) / 2, (50 - 41) / 2, 81, 35);

    // The resolution slider reports its value once it is let go; setting its
    // range here must reach no handler.
    {
        const QSignalBlocker detached(m_resolution.slider);
        m_resolution.slider->setTracking(false);
        m_resolution.slider->setMinimum(1);
        m_resolution.slider->setMaximum(1);
    }

    // For screen readers, and the keyboard: Tab goes top to bottom, from the
    // resolution to the sensitivity, the sound, waving to go on, the freezing
    // speed and OK;
    // the arrow and page keys move a slider, Space presses OK.
    setAccessibleText(m_resolution.slider, tr("Camera resolution"),
                      tr("The size of the camera's picture; it is taken when you press OK."));
    setAccessibleText(m_sensitivity.slider, tr("Camera sensitivity"),
                      tr("How much movement wipes the ice: to the right, smaller movements wipe too."));
    setAccessibleText(m_freezing.slider, tr("Freezing speed"), tr("How fast the ice grows back."));
    setAccessibleText(m_soundSwitch, tr("Sound"), tr("The game's sounds on or off."));
    setAccessibleText(m_waveSwitch, tr("Wave to go on"),
                      tr("Once a picture is won, a round target shows: waving at it brings the next picture."));
    setAccessibleText(m_okButton, tr("OK"), tr("Takes the settings and closes them."));
    m_okButton->setFocusPolicy(Qt::StrongFocus);
    QWidget::setTabOrder(m_resolution.slider, m_sensitivity.slider);
    QWidget::setTabOrder(m_sensitivity.slider, m_soundSwitch);
    QWidget::setTabOrder(m_soundSwitch, m_waveSwitch);
    QWidget::setTabOrder(m_waveSwitch, m_freezing.slider);
    QWidget::setTabOrder(m_freezing.slider, m_okButton);
    m_freezing.slider->setSingleStep(1);
    m_freezing.slider->setPageStep(10);
    m_sensitivity.slider->setSingleStep(5);
    m_sensitivity.slider->setPageStep(50);
    m_resolution.slider->setSingleStep(1);
    m_resolution.slider->setPageStep(1);

    connect(m_okButton, &QPushButton::clicked, this, &SettingsPanel::confirm);
    connect(m_resolution.slider, &FloatSlider::valueChanged, this, [this] {
        m_session.resolutionSliderMoved();
        showResolutionAtSlider();
    });
    connect(m_resolution.slider, &FloatSlider::thumbDragged, this, &SettingsPanel::showResolutionAtSlider);
    connect(&m_camera, &CameraController::captureSettingsRead, this, &SettingsPanel::showCaptureSettings);
    hide();
}

BitmapRectangle *SettingsPanel::createBox(const QString &name, float x, float y, float w, float h)
{
    auto *box = new BitmapRectangle(m_host);
    box->setObjectName(name);
    box->setGeometryF(x, y, w, h);
    return box;
}

FloatSlider *SettingsPanel::createSlider(const QString &name, float x, float y, float w, float h)
{
    auto *slider = new FloatSlider(m_host);
    slider->setObjectName(name);
    slider->setGeometryF(x, y, w, h);
    return slider;
}

SettingsPanel::FloatLabel *SettingsPanel::createLabel(QWidget *parent, float x, float y, float w, float h,
                                                      const QString &text)
{
    auto *label = new FloatLabel(text, parent);
    label->setGeometryF(x, y, w, h);
    QFont font = label->font();
    font.setPixelSize(12);
    label->setFont(font);
    label->setHeightF(20.0f);
    return label;
}

QList<QWidget *> SettingsPanel::controls() const
{
    return {m_resolution.box,     m_resolution.label, m_resolution.slider, m_sensitivity.box, m_sensitivity.label,
            m_sensitivity.slider, m_freezing.box,     m_freezing.label,    m_freezing.slider, m_soundBox,
            m_soundSwitch,        m_waveBox,          m_waveSwitch,        m_okBox,           m_okButton};
}

// ---- Opening and closing ---------------------------------------------------------

void SettingsPanel::open()
{
    const StoredSettings &settings = m_session.settings();
    m_sensitivity.slider->setValue(sensitivitySliderValue(settings.cameraSensitivity));
    m_freezing.slider->setValue(settings.freezingSpeed);
    m_soundSwitch->setChecked(settings.sound);
    m_waveSwitch->setChecked(settings.waveToGoOn);

    if (m_camera.hasCaptureSettings()) {
        m_resolution.slider->setEnabled(true);
        m_camera.noteState();
        syncResolutionSlider();
    } else {
        m_resolution.slider->setEnabled(false);
        m_resolution.label->setText(tr("Camera not available"));
    }
    for (QWidget *control : controls())
        control->setVisible(true);
    m_open = true;
    // The keyboard starts at the first control that takes a value.
    (m_resolution.slider->isEnabled() ? m_resolution.slider : m_sensitivity.slider)->setFocus(Qt::OtherFocusReason);
}

void SettingsPanel::pressOk()
{
    if (m_open)
        m_okButton->click();
}

void SettingsPanel::hide()
{
    for (QWidget *control : controls())
        control->setVisible(false);
    m_open = false;
}

void SettingsPanel::confirm()
{
    const bool soundChanged = m_soundSwitch->isChecked() != m_session.isSoundEnabled();
    // The game plays with the new values from the next step on; a slider
    // left where it was keeps the value it stood for.
    m_session.takeSettings(sensitivityTaken(m_sensitivity.slider->value(), m_session.settings().cameraSensitivity),
                           freezingSpeedFromSlider(m_freezing.slider->value()), m_soundSwitch->isChecked(),
                           m_waveSwitch->isChecked());
    hide();

    // A moved resolution slider applies its entry.
    m_camera.takeResolution(m_resolution.slider->value());
    if (soundChanged)
        Q_EMIT soundSwitched(m_session.isSoundEnabled());
    Q_EMIT accepted();
}

void SettingsPanel::cancel()
{
    // The sliders' values are not taken.
    m_camera.returnToNoted();
    hide();
}

// ---- Capture settings ------------------------------------------------------------

void SettingsPanel::showCaptureSettings()
{
    const CaptureResolutions &resolutions = m_session.resolutions();
    // With no device the old label texts stay.
    if (m_camera.hasCaptureSettings()) {
        m_resolutionLabels.clear();
        for (int k = 0; k <= resolutions.last; ++k)
            m_resolutionLabels.append(resolutionLabel(resolutions.entries[std::size_t(k)]));
    }
    {
        const QSignalBlocker detached(m_resolution.slider);
        m_resolution.slider->setMinimum(0);
        m_resolution.slider->setMaximum(resolutions.last);
    }
    if (m_camera.hasCaptureSettings())
        syncResolutionSlider();
}

void SettingsPanel::syncResolutionSlider()
{
    const int j = m_camera.resolutionInUse();
    if (j < 0)
        return;
    if (j < m_resolutionLabels.size())
        m_resolution.label->setText(m_resolutionLabels[j]);
    const QSignalBlocker detached(m_resolution.slider);
    m_resolution.slider->setValue(resolutionPositionOfIndex(m_session.resolutions(), j));
}

void SettingsPanel::showResolutionAtSlider()
{
    const int j = resolutionIndexOfPosition(m_session.resolutions(), m_resolution.slider->value());
    if (j < m_resolutionLabels.size())
        m_resolution.label->setText(m_resolutionLabels[j]);
}

// ---- Layout ----------------------------------------------------------------------

void SettingsPanel::place(double windowWidth, double windowHeight)
{
    for (const SliderSlot &sliderSlot : kSliderSlots) {
        const SliderGroup &group = sliderSlot.slider == SettingsSlider::CameraResolutions   ? m_resolution
                                   : sliderSlot.slider == SettingsSlider::CameraSensitivity ? m_sensitivity
                                                                                            : m_freezing;
        const SliderGroupPlace p = placeSliderGroup(windowWidth, windowHeight, sliderSlot.centerY,
                                                    group.slider->widthF(), group.slider->heightF(), group.label->xF(),
                                                    group.label->yF(), group.label->heightF());
        group.slider->setPositionF(p.trackX, p.trackY);
        group.box->setWidthF(p.boxWidth);
        group.label->setWidthF(p.labelWidth);
        group.box->setHeightF(p.boxHeight);
        group.box->setPositionF(p.boxX, p.boxY);
    }

    const ControlPlace ok = placeOkBox(windowWidth, m_okBox->widthF(), m_freezing.slider->yF(),
                                       m_freezing.slider->heightF());
    m_okBox->setPositionF(ok.x, ok.y);

    const ControlPlace sound = placeSwitchBox(windowWidth, windowHeight, kSoundSwitchCenterY, m_soundBox->widthF(),
                                              m_soundBox->heightF());
    m_soundBox->setPositionF(sound.x, sound.y);
    const ControlPlace wave = placeSwitchBox(windowWidth, windowHeight, kWaveSwitchCenterY, m_waveBox->widthF(),
                                             m_waveBox->heightF());
    m_waveBox->setPositionF(wave.x, wave.y);
}
