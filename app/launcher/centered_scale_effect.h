#pragma once

#include <QGraphicsEffect>
#include <QPixmap>

// Draws a widget (with its children) scaled about its own centre: the grid's
// zoom while the launcher shows and hides. The widget's geometry, hit testing
// and children stay as they are; only the painting is scaled.
//
// The widget is rendered once, on the first scaled frame, and every further
// frame draws that one picture at its scale: rendering a full-screen grid
// again on every frame of a show or hide costs many times a frame's budget.
// The picture lives as long as the effect (one animation) or until
// refreshPicture() says the widget's content changed.
class CenteredScaleEffect : public QGraphicsEffect
{
public:
    explicit CenteredScaleEffect(QObject *parent = nullptr);

    double scale() const { return m_scale; }
    void setScale(double scale);
    // The widget's content changed: the next frame renders it again.
    void refreshPicture();
    bool hasPicture() const { return !m_picture.isNull(); }

protected:
    void draw(QPainter *painter) override;

private:
    double m_scale = 1;
    QPixmap m_picture;
    QPoint m_offset;
    // The part of m_picture that holds anything: drawing (and smoothly
    // scaling) only that part spares the empty margins around the grid.
    QRect m_content;
};
