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
    // The whole bar's height: a long status wraps onto a second line, centred,
    // instead of being cut at the end.
    m_label->setGeometry(inset, 0, std::max(0, width() - 2 * inset), height());
}

void SettingsStatusBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(QRect(0, 0, width(), 1), SettingsStyle::hairline());
}
