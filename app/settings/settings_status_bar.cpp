#include "settings_status_bar.h"

#include "settings_style.h"

#include <QLabel>
#include <QPainter>

SettingsStatusBar::SettingsStatusBar(QLabel *statusLabel, QWidget *parent) : QWidget(parent), m_label(statusLabel)
{
    m_label->setParent(this);
    m_label->show();
}

void SettingsStatusBar::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // The label outlives its bars; a newer bar may hold it already.
    if (m_label.isNull() || m_label->parentWidget() != this)
        return;
    const int labelHeight = m_label->sizeHint().height();
    m_label->setGeometry(inset, (height() - labelHeight) / 2, std::max(0, width() - 2 * inset), labelHeight);
}

void SettingsStatusBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(QRect(0, 0, width(), 1), SettingsStyle::hairline());
}
