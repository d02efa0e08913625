#include "settings_card.h"

#include "settings_separator.h"
#include "settings_style.h"

#include <QPainter>
#include <QVBoxLayout>

SettingsCard::SettingsCard(const QList<QWidget *> &contents, int width, QWidget *parent) : QWidget(parent)
{
    auto *stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);
    for (int i = 0; i < contents.size(); ++i) {
        stack->addWidget(contents[i]);
        if (i < contents.size() - 1)
            stack->addWidget(new SettingsSeparator(this));
    }
    setFixedWidth(width);
}

void SettingsCard::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(SettingsStyle::card());
    painter.drawRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
}
