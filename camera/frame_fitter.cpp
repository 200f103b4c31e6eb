#include "camera/frame_fitter.h"

#include <libyuv/planar_functions.h>
#include <libyuv/scale_argb.h>

#include <utility>

Image &FrameFitter::fit(Image &frame, Size picture, bool mirrored)
{
    if (frame.isNull() || picture.isEmpty()) {
        m_fitted = Image();
        return m_fitted;
    }
    if (frame.size() == picture && !mirrored)
        return frame;
    m_fitted.ensureSize(picture);
    if (frame.size() == picture) {
        libyuv::ARGBMirror(frame.bits(), int(frame.stride()), m_fitted.bits(), int(m_fitted.stride()), picture.width,
                           picture.height);
        return m_fitted;
    }
    const Rect crop = middlePart(frame.size(), picture);
    Image &scaled = mirrored ? m_scaled : m_fitted;
    scaled.ensureSize(picture);
    libyuv::ARGBScale(std::as_const(frame).view().pixel(crop.x, crop.y), int(frame.stride()), crop.width, crop.height,
                      scaled.bits(), int(scaled.stride()), picture.width, picture.height, libyuv::kFilterBox);
    if (mirrored)
        libyuv::ARGBMirror(m_scaled.bits(), int(m_scaled.stride()), m_fitted.bits(), int(m_fitted.stride()),
                           picture.width, picture.height);
    return m_fitted;
}
