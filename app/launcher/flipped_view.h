#pragma once

#include <QWidget>

// A plain host for one page of tiles. Qt's coordinates already grow downwards
// from the top-left corner; the host draws nothing and leaves every mouse
// event to the launcher view beneath it.
class FlippedView : public QWidget
{
public:
    explicit FlippedView(QWidget *parent = nullptr) : QWidget(parent)
    {
        setAttribute(Qt::WA_NoSystemBackground);
        setAutoFillBackground(false);
    }
};
