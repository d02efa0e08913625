#pragma once

#include <QColor>
#include <QRect>
#include <QWidget>

#include <functional>
#include <optional>

// The launcher's one top-level window: frameless, transparent, without
// shadow, two levels above the main menu (on top of ordinary windows), and
// able to take keyboard focus for typing, Escape and the arrow keys. Its
// content view fills it. The window manager hints that put it on every
// desktop and out of the task bar, and whether it is translucent at all, are
// the controller's to decide before each show (WindowDecorator).
class LauncherWindow : public QWidget
{
    Q_OBJECT

public:
    explicit LauncherWindow(const QRect &frame);
    ~LauncherWindow() override;

    // Takes ownership; the previous content view is deleted.
    void setContentView(QWidget *view);
    QWidget *contentView() const { return m_content; }

    // A plain colour the window paints under its content: what shows the
    // moment the window maps, before the content is built. An invalid colour
    // (the default) paints nothing, so the desktop shows through.
    void setPlaceholder(const QColor &color);
    QColor placeholder() const { return m_placeholder; }

    // The one plain colour the window paints under its content view, as it
    // ends up in the window's pixels (transparent where it paints nothing);
    // nothing while another child lies under the content view.
    std::optional<QColor> underlay() const;

    // Translucent (the default): the window has an alpha channel and what it
    // leaves clear shows the desktop. Opaque: it paints over black, which is
    // what a desktop without a compositing manager shows of a translucent
    // window anyway. A native window keeps the kind it was made with, so a
    // change makes a new one; only while hidden.
    void setTranslucent(bool translucent);
    bool isTranslucent() const { return testAttribute(Qt::WA_TranslucentBackground); }

    // A close request from the window manager (instead of closing). Unset:
    // the request is ignored; the window is never closed or destroyed by it.
    std::function<void()> onCloseRequest;

signals:
    // After each frame the window paints, whether the window itself or only
    // its content was repainted; queued receivers run once that frame is on
    // screen.
    void framePainted();

protected:
    bool event(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QWidget *m_content = nullptr;
    QColor m_placeholder;
    // Whether paintEvent() has announced the frame being painted.
    bool m_frameAnnounced = false;
};
