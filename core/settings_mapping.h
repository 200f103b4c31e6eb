#pragma once

#include <cstdint>

// How the two game settings sit on their sliders. The sensitivity slider runs
// the other way round: further right is a lower threshold, a more sensitive
// camera; positions past 255 give negative thresholds.
std::int32_t sensitivitySliderValue(std::int32_t cameraSensitivity);
std::int32_t sensitivityFromSlider(double sliderValue);
std::int32_t freezingSpeedFromSlider(double sliderValue);
// The sensitivity OK takes: `before` while the slider stays where
// sensitivitySliderValue(before) put it. A slider step is three sensitivity
// values, so reading an unmoved slider back could change the setting.
std::int32_t sensitivityTaken(double sliderValue, std::int32_t before);

// The values the two sliders can give: the sensitivity slider runs from 0 to
// 765, the freezing-speed slider from 0 to 100.
inline constexpr std::int32_t kMinimumCameraSensitivity = -1530;
inline constexpr std::int32_t kMaximumCameraSensitivity = 765;
inline constexpr std::int32_t kMinimumFreezingSpeed = 0;
inline constexpr std::int32_t kMaximumFreezingSpeed = 100;

// The values of a first start.
inline constexpr std::int32_t kDefaultCameraSensitivity = 20;
inline constexpr std::int32_t kDefaultFreezingSpeed = 10;
