#pragma once

#include <QImage>
#include <QSize>

#include <future>

// Memory for one picture of the whole grid, made ready on a worker thread.
// A new buffer's pages reach the process one fault at a time as they are
// first written; for a full-screen picture those faults add up to tens of
// milliseconds (several times more on some virtual machines), and the
// launcher's first frame, which pictures the grid for the show's zoom, would
// wait for them. Prepared while the window first goes up, they are paid for
// beside the main thread's own work.
class PictureReserve
{
public:
    PictureReserve() = default;
    // Waits for a worker still preparing.
    ~PictureReserve();

    PictureReserve(const PictureReserve &) = delete;
    PictureReserve &operator=(const PictureReserve &) = delete;

    // Starts preparing a transparent premultiplied ARGB picture of `pixels`;
    // nothing when one is held already or the size is empty.
    void prepare(QSize pixels);
    // The prepared picture when it has `pixels` (waiting for the worker if it
    // is not done yet), else a null image. The reserve is empty afterwards:
    // memory of the wrong size is not kept.
    QImage take(QSize pixels);
    // Gives back whatever is held.
    void release();
    bool isEmpty() const { return !m_picture.valid(); }

private:
    QSize m_pixels;
    std::future<QImage> m_picture;
};
