#pragma once

#include <QWidget>

#include <functional>

// The row of page dots under the paged grid: one dot per page, the current
// one bright. A click on a dot reports its index; any other click travels on
// to the parent as a click on the background.
class PageDotsView : public QWidget
{
public:
    explicit PageDotsView(QWidget *parent = nullptr);

    // Neither is clamped: a current page outside 0 ..< count lights no dot.
    // Assigning the value already held does not redraw.
    int count() const { return m_count; }
    void setCount(int count);
    int current() const { return m_current; }
    void setCurrent(int current);

    std::function<void(int index)> onClick;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    int m_count = 1;
    int m_current = 0;
};
