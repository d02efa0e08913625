#pragma once

#include <QWidget>

// The widget that carries one page of tiles (or, in scroll mode, the whole
// scrolling list), with its origin at the top-left and y growing downwards as
// everywhere in Qt. A turn slides two of them: the page entered and the page
// left. It draws nothing and leaves every mouse event to the launcher view
// beneath it.
class PageCanvas : public QWidget
{
public:
    explicit PageCanvas(QWidget *parent = nullptr) : QWidget(parent)
    {
        setAttribute(Qt::WA_NoSystemBackground);
        setAutoFillBackground(false);
    }
};
