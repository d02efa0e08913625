#pragma once

#include <QWidget>

#include <functional>

// The page dots of an open folder. A click anywhere on the strip selects the
// nearest page (Qt hands wheel events on to the panel and the overlay).
class FolderDotsView : public QWidget
{
public:
    explicit FolderDotsView(QWidget *parent = nullptr);

    void setPages(int pageCount, int current);
    int pageCount() const { return m_pageCount; }
    int current() const { return m_current; }

    std::function<void(int page)> onSelect;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    int m_pageCount = 1;
    int m_current = 0;
};
