#include "launcher/option_key_filter.h"

#include <QKeyEvent>
#include <QWidget>

#include <utility>

OptionKeyFilter::OptionKeyFilter(QWidget *view, Handler handler)
    : QObject(view), m_view(view), m_handler(std::move(handler))
{
}

bool OptionKeyFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() != Qt::Key_Alt || key->isAutoRepeat())
        return false;
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != m_view->window())
        return false;
    // Each key event reaches the filter once per widget it is offered to.
    if (key == m_lastEvent && key->type() == m_lastType)
        return false;
    m_lastEvent = key;
    m_lastType = key->type();
    // Alt_R is the right Option key (61); every other Alt is the left one (58).
    const int keyCode = key->nativeVirtualKey() == 0xffea ? 61 : 58;
    m_handler(event->type() == QEvent::KeyPress, keyCode);
    return false;
}
