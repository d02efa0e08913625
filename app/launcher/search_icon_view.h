#pragma once

#include <QColor>
#include <QPointF>
#include <QSizeF>
#include <QWidget>

#include <cmath>
#include <optional>

// The magnifier glyph of the search plate, drawn by hand: a lens and a handle
// pointing to the lower right, scaled to the smaller side of the view.
class SearchIconView : public QWidget
{
public:
    explicit SearchIconView(QWidget *parent = nullptr);

    QColor tint() const { return m_tint; }
    void setTint(const QColor &tint);

    // Stroke width, lens centre and radius for a view of this size.
    struct Glyph
    {
        double lineWidth = 0;
        QPointF lensCenter;
        double lensRadius = 0;
        QPointF handleStart;
        QPointF handleEnd;
    };
    // Nothing to draw when the smaller side is 0 or less.
    static std::optional<Glyph> glyph(const QSizeF &size);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_tint{255, 255, 255, int(std::lround(0.78 * 255))};
};
