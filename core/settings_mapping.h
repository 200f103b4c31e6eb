#pragma once

#include <cstdint>

// How the two game settings sit on their sliders. The sensitivity slider runs
// the other way round: further right is a lower threshold, a more sensitive
// camera; positions past 255 give negative thresholds.
std::int32_t sensitivitySliderValue(std::int32_t cameraSensitivity);
std::int32_t sensitivityFromSlider(double sliderValue);
std::int32_t freezingSpeedFromSlider(double sliderValue);
