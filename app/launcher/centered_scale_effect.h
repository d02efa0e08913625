#pragma once

#include <QGraphicsEffect>
#include <QImage>
#include <QList>

#include <memory>

class PictureReserve;

// Draws a widget (with its children) scaled about its own centre: the grid's
// zoom while the launcher shows and hides. The widget's geometry, hit testing
// and children stay as they are; only the painting is scaled.
//
// The widget is rendered once, on the first scaled frame, and every further
// frame draws that one picture at its scale: rendering a full-screen grid
// again on every frame of a show or hide costs many times a frame's budget.
// The picture lives as long as the effect (one animation); when
// refreshPicture() says the widget's content changed, the widget is rendered
// again into the same memory.
class CenteredScaleEffect : public QGraphicsEffect
{
public:
    explicit CenteredScaleEffect(QObject *parent = nullptr);

    // Scales `widget` about its centre; nothing (and no offscreen rendering)
    // at full size. A new effect takes its picture's memory from `reserve`
    // when that holds a picture of the right size.
    static void applyTo(QWidget *widget, double scale, std::shared_ptr<PictureReserve> reserve = nullptr);
    // The scale `widget` is drawn at (1 when none).
    static double scaleOf(const QWidget *widget);
    // `widget`'s content changed: a scaled one renders its picture again.
    static void refreshPictureOf(QWidget *widget);

    double scale() const { return m_scale; }
    void setScale(double scale);
    // The widget's content changed: the next frame renders it again.
    void refreshPicture();
    bool hasPicture() const { return !m_picture.isNull() && !m_stale; }
    // Where the picture's pixels are (null before the first one).
    const uchar *pictureBits() const { return m_picture.constBits(); }
    void useReserve(std::shared_ptr<PictureReserve> reserve) { m_reserve = std::move(reserve); }

protected:
    void draw(QPainter *painter) override;

private:
    // Where the parts are drawn at the current scale, in the widget.
    QRegion paintedRegion() const;
    // Renders the widget into m_picture, and finds its parts.
    void renderPicture(const QPainter &painter);

    double m_scale = 1;
    QImage m_picture;
    // The widget changed since m_picture was rendered.
    bool m_stale = false;
    std::shared_ptr<PictureReserve> m_reserve;
    // The parts of m_picture that hold anything, in its pixels: drawing (and
    // smoothly scaling) only those spares the empty margins around the grid
    // and the gaps between its tiles, most of a full-screen picture.
    QList<QRect> m_parts;
};
