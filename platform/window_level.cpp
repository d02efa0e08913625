#include "window_level.h"

#include <QVariant>
#include <QWidget>
#include <QWindow>

namespace {
constexpr const char *kLevelProperty = "tessellonWindowLevel";
}

int WindowLevel::of(const QWidget *window)
{
    if (window == nullptr)
        return normal;
    const QVariant stored = window->property(kLevelProperty);
    if (stored.isValid())
        return stored.toInt();
    return window->isModal() ? modalPanel : normal;
}

void WindowLevel::set(QWidget *window, int level)
{
    if (window == nullptr)
        return;
    window->setProperty(kLevelProperty, level);

    const bool onTop = level > normal;
    const Qt::WindowFlags flags = window->windowFlags();
    if (flags.testFlag(Qt::WindowStaysOnTopHint) == onTop)
        return;
    const Qt::WindowFlags next = onTop ? (flags | Qt::WindowStaysOnTopHint) : (flags & ~Qt::WindowStaysOnTopHint);
    if (QWindow *handle = window->windowHandle()) {
        // QWidget::setWindowFlags() would hide a shown window; the native
        // window takes new flags in place and tells the window manager.
        window->overrideWindowFlags(next);
        handle->setFlags(next);
    } else {
        window->setWindowFlags(next);
    }
}
