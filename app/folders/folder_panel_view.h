#pragma once

#include <QWidget>

// The panel of an open folder: carries the member tiles and the page dots.
// The overlay paints the glass under it; the panel itself paints nothing and
// leaves every mouse and wheel event to the overlay (Qt hands an ignored
// event on to the parent).
class FolderPanelView : public QWidget
{
public:
    explicit FolderPanelView(QWidget *parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
};
