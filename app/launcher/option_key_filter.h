#pragma once

#include <QEvent>
#include <QObject>

#include <functional>

class QKeyEvent;
class QWidget;

// Alt presses and releases reach whichever widget has the focus (often the
// search field); this filter, installed on the application, sees them for
// the whole window of the widget it is made for, and tells each change once:
// whether Alt is down after it, and the key code of the key that changed
// (58 left, 61 right).
class OptionKeyFilter : public QObject
{
public:
    using Handler = std::function<void(bool optionDown, int keyCode)>;

    // A child of `view`: it leaves the application's filters with it.
    OptionKeyFilter(QWidget *view, Handler handler);

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_view;
    Handler m_handler;
    const QKeyEvent *m_lastEvent = nullptr;
    QEvent::Type m_lastType = QEvent::None;
};
