#pragma once

#include "app/frostpane_main_form.h"
#include "support/fake_video_camera.h"

#include <memory>

// A form on a fake camera and a manual clock, for driving the game by hand.
struct FormFixture
{
    explicit FormFixture(QList<VideoCaptureSetting> frontSettings = {},
                         QList<VideoCaptureSetting> backSettings = {});

    ManualClock clock;
    FakeVideoCamera *camera = nullptr; // owned by the form
    std::unique_ptr<TFrostpaneMainForm> form;
};

// Settings of a typical webcam: 640 x 480 at 30 and 15, 1280 x 720 at 30.
QList<VideoCaptureSetting> typicalWebcamSettings();
