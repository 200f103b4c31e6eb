#include "core/settings_mapping.h"

#include <cmath>

std::int32_t sensitivitySliderValue(std::int32_t cameraSensitivity)
{
    return 255 - cameraSensitivity / 3; // integer division cuts toward zero
}

std::int32_t sensitivityFromSlider(double sliderValue)
{
    return std::int32_t(std::trunc((255.0 - sliderValue) * 3.0));
}

std::int32_t sensitivityTaken(double sliderValue, std::int32_t before)
{
    return sliderValue == double(sensitivitySliderValue(before)) ? before : sensitivityFromSlider(sliderValue);
}

std::int32_t freezingSpeedFromSlider(double sliderValue)
{
    return std::int32_t(std::trunc(sliderValue));
}
