#include "core/image.h"

#include <cstring>
#include <limits>

namespace {
// Pixels of this program's own buffers: shared_ptr<void> keeps the array.
struct Buffer
{
    std::unique_ptr<std::uint8_t[]> bytes;
};
} // namespace

Image::Image(Size size)
{
    if (size.isEmpty() || size.area() > std::numeric_limits<std::int32_t>::max() / 4)
        return;
    auto buffer = std::make_shared<Buffer>();
    const std::size_t bytes = std::size_t(size.area()) * 4;
    buffer->bytes.reset(new std::uint8_t[bytes]());
    m_view = {buffer->bytes.get(), size.width, size.height, std::ptrdiff_t(size.width) * 4};
    m_owner = std::move(buffer);
}

void Image::ensureSize(Size size)
{
    if (size == this->size() && !isNull() && m_owner.use_count() == 1)
        return;
    *this = Image(size);
}

Image Image::copy() const
{
    Image result(size());
    if (result.isNull())
        return result;
    for (int y = 0; y < height(); ++y)
        std::memcpy(result.m_view.pixel(0, y), m_view.pixel(0, y), std::size_t(width()) * 4);
    return result;
}

void Image::mirror()
{
    for (int y = 0; y < height(); ++y) {
        std::uint8_t *left = m_view.pixel(0, y);
        std::uint8_t *right = m_view.pixel(width() - 1, y);
        // Whole pixels at a time, as 32-bit words (memcpy: no cast of the
        // byte pointers), which compilers keep in registers.
        for (; left < right; left += 4, right -= 4) {
            std::uint32_t a, b;
            std::memcpy(&a, left, 4);
            std::memcpy(&b, right, 4);
            std::memcpy(left, &b, 4);
            std::memcpy(right, &a, 4);
        }
    }
}
