#include "picture_reserve.h"

PictureReserve::~PictureReserve()
{
    release();
}

void PictureReserve::prepare(QSize pixels)
{
    if (m_picture.valid() || pixels.isEmpty())
        return;
    m_pixels = pixels;
    m_picture = std::async(std::launch::async, [pixels] {
        QImage picture(pixels, QImage::Format_ARGB32_Premultiplied);
        // Writing every pixel is what makes the memory the process's own;
        // out of memory, the image is null and the taker allocates its own.
        if (!picture.isNull())
            picture.fill(Qt::transparent);
        return picture;
    });
}

QImage PictureReserve::take(QSize pixels)
{
    if (!m_picture.valid())
        return {};
    QImage picture = m_picture.get();
    if (pixels != m_pixels)
        return {};
    return picture;
}

void PictureReserve::release()
{
    if (m_picture.valid())
        m_picture.get();
}
