#include "shell/launcher_window.h"

#include "window_level.h"

#include <QCloseEvent>
#include <QPainter>
#include <QPaintEvent>

LauncherWindow::LauncherWindow(const QRect &frame) : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint)
{
    WindowLevel::set(this, WindowLevel::launcher);
    setAttribute(Qt::WA_TranslucentBackground);
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

void LauncherWindow::paintEvent(QPaintEvent *event)
{
    if (m_placeholder.isValid()) {
        QPainter painter(this);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(event->rect(), m_placeholder);
    }
    emit framePainted();
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
