#include "settings_window.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QPalette>

SettingsWindow::SettingsWindow(int width, int height) : QWidget(nullptr, Qt::Window)
{
    setObjectName(QStringLiteral("settingsWindow"));
    setFixedSize(width, height);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    setPalette(palette);
    setAutoFillBackground(true);
}

QWidget *SettingsWindow::replaceContent(QWidget *content)
{
    QWidget *previous = m_content;
    m_content = content;
    if (m_content) {
        m_content->setParent(this);
        m_content->setGeometry(rect());
        m_content->show();
    }
    if (previous)
        previous->hide();
    return previous;
}

void SettingsWindow::closeEvent(QCloseEvent *event)
{
    // Kept for the next show, with the same controls.
    event->ignore();
    hide();
    if (onCloseRequest)
        onCloseRequest();
}

void SettingsWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape || event->matches(QKeySequence::Close)) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SettingsWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_content)
        m_content->setGeometry(rect());
}
