#include "settings_separator.h"

#include "settings_style.h"

#include <QPainter>

SettingsSeparator::SettingsSeparator(QWidget *parent) : QWidget(parent)
{
    setFixedHeight(1);
}

void SettingsSeparator::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(QRect(inset, 0, width() - 2 * inset, 1), SettingsStyle::hairline());
}
