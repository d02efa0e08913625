#pragma once

#include <QGraphicsEffect>

// Draws a widget (with its children) scaled about its own centre: the grid's
// zoom while the launcher shows and hides. The widget's geometry, hit testing
// and children stay as they are; only the painting is scaled.
class CenteredScaleEffect : public QGraphicsEffect
{
public:
    explicit CenteredScaleEffect(QObject *parent = nullptr);

    double scale() const { return m_scale; }
    void setScale(double scale);

protected:
    void draw(QPainter *painter) override;

private:
    double m_scale = 1;
};
