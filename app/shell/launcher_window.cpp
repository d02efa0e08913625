#include "shell/launcher_window.h"

#include "window_level.h"

#include <QCloseEvent>
#include <QPainter>
#include <QPaintEvent>

LauncherWindow::LauncherWindow(const QRect &frame) : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint)
{
    WindowLevel::set(this, WindowLevel::launcher);
    setAttribute(Qt::WA_TranslucentBackground);
    // The window paints its own base, clear or black, in either kind; Qt's
    // would be the palette's grey.
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_QuitOnClose, false);
    setAttribute(Qt::WA_DeleteOnClose, false);
    setAttribute(Qt::WA_ShowWithoutActivating, false);
    setWindowTitle(QStringLiteral("Tessellon"));
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setGeometry(frame);
}

LauncherWindow::~LauncherWindow() = default;

void LauncherWindow::setContentView(QWidget *view)
{
    if (view == m_content)
        return;
    delete m_content;
    m_content = view;
    if (view != nullptr) {
        view->setParent(this);
        view->setGeometry(rect());
        view->show();
    }
}

void LauncherWindow::setPlaceholder(const QColor &color)
{
    if (color == m_placeholder)
        return;
    m_placeholder = color;
    update();
}

void LauncherWindow::setTranslucent(bool translucent)
{
    if (translucent == isTranslucent() || isVisible())
        return;
    if (testAttribute(Qt::WA_WState_Created))
        destroy();
    setAttribute(Qt::WA_TranslucentBackground, translucent);
    update();
}

std::optional<QColor> LauncherWindow::underlay() const
{
    if (m_content == nullptr)
        return std::nullopt;
    for (const QObject *object : children()) {
        if (object == m_content)
            break;
        const auto *child = qobject_cast<const QWidget *>(object);
        if (child != nullptr && !child->isWindow() && child->isVisible())
            return std::nullopt;
    }
    // As paintEvent() paints it: the placeholder replaces the pixels of a
    // translucent window, and is laid over black in an opaque one.
    if (isTranslucent())
        return m_placeholder.isValid() ? m_placeholder : QColor(Qt::transparent);
    if (!m_placeholder.isValid())
        return QColor(Qt::black);
    const QRgb over = qPremultiply(m_placeholder.rgba());
    return QColor(qRed(over), qGreen(over), qBlue(over));
}

void LauncherWindow::paintEvent(QPaintEvent *event)
{
    if (m_placeholder.isValid() || !isTranslucent()) {
        QPainter painter(this);
        if (!isTranslucent())
            painter.fillRect(event->rect(), Qt::black);
        if (m_placeholder.isValid()) {
            painter.setCompositionMode(isTranslucent() ? QPainter::CompositionMode_Source
                                                       : QPainter::CompositionMode_SourceOver);
            painter.fillRect(event->rect(), m_placeholder);
        }
    }
    m_frameAnnounced = true;
    emit framePainted();
}

bool LauncherWindow::event(QEvent *event)
{
    if (event->type() != QEvent::UpdateRequest)
        return QWidget::event(event);
    // An update that repaints only the content view never reaches
    // paintEvent(): its frame is announced once the update is painted.
    m_frameAnnounced = false;
    const bool handled = QWidget::event(event);
    if (!m_frameAnnounced)
        emit framePainted();
    m_frameAnnounced = false;
    return handled;
}

void LauncherWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_content != nullptr)
        m_content->setGeometry(rect());
}

void LauncherWindow::closeEvent(QCloseEvent *event)
{
    event->ignore();
    if (onCloseRequest)
        onCloseRequest();
}
