#pragma once

#include <QColor>
#include <QWidget>

// A plain painted layer: a fill, optionally rounded and outlined. The
// launcher's glass, dimming veil, search plate and drop marker are such
// layers. Mouse events pass through to the view beneath unless asked not to.
class FillView : public QWidget
{
public:
    explicit FillView(QWidget *parent = nullptr);

    QColor fillColor() const { return m_fill; }
    void setFillColor(const QColor &color);
    double cornerRadius() const { return m_cornerRadius; }
    void setCornerRadius(double radius);
    void setBorder(const QColor &color, double width);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_fill{Qt::transparent};
    QColor m_border{Qt::transparent};
    double m_borderWidth = 0;
    double m_cornerRadius = 0;
};
